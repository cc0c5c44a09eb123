#include "common/platform.h"

#include "common/settings_file_c.h"
#include "common/text_limits.h"

#include <QDir>
#include <QFile>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QImageReader>
#include <QSettings>
#include <QStandardPaths>

namespace {
// Real registry.vdf files nest seven levels; deeper text is damaged or hostile
// and only has to be skipped without growing the stack.
const int key_values_depth_limit = 32;
// A registry.vdf is a few kilobytes, some hundred with thousands of
// applications. It is parsed on the GUI thread, twice per scan, at about
// 50 ms a megabyte, so only its start is read.
const qint64 maximum_vdf_size = 2 * 1024 * 1024;
// An icon file lists a handful of sizes; a damaged one may claim thousands.
const int maximum_pictures = 64;

// The registry and Windows paths ignore letter case, Linux names do not: an
// exact match wins, then the first that differs only in case, else name itself.
QString matching_name(const QStringList &names, const QString &name)
{
    if (names.contains(name))
        return name;
    for (const QString &candidate : names)
        if (candidate.compare(name, Qt::CaseInsensitive) == 0)
            return candidate;
    return name;
}

#ifndef Q_OS_WIN
QStringList path_parts(const QString &path)
{
    return QString(path)
        .replace(QLatin1Char('\\'), QLatin1Char('/'))
        .split(QLatin1Char('/'), Qt::SkipEmptyParts);
}

// Appends parts to base, each in the letter case it has on disk when the exact
// name is missing. Parts below a missing one are taken as written.
QString resolve_parts(QString path, const QStringList &parts)
{
    bool on_disk = QFileInfo(path).isDir();
    for (const QString &part : parts) {
        QString next = path + QLatin1Char('/') + part;
        if (on_disk && !QFileInfo::exists(next)) {
            const QStringList names =
                QDir(path).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
            next = path + QLatin1Char('/') + matching_name(names, part);
            on_disk = QFileInfo::exists(next);
        }
        path = next;
    }
    return path;
}
#endif

class key_values_reader_c
{
public:
    explicit key_values_reader_c(const QByteArray &text) : at(text.constData()), end(at + text.size()) {}

    // Entries up to the section's closing brace or the end of the text.
    void read_section(platform::key_values_t &section, int depth)
    {
        QString key;
        for (;;) {
            const token_t token = next(key);
            if (closes(token, depth))
                return;
            if (token == token_open)
                skip_section(); // a section without a name cannot be looked up
            else if (token == token_text && !read_entry(key, section, depth))
                return;
        }
    }

private:
    enum token_t
    {
        token_end,
        token_text,
        token_open,
        token_close,
    };

    // The end of the text or of a nested section; a stray brace at the top
    // closes nothing.
    static bool closes(token_t token, int depth)
    {
        return token == token_end || (token == token_close && depth > 0);
    }

    // The value or section named `key`; false when the section ends instead.
    bool read_entry(const QString &key, platform::key_values_t &section, int depth)
    {
        platform::key_values_t entry;
        entry.name = key;
        const token_t token = next(entry.value);
        if (closes(token, depth))
            return false;
        if (token == token_close)
            return true; // a stray brace at the top: the key goes without a value
        if (token == token_open) {
            if (depth + 1 >= key_values_depth_limit) {
                skip_section();
                return true;
            }
            entry.is_section = true;
            read_section(entry, depth + 1);
        }
        section.children.append(std::move(entry));
        return true;
    }

    // Every call consumes at least one byte or reports the end, so reading
    // always terminates.
    token_t next(QString &text)
    {
        for (;;) {
            while (at < end && static_cast<unsigned char>(*at) <= ' ')
                ++at;
            if (at == end)
                return token_end;
            const char c = *at;
            if (c == '/' && at + 1 < end && at[1] == '/') {
                skip_past('\n');
                continue;
            }
            if (c == '[') {
                // "[$WIN32]" and the like: every platform reads the same entries.
                skip_past(']');
                continue;
            }
            if (c == '{' || c == '}') {
                ++at;
                return c == '{' ? token_open : token_close;
            }
            text = c == '"' ? quoted() : bare();
            return token_text;
        }
    }

    void skip_past(char stop)
    {
        while (at < end && *at != stop && *at != '\n')
            ++at;
        if (at < end)
            ++at;
    }

