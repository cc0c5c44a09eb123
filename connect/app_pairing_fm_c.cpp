#include "connect/app_pairing_fm_c.h"

#include "module/host_text_ids.h"
#include "module/module_host.h"

#include "ui_app_pairing_fm_c.h"

#include <QApplication>
#include <QMainWindow>
#include <QMouseEvent>

namespace {
// Room between the close button and the frame's right and top edges.
constexpr int close_button_right = 9;
constexpr int close_button_top = 8;
} // namespace

app_pairing_fm_c::app_pairing_fm_c(vorla_connect_kernel_c *kernel, QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::app_pairing_fm_c>()), kernel(kernel)
{
    ui->setupUi(this);
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_TranslucentBackground);

    // The close button sits in the corner of the frame, over the header's
    // layout, so that the title stays centred on the whole dialog.
    ui->btn_close->setParent(this);
    ui->btn_close->show();
    ui->btn_close->raise();

    set_font(ui->lb_head, font_family::heavy, 16);
    set_font(ui->lb_title, font_family::heavy, 16);
    set_font(ui->lb_dev_name, font_family::heavy, 14);
    set_font(ui->lb_comment, font_family::heavy, 14);
    set_font(ui->btn_yes, font_family::black, 15);
    set_font(ui->btn_no, font_family::black, 15);

    // A stray Return must not pair a phone: no button answers for the user.
    for (QPushButton *button : {ui->btn_yes, ui->btn_no, ui->btn_close}) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }

    place_close_button();
    if (ctrl_center_i *ctrl_center = module_ctrl_center())
        attach(ctrl_center);
}

app_pairing_fm_c::~app_pairing_fm_c() = default;

void app_pairing_fm_c::show_request(const QString &name, const QString &client_id)
{
    ui->lb_dev_name->setText(name);
    shown_client_id = client_id;
    // Each phone gets its own answer: one dismissed after another was accepted
    // must not become trusted.
    answer_code = answer_none;
    // Under the host's main window the dialog stays in front of it and is
    // modal to it; setParent() would otherwise drop the window flags.
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget *window : windows) {
        if (qobject_cast<QMainWindow *>(window) != nullptr) {
            setParent(window, windowFlags());
            break;
        }
    }
    exec();
}

void app_pairing_fm_c::phone_withdrawn()
{
    answer_code = answer_none;
    reject();
}

void app_pairing_fm_c::retranslate_texts()
{
    ui->lb_head->setText(host_text(host_text_id::pairing_head));
    ui->lb_title->setText(host_text(host_text_id::pairing_question));
    ui->lb_comment->setText(host_text(host_text_id::pairing_comment));
    ui->btn_yes->setText(host_text(host_text_id::yes));
    ui->btn_no->setText(host_text(host_text_id::no));
    for (QLabel *border : {ui->lb_top_left, ui->lb_top, ui->lb_top_right, ui->lb_left, ui->lb_right,
                           ui->lb_bottom_left, ui->lb_bottom, ui->lb_bottom_right})
        border->setText(QString());
}

void app_pairing_fm_c::on_btn_yes_clicked()
{
    answer_code = answer_accept;
    accept();
}

void app_pairing_fm_c::on_btn_no_clicked()
{
    answer_code = answer_deny;
    reject();
}

void app_pairing_fm_c::on_btn_close_clicked()
{
    on_btn_no_clicked();
}

void app_pairing_fm_c::mousePressEvent(QMouseEvent *event)
{
    QDialog::mousePressEvent(event);
    press_point = event->localPos().toPoint();
    dragging = true;
}

void app_pairing_fm_c::mouseReleaseEvent(QMouseEvent *event)
{
    QDialog::mouseReleaseEvent(event);
    dragging = false;
}

void app_pairing_fm_c::mouseMoveEvent(QMouseEvent *event)
{
    QDialog::mouseMoveEvent(event);
    if (dragging)
        move(event->globalPos() - press_point);
}

void app_pairing_fm_c::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    place_close_button();
}

void app_pairing_fm_c::place_close_button()
{
    ui->btn_close->move(width() - ui->btn_close->width() - close_button_right, close_button_top);
}
