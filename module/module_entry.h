// The module's exported entry points and the module-wide objects they set up.
#ifndef VORLA_MODULE_ENTRY_H
#define VORLA_MODULE_ENTRY_H

#include "module/host_interfaces.h"

#include <QtGlobal>

class language_listener_c;

extern "C" {
// Reads the catalogue, starts the log and, with a host, registers the kernel
// factory under vorla_connect_product_id. The host object stays the host's.
Q_DECL_EXPORT void init_module(module_host_i *host);
// Detaches the language listener and unregisters the factory.
Q_DECL_EXPORT void exit_module();
}

// Each call makes a new kernel in its empty state; the caller owns it.
product_kernel_i *kernel_factory();

#endif
