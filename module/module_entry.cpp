#include "module/module_entry.h"

#include "common/clog.h"
#include "common/global_func_c.h"
#include "common/language_listener_c.h"
#include "module/module_host.h"
#include "module/vorla_connect_kernel_c.h"

namespace {
// Owned by the module between init_module and exit_module.
language_listener_c *language_listener = nullptr;
} // namespace

void init_module(module_host_i *new_host)
{
    const auto global_func = global_func_c::shared();
    global_func->initialise();
    module_log().init(global_func->user_data_directory(), QStringLiteral("vorla_connect"));

    set_module_host(new_host);
    module_host_i *host = module_host();
    if (host == nullptr)
        return;

    language_listener = new language_listener_c;
    language_listener->attach(host->get_ctrl_center());
    for (const int language : global_func->language_ids())
        language_listener->set_translation_file(language, global_func->translation_file(language));
    language_listener->reload_translation();

    host->register_kernel_factory(kernel_factory, vorla_connect_product_id);
}

void exit_module()
{
    module_host_i *host = module_host();
    if (host == nullptr)
        return;
    if (language_listener != nullptr) {
        language_listener->detach(host->get_ctrl_center());
        language_listener->release();
        language_listener = nullptr;
    }
    host->unregister_kernel_factory(vorla_connect_product_id);
}

product_kernel_i *kernel_factory()
{
    return new vorla_connect_kernel_c;
}
