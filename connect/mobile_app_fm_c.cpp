#include "connect/mobile_app_fm_c.h"

#include "common/hidden_while_refilled.h"
#include "connect/client_store_c.h"
#include "connect/mobile_device_fm_c.h"
#include "module/host_text_ids.h"
#include "module/module_host.h"
#include "module/vorla_connect_kernel_c.h"

#include "ui_mobile_app_fm_c.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QScrollBar>

#include <utility>

namespace {
// Gap between two rows of the list.
constexpr int row_gap = 3;
// Height of the logo panel above and around the list, without the list.
constexpr int panel_height_without_list = 352;
// The first read of the file waits this long (ms), so that the page shows first.
constexpr int first_load_delay_ms = 10;
} // namespace

mobile_app_fm_c::mobile_app_fm_c(vorla_connect_kernel_c *connect_kernel, QWidget *parent)
    : QWidget(parent), ui(std::make_unique<Ui::mobile_app_fm_c>()), kernel(connect_kernel)
{
    ui->setupUi(this);
    // Until the file is read the field holds the default, which no one typed.
    show_server_name(client_store_c::default_server_name());
    // One sheet for all rows: parsed once, not once per row.
    ui->wg_dev_list->setStyleSheet(mobile_device_fm_c::shared_style_sheet());
    QScrollBar *bar = ui->scrollArea->verticalScrollBar();
    bar->setStyleSheet(ui->scrollArea->styleSheet());
    connect(bar, &QScrollBar::valueChanged, this, &mobile_app_fm_c::bar_value_changed);

    const QString family = font_family::heavy;
    set_font(ui->lb_title, family, 16);
    set_font(ui->lb_intro, family, 14);
    set_font(ui->edit_server_name, family, 14);
    for (QWidget *heading : std::initializer_list<QWidget *>{ui->lb_dev, ui->lb_model, ui->lb_status,
                                                             ui->lb_on_off, ui->lb_remove})
        set_font(heading, family, 12);
    if (module_host() != nullptr)
        attach(module_ctrl_center());

    ui->edit_server_name->installEventFilter(this);
    // The list's layout settles after the form's own resize, so the rows follow
    // the headings rather than the form.
    ui->wg_column_title->installEventFilter(this);

    if (parent != nullptr)
        parent->setMinimumSize(size());
    join_parent_grid(this, parent);
    first_load_timer = startTimer(first_load_delay_ms, Qt::CoarseTimer);
}

mobile_app_fm_c::~mobile_app_fm_c()
{
    // Rows unregister from the host while the form is still whole, and leave
    // a hidden list, which spares each its own repaint requests.
    ui->wg_dev_list->hide();
    clear_rows();
}

void mobile_app_fm_c::retranslate_texts()
{
    ui->lb_title->setText(host_text(host_text_id::connect_title));
    ui->lb_intro->setText(host_text(host_text_id::connect_intro));
    ui->lb_dev->setText(host_text(host_text_id::column_device));
    ui->lb_model->setText(host_text(host_text_id::column_model));
    ui->lb_status->setText(host_text(host_text_id::column_status));
    ui->lb_on_off->setText(host_text(host_text_id::column_auto_pair));
    ui->lb_remove->setText(host_text(host_text_id::column_remove));
    for (QLabel *border :
         {ui->lb_border_top_left, ui->lb_border_top, ui->lb_border_top_right, ui->lb_border_left,
          ui->lb_border_right, ui->lb_border_bottom_left, ui->lb_border_bottom, ui->lb_border_bottom_right})
        border->setText(QString());
}

void mobile_app_fm_c::after_language_applied()
{
    // The introduction is long and fully visible; a tooltip would only repeat it.
    ui->lb_intro->setToolTip(QString());
}

mobile_device_fm_c *mobile_app_fm_c::new_row(const QString &client_id, int position_index,
                                             const QString &name, const QString &model, bool paired,
                                             bool auto_pair)
{
    auto *row = new mobile_device_fm_c(this, ui->wg_dev_list);
    row->set_info(client_id, position_index, name, model, paired, auto_pair);
    return row;
}

void mobile_app_fm_c::add_placeholder_row()
{
    const QString none = QStringLiteral("N/A");
    mobile_device_fm_c *row = new_row(QString(), 0, none, none, false, false);
    row->move(0, 0);
    row->show();
    rows.append(row);
}

void mobile_app_fm_c::clear_rows()
{
    // Deleting detaches each row from wg_dev_list; detaching first with
    // setParent(nullptr) would walk the window's focus chain once per row.
    qDeleteAll(rows);
    rows.clear();
}

