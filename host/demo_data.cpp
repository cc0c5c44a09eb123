#include "host/demo_data.h"

#include "common/global_func_c.h"
#include "host/steam_fixture.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSettings>
#include <QStandardPaths>

#include <memory>

namespace {

struct demo_entry_t
{
    int id;
    const char *name;
    const char *file;
    const char *icon;
};

// IDs stay below the module's random ones in practice, and the icons are
// named after them, as the module names an entry's icon.
const demo_entry_t demo_games[] = {
    {4101, "Starfall Odyssey", "Starfall Odyssey/starfall.exe", "starfall"},
    {4102, "Iron Tide: Naval Command", "Iron Tide/IronTide.exe", "iron_tide"},
    {4103, "Pixel Racer Turbo", "Pixel Racer/racer.exe", "pixel_racer"},
};
const demo_entry_t demo_programs[] = {
    {4201, "Voice Chat", "Voice Chat/voicechat.exe", "voice_chat"},
    {4202, "Screen Capture Studio", "Capture Studio/capture.exe", "capture"},
};

template <size_t count>
void write_list(const QString &file_name, const demo_entry_t (&entries)[count], const QString &folder)
{
    const QString icons = global_func_c::shared()->icon_directory();
    QFile::remove(icons + file_name);
    QSettings settings(icons + file_name, QSettings::IniFormat);
    for (size_t i = 0; i < count; ++i) {
        const demo_entry_t &entry = entries[i];
        settings.beginGroup(QString::number(i));
        settings.setValue(QStringLiteral("ID"), entry.id);
        settings.setValue(QStringLiteral("Game_Name"), QString::fromUtf8(entry.name));
        settings.setValue(QStringLiteral("Game_Path"),
                          QString(folder + QLatin1Char('/') + QLatin1String(entry.file)));
        settings.setValue(QStringLiteral("Order"), static_cast<int>(i));
        settings.setValue(QStringLiteral("Scaned_Name"), QString());
        settings.setValue(QStringLiteral("Game_Type"), 0);
        settings.setValue(QStringLiteral("Platform_ID"), 0);
        settings.setValue(QStringLiteral("IS_DLC"), false);
        settings.endGroup();
        QImage(QStringLiteral(":/graphics/demo/%1.png").arg(QLatin1String(entry.icon)))
            .save(icons + QString::number(entry.id) + QStringLiteral(".png"));
    }
}

// A made-up program. With an icon it holds just that picture: the desktop
// here cannot read icons out of Windows programs, but takes a file that is a
// picture as its own icon, so adding it by hand shows a real icon.
void make_executable(const QString &path, const char *icon = nullptr)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (file.exists() || !file.open(QIODevice::WriteOnly))
        return;
    if (icon != nullptr) {
        QFile picture(QStringLiteral(":/graphics/demo/%1.png").arg(QLatin1String(icon)));
        if (picture.open(QIODevice::ReadOnly))
            file.write(picture.readAll());
    } else {
        file.write("MZ"); // enough to look like a Windows program to a file browser
    }
}

// A demo icon in other colours, so that each launcher's game looks its own.
QImage hue_turned(const char *icon, int degrees)
{
    QImage image = QImage(QStringLiteral(":/graphics/demo/%1.png").arg(QLatin1String(icon)))
                       .convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            QColor colour = image.pixelColor(x, y);
            if (colour.hsvHue() >= 0)
                colour.setHsv((colour.hsvHue() + degrees) % 360, colour.hsvSaturation(), colour.value(),
                              colour.alpha());
            image.setPixelColor(x, y, colour);
        }
    }
    return image;
}

// Like make_executable: the file is a picture, which the desktop here takes as its own icon.
void make_picture_executable(const QString &path, const QImage &icon)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    if (!QFile::exists(path))
        icon.save(path, "PNG");
}

// A registry key emptied for new values: on Windows the key itself, elsewhere
// its stand-in file under registry, as the module maps it.
std::unique_ptr<QSettings> empty_key(const QString &registry, const QString &key)
{
#ifdef Q_OS_WIN
    Q_UNUSED(registry)
    auto settings = std::make_unique<QSettings>(key, QSettings::NativeFormat);
#else
    auto settings = std::make_unique<QSettings>(
        registry + QString(key).replace(QLatin1Char('\\'), QLatin1Char('/')) + QStringLiteral(".ini"),
        QSettings::IniFormat);
#endif
    settings->clear();
    return settings;
}

