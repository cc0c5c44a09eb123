#include "module/vorla_connect_kernel_c.h"

#include "common/clog.h"
#include "common/global_func_c.h"
#include "pages/connect_c.h"
#include "pages/quick_launch_settings_c.h"

#include <QSharedMemory>
#include <QtEndian>

#include <utility>

vorla_connect_kernel_c::vorla_connect_kernel_c() = default;

vorla_connect_kernel_c::~vorla_connect_kernel_c()
{
    if (pairing_window != nullptr) {
        pairing_window->close();
        delete pairing_window;
    }
    // Pages are released in ascending id order; the maps are emptied first so
    // that a page's destructor never finds itself still registered.
    const auto pages = std::exchange(pages_by_id, {});
    pages_in_order.clear();
    current_page = nullptr;
    connect_page = nullptr;
    quick_launch_page = nullptr;
    for (product_function_page_i *page : pages)
        page->release();
    // The key pool goes last, with the members: it detaches every segment.
}

void *vorla_connect_kernel_c::query_interface(const interface_id_t *id)
{
    if (same_interface_id(id, iid_interface_i) || same_interface_id(id, iid_product_kernel_i))
        return static_cast<product_kernel_i *>(this);
    return nullptr;
}

void vorla_connect_kernel_c::release()
{
    delete this;
}

void vorla_connect_kernel_c::initialise(kernel_client_i *new_client, QWidget *new_container)
{
    // The kernel owns both pages and ends them with release().
    connect_page = new connect_c(this);
    quick_launch_page = new quick_launch_settings_c(this);
    adopt_pages(new_client, new_container, connect_page, quick_launch_page);
}

void vorla_connect_kernel_c::adopt_pages(kernel_client_i *new_client, QWidget *new_container,
                                         product_function_page_i *first, product_function_page_i *second)
{
    client = new_client;
    container = new_container;
    first->initialise();
    second->initialise();
    register_page(first->get_page_id(), first);
    register_page(second->get_page_id(), second);
}

kernel_client_i *vorla_connect_kernel_c::get_client()
{
    return client;
}

void vorla_connect_kernel_c::register_page(int id, product_function_page_i *page)
{
    if (page == nullptr || pages_by_id.contains(id))
        return;
    pages_by_id.insert(id, page);
    pages_in_order.append(page);
}

product_function_page_i *vorla_connect_kernel_c::get_page(int id)
{
    return pages_by_id.value(id, nullptr);
}

int vorla_connect_kernel_c::page_count()
{
    return pages_in_order.size();
}

product_function_page_i *vorla_connect_kernel_c::page_at(int index)
{
    return pages_in_order.at(index);
}

void vorla_connect_kernel_c::show_page(int id)
{
    if (id != 9)
        id = 8;
    if (container == nullptr)
        return;
    if (current_page != nullptr) {
        if (current_page->get_page_id() == id)
            return;
        current_page->hide();
    }
    // Looked up through our own slot, as the host would.
    current_page = get_page(id);
    if (current_page == nullptr)
        return;
    current_page->set_container(container);
    current_page->show();
}

void vorla_connect_kernel_c::hide_page()
{
    if (current_page == nullptr)
        return;
    current_page->hide();
    current_page = nullptr;
}

int vorla_connect_kernel_c::save_quick_launch_lists()
{
    return 0;
}

void vorla_connect_kernel_c::post_message(int code, QString *payload)
{
    if (client != nullptr)
        client->on_kernel_message(this, code, payload);
}

void vorla_connect_kernel_c::on_host_event(const void *record)
{
    if (record == nullptr)
        return;
    // The code sits at byte offset 2 of the host's record, which is not aligned
    // for a 32-bit read.
    const qint32 code = qFromUnaligned<qint32>(static_cast<const uchar *>(record) + 2);
    if (code == host_event_clients_changed) {
        check_withdrawn_request();
        if (connect_page != nullptr)
            connect_page->refresh_phone_list();
    } else if (code == host_event_pairing_requested) {
        pairing_requested_flag = true;
        write_log(QStringLiteral("Vorla Connect : Prepare pairing window."), false);
        show_pairing_requests();
    }
}

QString vorla_connect_kernel_c::share_data(QBuffer *data)
{
    QSharedMemory *segment = pool.new_segment(global_func_c::shared()->share_memory_key_prefix());
    global_func_c::write_share_memory(segment, data);
    return segment != nullptr ? segment->key() : QString();
}

void vorla_connect_kernel_c::show_pairing_requests() {}

void vorla_connect_kernel_c::check_withdrawn_request() {}
