// The Windows places the module reads (the registry, drive paths, the shell's
// file icons), mapped onto a Linux desktop so that the same code runs there
// and tests can point it at a temporary tree. On Windows each mapping is the
// identity.
#ifndef VORLA_PLATFORM_H
#define VORLA_PLATFORM_H

#include <QByteArray>
#include <QIcon>
#include <QImage>
#include <QString>
#include <QStringList>
#include <QVector>

namespace platform {

// Registry

// The directory that stands for the registry: $VORLA_REGISTRY_ROOT, else
// "vorla_registry" in the generic configuration location. Unused on Windows.
QString registry_root();

// What to open with QSettings(..., QSettings::NativeFormat) for a registry key
// such as "\HKEY_CURRENT_USER\SOFTWARE\Valve\Steam": the key itself on Windows,
// elsewhere the INI file registry_root() + "/HKEY_CURRENT_USER/SOFTWARE/Valve/Steam.ini".
QString native_settings_path(const QString &key);

struct steam_registry_t
{
    QString steam_path;
    QStringList app_ids;
    // The ids whose sub-key says "Installed" 0; a missing value says nothing.
    QStringList not_installed;
};

// The Steam client's key: its "SteamPath" value, the names of the sub-keys of
// "Apps" and their "Installed" values, letter case ignored as the registry
// ignores it. On Linux, when the key is absent, the Linux client's own files
// stand in: the ids come from ~/.steam/registry.vdf and the path is
// ~/.steam/steam or ~/.local/share/Steam with symbolic links resolved.
// Anything missing reads as empty.
steam_registry_t read_steam_registry(const QString &key);

// KeyValues text (Steam's ".vdf")

// A named value, or a named section of such entries.
struct key_values_t
{
    QString name;
    QString value;
    QVector<key_values_t> children;
    bool is_section = false;
};

// Reads KeyValues text into a section without a name: quoted or bare strings,
// the escapes \n \t \\ \", "//" comments, "[$...]" conditions (skipped) and
// nested braces. Damaged text gives what could be read before and around the
// damage; sections nested deeper than a fixed limit are skipped.
key_values_t read_key_values(const QByteArray &text);

// The entry reached from node through the names of path, each compared
// without letter case; null when one is missing.
const key_values_t *find_key_values(const key_values_t &node, const QStringList &path);

// Drive paths

// $WINEPREFIX, else ~/.wine.
QString wine_prefix();

// The file-system path of a Windows drive path ("C://Program Files (x86)//x",
// "c:\\x", "D:/x"): drive C is wine_prefix() + "/drive_c", another drive X its
// "dosdevices/x:" when that exists, else "drive_x". Each part takes the letter
// case it has on disk, as Windows would find it. Other paths, and every path
// on Windows, come back unchanged.
QString local_path(const QString &path);

// Icons

// The largest of the pictures in an image file (an ".ico" holds several):
// starting from 1x1, a picture counts only when it is wider and taller than the
// one chosen so far. Null when Qt cannot read the file as a picture. Safe on
// any thread.
QImage largest_picture(const QString &path);

// The icon the desktop shows for a file; null for a missing file. On Linux a
// file that Qt reads as a picture is its own icon, because the file-icon
// provider only knows generic ones. GUI thread only.
QIcon file_icon(const QString &path);

} // namespace platform

#endif