// The launchers the scanner finds by their fixed places on drive_c.
void seed_fixed_launchers(const QString &drive_c)
{
    make_executable(drive_c + QStringLiteral("/Riot Games/League of Legends/lol.launcher.exe"));
    for (const char *game : {"Moonlit Harbor", "Skyline Drift"})
        QDir().mkpath(drive_c + QStringLiteral("/Program Files (x86)/Origin Games/") + QLatin1String(game));
    make_executable(drive_c + QStringLiteral("/Program Files (x86)/Overwatch/Overwatch Launcher.exe"));
    // The launcher's own folder is never offered as a game.
    for (const char *folder : {"Ubisoft Game Launcher", "Tidebreaker Legends"})
        QDir().mkpath(drive_c + QStringLiteral("/Program Files (x86)/Ubisoft/") + QLatin1String(folder));
}

// Two games of the Epic Games launcher, with its manifests, and one of GOG
// Galaxy with its registry key, installed on drive_c.
void seed_epic_and_gog(const QString &drive_c, const QString &registry)
{
    struct epic_game_t
    {
        const char *name;
        const char *folder;
        const char *executable;
        const char *icon;
        int hue;
    };
    const epic_game_t epic_games[] = {
        {"Ember Vale", "EmberVale", "Binaries/Win64/EmberVale.exe", "harbor", 150},
        {"Neon Courier", "NeonCourier", "NeonCourier.exe", "pixel_racer", 200},
    };
    const QString manifests = drive_c + QStringLiteral("/ProgramData/Epic/EpicGamesLauncher/Data/Manifests/");
    QDir().mkpath(manifests);
    for (const epic_game_t &game : epic_games) {
        const QString location =
            QStringLiteral("C:\\Program Files\\Epic Games\\") + QLatin1String(game.folder);
        const QJsonObject manifest{{QStringLiteral("FormatVersion"), 0},
                                   {QStringLiteral("bIsIncompleteInstall"), false},
                                   {QStringLiteral("DisplayName"), QString::fromUtf8(game.name)},
                                   {QStringLiteral("InstallLocation"), location},
                                   {QStringLiteral("LaunchExecutable"), QLatin1String(game.executable)}};
        QFile file(manifests + QLatin1String(game.folder) + QStringLiteral(".item"));
        if (file.open(QIODevice::WriteOnly))
            file.write(QJsonDocument(manifest).toJson());
        make_picture_executable(drive_c + QStringLiteral("/Program Files/Epic Games/") +
                                    QLatin1String(game.folder) + QLatin1Char('/') +
                                    QLatin1String(game.executable),
                                hue_turned(game.icon, game.hue));
    }

    const auto gog =
        empty_key(registry, QStringLiteral("\\HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\GOG.com\\Games"));
    gog->beginGroup(QStringLiteral("1450001"));
    gog->setValue(QStringLiteral("gameName"), QStringLiteral("Lantern Keep"));
    gog->setValue(QStringLiteral("path"), QStringLiteral("C:\\GOG Games\\Lantern Keep"));
    gog->setValue(QStringLiteral("exeFile"), QStringLiteral("LanternKeep.exe"));
    gog->setValue(QStringLiteral("exe"), QStringLiteral("C:\\GOG Games\\Lantern Keep\\LanternKeep.exe"));
    gog->endGroup();
    make_picture_executable(drive_c + QStringLiteral("/GOG Games/Lantern Keep/LanternKeep.exe"),
                            hue_turned("citadel", 90));
}

} // namespace

