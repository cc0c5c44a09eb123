#include "host/steam_fixture.h"

#include "common/platform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>

namespace steam_fixture {

namespace {
const quint32 magic_binary_hash = 0x07564428;
const quint32 magic_string_table = 0x07564429;

void append_u32(QByteArray &bytes, quint32 value)
{
    char le[4];
    qToLittleEndian(value, le);
    bytes.append(le, 4);
}

void append_u64(QByteArray &bytes, quint64 value)
{
    char le[8];
    qToLittleEndian(value, le);
    bytes.append(le, 8);
}

QByteArray quoted(const QString &text)
{
    QByteArray bytes = text.toUtf8();
    bytes.replace("\\", "\\\\").replace("\"", "\\\"");
    return '"' + bytes + '"';
}

// Binary KeyValues of one entry; from 0x07564429 on, key names go to a table
// shared by the whole file.
class binary_writer_c
{
public:
    explicit binary_writer_c(QStringList *strings) : string_table(strings) {}

    void open(const char *name)
    {
        data.append('\0');
        key(name);
    }
    void close() { data.append('\x08'); }
    void text(const char *name, const QString &value)
    {
        data.append('\x01');
        key(name);
        data.append(value.toUtf8()).append('\0');
    }
    void number(const char *name, quint32 value)
    {
        data.append('\x02');
        key(name);
        append_u32(data, value);
    }
    void number64(const char *name, quint64 value)
    {
        data.append('\x07');
        key(name);
        append_u64(data, value);
    }
    void wide_text(const char *name, const QString &value)
    {
        data.append('\x05');
        key(name);
        data.append(reinterpret_cast<const char *>(value.utf16()), value.size() * 2).append(2, '\0');
    }
    QByteArray bytes() const { return data; }

private:
    void key(const char *name)
    {
        if (string_table == nullptr) {
            data.append(name).append('\0');
            return;
        }
        int index = string_table->indexOf(QLatin1String(name));
        if (index < 0) {
            index = string_table->size();
            string_table->append(QLatin1String(name));
        }
        append_u32(data, quint32(index));
    }

    QStringList *string_table;
    QByteArray data;
};

bool write_file(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}
} // namespace

QByteArray library_folders(const QStringList &libraries)
{
    QByteArray text = "\"libraryfolders\"\n{\n";
    for (int i = 0; i < libraries.size(); ++i)
        text += "\t\"" + QByteArray::number(i) + "\"\n\t{\n\t\t\"path\"\t\t" + quoted(libraries.at(i)) +
                "\n\t\t\"label\"\t\t\"\"\n\t\t\"contentid\"\t\t\"4242\"\n\t}\n";
    return text + "}\n";
}

QByteArray manifest(const app_t &app)
{
    return "\"AppState\"\n{\n\t\"appid\"\t\t\"" + QByteArray::number(app.id) +
           "\"\n\t\"Universe\"\t\t\"1\"\n" + "\t\"name\"\t\t" + quoted(app.name) +
           "\n\t\"StateFlags\"\t\t\"" + QByteArray::number(app.state_flags) + "\"\n\t\"installdir\"\t\t" +
           quoted(app.install_dir) + "\n\t\"UserConfig\"\n\t{\n\t\t\"language\"\t\t\"english\"\n\t}\n}\n";
}

QByteArray app_info(quint32 magic, const QList<app_t> &apps)
{
    QStringList strings;
    const bool table = magic == magic_string_table;
    QByteArray file;
    append_u32(file, magic);
    append_u32(file, 1); // the public universe
    if (table)
        append_u64(file, 0); // the table's offset, known at the end
    for (const app_t &app : apps) {
        if (!app.in_app_info)
            continue;
        binary_writer_c kv(table ? &strings : nullptr);
        kv.open("appinfo");
        kv.number("appid", app.id);
        kv.open("common");
        // Values of other types come before the wanted ones, to be stepped over.
        kv.number64("size", 123456789);
        kv.wide_text("title", app.name);
        kv.text("name", app.name);
        kv.text("type", app.type);
        if (!app.client_icon.isEmpty())
            kv.text("clienticon", app.client_icon);
        kv.text("oslist", QStringLiteral("windows,linux"));
        kv.close();
        kv.open("extended");
        kv.text("developer", QStringLiteral("Vorla Test Studio"));
        kv.close();
        kv.close();
        kv.close();

        QByteArray entry;
        append_u32(entry, 2);          // info state
        append_u32(entry, 1700000000); // last updated
        append_u64(entry, 0);          // access token
        entry.append(QByteArray(20, '\x11'));
        append_u32(entry, 20000000); // change number
        if (magic >= magic_binary_hash)
            entry.append(QByteArray(20, '\x22'));
        entry.append(kv.bytes());
        append_u32(file, app.id);
        append_u32(file, quint32(entry.size()));
        file.append(entry);
    }
    append_u32(file, 0);
    if (table) {
        qToLittleEndian(quint64(file.size()), file.data() + 8);
        append_u32(file, quint32(strings.size()));
        for (const QString &name : std::as_const(strings))
            file.append(name.toUtf8()).append('\0');
    }
    return file;
}

bool write_installation(const QString &steam_path, const QStringList &libraries, const QList<app_t> &apps,
                        quint32 magic)
{
    const QString steam = platform::local_path(steam_path);
    bool written = write_file(steam + "/steamapps/libraryfolders.vdf", library_folders(libraries)) &&
                   write_file(steam + "/appcache/appinfo.vdf", app_info(magic, apps));
    for (const app_t &app : apps)
        if (app.library >= 0 && app.library < libraries.size())
            written = write_file(platform::local_path(libraries.at(app.library)) + "/steamapps/appmanifest_" +
                                     QString::number(app.id) + ".acf",
                                 manifest(app)) &&
                      written;
    return written;
}

} // namespace steam_fixture