    QString quoted()
    {
        QByteArray bytes;
        for (++at; at < end && *at != '"'; ++at) {
            char c = *at;
            if (c == '\\' && at + 1 < end) {
                c = *++at;
                if (c == 'n')
                    c = '\n';
                else if (c == 't')
                    c = '\t';
                else if (c != '\\' && c != '"')
                    bytes.append('\\'); // unknown escapes stay as written, like "C:\Games"
            }
            bytes.append(c);
        }
        if (at < end)
            ++at;
        return QString::fromUtf8(bytes);
    }

    QString bare()
    {
        const char *start = at;
        while (at<end &&static_cast<unsigned char>(*at)> ' ' && *at != '{' && *at != '}' && *at != '"')
            ++at;
        return QString::fromUtf8(start, static_cast<int>(at - start));
    }

    // Skips the rest of a section whose opening brace was read; nesting is
    // counted, not recursed into.
    void skip_section()
    {
        QString ignored;
        for (int open = 1; open > 0;) {
            const token_t token = next(ignored);
            if (token == token_end)
                return;
            if (token == token_open)
                ++open;
            else if (token == token_close)
                --open;
        }
    }

    const char *at;
    const char *end;
};

// Whoever can write the key or the client's files decides these texts: the
// path is cut, and only ids that are application numbers stay, because each
// goes into a request and is read back as a number.
platform::steam_registry_t checked(platform::steam_registry_t steam)
{
    steam.steam_path = text_limits::capped_path(steam.steam_path);
    QStringList ids;
    for (const QString &id : std::as_const(steam.app_ids)) {
        bool number = false;
        if (text_limits::is_decimal_digits(id, 10) && (id.toInt(&number), number))
            ids.append(id);
    }
    steam.app_ids = ids;
    QStringList not_installed;
    for (const QString &id : std::as_const(steam.not_installed))
        if (ids.contains(id))
            not_installed.append(id);
    steam.not_installed = not_installed;
    return steam;
}

// An "Installed" value of 0; a missing value says nothing.
bool says_not_installed(const QVariant &installed)
{
    return installed.isValid() && installed.toString().trimmed() == QLatin1String("0");
}

#ifdef Q_OS_WIN
platform::steam_registry_t read_key(const QString &key)
{
    platform::steam_registry_t result;
    QSettings settings(key, QSettings::NativeFormat);
    result.steam_path =
        settings.value(matching_name(settings.childKeys(), QStringLiteral("SteamPath"))).toString();
    settings.beginGroup(matching_name(settings.childGroups(), QStringLiteral("Apps")));
    result.app_ids = settings.childGroups();
    for (const QString &id : std::as_const(result.app_ids)) {
        settings.beginGroup(id);
        if (says_not_installed(
                settings.value(matching_name(settings.childKeys(), QStringLiteral("Installed")))))
            result.not_installed.append(id);
        settings.endGroup();
    }
    return result;
}
#else
// The key's file is as open to damage as any other settings file.
platform::steam_registry_t read_key_file(const QString &path)
{
    platform::steam_registry_t result;
    const settings_file_c settings(path);
    result.steam_path =
        settings.value(matching_name(settings.child_keys(), QStringLiteral("SteamPath"))).toString();
    const QString apps = matching_name(settings.child_groups(), QStringLiteral("Apps"));
    result.app_ids = settings.child_groups(apps);
    for (const QString &id : std::as_const(result.app_ids)) {
        const QString group = apps + "/" + id;
        if (says_not_installed(settings.value(
                group + "/" + matching_name(settings.child_keys(group), QStringLiteral("Installed")))))
            result.not_installed.append(id);
    }
    return result;
}

// The first of the Linux client's folders that exists, links resolved.
QString steam_client_path()
{
    const QString home = QDir::homePath();
    const QStringList candidates = {home + "/.steam/steam", home + "/.local/share/Steam"};
    for (const QString &candidate : candidates) {
        const QFileInfo resolved(QFileInfo(candidate).canonicalFilePath());
        if (resolved.isDir())
            return resolved.filePath();
    }
    return QString();
}

// The application ids of the client's registry.vdf, into `result`.
void read_client_apps(platform::steam_registry_t &result)
{
    QFile file(QDir::homePath() + "/.steam/registry.vdf");
    if (!file.open(QIODevice::ReadOnly))
        return;
    const platform::key_values_t root = platform::read_key_values(file.read(maximum_vdf_size));
    const platform::key_values_t *apps = platform::find_key_values(
        root, {QStringLiteral("Registry"), QStringLiteral("HKCU"), QStringLiteral("Software"),
               QStringLiteral("Valve"), QStringLiteral("Steam"), QStringLiteral("apps")});
    if (apps == nullptr)
        return;
    for (const platform::key_values_t &app : apps->children) {
        // One registry key per id, whatever case or repetition the text has.
        if (!app.is_section || result.app_ids.contains(app.name, Qt::CaseInsensitive))
            continue;
        result.app_ids.append(app.name);
        const platform::key_values_t *installed =
            platform::find_key_values(app, {QStringLiteral("installed")});
        if (installed != nullptr && !installed->is_section && says_not_installed(installed->value))
            result.not_installed.append(app.name);
    }
}

// The Linux Steam client keeps no registry key; its own files tell the same.
platform::steam_registry_t read_steam_client_files()
{
    platform::steam_registry_t result;
    result.steam_path = steam_client_path();
    read_client_apps(result);
    return result;
}
#endif
} // namespace

