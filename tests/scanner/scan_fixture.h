// The machine a scan reads, made up for one test. On Linux the module reads
// stand-ins (INI files under $VORLA_REGISTRY_ROOT for the registry, folders
// under $WINEPREFIX for the drives), so they all go into a temporary
// directory. On Windows it reads the registry and the drive paths themselves:
// the fixture writes those and removes what it wrote when it goes. The test
// bodies only name registry keys and drive paths.
#ifndef VORLA_TESTS_SCAN_FIXTURE_H
#define VORLA_TESTS_SCAN_FIXTURE_H

#include "common/platform.h"
#include "quick_launch/item_store.h"
#include "scanner/program_scanner_tool_c.h"

#include <QtTest>

#ifdef Q_OS_WIN
#include <windows.h>
// needs windows.h first
#include <tlhelp32.h>
#endif

namespace scan_fixture {

#ifdef Q_OS_WIN
constexpr bool on_windows = true;
#else
constexpr bool on_windows = false;
#endif

const QString steam_key = QStringLiteral("\\HKEY_CURRENT_USER\\SOFTWARE\\Valve\\Steam");
const QString gog_key = QStringLiteral("\\HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\GOG.com\\Games");

class machine_c
{
public:
    machine_c()
    {
        if (on_windows) {
            // Each scan with Steam applications writes the downloader's job there.
            keys.append("\\HKEY_CURRENT_USER\\Software\\Mirvek\\VORLA_Downloader");
            return;
        }
        qputenv("HOME", dir.path().toUtf8());
        qputenv("WINEPREFIX", (dir.path() + "/wine").toUtf8());
        qputenv("VORLA_REGISTRY_ROOT", (dir.path() + "/registry").toUtf8());
        QDir(dir.path()).mkpath("wine/dosdevices/d:");
    }

    ~machine_c()
    {
        for (const QString &key : std::as_const(keys))
            remove_key(key);
        for (const QString &made : std::as_const(folders))
            QFileInfo(made).isDir() ? QDir(made).removeRecursively() : QFile::remove(made);
    }

    QString path() const { return dir.path(); }

    // "~" stands for the temporary directory, and "D:/" for a drive other
    // than C: Wine's prefix gives Linux one, while on Windows no second letter
    // is certain and the temporary directory's own drive path serves instead.
    QString here(QString text) const
    {
        if (on_windows)
            text.replace("D:/", dir.path() + "/");
        return text.replace(QLatin1Char('~'), dir.path());
    }

    // Where a drive path ("C:/x", "D:\\x") or "~/x" is on disk, letter case as
    // written. The first folder or file it makes outside the temporary directory
    // is removed with the fixture.
    QString local(const QString &path)
    {
        QString local = here(path);
        if (!on_windows && local.size() >= 2 && local.at(1) == QLatin1Char(':')) {
            const QString letter = local.left(1).toLower();
            local = dir.path() +
                    (letter == "c" ? QString("/wine/drive_c") : "/wine/dosdevices/" + letter + ":") +
                    local.mid(2).replace(QLatin1Char('\\'), QLatin1Char('/'));
        }
        QString top = local = QDir::cleanPath(local);
        while (!QFileInfo::exists(QFileInfo(top).path()))
            top = QFileInfo(top).path();
        if (!QFileInfo::exists(top) && !top.startsWith(dir.path()) && !folders.contains(top))
            folders.append(top);
        return local;
    }

    // Each path becomes an empty executable, or a folder when it ends in "/".
    void make(const QStringList &paths)
    {
        for (const QString &path : paths) {
            if (path.endsWith('/'))
                QVERIFY(QDir().mkpath(local(path)));
            else
                write(path, "MZ");
        }
    }

    // "~" in the text stands for the temporary directory too.
    void write(const QString &path, const QString &text)
    {
        QFile file(local(path));
        QVERIFY(QDir().mkpath(QFileInfo(file).path()));
        QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(file.fileName()));
        file.write(here(text).toUtf8());
    }

