#include "ctrl_center_c.h"

#include "control_centre_c.h"

ctrl_center_c::ctrl_center_c(control_centre_c &host) : host(host) {}

void *ctrl_center_c::query_interface(const interface_id_t *id)
{
    // The control-centre face is the primary one and stands for the whole object.
    if (same_interface_id(id, iid_interface_i))
        return static_cast<interface_i *>(center_face());
    if (same_interface_id(id, iid_listener_registry_i))
        return registry_face();
    if (same_interface_id(id, iid_language_service_i))
        return language_face();
    return nullptr;
}

text_provider_i *ctrl_center_c::get_text_provider()
{
    return host.text_provider();
}

void ctrl_center_c::notify_modal_dialog(int modal, int a, int b)
{
    host.log_call(QStringLiteral("notify_modal_dialog(%1, %2, %3)").arg(modal).arg(a).arg(b));
}

void ctrl_center_c::add_listener(listener_i *listener)
{
    host.log_call(QStringLiteral("add_listener"));
    if (listener == nullptr || serials.contains(listener))
        return;
    serials.insert(listener, next_serial);
    by_serial.insert(next_serial, listener);
    ++next_serial;
}

void ctrl_center_c::remove_listener(listener_i *listener)
{
    host.log_call(QStringLiteral("remove_listener"));
    const auto found = serials.constFind(listener);
    if (found == serials.cend())
        return;
    by_serial.remove(found.value());
    serials.erase(found);
}

int ctrl_center_c::get_language()
{
    return host.language();
}

QList<listener_i *> ctrl_center_c::listeners() const
{
    return by_serial.values();
}

void ctrl_center_c::notify_language_changed()
{
    const QMap<quint64, listener_i *> round = by_serial;
    for (auto it = round.cbegin(); it != round.cend(); ++it) {
        // Gone or replaced by a newcomer at the same address since the round started.
        if (serials.value(it.value(), next_serial) != it.key())
            continue;
        auto *face =
            static_cast<language_listener_i *>(it.value()->query_interface(&iid_language_listener_i));
        if (face != nullptr)
            face->language_changed(language_face(), 0);
    }
}

int ctrl_center_c::forget_listeners()
{
    const int count = serials.size();
    serials.clear();
    by_serial.clear();
    return count;
}
