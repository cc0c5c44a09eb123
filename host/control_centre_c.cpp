#include "control_centre_c.h"

#include "client_store_keeper_c.h"
#include "ctrl_center_c.h"
#include "info_badge_c.h"
#include "kernel_client_c.h"
#include "popup_frame_c.h"
#include "progress_bar_c.h"
#include "reset_popup_c.h"
#include "text_provider_c.h"

#include <QApplication>
#include <QFileInfo>
#include <QLibrary>
#include <QThread>
#include <QThreadPool>
#include <QTimer>
#include <QtEndian>

#include <utility>

namespace {
using init_module_t = void (*)(module_host_i *);
using exit_module_t = void (*)();

QPointer<control_centre_c> watching_host;
QtMessageHandler previous_handler = nullptr;

// A new component's face for id, which the module owns from then on and ends
// with release(); null, and nothing left behind, when it has no such face.
template <typename component_t>
void *offer_component(const interface_id_t *id)
{
    auto component = std::make_unique<component_t>();
    void *face = component->query_interface(id);
    if (face != nullptr)
        component.release();
    return face;
}

void forward_module_message(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    // The module may log from a worker thread; the log panel lives on the GUI thread.
    if (message.startsWith(QLatin1String("Vorla Connect : ")) && !watching_host.isNull())
        QMetaObject::invokeMethod(
            watching_host.data(),
            [line = message.trimmed()] {
                if (!watching_host.isNull())
                    emit watching_host->note_logged(QStringLiteral("Module: ") + line);
            },
            Qt::QueuedConnection);
    if (previous_handler != nullptr)
        previous_handler(type, context, message);
}
} // namespace

control_centre_c::control_centre_c(QObject *parent)
    : QObject(parent), texts(std::make_unique<text_provider_c>()),
      center(std::make_unique<ctrl_center_c>(*this)), client(std::make_unique<kernel_client_c>())
{
    texts->set_language(language_id);
    connect(client.get(), &kernel_client_c::kernel_message, this,
            [this](int, const QString &, const QString &line) { log_call(line); });
    connect(client.get(), &kernel_client_c::dialog_pending, this,
            [this] { log_call(QStringLiteral("on_kernel_dialog_pending")); });
}

control_centre_c::~control_centre_c()
{
    // A library still waiting for a nested loop to return then stays mapped.
    unload_module();
    if (watching_host == this) {
        qInstallMessageHandler(previous_handler);
        watching_host.clear();
    }
}

void control_centre_c::watch_module_messages()
{
    if (watching_host.isNull())
        previous_handler = qInstallMessageHandler(forward_module_message);
    watching_host = this;
}

bool control_centre_c::load_module(const QString &file_path, QString *error)
{
    const auto fail = [&](const QString &reason) {
        note(QStringLiteral("Module not loaded: ") + reason);
        if (error != nullptr)
            *error = reason;
        return false;
    };
    if (module_loaded())
        return fail(QStringLiteral("%1 is already loaded").arg(module_path()));

    const QFileInfo file(file_path);
    // QLibrary would try decorated names too and report the last of them.
    if (!file.isFile())
        return fail(QStringLiteral("no such file: ") + file_path);
    auto library = std::make_unique<QLibrary>(file.absoluteFilePath());
    if (!library->load())
        return fail(library->errorString());
    const auto init = reinterpret_cast<init_module_t>(library->resolve("init_module"));
    const auto exit = reinterpret_cast<exit_module_t>(library->resolve("exit_module"));
    if (init == nullptr || exit == nullptr) {
        const QString reason =
            QStringLiteral("%1 does not export init_module and exit_module").arg(file_path);
        library->unload();
        return fail(reason);
    }
    loaded_library = std::move(library);
    exit_entry = exit;
    note(QStringLiteral("Module loaded: ") + loaded_library->fileName());
    init(host_face());
    start_kernel();
    return true;
}

