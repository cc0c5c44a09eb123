// Fuzzes the reader of libraryfolders.vdf: any text gives a bounded list of
// paths, none longer than a path may be.

#include "common/text_limits.h"
#include "scanner/steam_local.h"

#include <QByteArray>
#include <QStringList>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray text = QByteArray::fromRawData(reinterpret_cast<const char *>(data), int(size));
    const QStringList paths = steam_local::read_library_folders(text);
    if (paths.size() > 256)
        abort();
    for (const QString &path : paths)
        if (path.isEmpty() || path.size() > text_limits::path_length)
            abort();
    return 0;
}
