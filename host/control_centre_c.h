// The stand-in control centre: loads the module, offers it the host objects and
// records every call the module makes on them.
#ifndef VORLA_HOST_CONTROL_CENTRE_C_H
#define VORLA_HOST_CONTROL_CENTRE_C_H

#include "module/host_interfaces.h"

#include <QMap>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QWidget>

#include <memory>

class QLibrary;
class client_store_keeper_c;
class ctrl_center_c;
class kernel_client_c;
class text_provider_c;

class control_centre_c : public QObject, public module_host_i
{
    Q_OBJECT

public:
    explicit control_centre_c(QObject *parent = nullptr);
    // Unloads the module if one is still loaded.
    ~control_centre_c() override;

    // Module

    // Loads the library, resolves its C entry points "init_module" and "exit_module" and
    // calls init_module with host_face(). Fails, with a reason in *error, when the file
    // does not load, lacks an entry point or a module is already loaded; a failed load
    // makes no call into the library.
    bool load_module(const QString &file_path, QString *error = nullptr);
    // Releases the kernels, which ends the dialogs the module opened, calls
    // exit_module, then unloads the library: at once, or, when called from inside
    // a nested event loop that a module dialog ran, once that loop has returned.
    // Factories and listeners that the module left behind are dropped: nothing may
    // call into a module after exit_module. Does nothing when no module is loaded.
    void unload_module();
    bool module_loaded() const { return exit_entry != nullptr; }
    QString module_path() const;

    // Faces given to the module; all are owned by this object.
    module_host_i *host_face() { return this; }
    ctrl_center_i *ctrl_center();
    text_provider_i *text_provider();

    // Kernel factories, by product id

    kernel_factory_t factory(int product_id) const { return factories.value(product_id); }
    QList<int> product_ids() const { return factories.keys(); }
    // A new kernel from the product's factory, or null without one. The caller owns the
    // kernel and ends it with release() before the module is unloaded.
    product_kernel_i *create_kernel(int product_id);

    // Running kernels

    // The widget the kernels draw their pages into; borrowed. With a container and a
    // loaded module the host runs one kernel of vorla_connect_product_id, initialised with the
    // kernel client and the container. Changing or clearing the container releases
    // the running kernels first, since their forms live in the old one; whoever
    // owns the container clears it before the container dies.
    void set_page_container(QWidget *container);
    QWidget *page_container() const { return page_holder; }
    // Kernels the host made and owns, in order of creation.
    QList<product_kernel_i *> kernels() const { return running; }
    kernel_client_c *kernel_client() const { return client.get(); }
    // Runs a kernel that comes from elsewhere than a factory, as the ones the host
    // makes: it needs a page container; the host takes ownership and releases it
    // with the others. For kernels built into the same program, such as in tests.
    bool run_kernel(product_kernel_i *kernel);
    // Makes the kernel the active one, then has it show the page.
    void show_page(product_kernel_i *kernel, int page_id);
    // Hands every running kernel a record with this event code; returns how many got it.
    int send_host_event(int code);
    // The record on_host_event receives: 16 zero bytes with the code, in host byte
    // order, at offset 2, where a reader cannot assume alignment.
    static QByteArray host_event_record(int code);
    // Has every running kernel write its quick-launch lists if they changed; returns
    // how many wrote. The host does not save on unload: whoever unloads decides.
    int save_quick_launch_lists();

    // Paired-client file

    // From now on the host also stands in for the program that keeps the file at
    // path: client commands in kernel_message_shared_block messages are applied
    // to it, and every change is reported to the kernels with
    // host_event_clients_changed, a pairing request with host_event_pairing_requested.
    // Both events are queued, as they would come from another process: the kernel
    // may be in the middle of sending.
    void keep_client_store(const QString &path);
    // Null until keep_client_store.
    client_store_keeper_c *client_store() const { return store.get(); }

    // Language

    // Stores the language, then tells every registered listener through its
    // language_listener_i face.
    void set_language(int id);
    int language() const { return language_id; }
    // Language id -> the language's own name, as offered in the text tables.
    QMap<int, QString> languages() const;
    QList<listener_i *> listeners() const;

    // Call log

    // Shows in note_logged the lines the module also echoes to the console about
    // work it could not do ("Vorla Connect : ..."), such as a failed save. One
    // host at a time; undone when this host ends.
    void watch_module_messages();

    // Every call the module made on the host objects, in order, one readable line each.
    QStringList calls() const { return call_lines; }
    void clear_calls() { call_lines.clear(); }
    // Records a call from the module and announces it through call_logged.
    void log_call(const QString &line);

    // interface_i
    void *query_interface(const interface_id_t *id) override;
    // The host lives as long as the program; a release from the module changes nothing.
    void release() override {}
    // module_host_i
    void reserved_host_2() override {}
    ctrl_center_i *get_ctrl_center() override;
    void register_kernel_factory(kernel_factory_t factory, int product_id) override;
    void unregister_kernel_factory(int product_id) override;
    // The info badge (0x1601), popup frame (0x1B01), reset popup (0x1E01) and
    // progress bar (0x3601) exist; for other kinds the module skips or does without
    // the features that need them.
    void *create_component(int kind, const interface_id_t *id) override;

signals:
    // A call the module made on the host, as recorded in calls().
    void call_logged(const QString &line);
    // What the host itself did or found: module loaded, unloaded or refused, and so on.
    void note_logged(const QString &line);
    // Comes before the module's listeners hear of the change, so that whatever the
    // host restyles is in place when they measure their texts.
    void language_changed(int id);
    // A kernel was made and initialised; its pages may be asked for their tab buttons.
    void kernel_started(product_kernel_i *kernel);
    // A kernel was released. The pointer only tells which one; it must not be called.
    void kernel_released(product_kernel_i *kernel);

private:
    void note(const QString &line);
    void start_kernel();
    void launch_kernel(product_kernel_i *kernel);
    void post_host_event(int code);
    void release_kernels();
    static int open_modal_windows();
    void finish_unload();

    std::unique_ptr<text_provider_c> texts;
    std::unique_ptr<ctrl_center_c> center;
    std::unique_ptr<kernel_client_c> client;
    std::unique_ptr<client_store_keeper_c> store;
    QPointer<QWidget> page_holder;
    QList<product_kernel_i *> running;
    std::unique_ptr<QLibrary> loaded_library;
    // Unloaded, but still mapped until the event loops deeper than the level are gone.
    std::unique_ptr<QLibrary> leaving_library;
    int leaving_level = 0;
    void (*exit_entry)() = nullptr;
    QMap<int, kernel_factory_t> factories;
    QStringList call_lines;
    int language_id = 0;
};

#endif
