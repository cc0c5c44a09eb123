// Fuzzes the reading of "APP_Clients": the file comes from another program, so
// any bytes must read as some groups and keys, without a crash or a hang. The
// input is read the way the phone list and the pairing flow both read it.

#include "connect/client_store_c.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <memory>

// A damaged file may claim gigabytes for one value. The reader survives that
// as a release build does: the allocation returns null, Qt throws bad_alloc
// and the reader catches it; aborting at the allocation would hide that path.
extern "C" __attribute__((visibility("default"))) const char *__asan_default_options()
{
    return "allocator_may_return_null=1";
}

namespace {
void discard_message(QtMsgType, const QMessageLogContext &, const QString &) {}

std::unique_ptr<QTemporaryDir> work_dir;
QString file_path;
} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    qInstallMessageHandler(discard_message);
    work_dir = std::make_unique<QTemporaryDir>();
    file_path = work_dir->filePath(QStringLiteral("APP_Clients"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    {
        QFile file(file_path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        file.write(reinterpret_cast<const char *>(data), qint64(size));
    }
    // A fresh snapshot per input, as each reader of the module makes its own.
    const client_store_c store(file_path);
    qsizetype total = store.server_name().size();
    const QStringList groups = store.groups();
    for (const QString &group : groups) {
        // The phone list: every key of every group, "CONNECTED" missing as false.
        for (const char *key : {"ID", "Name", "Model"})
            total += store.text(group, QLatin1String(key)).size();
        total += store.connected(group, false) + store.friend_state(group);
        // The pairing flow: "CONNECTED" missing as true, then the command block.
        if (store.friend_state(group) == client_pending && store.connected(group, true))
            total +=
                client_command_block(client_command_accept, store.text(group, QStringLiteral("ID"))).size();
    }
    (void)total;
    return 0;
}
