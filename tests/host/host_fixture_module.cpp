// A minimal module for loading tests: it makes the calls a real module makes at its
// entry points, so that the host's loading, call log and unloading can be checked
// without the product module.
#include "module/host_interfaces.h"

namespace {
class fixture_listener_c : public listener_i, public language_listener_i
{
public:
    void *query_interface(const interface_id_t *id) override
    {
        if (same_interface_id(id, iid_interface_i) || same_interface_id(id, iid_listener_i))
            return static_cast<listener_i *>(this);
        if (same_interface_id(id, iid_language_listener_i))
            return static_cast<language_listener_i *>(this);
        return nullptr;
    }
    void release() override {}
    void listener_notify(int) override {}
    void listener_refresh() override {}
    void language_changed(language_service_i *, int) override {}
};

module_host_i *host = nullptr;
fixture_listener_c listener;
bool leave_registrations = false;

product_kernel_i *make_kernel()
{
    return nullptr;
}

listener_registry_i *registry()
{
    ctrl_center_i *center = host->get_ctrl_center();
    return center ? static_cast<listener_registry_i *>(center->query_interface(&iid_listener_registry_i))
                  : nullptr;
}
} // namespace

extern "C" Q_DECL_EXPORT void init_module(module_host_i *given)
{
    host = given;
    if (listener_registry_i *r = registry())
        r->add_listener(&listener);
    host->register_kernel_factory(&make_kernel, vorla_connect_product_id);
}

extern "C" Q_DECL_EXPORT void exit_module()
{
    if (leave_registrations)
        return;
    if (listener_registry_i *r = registry())
        r->remove_listener(&listener);
    host->unregister_kernel_factory(vorla_connect_product_id);
}

// Makes exit_module forget its registrations, as a careless module would.
extern "C" Q_DECL_EXPORT void fixture_leave_registrations()
{
    leave_registrations = true;
}
