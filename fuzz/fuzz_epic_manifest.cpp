// Fuzzes the reading of an Epic Games manifest: the launcher, or anyone who
// can write its folder, decides these bytes, so any of them must give at most
// one game whose name and path keep to the limits, without a crash or a hang;
// and a path joined to a folder never leads out of it.

#include "common/text_limits.h"
#include "scanner/launcher_manifests.h"

#include <QByteArray>
#include <QStringList>

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

namespace {
bool keeps_limits(const launcher_game_t &game)
{
    return !game.name.isEmpty() && game.name.size() <= text_limits::name_length && !game.path.isEmpty() &&
           game.path.size() <= text_limits::path_length && !game.path.contains(QChar());
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray json = QByteArray::fromRawData(reinterpret_cast<const char *>(data), int(size));
    const launcher_games_t games = launcher_manifests::read_epic_manifest(json);
    if (games.size() > 1 || (games.size() == 1 && !keeps_limits(games.first())))
        abort();

    // The same bytes as a folder and a relative path, split at the first line
    // end: a joined path ends in the relative one's parts, none of them a way up.
    const int end = json.indexOf('\n');
    if (end < 0)
        return 0;
    const QString relative = QString::fromUtf8(json.mid(end + 1));
    const QString joined = launcher_manifests::joined_path(QString::fromUtf8(json.left(end)), relative);
    if (joined.isEmpty())
        return 0;
    const QStringList parts = QString(relative)
                                  .replace(QLatin1Char('\\'), QLatin1Char('/'))
                                  .split(QLatin1Char('/'), Qt::SkipEmptyParts);
    if (!joined.endsWith(QLatin1Char('/') + parts.join(QLatin1Char('/'))))
        abort();
    for (const QString &part : parts)
        if (part == QLatin1String("..") || part == QLatin1String(".") || part.contains(QLatin1Char(':')))
            abort();
    return 0;
}
