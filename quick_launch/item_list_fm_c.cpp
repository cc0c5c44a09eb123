#include "quick_launch/item_list_fm_c.h"

#include "common/hidden_while_refilled.h"
#include "module/custom_event_c.h"
#include "module/module_host.h"
#include "quick_launch/add_edit_game_fm_c.h"
#include "quick_launch/fit_button.h"
#include "quick_launch/item_store.h"
#include "quick_launch/quick_launch_settings_fm_c.h"
#include "scanner/program_scanner_tool_c.h"

#include "ui_item_list_fm_c.h"

#include <QDrag>
#include <QDragMoveEvent>
#include <QFile>
#include <QMimeData>
#include <QPainter>
#include <QPointer>
#include <QScrollBar>
#include <QSet>
#include <QVBoxLayout>

#include <utility>

namespace {
// Drop gaps are measured with this pitch, although rows (36 px) and their
// spacing (1 px) repeat every 37 px; it is how the gaps have always felt.
constexpr int drop_pitch = 35;
// A drag this close to the top or bottom edge of the visible rows scrolls the
// list, faster nearer the edge: from 2 to 14 pixels a tick, 50 ticks a second.
constexpr int scroll_zone = 24;
constexpr int scroll_interval_ms = 20;
const QPoint plus_image_position(19, 6);

int index_of_id(const quick_launch_list_t &list, int id)
{
    for (int i = 0; i < list.size(); ++i)
        if (list.at(i).ID == id)
            return i;
    return -1;
}

bool has_id(const quick_launch_list_t *list, int id)
{
    return list != nullptr && index_of_id(*list, id) >= 0;
}

} // namespace

item_list_fm_c::item_list_fm_c(quick_launch_settings_fm_c *form, QWidget *parent)
    : QWidget(parent), ui(std::make_unique<Ui::item_list_fm_c>()), form(form),
      plus_image(QStringLiteral("://graphics/common/Plus_normal.png")),
      plus_image_hover(QStringLiteral("://graphics/common/Plus_over.png"))
{
    ui->setupUi(this);
    join_parent_grid(this, parent);
    ui->btn_manually_add->installEventFilter(this);

    set_font(ui->lb_name, font_family::heavy, 14);
    set_font(ui->btn_manually_add, font_family::heavy, 14);
    if (ctrl_center_i *ctrl_center = module_ctrl_center())
        attach(ctrl_center);

    ui->wg_scroll_area->setStyleSheet(item_fm_c::shared_style_sheet());
    ui->wg_scroll_area->setAcceptDrops(true);
    ui->wg_scroll_area->installEventFilter(this);
    setMouseTracking(true);
}

item_list_fm_c::~item_list_fm_c()
{
    dialog.reset();
    // Rows go before the widgets that hold them, while the list is whole, and
    // from a hidden container, which spares each its own requests.
    ui->wg_scroll_area->hide();
    qDeleteAll(list_rows);
}

void item_list_fm_c::set_titles(const QString &title, const QString &button_text)
{
    ui->lb_name->setText(title);
    ui->lb_name->setToolTip(title);
    ui->btn_manually_add->setText(button_text);
    ui->btn_manually_add->setToolTip(button_text);
    fit_button_to_text(ui->btn_manually_add, 140, 31, button_anchor_t::centre);
}

void item_list_fm_c::after_language_applied()
{
    fit_button_to_text(ui->btn_manually_add, 140, 31, button_anchor_t::centre);
}

void item_list_fm_c::set_items(const quick_launch_list_t &list)
{
    // A removal still queued names a row that is about to go.
    QCoreApplication::removePostedEvents(this, remove_row_event);
    hidden_while_refilled_t hidden(ui->wg_scroll_area, hidden_while_refilled_t::sizing_t::grown_to_rows);
    pressed_row = nullptr;
    qDeleteAll(list_rows);
    list_rows.clear();
    delete spacer;
    spacer = nullptr;

    list_items = list;
    if (qobject_cast<QVBoxLayout *>(ui->wg_scroll_area->layout()) != nullptr) {
        // One row per ID, as add_row keeps it, without asking every row.
        QSet<int> shown_ids;
        shown_ids.reserve(list_items.size());
        for (int i = 0; i < list_items.size(); ++i) {
            const quick_launch_item_t &item = list_items.at(i);
            if (!item.IS_DLC && !shown_ids.contains(item.ID)) {
                shown_ids.insert(item.ID);
                append_row(item.Game_Name, item.Game_Path, i, item.ID);
                hidden.row_added();
            }
        }
    }

    if (QLayout *layout = ui->wg_scroll_area->layout()) {
        spacer = new QWidget(ui->wg_scroll_area);
        spacer->setObjectName(QStringLiteral("wg_drop_spacer"));
        spacer->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Expanding);
        spacer->setAcceptDrops(true);
        spacer->installEventFilter(this);
        layout->addWidget(spacer);
    }
    renumber_rows();
}