namespace platform {

QString registry_root()
{
    const QString root = qEnvironmentVariable("VORLA_REGISTRY_ROOT");
    if (!root.isEmpty())
        return QDir::cleanPath(root);
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/vorla_registry";
}

QString native_settings_path(const QString &key)
{
#ifdef Q_OS_WIN
    return key;
#else
    QStringList parts = path_parts(key);
    if (parts.isEmpty())
        parts.append(QString());
    parts.last() += QStringLiteral(".ini");
    return resolve_parts(registry_root(), parts);
#endif
}

steam_registry_t read_steam_registry(const QString &key)
{
#ifdef Q_OS_WIN
    return checked(read_key(key));
#else
    const QString path = native_settings_path(key);
    return checked(QFileInfo(path).isFile() ? read_key_file(path) : read_steam_client_files());
#endif
}

key_values_t read_key_values(const QByteArray &text)
{
    key_values_t root;
    root.is_section = true;
    key_values_reader_c(text).read_section(root, 0);
    return root;
}

const key_values_t *find_key_values(const key_values_t &node, const QStringList &path)
{
    const key_values_t *at = &node;
    for (const QString &name : path) {
        const key_values_t *found = nullptr;
        for (const key_values_t &child : at->children) {
            if (child.name.compare(name, Qt::CaseInsensitive) == 0) {
                found = &child;
                break;
            }
        }
        if (found == nullptr)
            return nullptr;
        at = found;
    }
    return at;
}

QString wine_prefix()
{
    const QString prefix = qEnvironmentVariable("WINEPREFIX");
    return prefix.isEmpty() ? QDir::homePath() + "/.wine" : QDir::cleanPath(prefix);
}

QString local_path(const QString &path)
{
#ifdef Q_OS_WIN
    return path;
#else
    const ushort letter = path.isEmpty() ? 0 : path.at(0).toLower().unicode();
    const bool drive =
        letter >= 'a' && letter <= 'z' && path.size() >= 2 && path.at(1) == QLatin1Char(':') &&
        (path.size() == 2 || path.at(2) == QLatin1Char('/') || path.at(2) == QLatin1Char('\\'));
    if (!drive)
        return path;
    const QString prefix = wine_prefix();
    const QChar name(letter);
    QString base = prefix + "/drive_" + name;
    const QString device = prefix + "/dosdevices/" + name + ":";
    if (letter != 'c' && QFileInfo::exists(device))
        base = device;
    return resolve_parts(base, path_parts(path.mid(2)));
#endif
}

QImage largest_picture(const QString &path)
{
    QImageReader reader(path);
    if (!reader.canRead())
        return QImage();
    const int count = qBound(1, reader.imageCount(), maximum_pictures);
    QImage chosen;
    for (int i = 0; i < count; ++i) {
        if (i > 0 && !reader.jumpToImage(i))
            break;
        const QImage picture = reader.read();
        if (picture.isNull())
            continue;
        const QSize least = chosen.isNull() ? QSize(1, 1) : chosen.size();
        // A picture one pixel wide is still better than none.
        if (chosen.isNull() || (picture.width() > least.width() && picture.height() > least.height()))
            chosen = picture;
    }
    return chosen;
}

QIcon file_icon(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return QIcon();
#ifndef Q_OS_WIN
    if (!QImageReader::imageFormat(path).isEmpty())
        return QIcon(path);
#endif
    return QFileIconProvider().icon(info);
}

} // namespace platform
