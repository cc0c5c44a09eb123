#include "pages/connect_c.h"

#include "pages/placeholder_form.h"

connect_c::connect_c(product_kernel_i *kernel) : function_page_c(kernel, page_id, 358) {}

connect_c::~connect_c()
{
    destroy_form();
}

QWidget *connect_c::create_form(QWidget *container)
{
    return create_placeholder_form(container, QStringLiteral("connect_placeholder"),
                                   QStringLiteral("Phone connection"));
}

void connect_c::refresh_phone_list() {}

void connect_c::add_client_row(const QString &, bool) {}
