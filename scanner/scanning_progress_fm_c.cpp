#include "scanner/scanning_progress_fm_c.h"

#include "module/custom_event_c.h"
#include "module/host_text_ids.h"
#include "module/module_host.h"
#include "quick_launch/quick_launch_settings_fm_c.h"
#include "scanner/program_scanner_tool_c.h"

#include "ui_scanning_progress_fm_c.h"

#include <QApplication>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPointer>
#include <QVBoxLayout>

namespace {
void notify_modal(int modal)
{
    if (ctrl_center_i *ctrl_center = module_ctrl_center())
        ctrl_center->notify_modal_dialog(modal, 1, 0);
}
} // namespace

scanning_progress_fm_c::scanning_progress_fm_c(quick_launch_settings_fm_c *owner_form, QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::scanning_progress_fm_c>()), owner_form(owner_form)
{
    ui->setupUi(this);

    // The host supplies the bar; without one the dialog cannot show progress.
    module_host_i *host = module_host();
    if (host != nullptr)
        progress = static_cast<progress_i *>(host->create_component(component_progress, &iid_progress_i));
    progress_layout = new QVBoxLayout;
    progress_layout->setContentsMargins(0, 0, 0, 0);
    ui->wg_progress->setLayout(progress_layout);
    if (progress != nullptr) {
        QWidget *bar = progress->widget();
        bar->setParent(this);
        progress->set_value(0);
        progress_layout->addWidget(bar);
    }

    if (host != nullptr)
        info = static_cast<info_badge_i *>(host->create_component(component_info_badge, &iid_info_badge_i));
    if (info != nullptr) {
        info->place_in(ui->wg_info);
        info->set_title(host_text(host_text_id::scan_about_title));
        info->set_text(host_text(host_text_id::scan_about_text));
    }

    setWindowFlags(Qt::FramelessWindowHint);
    setAttribute(Qt::WA_TranslucentBackground);
    // Above the frame rather than inside the button row.
    ui->wg_info->setParent(this);
    ui->btn_close->setParent(this);
    ui->wg_info->show();
    ui->btn_close->show();

    set_font(ui->lb_head, font_family::heavy, 16);
    set_font(ui->btn_cancel, font_family::black, 14);
    set_font(ui->lb_progress, font_family::black, 14);
    if (ctrl_center_i *ctrl_center = module_ctrl_center())
        attach(ctrl_center);
    place_corner_widgets();
}

scanning_progress_fm_c::~scanning_progress_fm_c()
{
    set_busy(false);
    if (progress != nullptr) {
        // The component owns its widget; it must not die with the dialog first.
        QWidget *bar = progress->widget();
        progress_layout->removeWidget(bar);
        bar->setParent(nullptr);
        progress->release();
    }
    scanner.reset();
    if (info != nullptr)
        info->release();
}

int scanning_progress_fm_c::start_and_run()
{
    if (scanner == nullptr)
        scanner =
            std::make_unique<program_scanner_tool_c>(static_cast<program_scanner_tool_client_i *>(this));
    if (progress != nullptr) {
        progress->set_maximum(static_cast<quint64>(static_cast<qint64>(scanner->steam_app_count())));
        progress->set_value(0);
    }

    // Shown over the main window, centred on it wherever it is. The dialog
    // stays a window of its own, so it is placed in screen coordinates.
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget *window : windows) {
        if (window != this && window->inherits("QMainWindow")) {
            setParent(window, windowFlags());
            const QPoint centre = window->mapToGlobal(window->rect().center());
            const QPoint top_left = centre - rect().center();
            move(isWindow() ? top_left : window->mapFromGlobal(top_left));
            break;
        }
    }
    // A later scan must be cancellable again, not end at the first press.
    finished_flag = false;
    show_button_text(host_text(host_text_id::cancel));
    set_percent(0);
    scanner->start_scan(owner_form != nullptr ? owner_form->games_list() : nullptr,
                        owner_form != nullptr ? owner_form->programs_list() : nullptr);

    notify_modal(1);
    // The owner may delete the dialog while it runs (the module is unloaded);
    // its destructor then undoes the cursor.
    const QPointer<scanning_progress_fm_c> self(this);
    const int result = exec();
    if (self != nullptr)
        set_busy(false);
    notify_modal(0);
    return result;
}

void scanning_progress_fm_c::set_percent(int value)
{
    if (progress == nullptr)
        return;
    progress->set_value(static_cast<quint64>(static_cast<qint64>(value)));
    show_percent();
}

void scanning_progress_fm_c::show_percent()
{
    ui->lb_progress->setText(progress != nullptr ? progress->percent_text() : QString());
}