void mobile_app_fm_c::reload_clients()
{
    // A load asked for before the first tick makes the tick's own load a
    // second build of the whole list.
    if (first_load_timer != 0) {
        killTimer(first_load_timer);
        first_load_timer = 0;
    }
    hidden_while_refilled_t hidden(ui->wg_dev_list);
    clear_rows();
    const client_store_c store;
    show_server_name(store.server_name());

    int y = 0;
    const QStringList groups = store.groups();
    for (const QString &group : groups) {
        const int friend_state = store.friend_state(group);
        if (friend_state == client_pending)
            continue;
        const bool trusted = friend_state == client_trusted;
        const bool paired = store.connected(group, false) && trusted;
        mobile_device_fm_c *row = new_row(store.text(group, QStringLiteral("ID")), rows.size(),
                                          store.text(group, QStringLiteral("Name")),
                                          store.text(group, QStringLiteral("Model")), paired, trusted);
        row->move(0, y);
        row->show();
        rows.append(row);
        hidden.row_added();
        y += row->height() + row_gap;
    }
    if (rows.isEmpty()) {
        add_placeholder_row();
        y += rows.constFirst()->height() + row_gap;
    }
    set_list_height(y);
    fit_row_widths();
}

void mobile_app_fm_c::add_client_row(const QString &client_id, bool paired)
{
    if (rows.size() == 1 && rows.constFirst()->client_id().isEmpty())
        clear_rows();

    const client_store_c store;
    if (store.groups().contains(client_id)) {
        mobile_device_fm_c *row =
            new_row(client_id, rows.size(), store.text(client_id, QStringLiteral("Name")),
                    store.text(client_id, QStringLiteral("Model")), paired, paired);
        row->show();
        rows.append(row);
    }
    // Without a row at all, the list still needs its placeholder.
    if (rows.isEmpty())
        add_placeholder_row();
    layout_rows();
    fit_row_widths();
}

void mobile_app_fm_c::set_auto_pair(const QString &client_id, bool on)
{
    send_client_command(on ? client_command_accept : client_command_refuse, client_id);
}

void mobile_app_fm_c::remove_client(const QString &client_id)
{
    // The placeholder's empty id names no phone.
    if (client_id.isEmpty())
        return;
    int index = -1;
    for (int i = 0; i < rows.size() && index < 0; ++i)
        if (rows.at(i)->client_id() == client_id)
            index = i;
    if (index < 0)
        return;

    send_client_command(client_command_remove, client_id);
    // Every row below moves up; hidden, they move without repaints of their own.
    const hidden_while_refilled_t hidden(ui->wg_dev_list);
    delete rows.takeAt(index);
    if (rows.isEmpty())
        add_placeholder_row();
    layout_rows();
}

void mobile_app_fm_c::send_client_command(int command, const QString &argument)
{
    product_kernel_i *face = kernel;
    if (face == nullptr || face->get_client() == nullptr)
        return;
    QByteArray block = client_command_block(command, argument);
    QBuffer buffer(&block);
    buffer.open(QIODevice::ReadOnly);
    QString key = face->share_data(&buffer);
    face->post_message(kernel_message_shared_block, &key);
}

void mobile_app_fm_c::layout_rows()
{
    int y = 0;
    for (int i = 0; i < rows.size(); ++i) {
        mobile_device_fm_c *row = rows.at(i);
        row->move(0, y);
        row->set_position(i);
        y += row->height() + row_gap;
    }
    set_list_height(y);
}

void mobile_app_fm_c::set_list_height(int height)
{
    ui->wg_dev_list->setMinimumHeight(height);
    // The panel around the list grows with it.
    ui->wg_bg2->setFixedHeight(ui->wg_dev_list->minimumHeight() + panel_height_without_list);
}

void mobile_app_fm_c::fit_row_widths()
{
    const int width = ui->wg_column_title->width();
    for (mobile_device_fm_c *row : std::as_const(rows))
        row->resize(width, row->height());
}

bool mobile_app_fm_c::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ui->edit_server_name) {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent *>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter)
                ui->edit_server_name->clearFocus();
        } else if (event->type() == QEvent::FocusOut) {
            end_server_name_edit();
        }
    } else if (watched == ui->wg_column_title && event->type() == QEvent::Resize) {
        fit_row_widths();
    }
    return QWidget::eventFilter(watched, event);
}

void mobile_app_fm_c::show_server_name(const QString &name)
{
    QLineEdit *edit = ui->edit_server_name;
    edit->setText(name);
    // The field may hold less than the file: what it shows is what counts as
    // unchanged, so a long name is never written back cut.
    server_name_shown = edit->text();
    edit->setCursorPosition(0);
}

void mobile_app_fm_c::end_server_name_edit()
{
    QLineEdit *edit = ui->edit_server_name;
    // The phones need a name to show, so an empty field means the default.
    if (edit->text().isEmpty())
        edit->setText(client_store_c::default_server_name());
    if (edit->text() != server_name_shown) {
        server_name_shown = edit->text();
        send_client_command(client_command_rename_pc, server_name_shown);
    }
    // A name wider than the field shows its start, not where typing ended.
    edit->setCursorPosition(0);
}

void mobile_app_fm_c::timerEvent(QTimerEvent *event)
{
    if (event->timerId() != first_load_timer) {
        QWidget::timerEvent(event);
        return;
    }
    reload_clients();
}

void mobile_app_fm_c::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    fit_row_widths();
}

void mobile_app_fm_c::bar_value_changed(int) {}
