// Fuzzes the reading of "APP_Clients": the file comes from another program, so
// any bytes must read as some groups and keys, without a crash or a hang. The
// input is read the way the phone list and the pairing flow both read it.
// It also checks that changing the file through its copy keeps every value.

#include "connect/client_store_c.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QFile>
#include <QMap>
#include <QSettings>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>
#include <memory>

namespace {
void discard_message(QtMsgType, const QMessageLogContext &, const QString &) {}

std::unique_ptr<QTemporaryDir> work_dir;
QString file_path;

// The way the store keeper changes the file: afterwards every value still
// reads as it did, and the new key is there.
void check_edit()
{
    QMap<QString, QVariant> before;
    {
        const settings_file_c file(file_path);
        for (const QString &key : file.all_keys())
            before.insert(key, file.value(key));
    }
    const auto result = settings_file_c::edit(file_path, [](QSettings &settings) {
        settings.setValue(QStringLiteral("fuzz_added/Friend"), 1);
        return true;
    });
    if (result != settings_file_c::edit_result_t::written)
        abort();
    const settings_file_c after(file_path);
    if (after.value(QStringLiteral("fuzz_added/Friend")).toInt() != 1)
        abort();
    for (auto it = before.cbegin(); it != before.cend(); ++it)
        if (it.value().isValid() && !it.key().isEmpty() && after.value(it.key()) != it.value())
            abort();
}
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
    check_edit();
    return 0;
}
