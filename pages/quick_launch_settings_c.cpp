#include "pages/quick_launch_settings_c.h"

#include "common/clog.h"
#include "module/host_text_ids.h"
#include "quick_launch/item_store.h"
#include "quick_launch/quick_launch_settings_fm_c.h"

quick_launch_settings_c::quick_launch_settings_c(product_kernel_i *kernel)
    : function_page_c(kernel, page_id, host_text_id::quick_launch_tab)
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
    for (const auto &[list, file_name] :
         {std::pair{&games, games_file_name}, {&programs, programs_file_name}}) {
        if (read_item_file(*list, file_name) == settings_file_c::state_t::unreadable)
            write_log(QStringLiteral("Vorla Connect : %1 exists but cannot be read; the lists are not saved "
                                     "over it.")
                          .arg(file_name),
                      true);
    }
}

void quick_launch_settings_c::number_by_position()
{
    ::number_by_position(games);
    ::number_by_position(programs);
    if (auto *form = qobject_cast<quick_launch_settings_fm_c *>(get_form()))
        form->number_by_position();
}

QWidget *quick_launch_settings_c::create_form(QWidget *container)
{
    return new quick_launch_settings_fm_c(this, get_kernel(), container);
}
