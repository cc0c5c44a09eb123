// Fuzzes the host's decoding of a client command block: the bytes come from
// another process's shared memory, so any input must decode or be refused,
// without a crash, a hang or a huge allocation.

#include "host/client_command_c.h"

#include <QByteArray>
#include <QDataStream>

#include <cstdint>
#include <cstdlib>

namespace {
void discard_message(QtMsgType, const QMessageLogContext &, const QString &) {}
} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    qInstallMessageHandler(discard_message);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray block(reinterpret_cast<const char *>(data), int(size));
    client_command_c command;
    QString error;
    if (!client_command_c::decode(block, &command, &error)) {
        if (error.isEmpty())
            std::abort();
        return 0;
    }
    // Whatever decodes was a whole block: writing it again gives the same bytes.
    QByteArray again;
    QDataStream stream(&again, QIODevice::WriteOnly);
    stream.setVersion(client_command_c::stream_version);
    stream << command.code << command.argument;
    if (again != block || client_command_c::name(command.code).isEmpty() || command.describe().isEmpty())
        std::abort();
    return 0;
}
