#include "scanner/steam_local.h"

#include "common/platform.h"
#include "common/text_limits.h"

#include <QBuffer>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QVector>
#include <QtEndian>

#include <algorithm>
#include <utility>

namespace steam_local {

namespace {
// A library holds a few thousand applications at most; a folder with more
// manifests than this is not read further.
const int max_manifests = 20000;
const int max_libraries = 256;
// An entry of appinfo.vdf is some kilobytes; a larger one is not read.
const qint64 max_entry_size = 64 * 1024 * 1024;
// The string table of a real file is a few megabytes with some ten thousand
// strings.
const qint64 max_string_table_size = 64 * 1024 * 1024;
const quint32 max_strings = 1024 * 1024;
// Longest key or value read from a binary entry; real ones are short.
const int max_token_size = 256 * 1024;
// Sections nest about six levels deep in real entries.
const int max_depth = 32;
const int client_icon_length = 40;
// Steam's "fully installed" bit of a manifest's StateFlags.
const qint64 state_fully_installed = 4;

QByteArray read_text_file(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > max_text_file_size)
        return QByteArray();
    return file.read(max_text_file_size);
}

bool is_app_id(const QString &text)
{
    bool number = false;
    return text_limits::is_decimal_digits(text, 10) && (text.toUInt(&number), number);
}

// One entry's binary KeyValues: a type byte, a name (a C string, or from
// 0x07564429 on an index into the string table), a value; type 0 opens a
// section, 8 (or 11) closes one. Only "appinfo" -> "common" is wanted, and
// reading stops once that section has closed.
class binary_entry_reader_c
{
public:
    binary_entry_reader_c(const QByteArray &data, int at, const QVector<QByteArray> *strings)
        : data(data), at(at), strings(strings)
    {}

    // False when the entry is damaged or has no common section.
    bool read_common(app_info_t *info)
    {
        QVector<QByteArray> path;
        bool common_seen = false;
        for (;;) {
            char type = 0;
            if (!take_byte(&type))
                return false;
            if (type == type_end || type == type_end_alternative) {
                if (path.isEmpty())
                    return common_seen;
                if (in_common(path))
                    return true;
                path.removeLast();
                continue;
            }
            QByteArray name;
            if (!take_name(&name))
                return false;
            if (type != type_section) {
                if (!take_value(type, name, in_common(path) ? info : nullptr))
                    return false;
                continue;
            }
            if (path.size() >= max_depth)
                return false;
            path.append(name);
            common_seen = common_seen || in_common(path);
        }
    }

private:
    enum : char
    {
        type_section = 0,
        type_string = 1,
        type_int32 = 2,
        type_float = 3,
        type_pointer = 4,
        type_wide_string = 5,
        type_colour = 6,
        type_uint64 = 7,
        type_end = 8,
        type_int64 = 10,
        type_end_alternative = 11,
    };

    // Reads one value, kept in info when that is given, else skipped.
    bool take_value(char type, const QByteArray &name, app_info_t *info)
    {
        switch (type) {
        case type_string: {
            QByteArray value;
            if (!take_c_string(&value))
                return false;
            if (info != nullptr)
                keep(name, QString::fromUtf8(value), info);
            return true;
        }
        case type_wide_string:
            return skip_wide_string();
        case type_int32:
        case type_float:
        case type_pointer:
        case type_colour:
            return skip(4);
        case type_uint64:
        case type_int64:
            return skip(8);
        default:
            return false;
        }
    }

    static bool in_common(const QVector<QByteArray> &path)
    {
        return path.size() == 2 && qstricmp(path.at(0).constData(), "appinfo") == 0 &&
               qstricmp(path.at(1).constData(), "common") == 0;
    }

    static void keep(const QByteArray &key, const QString &value, app_info_t *info)
    {
        if (qstricmp(key.constData(), "name") == 0)
            info->name = text_limits::capped_name(value);
        else if (qstricmp(key.constData(), "type") == 0)
            info->type = text_limits::capped_name(value);
        else if (qstricmp(key.constData(), "clienticon") == 0)
            info->client_icon = text_limits::is_hex_digits(value, client_icon_length) ? value : QString();
    }

