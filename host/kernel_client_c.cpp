#include "host/kernel_client_c.h"

#include "host/client_command_c.h"
#include "host/shared_block.h"

namespace {
// What the block under key says, for the log; *command is set when it decodes.
QString describe_shared_block(const QString &key, client_command_c *command, bool *decoded)
{
    QByteArray block;
    QString error;
    *decoded = false;
    if (!read_shared_block(key, &block, &error))
        return QStringLiteral("no shared memory segment (%1)").arg(error);
    if (!client_command_c::decode(block, command, &error))
        return QStringLiteral("unreadable block of %1 bytes: %2").arg(block.size()).arg(error);
    *decoded = true;
    return command->describe();
}
} // namespace

kernel_client_c::kernel_client_c(QObject *parent) : QObject(parent) {}

kernel_client_c::~kernel_client_c() = default;

void *kernel_client_c::query_interface(const interface_id_t *id)
{
    if (same_interface_id(id, iid_interface_i))
        return static_cast<interface_i *>(face());
    return nullptr;
}

void kernel_client_c::on_kernel_message(product_kernel_i *kernel, int code, QString *payload)
{
    Q_UNUSED(kernel)
    // The payload belongs to the kernel; only a copy outlives this call.
    const QString text = payload != nullptr ? *payload : QString();
    received.append({code, text});
    const QString head = QStringLiteral("message %1: ").arg(code);
    if (code == kernel_message_shared_block) {
        client_command_c command;
        bool decoded = false;
        const QString meaning = describe_shared_block(text, &command, &decoded);
        emit kernel_message(code, text, head + text + QStringLiteral(" \u2192 ") + meaning);
        if (decoded)
            emit client_command(command.code, command.argument);
    } else if (code == kernel_message_lists_saved) {
        emit kernel_message(code, text, head + QStringLiteral("quick-launch lists saved"));
    } else {
        emit kernel_message(code, text, head + QLatin1Char('"') + text + QLatin1Char('"'));
    }
}

product_kernel_i *kernel_client_c::get_active_kernel()
{
    return active_kernel;
}

void kernel_client_c::on_kernel_dialog_pending(product_kernel_i *kernel)
{
    dialog_kernels.append(kernel);
    emit dialog_pending();
}
