// The control-centre object the module reaches through module_host_i::get_ctrl_center.
#ifndef VORLA_HOST_CTRL_CENTER_C_H
#define VORLA_HOST_CTRL_CENTER_C_H

#include "module/host_interfaces.h"

#include <QHash>
#include <QList>
#include <QMap>

class control_centre_c;

// One object with three faces: the control centre itself, its listener registry and
// its language service. All three answer query_interface alike, so the module may
// ask any of them for any of the others and sees one object.
class ctrl_center_c : public ctrl_center_i, public listener_registry_i, public language_service_i
{
public:
    // The host owns this object and outlives it.
    explicit ctrl_center_c(control_centre_c &host);
    ~ctrl_center_c() = default;

    ctrl_center_c(const ctrl_center_c &) = delete;
    ctrl_center_c &operator=(const ctrl_center_c &) = delete;

    // interface_i, shared by all faces
    void *query_interface(const interface_id_t *id) override;
    // The host owns the object; a release from the module changes nothing.
    void release() override {}

    // ctrl_center_i
    void reserved_center_2() override {}
    void reserved_center_3() override {}
    void reserved_center_4() override {}
    void reserved_center_5() override {}
    void reserved_center_6() override {}
    text_provider_i *get_text_provider() override;
    void reserved_center_8() override {}
    void reserved_center_9() override {}
    void reserved_center_10() override {}
    void reserved_center_11() override {}
    void reserved_center_12() override {}
    void reserved_center_13() override {}
    void reserved_center_14() override {}
    void reserved_center_15() override {}
    void notify_modal_dialog(int modal, int a, int b) override;

    // listener_registry_i. Listeners are borrowed: each must remove itself before it dies.
    void add_listener(listener_i *listener) override;
    void remove_listener(listener_i *listener) override;

    // language_service_i
    int get_language() override;

    ctrl_center_i *center_face() { return this; }
    listener_registry_i *registry_face() { return this; }
    language_service_i *language_face() { return this; }

    QList<listener_i *> listeners() const;
    // Calls language_changed on the language_listener_i face of every listener registered
    // when the round starts and still registered when its turn comes, so a listener may
    // remove itself or others (or add new ones) while being told.
    void notify_language_changed();
    // Drops every listener without telling it, for when the code behind them goes away.
    int forget_listeners();

private:
    control_centre_c &host;
    // Every row of a long list registers itself, so both directions are looked up,
    // never searched. The serial keeps the order of registration and tells a listener
    // apart from a new one given the same address while a notification round runs.
    QHash<listener_i *, quint64> serials;
    QMap<quint64, listener_i *> by_serial;
    quint64 next_serial = 0;
};

#endif