    int left() const { return data.size() - at; }

    bool take_byte(char *byte)
    {
        if (left() < 1)
            return false;
        *byte = data.at(at++);
        return true;
    }

    bool skip(int count)
    {
        if (left() < count)
            return false;
        at += count;
        return true;
    }

    bool take_name(QByteArray *name)
    {
        if (strings == nullptr)
            return take_c_string(name);
        if (left() < 4)
            return false;
        const quint32 index = qFromLittleEndian<quint32>(data.constData() + at);
        at += 4;
        if (index >= quint32(strings->size()))
            return false;
        *name = strings->at(int(index));
        return true;
    }

    bool take_c_string(QByteArray *text)
    {
        const int limit = qMin(left(), max_token_size + 1);
        const char *start = data.constData() + at;
        const void *nul = memchr(start, 0, size_t(limit));
        if (nul == nullptr)
            return false;
        const int length = int(static_cast<const char *>(nul) - start);
        *text = QByteArray(start, length);
        at += length + 1;
        return true;
    }

    bool skip_wide_string()
    {
        for (int units = 0; units <= max_token_size; ++units) {
            if (left() < 2)
                return false;
            const bool end = data.at(at) == 0 && data.at(at + 1) == 0;
            at += 2;
            if (end)
                return true;
        }
        return false;
    }

    const QByteArray &data;
    int at;
    const QVector<QByteArray> *strings;
};

// The string table of a 0x07564429 file: a count, then that many C strings.
bool read_string_table(QIODevice &device, qint64 offset, QVector<QByteArray> *strings)
{
    // The offset is tested before it is used: a hostile one overflows.
    if (offset < 16 || offset > device.size())
        return false;
    const qint64 size = device.size() - offset;
    if (size < 4 || size > max_string_table_size || !device.seek(offset))
        return false;
    const QByteArray table = device.read(size);
    if (table.size() != size)
        return false;
    const quint32 count = qFromLittleEndian<quint32>(table.constData());
    // Each string takes at least its terminating byte.
    if (count > quint32(table.size() - 4) || count > max_strings)
        return false;
    strings->reserve(int(count));
    int at = 4;
    for (quint32 i = 0; i < count; ++i) {
        const int end = table.indexOf('\0', at);
        if (end < 0)
            return false;
        strings->append(table.mid(at, end - at));
        at = end + 1;
    }
    return true;
}

QHash<quint32, app_info_t> read_app_info_device(QIODevice &device, const QSet<quint32> &wanted)
{
    QHash<quint32, app_info_t> result;
    const QByteArray header = device.read(8);
    if (header.size() != 8 || wanted.isEmpty())
        return result;
    const quint32 magic = qFromLittleEndian<quint32>(header.constData());
    if (magic != app_info_magic_26 && magic != app_info_magic_27 && magic != app_info_magic_28 &&
        magic != app_info_magic_29)
        return result;
    // State, last change, token, hash of the text form, change number; then
    // from 0x07564428 on the hash of the binary form.
    const int fixed_size = magic >= app_info_magic_28 ? 60 : 40;
    qint64 entries_end = device.size();
    QVector<QByteArray> strings;
    if (magic == app_info_magic_29) {
        const QByteArray offset_bytes = device.read(8);
        if (offset_bytes.size() != 8)
            return result;
        const qint64 offset = qFromLittleEndian<qint64>(offset_bytes.constData());
        if (!read_string_table(device, offset, &strings) || !device.seek(16))
            return result;
        entries_end = offset;
    }
    while (result.size() < wanted.size()) {
        const QByteArray head = device.read(8);
        if (head.size() < 4)
            break;
        const quint32 app_id = qFromLittleEndian<quint32>(head.constData());
        if (app_id == 0 || head.size() != 8)
            break;
        const quint32 size = qFromLittleEndian<quint32>(head.constData() + 4);
        const qint64 entry_end = device.pos() + size;
        if (entry_end > entries_end)
            break;
        if (wanted.contains(app_id) && size <= max_entry_size) {
            const QByteArray entry = device.read(size);
            app_info_t info;
            if (entry.size() == int(size) && int(size) >= fixed_size &&
                binary_entry_reader_c(entry, fixed_size, magic == app_info_magic_29 ? &strings : nullptr)
                    .read_common(&info))
                result.insert(app_id, info);
        }
        if (!device.seek(entry_end))
            break;
    }
    return result;
}
} // namespace