void control_centre_c::unload_module()
{
    if (!module_loaded())
        return;
    const int modal_before = open_modal_windows();
    // Kernels are the module's code and objects: they end while it is still whole.
    release_kernels();
    const exit_module_t exit = exit_entry;
    exit_entry = nullptr;
    exit();

    // Whatever the module still has registered points into code that is about to go.
    if (!factories.isEmpty()) {
        note(QStringLiteral("Dropping %1 kernel factories the module left registered").arg(factories.size()));
        factories.clear();
    }
    if (const int left = center->forget_listeners(); left > 0)
        note(QStringLiteral("Dropping %1 listeners the module left registered").arg(left));

    // A dialog the module ran may just have ended: its nested event loop returns
    // through the module's code. Each modal window the release closed ran one such
    // loop, so the code stays mapped until the loops are back below that depth.
    leaving_library = std::move(loaded_library);
    leaving_level = QThread::currentThread()->loopLevel() - (modal_before - open_modal_windows());
    finish_unload();
}

int control_centre_c::open_modal_windows()
{
    int open = 0;
    for (const QWidget *window : QApplication::topLevelWidgets())
        open += window->isVisible() && window->isModal() ? 1 : 0;
    return open;
}

void control_centre_c::finish_unload()
{
    if (!leaving_library)
        return;
    if (QThread::currentThread()->loopLevel() > leaving_level) {
        // Checked again from whichever loop runs next, until the nested ones are gone.
        QTimer::singleShot(0, this, &control_centre_c::finish_unload);
        return;
    }
    // The module's tasks on the global pool run its code too; they stop soon once
    // the objects that started them are gone.
    QThreadPool::globalInstance()->waitForDone();
    const QString path = leaving_library->fileName();
    if (!leaving_library->unload())
        note(QStringLiteral("Module stays mapped: ") + leaving_library->errorString());
    leaving_library.reset();
    note(QStringLiteral("Module unloaded: ") + path);
}

QString control_centre_c::module_path() const
{
    return loaded_library ? loaded_library->fileName() : QString();
}

ctrl_center_i *control_centre_c::ctrl_center()
{
    return center->center_face();
}

text_provider_i *control_centre_c::text_provider()
{
    return texts.get();
}

product_kernel_i *control_centre_c::create_kernel(int product_id)
{
    const kernel_factory_t make = factory(product_id);
    return make != nullptr ? make() : nullptr;
}

void control_centre_c::set_page_container(QWidget *container)
{
    if (container == page_holder)
        return;
    release_kernels();
    page_holder = container;
    start_kernel();
}

void control_centre_c::start_kernel()
{
    if (!module_loaded() || page_holder == nullptr || !running.isEmpty())
        return;
    const int product = vorla_connect_product_id;
    if (factory(product) == nullptr) {
        note(QStringLiteral("No kernel factory for product %1").arg(product));
        return;
    }
    product_kernel_i *kernel = create_kernel(product);
    if (kernel == nullptr) {
        note(QStringLiteral("The factory of product %1 made no kernel").arg(product));
        return;
    }
    launch_kernel(kernel);
}

bool control_centre_c::run_kernel(product_kernel_i *kernel)
{
    if (kernel == nullptr || page_holder == nullptr || running.contains(kernel))
        return false;
    launch_kernel(kernel);
    return true;
}

void control_centre_c::launch_kernel(product_kernel_i *kernel)
{
    running.append(kernel);
    if (client->get_active_kernel() == nullptr)
        client->set_active_kernel(kernel);
    kernel->initialise(client->face(), page_holder);
    note(QStringLiteral("Kernel of product %1 started with %2 pages")
             .arg(vorla_connect_product_id)
             .arg(kernel->page_count()));
    emit kernel_started(kernel);
}

void control_centre_c::keep_client_store(const QString &path)
{
    store = std::make_unique<client_store_keeper_c>(path);
    connect(store.get(), &client_store_keeper_c::logged, this, &control_centre_c::note);
    connect(store.get(), &client_store_keeper_c::store_changed, this,
            [this] { post_host_event(host_event_clients_changed); });
    connect(store.get(), &client_store_keeper_c::pairing_requested, this,
            [this] { post_host_event(host_event_pairing_requested); });
    // The block is read while the message is delivered: the kernel may free it later.
    connect(client.get(), &kernel_client_c::kernel_message, store.get(),
            [keeper = store.get()](int code, const QString &payload) {
                if (code == kernel_message_shared_block)
                    keeper->apply_shared_block(payload);
            });
    note(QStringLiteral("Keeping the paired-client file ") + path);
}

void control_centre_c::post_host_event(int code)
{
    QTimer::singleShot(0, this, [this, code] { send_host_event(code); });
}

