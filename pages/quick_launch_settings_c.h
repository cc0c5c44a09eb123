// The quick-launch page. It owns the games and programs lists for as
// long as it lives, whether or not its form is shown.
#ifndef VORLA_QUICK_LAUNCH_SETTINGS_C_H
#define VORLA_QUICK_LAUNCH_SETTINGS_C_H

#include "pages/function_page_c.h"
#include "quick_launch/quick_launch_item_t.h"

class quick_launch_settings_c final : public function_page_c
{
public:
    // The number under which the host and the kernel ask for this page.
    static constexpr int page_id = 9;

    explicit quick_launch_settings_c(product_kernel_i *kernel);
    ~quick_launch_settings_c() override;

    void initialise() override;

    quick_launch_list_t *get_games() { return &games; }
    quick_launch_list_t *get_programs() { return &programs; }
    // Gives every entry of both lists its position as Order, in the shown
    // form's copies too, which it hands back after its next change.
    void number_by_position();

protected:
    QWidget *create_form(QWidget *container) override;

private:
    quick_launch_list_t games;
    quick_launch_list_t programs;
};

#endif