void item_list_fm_c::number_by_position()
{
    ::number_by_position(list_items);
}

void item_list_fm_c::show_row(item_fm_c *row)
{
    if (row == nullptr || !list_rows.contains(row))
        return;
    // A row just added has no place yet (the layout would show it later):
    // show it, lay the rows out and let the scroll area take their new height
    // now, or it would aim at the old end.
    row->show();
    if (QLayout *layout = ui->wg_scroll_area->layout())
        layout->activate();
    QEvent request(QEvent::LayoutRequest);
    QCoreApplication::sendEvent(ui->scrollArea, &request);
    ui->scrollArea->ensureWidgetVisible(row, 0, 0);
}

void item_list_fm_c::add_row(const QString &name, const QString &path, int position, int id)
{
    auto *layout = qobject_cast<QVBoxLayout *>(ui->wg_scroll_area->layout());
    if (layout == nullptr)
        return;
    for (const item_fm_c *row : std::as_const(list_rows))
        if (row->id() == id)
            return;
    if (position < list_rows.size()) {
        item_fm_c *row = new_row(name, path, position, id);
        position = qMax(0, position);
        list_rows.insert(position, row);
        layout->insertWidget(position, row);
    } else {
        append_row(name, path, position, id);
    }
}

void item_list_fm_c::append_row(const QString &name, const QString &path, int position, int id)
{
    item_fm_c *row = new_row(name, path, position, id);
    list_rows.append(row);
    // Before the spacer, which stays last.
    static_cast<QVBoxLayout *>(ui->wg_scroll_area->layout())->insertWidget(list_rows.size() - 1, row);
}

item_fm_c *item_list_fm_c::new_row(const QString &name, const QString &path, int position, int id)
{
    // Made inside its container: moving a row there would polish it again.
    auto *row = new item_fm_c(this, this, ui->wg_scroll_area);
    row->set_row(id, position, name, path);
    return row;
}

void item_list_fm_c::renumber_rows()
{
    const int last = list_rows.size() - 1;
    for (int i = 0; i <= last; ++i) {
        list_rows.at(i)->set_number(i);
        list_rows.at(i)->set_arrows(i != 0, i != last);
    }
}

void item_list_fm_c::report_change()
{
    if (form != nullptr)
        form->list_changed(this);
}

int item_list_fm_c::new_item_id() const
{
    const quick_launch_list_t *games = form != nullptr ? form->games_list() : nullptr;
    const quick_launch_list_t *programs = form != nullptr ? form->programs_list() : nullptr;
    return draw_item_id(
        [&](int id) { return has_id(&list_items, id) || has_id(games, id) || has_id(programs, id); });
}

int item_list_fm_c::run_item_dialog(const QString &old_name, const QString &old_path, int id,
                                    QString &new_name, QString &new_path)
{
    dialog.reset();
    dialog = std::make_unique<add_edit_game_fm_c>();
    QPointer<item_list_fm_c> self(this);
    const int result = dialog->exec_dialog(old_name, old_path);
    if (self == nullptr)
        return 0;
    const QString name = dialog->game_name();
    const QString path = dialog->game_path();
    dialog.reset();
    if (result != add_edit_game_fm_c::confirmed)
        return result;

    new_name = name;
    new_path = path;
    const QString icon = icon_file(id);
    const bool changed =
        (!old_name.isEmpty() && old_name != new_name) || (!old_path.isEmpty() && old_path != new_path);
    // The new picture replaces the old one whole; the old one goes only when
    // the new file has none, never because a write failed.
    if (program_scanner_tool_c::save_file_icon(new_path, icon) ==
            program_scanner_tool_c::icon_saved_t::no_picture &&
        changed)
        QFile::remove(icon);
    return result;
}

void item_list_fm_c::on_btn_manually_add_clicked()
{
    const int id = new_item_id();
    QString name;
    QString path;
    if (run_item_dialog(QString(), QString(), id, name, path) != add_edit_game_fm_c::confirmed)
        return;

    quick_launch_item_t item;
    item.ID = id;
    item.Order = list_items.size();
    item.Game_Type = quick_launch_item_t::by_hand_or_launcher;
    item.Platform_ID = 0;
    item.IS_DLC = false;
    item.Game_Name = name;
    item.Game_Path = path;
    list_items.append(item);
    add_row(name, path, list_rows.size(), id);
    report_change();
    renumber_rows();
    show_row(list_rows.isEmpty() ? nullptr : list_rows.last());
}