void control_centre_c::release_kernels()
{
    const QList<product_kernel_i *> kernels = std::exchange(running, {});
    for (product_kernel_i *kernel : kernels) {
        if (client->get_active_kernel() == kernel)
            client->set_active_kernel(nullptr);
        kernel->release();
        note(QStringLiteral("Kernel released"));
        emit kernel_released(kernel);
    }
}

void control_centre_c::show_page(product_kernel_i *kernel, int page_id)
{
    if (kernel == nullptr || !running.contains(kernel))
        return;
    client->set_active_kernel(kernel);
    note(QStringLiteral("Showing page %1").arg(page_id));
    kernel->show_page(page_id);
}

int control_centre_c::send_host_event(int code)
{
    if (running.isEmpty()) {
        note(QStringLiteral("Host event %1 not sent: no kernel runs").arg(code));
        return 0;
    }
    // Noted first: whatever the kernel does about it lands after it in the log.
    note(QStringLiteral("Host event %1").arg(code));
    const QByteArray record = host_event_record(code);
    // A kernel may run a modal dialog for the event; whatever goes meanwhile is skipped.
    const QList<product_kernel_i *> kernels = running;
    int delivered = 0;
    for (product_kernel_i *kernel : kernels) {
        if (!running.contains(kernel))
            continue;
        kernel->on_host_event(record.constData());
        ++delivered;
    }
    return delivered;
}

QByteArray control_centre_c::host_event_record(int code)
{
    QByteArray record(16, '\0');
    qToUnaligned<qint32>(code, record.data() + host_event_code_offset);
    return record;
}

int control_centre_c::save_quick_launch_lists()
{
    if (running.isEmpty()) {
        note(QStringLiteral("Quick-launch lists not saved: no kernel runs"));
        return 0;
    }
    // Noted first: the kernel's "lists saved" message lands after it in the log.
    note(QStringLiteral("Saving the quick-launch lists"));
    const QList<product_kernel_i *> kernels = running;
    int written = 0;
    for (product_kernel_i *kernel : kernels) {
        if (running.contains(kernel))
            written += kernel->save_quick_launch_lists() != 0 ? 1 : 0;
    }
    if (written == 0)
        note(QStringLiteral("Quick-launch lists unchanged"));
    return written;
}

void control_centre_c::set_language(int id)
{
    language_id = id;
    texts->set_language(id);
    note(QStringLiteral("Language %1 (%2)").arg(id).arg(texts->languages().value(id, QStringLiteral("?"))));
    emit language_changed(id);
    center->notify_language_changed();
}

QMap<int, QString> control_centre_c::languages() const
{
    return texts->languages();
}

QList<listener_i *> control_centre_c::listeners() const
{
    return center->listeners();
}

void control_centre_c::log_call(const QString &line)
{
    call_lines.append(line);
    emit call_logged(line);
}

void *control_centre_c::query_interface(const interface_id_t *id)
{
    if (same_interface_id(id, iid_interface_i))
        return static_cast<interface_i *>(host_face());
    return nullptr;
}

ctrl_center_i *control_centre_c::get_ctrl_center()
{
    // A lookup like the text provider's: every form asks for it, and logging it
    // would bury what the module actually does.
    return ctrl_center();
}

void control_centre_c::register_kernel_factory(kernel_factory_t factory, int product_id)
{
    log_call(QStringLiteral("register_kernel_factory(%1)").arg(product_id));
    if (factory != nullptr)
        factories.insert(product_id, factory);
}

void control_centre_c::unregister_kernel_factory(int product_id)
{
    log_call(QStringLiteral("unregister_kernel_factory(%1)").arg(product_id));
    factories.remove(product_id);
}

void *control_centre_c::create_component(int kind, const interface_id_t *id)
{
    const QString hex = QString::number(kind, 16).toUpper().rightJustified(4, QLatin1Char('0'));
    log_call(QStringLiteral("create_component(0x%1)").arg(hex));
    switch (kind) {
    case component_popup_frame:
        return offer_component<popup_frame_c>(id);
    case component_reset_popup:
        return offer_component<reset_popup_c>(id);
    case component_info_badge:
        return offer_component<info_badge_c>(id);
    case component_progress:
        return offer_component<progress_bar_c>(id);
    default:
        return nullptr;
    }
}

void control_centre_c::note(const QString &line)
{
    emit note_logged(line);
}
