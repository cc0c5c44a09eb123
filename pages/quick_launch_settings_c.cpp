#include "pages/quick_launch_settings_c.h"

#include "pages/placeholder_form.h"
#include "quick_launch/item_store.h"

quick_launch_settings_c::quick_launch_settings_c(product_kernel_i *kernel)
    : function_page_c(kernel, page_id, 359)
{}

quick_launch_settings_c::~quick_launch_settings_c()
{
    // The item files are not written here: unsaved edits are dropped, and so
    // are the icons that only those edits refer to.
    discard_unsaved_icons(games, games_file_name);
    discard_unsaved_icons(programs, programs_file_name);
    destroy_form();
}

void quick_launch_settings_c::initialise()
{
    read_item_file(games, games_file_name);
    read_item_file(programs, programs_file_name);
}

QWidget *quick_launch_settings_c::create_form(QWidget *container)
{
    return create_placeholder_form(container, QStringLiteral("quick_launch_placeholder"),
                                   QStringLiteral("Quick launch"));
}