QStringList read_library_folders(const QByteArray &text)
{
    QStringList result;
    const platform::key_values_t root = platform::read_key_values(text);
    const platform::key_values_t *folders =
        platform::find_key_values(root, {QStringLiteral("libraryfolders")});
    if (folders == nullptr)
        return result;
    for (const platform::key_values_t &entry : folders->children) {
        if (!text_limits::is_decimal_digits(entry.name, 10) || result.size() >= max_libraries)
            continue;
        QString path = entry.value;
        if (entry.is_section) {
            const platform::key_values_t *value = platform::find_key_values(entry, {QStringLiteral("path")});
            path = value != nullptr && !value->is_section ? value->value : QString();
        }
        // A cut path would name another folder.
        if (!path.isEmpty() && path.size() <= text_limits::path_length && !path.contains(QChar(0)))
            result.append(path);
    }
    return result;
}

manifest_t read_manifest(const QByteArray &text)
{
    manifest_t result;
    const platform::key_values_t root = platform::read_key_values(text);
    const platform::key_values_t *state = platform::find_key_values(root, {QStringLiteral("AppState")});
    if (state == nullptr || !state->is_section)
        return result;
    const auto value = [state](const char *key) {
        const platform::key_values_t *found = platform::find_key_values(*state, {QLatin1String(key)});
        return found != nullptr && !found->is_section ? found->value : QString();
    };
    result.name = text_limits::capped_name(value("name"));
    const QString install_dir = value("installdir");
    // The folder is joined onto steamapps/common and must stay inside it.
    if (text_limits::is_plain_file_name(install_dir))
        result.install_dir = install_dir;
    bool number = false;
    const qint64 flags = value("StateFlags").toLongLong(&number);
    result.installed = number && (flags & state_fully_installed) != 0;
    return result;
}

QHash<quint32, app_info_t> read_app_info(const QByteArray &image, const QSet<quint32> &wanted)
{
    QBuffer buffer;
    buffer.setData(image);
    if (!buffer.open(QIODevice::ReadOnly))
        return {};
    return read_app_info_device(buffer, wanted);
}

steam_files_c::steam_files_c(const QString &steam_path) : steam_folder(platform::local_path(steam_path))
{
    if (steam_path.isEmpty())
        return;
    QStringList keys;
    const auto add = [&](const QString &path) {
        const QString local = QDir::cleanPath(platform::local_path(path));
        const QString canonical = QFileInfo(local).canonicalFilePath();
        QString key = canonical.isEmpty() ? local : canonical;
#ifdef Q_OS_WIN
        key = key.toLower();
#endif
        if (!keys.contains(key)) {
            keys.append(key);
            library_folders.append(local);
        }
    };
    add(steam_path);
    const QStringList folders =
        read_library_folders(read_text_file(steam_folder + "/steamapps/libraryfolders.vdf"));
    for (const QString &folder : folders)
        add(folder);
}

bool steam_files_c::installed_manifest(const QString &id, manifest_t *manifest) const
{
    if (!is_app_id(id))
        return false;
    for (const QString &folder : library_folders) {
        const QByteArray text = read_text_file(folder + "/steamapps/appmanifest_" + id + ".acf");
        if (text.isEmpty())
            continue;
        const manifest_t read = read_manifest(text);
        if (!read.installed)
            continue;
        *manifest = read;
        return true;
    }
    return false;
}

