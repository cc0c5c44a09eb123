#include "quick_launch/quick_launch_settings_fm_c.h"

#include "common/clog.h"
#include "module/host_text_ids.h"
#include "module/module_host.h"
#include "pages/quick_launch_settings_c.h"
#include "quick_launch/fit_button.h"
#include "quick_launch/item_list_fm_c.h"
#include "scanner/scanning_progress_fm_c.h"

#include "ui_quick_launch_settings_fm_c.h"

quick_launch_settings_fm_c::quick_launch_settings_fm_c(quick_launch_settings_c *page, product_kernel_i *,
                                                       QWidget *parent)
    : QWidget(parent), ui(std::make_unique<Ui::quick_launch_settings_fm_c>()), page(page)
{
    ui->setupUi(this);

    if (module_host_i *host = module_host()) {
        reset_popup =
            static_cast<reset_popup_i *>(host->create_component(component_reset_popup, &iid_reset_popup_i));
        info_badge =
            static_cast<info_badge_i *>(host->create_component(component_info_badge, &iid_info_badge_i));
    }
    if (info_badge != nullptr) {
        info_badge->place_in(ui->wg_info);
        info_badge->set_title(host_text(host_text_id::quick_launch_title));
        info_badge->set_text(host_text(host_text_id::quick_launch_about));
    }

    games = new item_list_fm_c(this, ui->wg_game_list);
    games->set_titles(host_text(host_text_id::games_title), host_text(host_text_id::add_game));
    programs = new item_list_fm_c(this, ui->wg_program_list);
    programs->set_titles(host_text(host_text_id::programs_title), host_text(host_text_id::add_program));
    games->set_items(page != nullptr ? *page->get_games() : quick_launch_list_t());
    programs->set_items(page != nullptr ? *page->get_programs() : quick_launch_list_t());

    // The header floats above the layout and follows the form's width.
    for (QWidget *floating : {static_cast<QWidget *>(ui->btn_reset), static_cast<QWidget *>(ui->btn_scan),
                              static_cast<QWidget *>(ui->lb_scan_info), ui->wg_info, ui->wg_icon,
                              static_cast<QWidget *>(ui->lb_func_name), ui->wg_slash}) {
        floating->setParent(this);
        floating->show();
    }
    // Scanning is offered only where the host shows these by name.
    ui->btn_scan->hide();
    ui->lb_scan_info->hide();

    if (parent != nullptr)
        parent->setMinimumSize(size());
    join_parent_grid(this, parent);

    set_font(ui->lb_func_name, font_family::heavy, 15);
    set_font(ui->btn_scan, font_family::heavy, 14);
    set_font(ui->lb_scan_info, font_family::heavy, 12);
    if (ctrl_center_i *ctrl_center = module_ctrl_center())
        attach(ctrl_center);
    place_header();
}

quick_launch_settings_fm_c::~quick_launch_settings_fm_c()
{
    delete scan_dialog;
    if (reset_popup != nullptr)
        reset_popup->release();
    if (info_badge != nullptr)
        info_badge->release();
}

quick_launch_list_t *quick_launch_settings_fm_c::games_list() const
{
    return page != nullptr ? page->get_games() : nullptr;
}

quick_launch_list_t *quick_launch_settings_fm_c::programs_list() const
{
    return page != nullptr ? page->get_programs() : nullptr;
}

void quick_launch_settings_fm_c::number_by_position()
{
    games->number_by_position();
    programs->number_by_position();
}

void quick_launch_settings_fm_c::list_changed(item_list_fm_c *list)
{
    quick_launch_list_t *target = nullptr;
    if (list != nullptr && list == games)
        target = games_list();
    else if (list != nullptr && list == programs)
        target = programs_list();
    if (target != nullptr && !target->isSharedWith(list->items()))
        *target = list->items();
}

void *quick_launch_settings_fm_c::query_interface(const interface_id_t *id)
{
    if (same_interface_id(id, iid_interface_i))
        return static_cast<listener_i *>(this);
    if (same_interface_id(id, iid_reset_to_default_fm_client_i))
        return static_cast<reset_to_default_fm_client_i *>(this);
    return form_base_c::query_interface(id);
}

void quick_launch_settings_fm_c::release()
{
    delete this;
}