void item_list_fm_c::edit_row(item_fm_c *row)
{
    if (row == nullptr || !list_rows.contains(row))
        return;
    const int id = row->id();
    QString name;
    QString path;
    QPointer<item_fm_c> alive(row);
    if (run_item_dialog(row->name(), row->path(), id, name, path) != add_edit_game_fm_c::confirmed ||
        alive == nullptr)
        return;
    // The dialog wrote a new icon file even when nothing else changed.
    row->reload_icon();
    if (name == row->name() && path == row->path())
        return;
    row->set_name(name);
    row->set_path(path);
    for (quick_launch_item_t &item : list_items) {
        if (item.ID == id) {
            item.Game_Name = name;
            item.Game_Path = path;
        }
    }
    report_change();
}

void item_list_fm_c::customEvent(QEvent *event)
{
    if (event->type() != static_cast<QEvent::Type>(remove_row_event))
        return;
    auto *row = static_cast<custom_event_c *>(event)->payload.value<item_fm_c *>();
    // Two clicks queue two requests for one row; the second finds it gone.
    if (row != nullptr && list_rows.contains(row))
        remove_row(row);
}

void item_list_fm_c::remove_row(item_fm_c *row)
{
    if (qobject_cast<QVBoxLayout *>(ui->wg_scroll_area->layout()) == nullptr || !list_rows.contains(row))
        return;
    const int id = row->id();
    const int entry = index_of_id(list_items, id);
    if (entry >= 0)
        list_items.removeAt(entry);
    list_rows.removeOne(row);
    QFile::remove(icon_file(id));
    if (pressed_row == row)
        pressed_row = nullptr;
    delete row;
    renumber_rows();
    report_change();
}

void item_list_fm_c::move_row(item_fm_c *row, int new_position)
{
    auto *layout = qobject_cast<QVBoxLayout *>(ui->wg_scroll_area->layout());
    const int old_position = list_rows.indexOf(row);
    if (layout == nullptr || old_position < 0 || new_position < 0 || new_position >= list_rows.size())
        return;

    // Rows show only the entries without IS_DLC, so positions are matched
    // through the IDs: the moved entry takes the place of the entry whose row
    // it displaces, and hidden entries keep theirs.
    const int from = index_of_id(list_items, row->id());
    const int to = index_of_id(list_items, list_rows.at(new_position)->id());
    layout->removeWidget(row);
    layout->insertWidget(new_position, row);
    list_rows.move(old_position, new_position);
    if (from >= 0 && to >= 0)
        list_items.move(from, to);
    renumber_rows();
}

void item_list_fm_c::move_row_up(item_fm_c *row)
{
    move_row(row, list_rows.indexOf(row) - 1);
    report_change();
}

void item_list_fm_c::move_row_down(item_fm_c *row)
{
    move_row(row, list_rows.indexOf(row) + 1);
    report_change();
}

void item_list_fm_c::mousePressEvent(QMouseEvent *event)
{
    QWidget::mousePressEvent(event);
    if (event->button() != Qt::LeftButton)
        return;
    pressed = true;
    press_point = ui->wg_scroll_area->mapFrom(this, event->pos());
    pressed_row = nullptr;
    for (item_fm_c *row : std::as_const(list_rows)) {
        if (row->geometry().contains(press_point)) {
            pressed_row = row;
            break;
        }
    }
}

void item_list_fm_c::mouseReleaseEvent(QMouseEvent *event)
{
    QWidget::mouseReleaseEvent(event);
    pressed = false;
}

void item_list_fm_c::mouseMoveEvent(QMouseEvent *event)
{
    QWidget::mouseMoveEvent(event);
    // No minimum distance: a row follows the mouse from the first move.
    if (drag == nullptr && pressed && pressed_row != nullptr)
        run_drag();
}

void item_list_fm_c::run_drag()
{
    drop_at = -1;
    item_fm_c *row = pressed_row;
    const QSize size(row->width(), qMax(1, row->height() - 2));

    // Without its 1-pixel margins, faded, and tinted with the accent colour.
    QPixmap row_picture(size);
    row_picture.fill(Qt::transparent);
    row->render(&row_picture);
    QPixmap picture(size);
    picture.fill(Qt::transparent);
    {
        QPainter painter(&picture);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawPixmap(0, -1, row_picture);
        painter.setCompositionMode(QPainter::CompositionMode_DestinationIn);
        painter.fillRect(picture.rect(), QColor(0, 0, 0, 150));
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        painter.fillRect(picture.rect(), QColor(101, 195, 247, 50));
    }

    drag = new QDrag(this);
    drag->setMimeData(new QMimeData);
    drag->setDragCursor(QPixmap(QStringLiteral(":/graphics/common/cursor/closed_hand.png")), Qt::MoveAction);
    drag->setPixmap(picture);
    drag->setHotSpot(press_point - row->pos());
    QPointer<item_list_fm_c> self(this);
    drag->exec(Qt::MoveAction);
    if (self == nullptr)
        return;

    scroll_timer.stop();
    delete drag;
    drag = nullptr;
    pressed = false;
    drop_at = -1;
    clear_indicators();
}

