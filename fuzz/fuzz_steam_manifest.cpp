// Fuzzes the reader of appmanifest_<id>.acf: whatever the text, the folder it
// names must stay a plain name under steamapps/common, and the name its limit.

#include "common/text_limits.h"
#include "scanner/steam_local.h"

#include <QByteArray>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray text = QByteArray::fromRawData(reinterpret_cast<const char *>(data), int(size));
    const steam_local::manifest_t manifest = steam_local::read_manifest(text);
    if (manifest.name.size() > text_limits::name_length)
        abort();
    if (!manifest.install_dir.isEmpty() && !text_limits::is_plain_file_name(manifest.install_dir))
        abort();
    return 0;
}
