// The host object each kernel gets at initialise: where kernel messages arrive
// and where the kernel learns which product the host shows.
#ifndef VORLA_HOST_KERNEL_CLIENT_C_H
#define VORLA_HOST_KERNEL_CLIENT_C_H

#include "module/host_interfaces.h"

#include <QList>
#include <QObject>
#include <QPair>
#include <QString>

class kernel_client_c : public QObject, public kernel_client_i
{
    Q_OBJECT

public:
    explicit kernel_client_c(QObject *parent = nullptr);
    ~kernel_client_c() override;

    // interface_i
    void *query_interface(const interface_id_t *id) override;
    // The host owns the client; a release from the module changes nothing.
    void release() override {}

    // kernel_client_i
    void on_kernel_message(product_kernel_i *kernel, int code, QString *payload) override;
    void reserved_client_3() override {}
    void reserved_client_4() override {}
    void reserved_client_5() override {}
    void reserved_client_6() override {}
    void reserved_client_7() override {}
    void reserved_client_8() override {}
    product_kernel_i *get_active_kernel() override;
    void reserved_client_10() override {}
    void reserved_client_11() override {}
    void reserved_client_12() override {}
    void reserved_client_13() override {}
    void on_kernel_dialog_pending(product_kernel_i *kernel) override;

    kernel_client_i *face() { return this; }

    // The kernel whose page the host shows; borrowed, may be null.
    void set_active_kernel(product_kernel_i *kernel) { active_kernel = kernel; }
    // Every message so far, in order: code and payload text (empty for no payload).
    QList<QPair<int, QString>> messages() const { return received; }
    // Kernels that announced a dialog, in order; for identity only, they may be gone.
    QList<product_kernel_i *> dialog_requests() const { return dialog_kernels; }

signals:
    // Every message, with its log line. For kernel_message_shared_block the
    // payload is a shared-memory key whose block is read and decoded at once,
    // since the kernel frees it later; a missing or undecodable block is
    // described as such.
    void kernel_message(int code, const QString &payload, const QString &description);
    // A shared block that decoded: what the writer of the paired-client file applies.
    void client_command(qint32 command, const QString &argument);
    // The kernel is about to show a modal dialog; the window comes to the front.
    void dialog_pending();

private:
    product_kernel_i *active_kernel = nullptr;
    QList<QPair<int, QString>> received;
    QList<product_kernel_i *> dialog_kernels;
};

#endif
