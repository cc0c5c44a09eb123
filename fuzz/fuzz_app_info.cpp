// Fuzzes the reading of the application-information answers: the downloader
// saves whatever the web service sends, so any bytes must give a record, no
// record or a JSON error, without a crash or a hang.

#include "scanner/steam_app_info.h"

#include <QByteArray>

#include <cstdint>
#include <cstdlib>

// Qt 5.15's JSON parser loses the first of two objects or arrays under one
// key; that leak is Qt's, not the reader's. Full stacks let the suppression
// find the parser's frame below Qt's own, which have no frame pointers.
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
    const QByteArray answer = QByteArray::fromRawData(reinterpret_cast<const char *>(data), int(size));
    // The seeds, in both answer shapes, describe application 620.
    const steam_app_answer_t result = read_steam_app_answer(answer, QStringLiteral("620"));
    if (result.has_record && (!result.json_error.isEmpty() || result.record.app_id != QLatin1String("620")))
        abort();
    return 0;
}
