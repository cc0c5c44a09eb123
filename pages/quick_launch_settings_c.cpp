#include "pages/quick_launch_settings_c.h"

#include "pages/placeholder_form.h"

quick_launch_settings_c::quick_launch_settings_c(product_kernel_i *kernel)
    : function_page_c(kernel, page_id, 359)
{}

quick_launch_settings_c::~quick_launch_settings_c()
{
    destroy_form();
}

void quick_launch_settings_c::initialise() {}

QWidget *quick_launch_settings_c::create_form(QWidget *container)
{
    return create_placeholder_form(container, QStringLiteral("quick_launch_placeholder"),
                                   QStringLiteral("Quick launch"));
}
