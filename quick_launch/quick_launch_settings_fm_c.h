// The quick-launch page's content: a header with title, information badge and
// reset button over the games list and the programs list. It keeps the page's
// two lists equal to what the item lists show.
#ifndef VORLA_QUICK_LAUNCH_SETTINGS_FM_C_H
#define VORLA_QUICK_LAUNCH_SETTINGS_FM_C_H

#include "common/form_base_c.h"
#include "module/host_interfaces.h"
#include "quick_launch/quick_launch_item_t.h"

#include <QPointer>
#include <QWidget>

#include <memory>

namespace Ui {
class quick_launch_settings_fm_c;
}

class item_list_fm_c;
class quick_launch_settings_c;
class scanning_progress_fm_c;

class quick_launch_settings_fm_c : public QWidget, public form_base_c, public reset_to_default_fm_client_i
{
    Q_OBJECT

public:
    // page may be null: the form then shows empty lists and keeps nothing.
    // The kernel is not used.
    quick_launch_settings_fm_c(quick_launch_settings_c *page, product_kernel_i *kernel, QWidget *parent);
    ~quick_launch_settings_fm_c() override;

    // Called by either item list after each change.
    void list_changed(item_list_fm_c *list);
    // The page's lists, or null without a page.
    quick_launch_list_t *games_list() const;
    quick_launch_list_t *programs_list() const;
    // After the page numbered its lists by position: the item lists do so too.
    void number_by_position();

    item_list_fm_c *games_list_form() const { return games; }
    item_list_fm_c *programs_list_form() const { return programs; }

    // interface_i, for all faces
    void *query_interface(const interface_id_t *id) override;
    void release() override;
    // reset_to_default_fm_client_i: 1 empties both lists; icons stay on disk
    // and nothing is saved here.
    void on_reset_answer(int answer) override;

    void retranslate_texts() override;
    void after_language_applied() override;

protected:
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void timerEvent(QTimerEvent *event) override;

private slots:
    void on_btn_scan_clicked();
    void on_btn_reset_clicked();

private:
    void place_header();

    std::unique_ptr<Ui::quick_launch_settings_fm_c> ui;
    quick_launch_settings_c *page;
    info_badge_i *info_badge = nullptr;
    // Shown as a child of the main window, which may delete it first.
    QPointer<scanning_progress_fm_c> scan_dialog;
    reset_popup_i *reset_popup = nullptr;
    item_list_fm_c *games = nullptr;
    item_list_fm_c *programs = nullptr;
};

#endif
