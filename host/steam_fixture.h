// Writes a made-up Steam installation the way the Steam client lays one out:
// steamapps/libraryfolders.vdf, a manifest per installed application and
// appcache/appinfo.vdf in one of its layouts. The demo seeds its scan with it,
// and the tests and the benchmark build their libraries with it.
#ifndef VORLA_HOST_STEAM_FIXTURE_H
#define VORLA_HOST_STEAM_FIXTURE_H

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace steam_fixture {

struct app_t
{
    quint32 id = 0;
    QString name;
    QString type; // "game", "DLC", "Tool", ...
    QString client_icon;
    QString install_dir;
    // Index into the libraries given to write_installation; -1: no manifest.
    int library = 0;
    // Steam's StateFlags: 4 is fully installed, 1026 an update in progress.
    int state_flags = 4;
    // Whether appinfo.vdf holds an entry for it.
    bool in_app_info = true;
};

// libraryfolders.vdf as current clients write it: numbered sections with "path".
QByteArray library_folders(const QStringList &libraries);
// appmanifest_<id>.acf.
QByteArray manifest(const app_t &app);
// appinfo.vdf of the layout named by magic (0x07564426 to 0x07564429) with an
// entry for each app whose in_app_info is set.
QByteArray app_info(quint32 magic, const QList<app_t> &apps);

// Writes all three under steam_path (libraries[0] is usually steam_path
// itself) and returns false when a file could not be written. Paths may be
// Windows drive paths: the files go where the platform layer maps them, and
// libraryfolders.vdf keeps them as given.
bool write_installation(const QString &steam_path, const QStringList &libraries, const QList<app_t> &apps,
                        quint32 magic = 0x07564429);

} // namespace steam_fixture

#endif
