// One quick-launch list on screen: a column of numbered rows under a header,
// with a button below it for adding an entry by hand. The list keeps its own
// copy of the entries and reports every change to the settings form.
#ifndef VORLA_ITEM_LIST_FM_C_H
#define VORLA_ITEM_LIST_FM_C_H

#include "common/form_base_c.h"
#include "quick_launch/item_fm_c.h"
#include "quick_launch/quick_launch_item_t.h"

#include <QBasicTimer>
#include <QImage>
#include <QList>
#include <QPoint>
#include <QWidget>

#include <memory>

namespace Ui {
class item_list_fm_c;
}

class QDrag;
class add_edit_game_fm_c;
class quick_launch_settings_fm_c;

class item_list_fm_c : public QWidget, public form_base_c, public item_row_owner_i
{
    Q_OBJECT

public:
    // Joins the parent's grid layout at row 0, column 0. form may be null;
    // the list then reports its changes to nobody.
    item_list_fm_c(quick_launch_settings_fm_c *form, QWidget *parent);
    ~item_list_fm_c() override;

    // Header title and add-button text, both also as tooltips.
    void set_titles(const QString &title, const QString &button_text);
    // Shows a new list: one row per entry without IS_DLC, in list order.
    void set_items(const quick_launch_list_t &list);
    const quick_launch_list_t &items() const { return list_items; }
    QList<item_fm_c *> rows() const { return list_rows; }
    // Every entry's Order becomes its position, as the saved lists have them.
    void number_by_position();

    // Scrolls the list so that the row is in sight.
    void show_row(item_fm_c *row);
    // Moves row to new_position among the rows and its entry with it; out of
    // range does nothing. Does not report the change.
    void move_row(item_fm_c *row, int new_position);
    // Drops the row, its entry and its icon file, then reports the change.
    void remove_row(item_fm_c *row);
    // An ID that neither this list nor the form's other list uses.
    int new_item_id() const;

    // The gap a running row drag points at (0 before the first row, n after
    // the last of n rows), or -1.
    int drop_position() const { return drop_at; }
    // The running row drag, or null.
    QDrag *current_drag() const { return drag; }

    // item_row_owner_i
    void move_row_up(item_fm_c *row) override;
    void move_row_down(item_fm_c *row) override;
    void edit_row(item_fm_c *row) override;

    void after_language_applied() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void customEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void timerEvent(QTimerEvent *event) override;

private slots:
    void on_btn_manually_add_clicked();

private:
    void add_row(const QString &name, const QString &path, int position, int id);
    // add_row past the last row, for a caller that knows the id is new and
    // that the container has its vertical box layout.
    void append_row(const QString &name, const QString &path, int position, int id);
    item_fm_c *new_row(const QString &name, const QString &path, int position, int id);
    void renumber_rows();
    void report_change();
    // Runs the add/edit dialog; on OK also replaces the entry's icon file
    // with the icon of the chosen file.
    int run_item_dialog(const QString &old_name, const QString &old_path, int id, QString &new_name,
                        QString &new_path);
    void run_drag();
    void filter_drag_event(QObject *watched, QEvent *event);
    // The gap under a drag at y in the rows container.
    void point_drop_at(int y, bool over_spacer);
    // Scrolls while the drag's pointer, at y in the scroll area's viewport,
    // is near its top or bottom edge.
    void scroll_near_edge(int y);
    void draw_indicators();
    void clear_indicators();
    bool our_drag_may_drop() const;

    std::unique_ptr<Ui::item_list_fm_c> ui;
    quick_launch_settings_fm_c *form;
    QWidget *spacer = nullptr;
    QDrag *drag = nullptr;
    item_fm_c *pressed_row = nullptr;
    bool pressed = false;
    QPoint press_point;
    int drop_at = -1;
    QBasicTimer scroll_timer;
    int scroll_step = 0;  // pixels per tick, negative upwards
    int drag_view_y = -1; // the drag's pointer in the scroll area's viewport
    std::unique_ptr<add_edit_game_fm_c> dialog;
    QImage plus_image;
    QImage plus_image_hover;
    QList<item_fm_c *> list_rows;
    quick_launch_list_t list_items;
};

#endif