namespace demo_data {

QString games_folder()
{
    const QString folder =
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/Demo Games");
    for (const demo_entry_t &entry : demo_games)
        make_executable(folder + QLatin1Char('/') + QLatin1String(entry.file));
    for (const demo_entry_t &entry : demo_programs)
        make_executable(folder + QLatin1Char('/') + QLatin1String(entry.file));
    make_executable(folder + QStringLiteral("/Moonlit Harbor/harbor.exe"), "harbor");
    return folder;
}

bool seed_quick_launch(bool force)
{
    const QString icons = global_func_c::shared()->icon_directory();
    const QString games_file = icons + QStringLiteral("games_info.ini");
    const QString programs_file = icons + QStringLiteral("programs_info.ini");
    if (!force && (QFile::exists(games_file) || QFile::exists(programs_file)))
        return false;
    if (!QDir().mkpath(icons))
        return false;
    const QString folder = games_folder();
    write_list(QStringLiteral("games_info.ini"), demo_games, folder);
    write_list(QStringLiteral("programs_info.ini"), demo_programs, folder);
    return true;
}

QList<steam_app_t> steam_apps()
{
    // Real answers spell the type in either case, and a library holds more than
    // games. Icons are named by a 40-digit hash, as Steam names them.
    return {
        {QStringLiteral("1000010"), QStringLiteral("game"), QStringLiteral("Aurora Frontier"),
         QStringLiteral("3f2a9c1b5e7d40a8c6b2e19f04d7a3c58b6e2f10")},
        {QStringLiteral("1000020"), QStringLiteral("Game"), QStringLiteral("Glass Citadel"),
         QStringLiteral("8d41e07a2c9b5f36e1a04d8c7b3f92e6a5d01c4b")},
        {QStringLiteral("1000030"), QStringLiteral("dlc"), QStringLiteral("Aurora Frontier - Soundtrack"),
         QString()},
        {QStringLiteral("1000040"), QStringLiteral("tool"), QStringLiteral("Level Forge SDK"), QString()},
        {QStringLiteral("1000050"), QStringLiteral("game"), QStringLiteral("Quiet Orbit"),
         QStringLiteral("c07de55f9a1b3e6d2c8f40b7e5a19d3c6f2b8e04")},
    };
}

bool scan_can_be_seeded()
{
#ifdef Q_OS_WIN
    // Wine keeps its own settings under this key; a real Windows has none.
    return !QSettings(QStringLiteral("HKEY_LOCAL_MACHINE\\Software\\Wine"), QSettings::NativeFormat)
                .childGroups()
                .isEmpty();
#else
    return true;
#endif
}

void remove_scan_environment()
{
    const QString root =
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/demo_scan");
    QDir(root).removeRecursively();
#ifdef Q_OS_WIN
    // Outside the user data home on Windows: the seed's own folders on drive C and its keys.
    if (!scan_can_be_seeded())
        return;
    for (const char *folder :
         {"Riot Games", "GOG Games", "Program Files (x86)/Origin Games", "Program Files (x86)/Overwatch",
          "Program Files (x86)/Ubisoft", "ProgramData/Epic", "Program Files/Epic Games"})
        QDir(QStringLiteral("C:/") + QLatin1String(folder)).removeRecursively();
    empty_key(root, QStringLiteral("\\HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\GOG.com\\Games"));
    empty_key(root, QStringLiteral("\\HKEY_CURRENT_USER\\SOFTWARE\\Valve\\Steam"));
#endif
}

QStringList seed_scan_environment()
{
    if (!scan_can_be_seeded()) {
        qInfo("control_centre: no demo scan, its installation would go into this user's real registry and "
              "drive C");
        return {};
    }
    const QString root =
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/demo_scan");
#ifdef Q_OS_WIN
    const QString drive_c = QStringLiteral("C:");
#else
    const QString drive_c = root + QStringLiteral("/wine/drive_c");
#endif
    seed_fixed_launchers(drive_c);

    const QString steam = root + QStringLiteral("/Steam");
    QDir().mkpath(steam + QStringLiteral("/steam/games"));
    const QString registry = root + QStringLiteral("/registry");
    seed_epic_and_gog(drive_c, registry);
    const auto key = empty_key(registry, QStringLiteral("\\HKEY_CURRENT_USER\\SOFTWARE\\Valve\\Steam"));
    key->setValue(QStringLiteral("SteamPath"), steam);
    QStringList ids;
    const char *const icons[] = {"aurora", "citadel", "orbit"};
    int icon = 0;
    // Two libraries with a manifest per application; Steam's cache knows
    // three of them, so the scan reads those and downloads only the other two.
    const QStringList libraries{steam, root + QStringLiteral("/SteamLibrary")};
    const QStringList downloaded{QStringLiteral("1000020"), QStringLiteral("1000040")};
    QList<steam_fixture::app_t> installed;
    for (const steam_app_t &app : steam_apps()) {
        key->setValue(QStringLiteral("Apps/%1/Installed").arg(app.id), 1);
        ids.append(app.id);
        if (!app.client_icon.isEmpty())
            QImage(QStringLiteral(":/graphics/demo/%1.png").arg(QLatin1String(icons[icon++ % 3])))
                .save(steam + QStringLiteral("/steam/games/") + app.client_icon + QStringLiteral(".ico"),
                      "ICO");
        steam_fixture::app_t fixture{app.id.toUInt(), app.name, app.type,
                                     app.client_icon, app.name, int(installed.size() % 2)};
        fixture.in_app_info = !downloaded.contains(app.id);
        installed.append(fixture);
    }
    // Uninstalled long ago: the key still lists it, but nothing else does, so
    // the scan neither looks it up nor adds it.
    key->setValue(QStringLiteral("Apps/1000060/Installed"), 0);
    ids.append(QStringLiteral("1000060"));
    key->sync();
    for (const QString &library : libraries)
        QDir(library + QStringLiteral("/steamapps")).removeRecursively();
    steam_fixture::write_installation(steam, libraries, installed);

#ifndef Q_OS_WIN
    qputenv("WINEPREFIX", QFile::encodeName(root + QStringLiteral("/wine")));
    qputenv("VORLA_REGISTRY_ROOT", QFile::encodeName(registry));
#endif
    return ids;
}

} // namespace demo_data