void quick_launch_settings_fm_c::on_btn_reset_clicked()
{
    if (reset_popup != nullptr)
        reset_popup->ask_reset(ui->btn_reset, static_cast<reset_to_default_fm_client_i *>(this));
}

void quick_launch_settings_fm_c::on_reset_answer(int answer)
{
    if (answer != reset_lists)
        return;
    write_log(QStringLiteral("quick_launch_settings_fm_c: both lists reset to default"), false);
    quick_launch_list_t *game_items = games_list();
    quick_launch_list_t *program_items = programs_list();
    if (game_items != nullptr)
        game_items->clear();
    if (program_items != nullptr)
        program_items->clear();
    games->set_items(game_items != nullptr ? *game_items : quick_launch_list_t());
    programs->set_items(program_items != nullptr ? *program_items : quick_launch_list_t());
}

void quick_launch_settings_fm_c::on_btn_scan_clicked()
{
    if (scan_dialog == nullptr)
        scan_dialog = new scanning_progress_fm_c(this);
    const quick_launch_list_t games_before = games_list() != nullptr ? *games_list() : quick_launch_list_t();
    const quick_launch_list_t programs_before =
        programs_list() != nullptr ? *programs_list() : quick_launch_list_t();

    // The scanner adds its finds to the page's lists directly.
    QPointer<quick_launch_settings_fm_c> self(this);
    const int result = scan_dialog->start_and_run();
    if (self == nullptr)
        return; // the page went away while the dialog ran
    if (result == QDialog::Accepted) {
        // The scanner appends its finds: a list that grew shows its end.
        const auto refill = [](item_list_fm_c *list, const quick_launch_list_t *items, int size_before) {
            list->set_items(items != nullptr ? *items : quick_launch_list_t());
            if (items != nullptr && items->size() > size_before && !list->rows().isEmpty())
                list->show_row(list->rows().last());
        };
        refill(games, games_list(), games_before.size());
        refill(programs, programs_list(), programs_before.size());
        return;
    }
    if (games_list() != nullptr && !games_list()->isSharedWith(games_before))
        *games_list() = games_before;
    if (programs_list() != nullptr && !programs_list()->isSharedWith(programs_before))
        *programs_list() = programs_before;
    games->set_items(games_before);
    programs->set_items(programs_before);
}

void quick_launch_settings_fm_c::retranslate_texts()
{
    ui->lb_func_name->setText(host_text(host_text_id::quick_launch_title));
    ui->btn_scan->setText(host_text(host_text_id::scan));
    ui->lb_scan_info->setText(host_text(host_text_id::scan_info));
    if (info_badge != nullptr) {
        info_badge->set_title(host_text(host_text_id::quick_launch_title));
        info_badge->set_text(host_text(host_text_id::quick_launch_about));
    }
    games->set_titles(host_text(host_text_id::games_title), host_text(host_text_id::add_game));
    programs->set_titles(host_text(host_text_id::programs_title), host_text(host_text_id::add_program));
    for (QLabel *frame : {ui->label_17, ui->label_21, ui->label_19, ui->label_23, ui->label_24, ui->label_20,
                          ui->label_22, ui->label_18})
        frame->setText(QString());
    ui->btn_reset->setText(QString());
}

void quick_launch_settings_fm_c::after_language_applied()
{
    fit_button_to_text(ui->btn_scan, 140, 18, button_anchor_t::left);
    place_header();
}

void quick_launch_settings_fm_c::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    place_header();
}

void quick_launch_settings_fm_c::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    place_header();
}

void quick_launch_settings_fm_c::timerEvent(QTimerEvent *event)
{
    killTimer(event->timerId());
}

void quick_launch_settings_fm_c::place_header()
{
    const int w = width();
    ui->wg_info->move(w - 29, 17);
    ui->btn_reset->move(w - 50, 17);
    ui->wg_icon->move(27, 28);
    ui->wg_slash->move(111, 29);
    ui->lb_func_name->move(131, 26);
    ui->lb_func_name->setFixedWidth(qMax(0, ui->wg_content->width() - ui->lb_func_name->x() - 60));
    ui->btn_scan->move(112, 71);
    ui->lb_scan_info->move(ui->btn_scan->x() + ui->btn_scan->width() + 16, 75);
}
