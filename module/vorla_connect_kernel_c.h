// The product kernel the host obtains from the module's factory.
#ifndef VORLA_CONNECT_KERNEL_C_H
#define VORLA_CONNECT_KERNEL_C_H

#include "module/host_interfaces.h"
#include "module/share_memory_key_pool_c.h"

#include <QList>
#include <QMap>
#include <QPointer>
#include <QWidget>

#include <memory>

class app_pairing_fm_c;
class connect_c;
class quick_launch_settings_c;

class vorla_connect_kernel_c final : public product_kernel_i
{
public:
    // Created empty by the factory; the host owns it and ends it with release().
    vorla_connect_kernel_c();

    void *query_interface(const interface_id_t *id) override;
    void release() override;
    void initialise(kernel_client_i *client, QWidget *container) override;
    kernel_client_i *get_client() override;
    int reserved_4() override { return 0; }
    int reserved_5() override { return 0; }
    int reserved_6() override { return 4; }
    product_function_page_i *get_page(int id) override;
    int page_count() override;
    product_function_page_i *page_at(int index) override;
    void show_page(int id) override;
    void hide_page() override;
    void reserved_12() override {}
    int reserved_13() override { return 0; }
    int reserved_14() override { return 0; }
    int reserved_15() override { return -1; }
    int reserved_16() override { return -1; }
    void reserved_17(int) override {}
    void reserved_18() override {}
    void reserved_19(int) override {}
    void reserved_20(int) override {}
    void reserved_21(int) override {}
    void reserved_22(int, int) override {}
    void reserved_23(int, int) override {}
    void reserved_24(int, int, int) override {}
    void reserved_25(int, int) override {}
    void reserved_26(int) override {}
    void reserved_27(int) override {}
    QString reserved_28(int) override { return QString(); }
    int reserved_29(int) override { return 0; }
    QString reserved_30(int, int) override { return QString(); }
    int reserved_31(int) override { return 0; }
    int reserved_32() override { return 1; }
    int reserved_33(int) override { return 0; }
    void reserved_34(int, int) override {}
    void reserved_35(int, int) override {}
    int reserved_36() override { return 1; }
    void reserved_37(int) override {}
    void reserved_38(int) override {}
    int reserved_39() override { return 0; }
    int reserved_40(int) override { return 0; }
    int save_quick_launch_lists() override;
    void post_message(int code, QString *payload) override;
    void on_host_event(const void *record) override;
    QString share_data(QBuffer *data) override;
    int reserved_45(int, int) override { return 0; }
    ~vorla_connect_kernel_c() override;

    // What initialise does after storing its arguments, with the pages given:
    // each is initialised, then registered under its id. The kernel takes
    // ownership. Tests hand in pages that record their calls.
    void adopt_pages(kernel_client_i *client, QWidget *container, product_function_page_i *first,
                     product_function_page_i *second);

    connect_c *get_connect_page() const { return connect_page; }
    quick_launch_settings_c *get_quick_launch_page() const { return quick_launch_page; }
    share_memory_key_pool_c &key_pool() { return pool; }
    bool pairing_requested() const { return pairing_requested_flag; }

    // Pairing flow: shows the waiting pairing requests one dialog at a time, and
    // closes the open dialog when its phone withdrew the request.
    void show_pairing_requests();
    void check_withdrawn_request();

private:
    struct pairing_request_t
    {
        QString id;
        QString name;
        QString model;
    };

    void register_page(int id, product_function_page_i *page);
    // The requests the paired-client file holds, each logged.
    static QList<pairing_request_t> pending_requests();
    // One dialog per request still connected; false when the kernel ended
    // during one, after which nothing of it may be touched.
    bool ask_each(const QList<pairing_request_t> &pending);
    // The answer goes to the host as a command block, and a decision to the phone list.
    void send_answer(const QString &client_id, int answer);

    kernel_client_i *client = nullptr;
    product_function_page_i *current_page = nullptr;
    connect_c *connect_page = nullptr;
    quick_launch_settings_c *quick_launch_page = nullptr;
    // The pairing dialog while one exists; a nested modal run may end it.
    QPointer<app_pairing_fm_c> pairing_window;
    QWidget *container = nullptr;
    share_memory_key_pool_c pool;
    QMap<int, product_function_page_i *> pages_by_id;
    QList<product_function_page_i *> pages_in_order;
    bool pairing_requested_flag = false;
    // Expires with the kernel: the host may release the kernel from an event
    // handled inside a pairing dialog's modal run.
    std::shared_ptr<char> life_token = std::make_shared<char>();
};

#endif
