#include "pages/connect_c.h"

#include "connect/mobile_app_fm_c.h"
#include "module/host_text_ids.h"
#include "module/vorla_connect_kernel_c.h"

connect_c::connect_c(product_kernel_i *kernel) : function_page_c(kernel, page_id, host_text_id::connect_tab)
{}

connect_c::~connect_c()
{
    destroy_form();
}

QWidget *connect_c::create_form(QWidget *container)
{
    // The form sends commands through the kernel's shared-memory hand-off, which
    // only the module's own kernel offers.
    return new mobile_app_fm_c(dynamic_cast<vorla_connect_kernel_c *>(get_kernel()), container);
}

void connect_c::refresh_phone_list()
{
    if (auto *form = qobject_cast<mobile_app_fm_c *>(get_form()))
        form->reload_clients();
}

void connect_c::add_client_row(const QString &client_id, bool paired)
{
    if (auto *form = qobject_cast<mobile_app_fm_c *>(get_form()))
        form->add_client_row(client_id, paired);
}
