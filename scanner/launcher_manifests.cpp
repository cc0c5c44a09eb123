#include "scanner/launcher_manifests.h"

#include "common/platform.h"
#include "common/settings_file_c.h"
#include "common/text_limits.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSettings>

namespace {
// Epic manifests are a few kilobytes; an installed.json a few hundred bytes a
// game. Both are parsed on the GUI thread, so larger files are skipped unread.
const qint64 maximum_manifest_size = 1024 * 1024;
// All manifests together: a folder filled with large ones must not hold up the scan.
const qint64 maximum_manifests_size = 16 * 1024 * 1024;
const qint64 maximum_installed_size = 8 * 1024 * 1024;

// "C:/x", "c:\\x": the drive paths that Windows programs write, which
// platform::local_path finds on Linux too.
bool is_drive_path(const QString &path)
{
    return path.size() >= 3 && path.at(0).isLetter() && path.at(0).unicode() < 128 &&
           path.at(1) == QLatin1Char(':') &&
           (path.at(2) == QLatin1Char('/') || path.at(2) == QLatin1Char('\\'));
}

// The path with "/" between the parts of a Windows path and no trailing
// separator; empty when it is not absolute or holds a NUL, which would end
// it early in a system call.
QString absolute_path(QString path)
{
    if (path.contains(QChar()))
        return QString();
#ifdef Q_OS_WIN
    if (!is_drive_path(path) && !path.startsWith(QLatin1String("\\\\")) &&
        !path.startsWith(QLatin1String("//")))
        return QString();
#else
    if (!is_drive_path(path))
        return path.startsWith(QLatin1Char('/')) ? path : QString();
#endif
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    while (path.size() > 3 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path;
}

QString checked_path(const QString &path)
{
    const QString absolute = absolute_path(path);
    return absolute.size() <= text_limits::path_length ? absolute : QString();
}

// Strings only: a number or an object is no name and no path.
QString text_of(const QJsonObject &object, const QString &key)
{
    return object.value(key).toString();
}

// A name is shown on one line of a row: control characters (line ends, NUL) become spaces.
QString one_line(const QString &name)
{
    QString line = name;
    for (QChar &c : line)
        if (c.category() == QChar::Other_Control)
            c = QLatin1Char(' ');
    return line.simplified();
}

void append_game(launcher_games_t &games, const QString &name, const QString &path)
{
    const QString title = text_limits::capped_name(one_line(name));
    if (!title.isEmpty() && !path.isEmpty() && games.size() < launcher_manifests::maximum_games)
        games.append({title, path});
}

// The whole file, or nothing when it is larger than limit.
QByteArray read_small_file(const QString &path, qint64 limit)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > limit)
        return QByteArray();
    return file.read(limit);
}

// A value of a registry key, its name in any letter case as the registry ignores it.
QString registry_value(const QMap<QString, QString> &values, const QString &name)
{
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        if (it.key().compare(name, Qt::CaseInsensitive) == 0)
            return it.value();
    return QString();
}

// Sub-key name to its values, for at most maximum_games sub-keys.
QMap<QString, QMap<QString, QString>> read_sub_keys(const QString &key)
{
    QMap<QString, QMap<QString, QString>> result;
#ifdef Q_OS_WIN
    QSettings settings(key, QSettings::NativeFormat);
    const QStringList groups = settings.childGroups().mid(0, launcher_manifests::maximum_games);
    for (const QString &group : groups) {
        settings.beginGroup(group);
        for (const QString &name : settings.childKeys())
            result[group][name] = settings.value(name).toString();
        settings.endGroup();
    }
#else
    // Elsewhere the key is a settings file, as open to damage as any other.
    const settings_file_c settings(platform::native_settings_path(key));
    const QStringList groups = settings.child_groups().mid(0, launcher_manifests::maximum_games);
    for (const QString &group : groups) {
        for (const QString &name : settings.child_keys(group)) {
            const QVariant value = settings.value(group + QLatin1Char('/') + name);
            // Only a file written by hand has unquoted commas, which the store reads as a list.
            result[group][name] = value.type() == QVariant::StringList
                                      ? value.toStringList().join(QLatin1String(", "))
                                      : value.toString();
        }
    }
#endif
    return result;
}
} // namespace