    // Replaces a registry key by the values of INI text ("[Apps]\n10\\Installed=1").
    void write_key(const QString &key, const QByteArray &ini)
    {
        if (!on_windows)
            return write(native_key(key), ini);
        // The registry takes values, not text: Qt reads the text as it would the file.
        QFile file(dir.path() + "/key.ini");
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(ini) == ini.size());
        file.close();
        const QSettings settings(file.fileName(), QSettings::IniFormat);
        QVariantMap values;
        for (const QString &name : settings.allKeys())
            values.insert(name, settings.value(name));
        write_key(key, values);
    }

    // Replaces a registry key by the values named by their paths ("Apps/10/Installed").
    void write_key(const QString &key, const QVariantMap &values)
    {
        remove_key(key);
        if (on_windows && !keys.contains(key, Qt::CaseInsensitive))
            keys.append(key);
        if (!on_windows)
            QDir().mkpath(QFileInfo(native_key(key)).path());
        QSettings settings(native_key(key), QSettings::NativeFormat);
        for (auto it = values.cbegin(); it != values.cend(); ++it)
            settings.setValue(it.key(), it.value());
    }

    void remove_key(const QString &key)
    {
        const int last = key.lastIndexOf('\\');
        if (on_windows)
            QSettings(native_key(key.left(last)), QSettings::NativeFormat).remove(key.mid(last + 1));
        else
            QFile::remove(native_key(key));
    }

    // The Steam client's key and its icons, which the scanner copies.
    void write_steam(const QString &steam_path, const QVariantMap &installed, const QStringList &icons)
    {
        QVariantMap values{{"SteamPath", steam_path}};
        for (auto it = installed.cbegin(); it != installed.cend(); ++it)
            values.insert("Apps/" + it.key() + "/Installed", it.value());
        write_key(steam_key, values);
        QImage picture(32, 32, QImage::Format_ARGB32);
        picture.fill(Qt::darkRed);
        const QString games = local(steam_path + "/steam/games/");
        QVERIFY(QDir().mkpath(games));
        for (const QString &icon : icons)
            QVERIFY(picture.save(games + "/" + icon + ".ico", "ICO"));
    }

private:
    // Qt knows the registry's roots by their upper-case names only; below
    // them the registry itself ignores letter case.
    static QString native_key(const QString &key)
    {
        if (!on_windows)
            return platform::native_settings_path(key);
        const int root_end = key.indexOf(QLatin1Char('\\'), 1);
        return key.left(root_end).toUpper() + key.mid(root_end);
    }

    QTemporaryDir dir;
    QStringList keys;
    QStringList folders;
};

// What the scanner tells its client; it outlives a scanner the test deletes.
struct scan_record_t
{
    QMutex mutex; // steps arrive on a worker thread
    QList<int> steps;
    int finished = 0;
    int cancelled = 0;
};

// The scanner as its own client, as the scan dialog is.
class scanner_c final : public program_scanner_tool_c, public program_scanner_tool_client_i
{
public:
    explicit scanner_c(scan_record_t &record, bool network = true)
        : program_scanner_tool_c(this), network(network), record(record)
    {}
    bool network;

    bool is_network_available() const override { return network; }
    void *query_interface(const interface_id_t *) override { return nullptr; }
    void release() override {}
    void on_scan_progress(int step) override
    {
        QMutexLocker locker(&record.mutex);
        record.steps.append(step);
    }
    void on_scan_finished() override { ++record.finished; }
    void on_scan_cancelled() override { ++record.cancelled; }

private:
    scan_record_t &record;
};

// "Order where name [dlc] [icon]" for each entry the scanner added (the
// tests' own have IDs from 900 to 999); where is the Steam id or the path.
inline QStringList found(const quick_launch_list_t &list, bool icons = true)
{
    QStringList result;
    for (const quick_launch_item_t &x : list) {
        const bool steam = x.Game_Type == 1;
        if (x.ID >= 900 && x.ID <= 999)
            continue;
        result.append(QStringLiteral("%1 %2 %3%4%5")
                          .arg(QString::number(x.Order), steam ? QString::number(x.Platform_ID) : x.Game_Path,
                               x.Game_Name, x.IS_DLC ? " dlc" : "",
                               icons && QFile::exists(icon_file(x.ID)) ? " icon" : ""));
        if (x.Scaned_Name != (steam ? x.Game_Name : x.Game_Path) || (!steam && x.Platform_ID != 0))
            result.append("bad entry " + x.Scaned_Name);
    }
    return result;
}

// Log lines that contain one of the words, kept for the test to compare.
inline QStringList caught_log;
inline QStringList caught_words;
inline QtMessageHandler previous_handler = nullptr;

inline void catch_log(const QStringList &words)
{
    caught_words = words;
    previous_handler =
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &context, const QString &message) {
            for (const QString &word : std::as_const(caught_words))
                if (message.contains(word))
                    caught_log.append(message.trimmed());
            previous_handler(type, context, message);
        });
}

// Running or unreaped child processes of this one that run program.
inline int children_running(const QString &program)
{
    int count = 0;
#ifdef Q_OS_WIN
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W entry;
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
        if (entry.th32ParentProcessID == GetCurrentProcessId() &&
            QString::fromWCharArray(entry.szExeFile).compare(program, Qt::CaseInsensitive) == 0)
            ++count;
    CloseHandle(snapshot);
#else
    const QByteArray self = QByteArray::number(QCoreApplication::applicationPid());
    for (const QString &pid : QDir("/proc").entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile file("/proc/" + pid + "/stat");
        // "pid (name) state ppid ..."
        const QByteArray stat = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        if (stat.contains("(" + program.toUtf8() + ")") &&
            stat.mid(stat.lastIndexOf(')') + 2).split(' ').value(1) == self)
            ++count;
    }
#endif
    return count;
}

} // namespace scan_fixture

#endif
