// Fuzzes the reader of the Steam client's appinfo.vdf, a binary file of
// sizes, offsets and string-table indexes that any program may have written:
// every input must read without a crash, a hang or a large allocation, and
// what it gives must keep the limits of names and icon names.

#include "common/text_limits.h"
#include "scanner/steam_local.h"

#include <QByteArray>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray image = QByteArray::fromRawData(reinterpret_cast<const char *>(data), int(size));
    // The ids of the seeds.
    const auto infos = steam_local::read_app_info(image, {700010, 700011, 700012});
    for (const steam_local::app_info_t &info : infos) {
        if (info.name.size() > text_limits::name_length || info.type.size() > text_limits::name_length)
            abort();
        if (!info.client_icon.isEmpty() && !text_limits::is_hex_digits(info.client_icon, 40))
            abort();
    }
    return 0;
}
