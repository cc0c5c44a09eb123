// What the Steam client's own files say about the applications on this
// machine: its library folders (steamapps/libraryfolders.vdf), one manifest
// per installed application (steamapps/appmanifest_<id>.acf) and its cache of
// application information (appcache/appinfo.vdf). Reading them spares the
// scan one download per application. Every reader takes bytes that anyone may
// have written: sizes, depth and counts are bounded, and damage reads as "not
// known here", which leaves the application to the web lookup.
#ifndef VORLA_STEAM_LOCAL_H
#define VORLA_STEAM_LOCAL_H

#include "scanner/steam_app_info.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

namespace steam_local {

// Text files (the folder list, manifests) are a few kilobytes; larger ones are
// not Steam's and are left unread.
constexpr qint64 max_text_file_size = 1024 * 1024;
// appinfo.vdf holds every application the client has seen, often hundreds of
// megabytes; it is mapped, never read whole.
constexpr qint64 max_app_info_size = qint64(4) * 1024 * 1024 * 1024;

// The appinfo.vdf layouts this reader knows. 0x07564426 and 0x07564427 share
// one layout; 0x07564428 adds a hash of the binary data to each entry;
// 0x07564429 stores key names as indexes into a string table at the end of
// the file, whose offset follows the universe in the header.
constexpr quint32 app_info_magic_26 = 0x07564426;
constexpr quint32 app_info_magic_27 = 0x07564427;
constexpr quint32 app_info_magic_28 = 0x07564428;
constexpr quint32 app_info_magic_29 = 0x07564429;

// The library paths of libraryfolders.vdf as written there, in file order: the
// "path" of each numbered section, or the value of a numbered key as older
// clients wrote it. Paths longer than text_limits::path_length are left out.
QStringList read_library_folders(const QByteArray &text);

struct manifest_t
{
    QString name; // cut to text_limits::name_length
    // A plain folder name under steamapps/common, or empty.
    QString install_dir;
    // StateFlags has bit 4: the download is complete.
    bool installed = false;
};
// One appmanifest_<id>.acf ("AppState" with "name", "installdir", "StateFlags").
manifest_t read_manifest(const QByteArray &text);

struct app_info_t
{
    QString name; // cut to text_limits::name_length
    QString type;
    // 40 hexadecimal digits or empty, as Steam names its icon files.
    QString client_icon;
};
// The "common" section of each wanted application in an appinfo.vdf image.
// An unknown magic or a damaged header gives nothing; a damaged entry (cut
// short, a string-table index out of range, a token over the size limit,
// nesting too deep) gives nothing for its application.
QHash<quint32, app_info_t> read_app_info(const QByteArray &image, const QSet<quint32> &wanted);

// The files of one Steam installation, for the scanner.
class steam_files_c
{
public:
    // steam_path as the Steam key holds it (a Windows path under Wine).
    explicit steam_files_c(const QString &steam_path);

    // Local paths of the libraries, the Steam folder first, each once.
    const QStringList &libraries() const { return library_folders; }
    // Whether some library holds a manifest for id that reads as installed;
    // *manifest receives the first such.
    bool installed_manifest(const QString &id, manifest_t *manifest) const;
    // The installed manifests of one library with their ids, in numeric order.
    QList<QPair<QString, manifest_t>> installed_manifests(const QString &library) const;
    // read_app_info over the client's appinfo.vdf; empty without one.
    QHash<quint32, app_info_t> app_info(const QSet<quint32> &wanted) const;
    bool has_app_info() const;

private:
    // Local path of the Steam folder.
    QString steam_folder;
    QStringList library_folders;
};

// What the local files say about one application id of the Steam key.
enum class local_state_t
{
    unknown,       // left to the web lookup
    resolved,      // record is complete: no download
    not_installed, // the key says Installed 0 and no manifest says otherwise
};
struct local_app_t
{
    local_state_t state = local_state_t::unknown;
    steam_app_record record;
};
// One answer per id. not_installed holds the ids whose key entry says
// Installed 0. An id is resolved when appinfo.vdf gives its type; its name
// comes from there or else from its manifest.
QHash<QString, local_app_t> resolve_apps(const steam_files_c &files, const QStringList &ids,
                                         const QStringList &not_installed);

// A game of the Linux client, found by its folder.
struct native_game_t
{
    QString app_id;
    QString name;
    QString path; // <library>/steamapps/common/<installdir>, an existing folder
};
// The installed applications whose appinfo.vdf type is "game" and whose
// folder exists, in library order.
QList<native_game_t> native_games(const steam_files_c &files);

} // namespace steam_local

#endif
