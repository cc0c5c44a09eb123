#include "module/module_host.h"

namespace {
module_host_i *host = nullptr;
}

module_host_i *module_host()
{
    return host;
}

void set_module_host(module_host_i *new_host)
{
    host = new_host;
}

ctrl_center_i *module_ctrl_center()
{
    return host != nullptr ? host->get_ctrl_center() : nullptr;
}

QString host_text(int id)
{
    ctrl_center_i *ctrl_center = module_ctrl_center();
    text_provider_i *provider = ctrl_center != nullptr ? ctrl_center->get_text_provider() : nullptr;
    return provider != nullptr ? provider->get_text(id, 0) : QString();
}
