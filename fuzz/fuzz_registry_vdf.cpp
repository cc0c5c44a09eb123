// Fuzzes the KeyValues reader that takes the Steam application ids from the
// Linux client's registry.vdf, a file other programs write: any bytes must read
// as some tree, nested no more than a few dozen levels, without a crash,
// a hang or a deep recursion.

#include "common/platform.h"

#include <QByteArray>
#include <QStringList>

#include <cstdint>
#include <cstdlib>

namespace {
int depth(const platform::key_values_t &node)
{
    int deepest = 0;
    for (const platform::key_values_t &child : node.children)
        deepest = qMax(deepest, depth(child));
    return deepest + 1;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray text = QByteArray::fromRawData(reinterpret_cast<const char *>(data), int(size));
    const platform::key_values_t root = platform::read_key_values(text);
    if (depth(root) > 64)
        abort();
    platform::find_key_values(root,
                              {QStringLiteral("Registry"), QStringLiteral("HKCU"), QStringLiteral("Software"),
                               QStringLiteral("Valve"), QStringLiteral("Steam"), QStringLiteral("apps")});
    return 0;
}
