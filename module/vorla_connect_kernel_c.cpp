#include "module/vorla_connect_kernel_c.h"

#include "common/clog.h"
#include "common/global_func_c.h"
#include "connect/app_pairing_fm_c.h"
#include "connect/client_store_c.h"
#include "pages/connect_c.h"
#include "pages/quick_launch_settings_c.h"
#include "quick_launch/item_store.h"

#include <QBuffer>
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
    // An id the module does not know shows the phone page.
    if (id != quick_launch_settings_c::page_id)
        id = connect_c::page_id;
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
    if (quick_launch_page == nullptr)
        return 0;
    quick_launch_list_t saved_games;
    quick_launch_list_t saved_programs;
    // A file that could not be read may hold entries the page never saw.
    if (read_item_file(saved_games, games_file_name) == settings_file_c::state_t::unreadable ||
        read_item_file(saved_programs, programs_file_name) == settings_file_c::state_t::unreadable) {
        write_log(QStringLiteral("Vorla Connect : Quick launch lists not saved: an item file exists but "
                                 "cannot be read, so it is kept as it is."),
                  true);
        return 0;
    }
    if (same_items(saved_games, *quick_launch_page->get_games()) &&
        same_items(saved_programs, *quick_launch_page->get_programs()))
        return 0;
    // Loading sorts by Order, so the positions become the Orders first.
    quick_launch_page->number_by_position();
    const quick_launch_list_t games = *quick_launch_page->get_games();
    const quick_launch_list_t programs = *quick_launch_page->get_programs();
    // Both files together, so that they always hold the same saved state.
    QString error;
    if (!write_item_files(games, programs, &error)) {
        write_log(QStringLiteral("Vorla Connect : Quick launch lists not saved, the saved lists are kept: ") +
                      error,
                  true);
        return 0;
    }
    QString nothing;
    post_message(kernel_message_lists_saved, &nothing);
    return 1;
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
    const qint32 code = qFromUnaligned<qint32>(static_cast<const uchar *>(record) + host_event_code_offset);
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

namespace {
void log_answer(int answer)
{
    if (answer == app_pairing_fm_c::answer_accept)
        write_log(QStringLiteral("Vorla Connect : User accept connect request."), false);
    else if (answer == app_pairing_fm_c::answer_deny)
        write_log(QStringLiteral("Vorla Connect : User deny connect request."), false);
    else if (answer == app_pairing_fm_c::answer_none)
        write_log(QStringLiteral("Vorla Connect : Mobile phone disconnect."), false);
}
} // namespace

QList<vorla_connect_kernel_c::pairing_request_t> vorla_connect_kernel_c::pending_requests()
{
    const client_store_c store;
    const QStringList groups = store.groups();
    write_log(QStringLiteral("Vorla Connect : Client's count = %1.").arg(groups.size()), false);
    QList<pairing_request_t> pending;
    for (int i = 0; i < groups.size(); ++i) {
        const QString &group = groups.at(i);
        if (store.friend_state(group) != client_pending)
            continue;
        pairing_request_t request{store.text(group, QStringLiteral("ID")),
                                  store.text(group, QStringLiteral("Name")),
                                  store.text(group, QStringLiteral("Model"))};
        // One pass over the pattern, so that a "%1" in a phone's name stays text.
        write_log(QStringLiteral("Vorla Connect : Client %1, ID = %2, Name = %3, Model = %4.")
                      .arg(QString::number(i), request.id, request.name, request.model),
                  false);
        pending.append(request);
    }
    return pending;
}

void vorla_connect_kernel_c::show_pairing_requests()
{
    // Entered again from a host event while a dialog runs: the flag stays set,
    // so the run in progress starts over when its last dialog closes.
    if (pairing_window != nullptr || client == nullptr) {
        write_log(QStringLiteral("Vorla Connect : Pairing window already showing."), false);
        return;
    }
    pairing_requested_flag = false;
    const QList<pairing_request_t> pending = pending_requests();
    if (pending.isEmpty()) {
        write_log(QStringLiteral("Vorla Connect : Can't find any client from APP_Clients file."), false);
        return;
    }

    client->on_kernel_dialog_pending(this);
    // A user busy with the quick-launch lists is not taken off them.
    if (current_page != nullptr && current_page->get_page_id() != quick_launch_settings_c::page_id)
        show_page(connect_c::page_id);
    if (!ask_each(pending))
        return;

    if (pairing_requested_flag) {
        write_log(QStringLiteral("Vorla Connect : Prepare another pairing window."), false);
        show_pairing_requests();
    }
}

bool vorla_connect_kernel_c::ask_each(const QList<pairing_request_t> &pending)
{
    pairing_window = new app_pairing_fm_c(this);
    const std::weak_ptr<char> kernel_alive = life_token;
    for (const pairing_request_t &request : pending) {
        // The file may have changed while the previous dialog was open.
        if (!client_store_c().connected(request.id, true))
            continue;
        pairing_window->show_request(request.name, request.id);
        if (kernel_alive.expired())
            return false;
        // The dialog dies with the host's main window, its parent now; the
        // request still ends, unanswered, and no further dialog can be shown.
        const bool dialog_lost = pairing_window == nullptr;
        send_answer(request.id, dialog_lost ? int(app_pairing_fm_c::answer_none) : pairing_window->answer());
        if (dialog_lost)
            break;
    }
    delete pairing_window;
    pairing_window = nullptr;
    return true;
}

void vorla_connect_kernel_c::send_answer(const QString &client_id, int answer)
{
    log_answer(answer);
    QByteArray block = client_command_block(answer, client_id);
    QBuffer buffer(&block);
    QString key = share_data(&buffer);
    if (connect_page != nullptr &&
        (answer == app_pairing_fm_c::answer_accept || answer == app_pairing_fm_c::answer_deny))
        connect_page->add_client_row(client_id, answer == app_pairing_fm_c::answer_accept);
    client->on_kernel_message(this, kernel_message_shared_block, &key);
}

void vorla_connect_kernel_c::check_withdrawn_request()
{
    if (pairing_window == nullptr)
        return;
    const QString shown = pairing_window->client_id();
    const client_store_c store;
    const QStringList groups = store.groups();
    for (const QString &group : groups) {
        if (group != shown)
            continue;
        if (store.friend_state(group) == client_pending && !store.connected(group, true)) {
            pairing_window->phone_withdrawn();
            return;
        }
    }
}