namespace launcher_manifests {

QString joined_path(const QString &base, const QString &relative)
{
    const QString folder = absolute_path(base);
    const QStringList parts = QString(relative)
                                  .replace(QLatin1Char('\\'), QLatin1Char('/'))
                                  .split(QLatin1Char('/'), Qt::SkipEmptyParts);
    if (folder.isEmpty() || parts.isEmpty())
        return QString();
    for (const QString &part : parts)
        if (!text_limits::is_plain_file_name(part))
            return QString();
    const QString separator = folder.endsWith(QLatin1Char('/')) ? QString() : QStringLiteral("/");
    return checked_path(folder + separator + parts.join(QLatin1Char('/')));
}

launcher_games_t read_epic_manifest(const QByteArray &json)
{
    launcher_games_t games;
    const QJsonObject manifest = QJsonDocument::fromJson(json).object();
    // Written as a JSON true, but a text "true" means the same to a reader.
    if (manifest.value(QStringLiteral("bIsIncompleteInstall")).toVariant().toBool())
        return games;
    append_game(games, text_of(manifest, QStringLiteral("DisplayName")),
                joined_path(text_of(manifest, QStringLiteral("InstallLocation")),
                            text_of(manifest, QStringLiteral("LaunchExecutable"))));
    return games;
}

launcher_games_t read_epic_manifests(const QString &directory)
{
    launcher_games_t games;
    const QDir folder(platform::local_path(directory));
    const QStringList names = folder.entryList({QStringLiteral("*.item")}, QDir::Files, QDir::Name);
    qint64 budget = maximum_manifests_size;
    for (const QString &name : names) {
        if (games.size() >= maximum_games || budget <= 0)
            break;
        const QByteArray manifest = read_small_file(folder.filePath(name), maximum_manifest_size);
        budget -= qMax(manifest.size(), 1);
        games += read_epic_manifest(manifest);
    }
    return games;
}

launcher_games_t read_gog_games(const QString &key)
{
    launcher_games_t games;
    const QMap<QString, QMap<QString, QString>> sub_keys = read_sub_keys(key);
    for (const QMap<QString, QString> &values : sub_keys) {
        QString path = checked_path(registry_value(values, QStringLiteral("exe")));
        if (path.isEmpty())
            path = joined_path(registry_value(values, QStringLiteral("path")),
                               registry_value(values, QStringLiteral("exeFile")));
        append_game(games, registry_value(values, QStringLiteral("gameName")), path);
    }
    return games;
}

launcher_games_t read_legendary_installed(const QByteArray &json)
{
    launcher_games_t games;
    const QJsonObject installed = QJsonDocument::fromJson(json).object();
    for (auto it = installed.constBegin(); it != installed.constEnd() && games.size() < maximum_games; ++it) {
        const QJsonObject game = it.value().toObject();
        append_game(games, text_of(game, QStringLiteral("title")),
                    joined_path(text_of(game, QStringLiteral("install_path")),
                                text_of(game, QStringLiteral("executable"))));
    }
    return games;
}

launcher_games_t read_legendary_files(const QStringList &paths)
{
    launcher_games_t games;
    for (const QString &path : paths)
        if (QFileInfo(path).isFile())
            games += read_legendary_installed(read_small_file(path, maximum_installed_size));
    return games.mid(0, maximum_games);
}

QStringList legendary_files()
{
#ifdef Q_OS_WIN
    return {};
#else
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!config.startsWith(QLatin1Char('/')))
        config = QDir::homePath() + QStringLiteral("/.config");
    const QString installed = QStringLiteral("/legendary/installed.json");
    const QString heroic = QStringLiteral("/heroic/legendaryConfig") + installed;
    return {config + heroic,
            QDir::homePath() + QStringLiteral("/.var/app/com.heroicgameslauncher.hgl/config") + heroic,
            config + installed};
#endif
}

} // namespace launcher_manifests