void scanning_progress_fm_c::place_corner_widgets()
{
    ui->wg_info->move(width() - ui->wg_info->width() - 37, 11);
    ui->btn_close->move(width() - ui->btn_close->width() - 9, 8);
}

void scanning_progress_fm_c::retranslate_texts()
{
    for (QLabel *frame : {ui->label_17, ui->label_19, ui->label_20, ui->label_18, ui->label_21, ui->label_22,
                          ui->label_23, ui->label_24})
        frame->setText(QString());
    ui->btn_close->setText(QString());
    if (info != nullptr) {
        info->set_title(host_text(host_text_id::quick_launch_title));
        info->set_text(host_text(host_text_id::quick_launch_about));
    }
    ui->lb_head->setText(host_text(host_text_id::scanning) + QStringLiteral("..."));
    ui->btn_cancel->setText(busy ? cancelling_text() : host_text(host_text_id::cancel));
}

void scanning_progress_fm_c::after_language_applied()
{
    QPushButton *button = ui->btn_cancel;
    const int centre = button->geometry().center().x();
    const int text_width = QFontMetrics(button->font()).horizontalAdvance(button->text());
    button->setFixedWidth(qMax(92, text_width + 2 * 18));
    button->move(centre - button->width() / 2, button->y());
    button->move(ui->widget_2->width() - button->width(), button->y());
}

void *scanning_progress_fm_c::query_interface(const interface_id_t *id)
{
    if (same_interface_id(id, iid_program_scanner_tool_client_i))
        return static_cast<program_scanner_tool_client_i *>(this);
    // The host reaches a listener's language face through this call; without
    // it the dialog would keep the texts of the language it was made in.
    if (same_interface_id(id, iid_language_listener_i))
        return form_base_c::query_interface(id);
    return nullptr;
}

void scanning_progress_fm_c::release()
{
    delete this;
}

void scanning_progress_fm_c::on_scan_progress(int step)
{
    post_custom_event(this, scan_progress_event, step);
}

void scanning_progress_fm_c::on_scan_finished()
{
    post_custom_event(this, scan_finished_event, 0);
}

void scanning_progress_fm_c::on_scan_cancelled()
{
    post_custom_event(this, scan_cancelled_event, 0);
}

void scanning_progress_fm_c::customEvent(QEvent *event)
{
    if (event == nullptr)
        return;
    switch (static_cast<int>(event->type())) {
    case scan_progress_event: {
        bool ok = false;
        const int step = static_cast<custom_event_c *>(event)->payload.toInt(&ok);
        set_percent(ok ? step : 0);
        break;
    }
    case scan_finished_event:
        set_busy(false);
        if (progress != nullptr)
            progress->set_value(progress->maximum());
        ui->lb_progress->setText(QStringLiteral("100%"));
        show_button_text(host_text(host_text_id::done));
        finished_flag = true;
        accept();
        break;
    case scan_cancelled_event:
        set_busy(false);
        reject();
        break;
    default:
        break;
    }
}

void scanning_progress_fm_c::on_btn_cancel_clicked()
{
    button_pressed();
}

void scanning_progress_fm_c::on_btn_close_clicked()
{
    button_pressed();
}

void scanning_progress_fm_c::button_pressed()
{
    if (finished_flag) {
        accept();
        return;
    }
    set_busy(true);
    if (scanner != nullptr)
        scanner->cancel();
}

void scanning_progress_fm_c::set_busy(bool on)
{
    if (on == busy)
        return;
    busy = on;
    if (on)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
    show_button_text(on ? cancelling_text() : host_text(host_text_id::cancel));
}

QString scanning_progress_fm_c::cancelling_text()
{
    // The host has no text for this state, so the module's translations carry it.
    return tr("Cancelling...");
}

void scanning_progress_fm_c::show_button_text(const QString &text)
{
    ui->btn_cancel->setText(text);
    after_language_applied();
}

void scanning_progress_fm_c::mousePressEvent(QMouseEvent *event)
{
    press_position = event->localPos().toPoint();
    dragging = true;
    QDialog::mousePressEvent(event);
}

void scanning_progress_fm_c::mouseReleaseEvent(QMouseEvent *event)
{
    dragging = false;
    QDialog::mouseReleaseEvent(event);
}

void scanning_progress_fm_c::mouseMoveEvent(QMouseEvent *event)
{
    if (dragging) {
        // A child of the main window moves in its parent's coordinates.
        const QPoint top_left = event->globalPos() - press_position;
        move(parentWidget() != nullptr && !isWindow() ? parentWidget()->mapFromGlobal(top_left) : top_left);
    }
    QDialog::mouseMoveEvent(event);
}

void scanning_progress_fm_c::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    place_corner_widgets();
}
