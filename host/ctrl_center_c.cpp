#include "ctrl_center_c.h"

#include "control_centre_c.h"

#include <algorithm>

ctrl_center_c::ctrl_center_c(control_centre_c &host) : m_host(host) {}

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
    return m_host.text_provider();
}

void ctrl_center_c::notify_modal_dialog(int modal, int a, int b)
{
    m_host.log_call(QStringLiteral("notify_modal_dialog(%1, %2, %3)").arg(modal).arg(a).arg(b));
}

void ctrl_center_c::add_listener(listener_i *listener)
{
    m_host.log_call(QStringLiteral("add_listener"));
    if (listener == nullptr)
        return;
    const bool known = std::any_of(m_registrations.cbegin(), m_registrations.cend(),
                                   [listener](const registration_t &r) { return r.listener == listener; });
    if (!known)
        m_registrations.append({listener, m_next_serial++});
}

void ctrl_center_c::remove_listener(listener_i *listener)
{
    m_host.log_call(QStringLiteral("remove_listener"));
    m_registrations.erase(
        std::remove_if(m_registrations.begin(), m_registrations.end(),
                       [listener](const registration_t &r) { return r.listener == listener; }),
        m_registrations.end());
}

int ctrl_center_c::get_language()
{
    return m_host.language();
}

QList<listener_i *> ctrl_center_c::listeners() const
{
    QList<listener_i *> result;
    result.reserve(m_registrations.size());
    for (const registration_t &registration : m_registrations)
        result.append(registration.listener);
    return result;
}

void ctrl_center_c::notify_language_changed()
{
    const QList<registration_t> round = m_registrations;
    for (const registration_t &registration : round) {
        if (!is_registered(registration))
            continue;
        auto *face = static_cast<language_listener_i *>(
            registration.listener->query_interface(&iid_language_listener_i));
        if (face != nullptr)
            face->language_changed(language_face(), 0);
    }
}

int ctrl_center_c::forget_listeners()
{
    const int count = m_registrations.size();
    m_registrations.clear();
    return count;
}

bool ctrl_center_c::is_registered(const registration_t &registration) const
{
    return std::any_of(m_registrations.cbegin(), m_registrations.cend(), [&](const registration_t &r) {
        return r.listener == registration.listener && r.serial == registration.serial;
    });
}
