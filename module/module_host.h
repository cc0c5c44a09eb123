// Access to the host object that init_module received.
#ifndef VORLA_MODULE_HOST_H
#define VORLA_MODULE_HOST_H

#include "module/host_interfaces.h"

// The host given to init_module; null before it, never cleared afterwards.
module_host_i *module_host();
void set_module_host(module_host_i *host);

// The host's control centre, or null when there is no host or it has none.
ctrl_center_i *module_ctrl_center();

// The host's text for id, or an empty text when the host, its control centre or
// its text provider is missing.
QString host_text(int id);

#endif