bool item_list_fm_c::our_drag_may_drop() const
{
    return drag != nullptr && list_rows.size() >= 2;
}

bool item_list_fm_c::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ui->btn_manually_add && event->type() == QEvent::Paint) {
        // Under the button's own painting, which has a transparent background.
        QPainter painter(ui->btn_manually_add);
        painter.drawImage(plus_image_position,
                          ui->btn_manually_add->underMouse() ? plus_image_hover : plus_image);
    } else if (watched == ui->wg_scroll_area || (spacer != nullptr && watched == spacer)) {
        filter_drag_event(watched, event);
    }
    return QWidget::eventFilter(watched, event);
}

void item_list_fm_c::filter_drag_event(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto *move = static_cast<QDragMoveEvent *>(event);
        if (!our_drag_may_drop()) {
            move->ignore();
            return;
        }
        move->setDropAction(Qt::MoveAction);
        move->accept();
        if (event->type() == QEvent::DragEnter)
            return;
        auto *over = static_cast<QWidget *>(watched);
        scroll_near_edge(over->mapTo(ui->scrollArea->viewport(), move->pos()).y());
        point_drop_at(qRound(move->posF().y()), watched == spacer);
        return;
    }
    case QEvent::DragLeave:
        scroll_timer.stop();
        return;
    case QEvent::Drop: {
        auto *drop = static_cast<QDropEvent *>(event);
        if (drag == nullptr || pressed_row == nullptr) {
            drop->ignore();
            return;
        }
        drop->setDropAction(Qt::MoveAction);
        drop->accept();
        scroll_timer.stop();
        const int old_position = list_rows.indexOf(pressed_row);
        if (old_position < 0 || drop_at == old_position || drop_at == old_position + 1)
            return;
        move_row(pressed_row, drop_at > old_position + 1 ? drop_at - 1 : drop_at);
        report_change();
        return;
    }
    default:
        return;
    }
}

void item_list_fm_c::point_drop_at(int y, bool over_spacer)
{
    if (over_spacer) {
        drop_at = list_rows.size();
        return;
    }
    // The pitch falls behind the rows by 2 pixels a row, so far down a long
    // list it names gaps past the last one; those mean the last.
    const int gap =
        qMin(y / drop_pitch + (y % drop_pitch >= (drop_pitch + 1) / 2 ? 1 : 0), int(list_rows.size()));
    if (gap != drop_at) {
        drop_at = gap;
        draw_indicators();
    }
}

void item_list_fm_c::scroll_near_edge(int y)
{
    drag_view_y = y;
    const int to_bottom = ui->scrollArea->viewport()->height() - 1 - y;
    const int distance = qMax(0, qMin(y, to_bottom));
    scroll_step = distance >= scroll_zone ? 0 : (2 + (scroll_zone - distance) / 2) * (y < to_bottom ? -1 : 1);
    if (scroll_step == 0)
        scroll_timer.stop();
    else if (!scroll_timer.isActive())
        scroll_timer.start(scroll_interval_ms, this);
}

void item_list_fm_c::timerEvent(QTimerEvent *event)
{
    if (event->timerId() != scroll_timer.timerId()) {
        QWidget::timerEvent(event);
        return;
    }
    QScrollBar *bar = ui->scrollArea->verticalScrollBar();
    const int before = bar->value();
    bar->setValue(before + scroll_step);
    if (drag == nullptr || bar->value() == before) {
        scroll_timer.stop();
        return;
    }
    // The rows moved under the still pointer, and with them the gap it points at.
    const int y = ui->wg_scroll_area->mapFrom(ui->scrollArea->viewport(), QPoint(0, drag_view_y)).y();
    point_drop_at(y, spacer != nullptr && y >= spacer->y());
}

void item_list_fm_c::clear_indicators()
{
    for (item_fm_c *row : std::as_const(list_rows)) {
        row->show_top_indicator(false);
        row->show_bottom_indicator(false);
    }
}

void item_list_fm_c::draw_indicators()
{
    clear_indicators();
    const int n = list_rows.size();
    const int p = drop_at;
    if (n == 0 || p < 0)
        return;
    if (p >= 1 && (p == n || p == n + 1)) {
        list_rows.at(n - 1)->show_bottom_indicator(true);
    } else if (p == 0 || p == 1) {
        list_rows.at(p)->show_top_indicator(true);
    } else if (p < n) {
        list_rows.at(p - 1)->show_bottom_indicator(true);
        list_rows.at(p)->show_top_indicator(true);
    }
}
