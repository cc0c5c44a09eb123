// Readers of the lists in which other game launchers record what they
// installed: Epic Games' manifests, GOG Galaxy's registry key, and on Linux
// Legendary's installed.json (Heroic keeps its own copy). Each gives the name
// and the executable of every game it lists; whether the executable exists is
// left to the end of the scan. Kept apart from the scanner so that the readers
// can be tested and fuzzed on plain bytes.
//
// These files belong to other programs: a damaged or hostile one gives fewer
// games, never a crash. Names are cut to text_limits::name_length; a path that
// would be longer than text_limits::path_length, is not absolute, or whose
// relative part would lead out of the folder it is joined to gives no game.
#ifndef VORLA_LAUNCHER_MANIFESTS_H
#define VORLA_LAUNCHER_MANIFESTS_H

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

struct launcher_game_t
{
    QString name;
    // Full path of the executable; a Windows path uses "/" between its parts.
    QString path;
};
using launcher_games_t = QVector<launcher_game_t>;

namespace launcher_manifests {

// Per launcher; more than any real installation holds. Each new entry's ID
// costs the GUI thread at least a millisecond (IDs are drawn from the clock's
// milliseconds), and with a thousand entries those draws run short.
constexpr int maximum_games = 250;

// One Epic manifest (JSON): "DisplayName", and "InstallLocation" joined with
// "LaunchExecutable". None while "bIsIncompleteInstall" is true.
launcher_games_t read_epic_manifest(const QByteArray &json);
// Every "*.item" file of the manifest folder (a Windows path), by file name.
launcher_games_t read_epic_manifests(const QString &directory);

// Each sub-key of GOG Galaxy's "Games" key (a registry key as
// platform::native_settings_path takes it): "gameName", and "exe", or else
// "path" joined with "exeFile". Value names in any letter case.
launcher_games_t read_gog_games(const QString &key);

// Legendary's installed.json: an object with one object per game holding
// "title", and "install_path" joined with "executable".
launcher_games_t read_legendary_installed(const QByteArray &json);
// The installed.json files in order; missing ones give nothing.
launcher_games_t read_legendary_files(const QStringList &paths);
// Where Heroic (also as a Flatpak) and Legendary keep installed.json on
// Linux, under $XDG_CONFIG_HOME or ~/.config; none on Windows, where the
// Epic launcher's own manifests are read instead.
QStringList legendary_files();

// base + "/" + relative, when base is absolute and every part of relative
// (split at either separator) is a plain file name; otherwise empty.
QString joined_path(const QString &base, const QString &relative);

} // namespace launcher_manifests

#endif