QList<QPair<QString, manifest_t>> steam_files_c::installed_manifests(const QString &library) const
{
    const QString steamapps = library + "/steamapps/";
    QDirIterator it(steamapps, {QStringLiteral("appmanifest_*.acf")}, QDir::Files);
    QList<QPair<quint32, QString>> ids;
    while (it.hasNext() && ids.size() < max_manifests) {
        const QString name = it.next().mid(steamapps.size());
        const QString id = name.mid(12, name.size() - 16);
        if (is_app_id(id))
            ids.append(qMakePair(id.toUInt(), id));
    }
    // Numeric order, so that a library reads the same on every scan.
    std::sort(ids.begin(), ids.end());
    QList<QPair<QString, manifest_t>> result;
    for (const auto &id : std::as_const(ids)) {
        const manifest_t manifest =
            read_manifest(read_text_file(steamapps + "appmanifest_" + id.second + ".acf"));
        if (manifest.installed)
            result.append(qMakePair(id.second, manifest));
    }
    return result;
}

QHash<quint32, app_info_t> steam_files_c::app_info(const QSet<quint32> &wanted) const
{
    QFile file(steam_folder + "/appcache/appinfo.vdf");
    if (wanted.isEmpty() || !file.open(QIODevice::ReadOnly) || file.size() > max_app_info_size)
        return {};
    return read_app_info_device(file, wanted);
}

bool steam_files_c::has_app_info() const
{
    return !steam_folder.isEmpty() && QFileInfo(steam_folder + "/appcache/appinfo.vdf").isFile();
}

QHash<QString, local_app_t> resolve_apps(const steam_files_c &files, const QStringList &ids,
                                         const QStringList &not_installed)
{
    QHash<QString, local_app_t> result;
    QSet<quint32> wanted;
    for (const QString &id : ids)
        if (is_app_id(id))
            wanted.insert(id.toUInt());
    const QHash<quint32, app_info_t> infos = files.app_info(wanted);
    for (const QString &id : ids) {
        local_app_t &app = result[id];
        manifest_t manifest;
        bool manifest_read = false;
        if (not_installed.contains(id)) {
            manifest_read = files.installed_manifest(id, &manifest);
            if (!manifest_read) {
                app.state = local_state_t::not_installed;
                continue;
            }
        }
        const auto info = infos.constFind(id.toUInt());
        if (!is_app_id(id) || info == infos.constEnd() || info->type.isEmpty())
            continue;
        QString name = info->name;
        if (name.isEmpty() && (manifest_read || files.installed_manifest(id, &manifest)))
            name = manifest.name;
        if (name.isEmpty())
            continue;
        app.state = local_state_t::resolved;
        app.record.name = name;
        app.record.app_id = id;
        app.record.client_icon = info->client_icon;
        // The web answers spell it "game" and "Game".
        app.record.not_a_game = info->type.toLower() != QLatin1String("game");
    }
    return result;
}

QList<native_game_t> native_games(const steam_files_c &files)
{
    QList<native_game_t> candidates;
    QSet<QString> seen;
    for (const QString &library : files.libraries()) {
        const QStringList names =
            QDir(library + "/steamapps/common").entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        // Without folders there is nothing to find: the manifests stay unread.
        if (names.isEmpty())
            continue;
        const QSet<QString> folders(names.cbegin(), names.cend());
        for (const auto &app : files.installed_manifests(library)) {
            if (seen.contains(app.first))
                continue;
            seen.insert(app.first);
            const QString path = library + "/steamapps/common/" + app.second.install_dir;
            // A path cut to the limit would name another folder.
            if (folders.contains(app.second.install_dir) && path.size() <= text_limits::path_length)
                candidates.append({app.first, app.second.name, path});
        }
    }
    QSet<quint32> wanted;
    for (const native_game_t &game : std::as_const(candidates))
        wanted.insert(game.app_id.toUInt());
    // Tools (runtimes, compatibility layers) have manifests and folders too.
    const QHash<quint32, app_info_t> infos = files.app_info(wanted);
    QList<native_game_t> result;
    for (native_game_t game : std::as_const(candidates)) {
        const app_info_t info = infos.value(game.app_id.toUInt());
        if (info.type.toLower() != QLatin1String("game"))
            continue;
        if (game.name.isEmpty())
            game.name = info.name;
        if (!game.name.isEmpty())
            result.append(game);
    }
    return result;
}

} // namespace steam_local
