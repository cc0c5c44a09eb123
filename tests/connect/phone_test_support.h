// Set-up the phone suites share: the client file in a test home, a stand-in
// host for the module, and readers for what the module sent.
#ifndef VORLA_TESTS_PHONE_TEST_SUPPORT_H
#define VORLA_TESTS_PHONE_TEST_SUPPORT_H

#include "common/global_func_c.h"
#include "connect/client_store_c.h"
#include "connect/mobile_app_fm_c.h"
#include "connect/mobile_device_fm_c.h"
#include "host/control_centre_c.h"
#include "host/shared_block.h"
#include "module/module_host.h"
#include "module/vorla_connect_kernel_c.h"
#include "pages/connect_c.h"
#include "pages/quick_launch_settings_c.h"
#include "tests/module/recording_fakes.h"

#include <QtTest>
#include <QtWidgets>

#include <memory>

// The user root is found by going up from the application-data directory, which
// only works once that directory exists; otherwise the file moves with the first mkpath.
inline bool prepare_test_home()
{
    const bool made = QDir().mkpath(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
    global_func_c::shared()->initialise();
    return made && QDir().mkpath(QFileInfo(client_store_c::default_path()).path());
}

// A stand-in host that the module's code reaches through module_host().
inline std::unique_ptr<control_centre_c> installed_host()
{
    auto host = std::make_unique<control_centre_c>();
    set_module_host(host->host_face());
    return host;
}

// Pages that only record, so that the kernel builds no connect page.
inline void adopt_recording_pages(vorla_connect_kernel_c &kernel, kernel_client_i *client, QWidget *container,
                                  QStringList *journal)
{
    kernel.adopt_pages(client, container, new recording_page_c(connect_c::page_id, journal),
                       new recording_page_c(quick_launch_settings_c::page_id, journal));
}

// One group of the client file; an empty value leaves its key out.
inline QByteArray client_group(const QByteArray &id, const char *friend_state, const char *connected = "",
                               const char *name = "", const char *model = "")
{
    QByteArray text = "[" + id + "]\nID=" + id + '\n';
    const std::pair<const char *, const char *> keys[] = {
        {"Name=", name}, {"Model=", model}, {"CONNECTED=", connected}, {"Friend=", friend_state}};
    for (const auto &[key, value] : keys)
        if (*value)
            text += QByteArray(key) + value + '\n';
    return text;
}

inline void write_store(const QByteArray &contents)
{
    QFile file(client_store_c::default_path());
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(contents) == contents.size());
}

// What the recording client saw, with each shared-block message replaced by its block.
inline QList<QByteArray> sent_blocks(const QStringList &journal)
{
    const QString shared = QStringLiteral("message %1 ").arg(kernel_message_shared_block);
    QList<QByteArray> blocks;
    for (const QString &entry : journal) {
        QByteArray bytes = entry.toUtf8();
        if (entry.startsWith(shared))
            read_shared_block(entry.mid(shared.size()), &bytes);
        blocks << bytes;
    }
    return blocks;
}

template <typename T = QWidget>
T *child(const QObject *parent, const char *name)
{
    return parent->findChild<T *>(QLatin1String(name));
}

// The phones a form lists, as "id paired auto" with each flag 0 or 1; none
// without a form.
inline QStringList listed(const mobile_app_fm_c *form)
{
    QStringList shown;
    for (const mobile_device_fm_c *row :
         form != nullptr ? form->device_rows() : QList<mobile_device_fm_c *>())
        shown << QStringLiteral("%1 %2 %3")
                     .arg(row->client_id())
                     .arg(row->is_paired())
                     .arg(row->is_auto_pair());
    return shown;
}

#endif
