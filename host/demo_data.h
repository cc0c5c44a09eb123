// Demo content for the stand-in control centre: quick-launch lists with icons,
// and a folder of made-up game executables to pick in the module's file
// browser. The files are written where the module reads them, as the module
// itself would have saved them.
#ifndef VORLA_HOST_DEMO_DATA_H
#define VORLA_HOST_DEMO_DATA_H

#include <QList>
#include <QString>
#include <QStringList>

namespace demo_data {

// Writes the games and programs item files and their icons into the module's
// icon directory. Without force, item files that already exist are kept: by
// then they are the user's lists. Returns whether the lists were written.
bool seed_quick_launch(bool force);

// The folder of made-up executables, created and filled when missing.
QString games_folder();

// Whether seed_scan_environment may write: always where the registry and the
// drives are the module's stand-ins, on Windows only inside Wine, so that a
// real user's registry and drive C never get made-up games.
bool scan_can_be_seeded();

// A made-up installation for the game scanner: launchers on drive C (Epic
// Games manifests among them), registry keys with GOG Galaxy's games and with
// the Steam key and its applications, and under the user data home the Steam
// client's icon files and its own files (two libraries with manifests, and an
// appinfo.vdf that describes three of the applications). Except on Windows,
// drive C and the registry are stand-ins under the user data home, and this
// process's WINEPREFIX and VORLA_REGISTRY_ROOT point at them, so the module
// finds them. Returns the Steam application ids of the key; none, with one
// log line, when the scan cannot be seeded.
QStringList seed_scan_environment();

// Removes what seed_scan_environment wrote, for a process that seeded only to
// look at a scan and must leave the machine as it found it.
void remove_scan_environment();

// Name, type and icon of a made-up Steam application, as the web service
// describes it; empty for an unknown id.
struct steam_app_t
{
    QString id;
    QString type;
    QString name;
    QString client_icon;
};
QList<steam_app_t> steam_apps();

} // namespace demo_data

#endif
