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
    explicit key_values_reader_c(const QByteArray &text) : m_at(text.constData()), m_end(m_at + text.size())
    {}

    void read_section(platform::key_values_t &section, int depth)
    {
        QString key;
        QString value;
        for (;;) {
            switch (next(key)) {
            case token_end:
                return;
            case token_close:
                // A stray brace at the top closes nothing.
                if (depth > 0)
                    return;
                continue;
            case token_open:
                // A section without a name cannot be looked up.
                skip_section();
                continue;
            case token_text:
                break;
            }
            switch (next(value)) {
            case token_end:
                return;
            case token_close:
                if (depth > 0)
                    return;
                continue;
            case token_text: {
                platform::key_values_t entry;
                entry.name = key;
                entry.value = value;
                section.children.append(std::move(entry));
                continue;
            }
            case token_open:
                if (depth + 1 >= key_values_depth_limit) {
                    skip_section();
                    continue;
                }
                platform::key_values_t child;
                child.name = key;
                child.is_section = true;
                read_section(child, depth + 1);
                section.children.append(std::move(child));
                continue;
            }
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

    // Every call consumes at least one byte or reports the end, so reading
    // always terminates.
    token_t next(QString &text)
    {
        for (;;) {
            while (m_at < m_end && static_cast<unsigned char>(*m_at) <= ' ')
                ++m_at;
            if (m_at == m_end)
                return token_end;
            const char c = *m_at;
            if (c == '/' && m_at + 1 < m_end && m_at[1] == '/') {
                skip_past('\n');
                continue;
            }
            if (c == '[') {
                // "[$WIN32]" and the like: every platform reads the same entries.
                skip_past(']');
                continue;
            }
            if (c == '{' || c == '}') {
                ++m_at;
                return c == '{' ? token_open : token_close;
            }
            text = c == '"' ? quoted() : bare();
            return token_text;
        }
    }

    void skip_past(char stop)
    {
        while (m_at < m_end && *m_at != stop && *m_at != '\n')
            ++m_at;
        if (m_at < m_end)
            ++m_at;
    }

    QString quoted()
    {
        QByteArray bytes;
        for (++m_at; m_at < m_end && *m_at != '"'; ++m_at) {
            char c = *m_at;
            if (c == '\\' && m_at + 1 < m_end) {
                c = *++m_at;
                if (c == 'n')
                    c = '\n';
                else if (c == 't')
                    c = '\t';
                else if (c != '\\' && c != '"')
                    bytes.append('\\'); // unknown escapes stay as written, like "C:\Games"
            }
            bytes.append(c);
        }
        if (m_at < m_end)
            ++m_at;
        return QString::fromUtf8(bytes);
    }

    QString bare()
    {
        const char *start = m_at;
        while (m_at<m_end &&static_cast<unsigned char>(*m_at)> ' ' && *m_at != '{' && *m_at != '}' &&
               *m_at != '"')
            ++m_at;
        return QString::fromUtf8(start, static_cast<int>(m_at - start));
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

    const char *m_at;
    const char *m_end;
};

// Whoever can write the key or the client's files decides these texts: the
// path is cut, and only ids that are application numbers stay, because each
// goes into a request and is read back as a number.
platform::steam_registry_t checked(platform::steam_registry_t steam)
{
    steam.steam_path = text_limits::capped_path(steam.steam_path);
    QStringList ids;
    for (const QString &id : qAsConst(steam.app_ids)) {
        bool number = false;
        if (text_limits::is_decimal_digits(id, 10) && (id.toInt(&number), number))
            ids.append(id);
    }
    steam.app_ids = ids;
    QStringList not_installed;
    for (const QString &id : qAsConst(steam.not_installed))
        if (ids.contains(id))
            not_installed.append(id);
    steam.not_installed = not_installed;
    return steam;
}

#ifndef Q_OS_WIN
// The Linux Steam client keeps no registry key; its own files tell the same.
platform::steam_registry_t read_steam_client_files()
{
    platform::steam_registry_t result;
    const QString home = QDir::homePath();
    const QStringList candidates = {home + "/.steam/steam", home + "/.local/share/Steam"};
    for (const QString &candidate : candidates) {
        const QFileInfo resolved(QFileInfo(candidate).canonicalFilePath());
        if (resolved.isDir()) {
            result.steam_path = resolved.filePath();
            break;
        }
    }
    QFile file(home + "/.steam/registry.vdf");
    if (!file.open(QIODevice::ReadOnly))
        return result;
    const platform::key_values_t root = platform::read_key_values(file.read(maximum_vdf_size));
    const platform::key_values_t *apps = platform::find_key_values(
        root, {QStringLiteral("Registry"), QStringLiteral("HKCU"), QStringLiteral("Software"),
               QStringLiteral("Valve"), QStringLiteral("Steam"), QStringLiteral("apps")});
    if (apps == nullptr)
        return result;
    for (const platform::key_values_t &app : apps->children) {
        // One registry key per id, whatever case or repetition the text has.
        if (!app.is_section || result.app_ids.contains(app.name, Qt::CaseInsensitive))
            continue;
        result.app_ids.append(app.name);
        const platform::key_values_t *installed =
            platform::find_key_values(app, {QStringLiteral("installed")});
        if (installed != nullptr && !installed->is_section &&
            installed->value.trimmed() == QLatin1String("0"))
            result.not_installed.append(app.name);
    }
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
    steam_registry_t result;
#ifdef Q_OS_WIN
    QSettings settings(key, QSettings::NativeFormat);
    result.steam_path =
        settings.value(matching_name(settings.childKeys(), QStringLiteral("SteamPath"))).toString();
    settings.beginGroup(matching_name(settings.childGroups(), QStringLiteral("Apps")));
    result.app_ids = settings.childGroups();
    for (const QString &id : qAsConst(result.app_ids)) {
        settings.beginGroup(id);
        const QVariant installed =
            settings.value(matching_name(settings.childKeys(), QStringLiteral("Installed")));
        if (installed.isValid() && installed.toString().trimmed() == QLatin1String("0"))
            result.not_installed.append(id);
        settings.endGroup();
    }
#else
    const QString path = native_settings_path(key);
    if (!QFileInfo(path).isFile())
        return checked(read_steam_client_files());
    // The key's file is as open to damage as any other settings file.
    const settings_file_c settings(path);
    result.steam_path =
        settings.value(matching_name(settings.child_keys(), QStringLiteral("SteamPath"))).toString();
    const QString apps = matching_name(settings.child_groups(), QStringLiteral("Apps"));
    result.app_ids = settings.child_groups(apps);
    for (const QString &id : qAsConst(result.app_ids)) {
        const QString group = apps + "/" + id;
        const QVariant installed = settings.value(
            group + "/" + matching_name(settings.child_keys(group), QStringLiteral("Installed")));
        if (installed.isValid() && installed.toString().trimmed() == QLatin1String("0"))
            result.not_installed.append(id);
    }
#endif
    return checked(result);
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
