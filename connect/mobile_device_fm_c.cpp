#include "connect/mobile_device_fm_c.h"

#include "connect/mobile_app_fm_c.h"
#include "module/host_text_ids.h"
#include "module/module_host.h"

#include "ui_mobile_device_fm_c.h"

#include <QGraphicsOpacityEffect>

namespace {
// How much of a control shows through on the placeholder row.
constexpr qreal placeholder_opacity = 0.35;

// The base copies tooltips only when the language changes, but these texts
// change afterwards and are elided, so the tooltip is the only way to read a
// cut-off name. Works on labels and buttons alike.
template <typename Widget>
void show_text(Widget *widget, const QString &text)
{
    widget->setText(text);
    widget->setToolTip(text);
}
} // namespace

mobile_device_fm_c::mobile_device_fm_c(mobile_app_fm_c *owner_form, QWidget *parent)
    : QWidget(parent), ui(std::make_unique<Ui::mobile_device_fm_c>()), owner(owner_form)
{
    ui->setupUi(this);
    // Rows in a container that carries their style sheet take it from there:
    // a sheet of their own would be parsed and polished once per row.
    if (parent != nullptr && parent->styleSheet() == styleSheet())
        setStyleSheet(QString());
    set_font(ui->lb_slot, font_family::condensed_heavy, 20);
    set_font(ui->lb_device, font_family::heavy, 14);
    set_font(ui->lb_model, font_family::heavy, 14);
    set_font(ui->cb_pair, font_family::heavy, 14);
    if (module_host() != nullptr)
        attach(module_ctrl_center());
}

mobile_device_fm_c::~mobile_device_fm_c() = default;

QString mobile_device_fm_c::shared_style_sheet()
{
    static const QString sheet = [] {
        QWidget row;
        Ui::mobile_device_fm_c widgets;
        widgets.setupUi(&row);
        return row.styleSheet();
    }();
    return sheet;
}

void mobile_device_fm_c::set_info(const QString &client_id, int position_index, const QString &name,
                                  const QString &model, bool paired, bool auto_pair)
{
    id = client_id;
    show_text(ui->lb_device, name);
    show_text(ui->lb_model, model);
    set_position(position_index);
    set_paired(paired);
    set_auto_pair_checked(auto_pair);
    if (id.isEmpty()) {
        // The pictures have no disabled variant; fading them tells the user
        // that the placeholder row has nothing to switch or remove.
        for (QWidget *control : std::initializer_list<QWidget *>{ui->cb_auto_pair, ui->btn_remove}) {
            control->setEnabled(false);
            auto *faded = new QGraphicsOpacityEffect(control);
            faded->setOpacity(placeholder_opacity);
            control->setGraphicsEffect(faded);
        }
    }
}

void mobile_device_fm_c::set_position(int position_index)
{
    show_text(ui->lb_slot, QString::number(position_index + 1));
}

int mobile_device_fm_c::position() const
{
    return ui->lb_slot->text().toInt();
}

void mobile_device_fm_c::set_paired(bool paired)
{
    ui->cb_pair->setChecked(paired);
    refresh_pair_text();
}

void mobile_device_fm_c::set_auto_pair_checked(bool on)
{
    // setChecked emits no clicked(), so the owner hears nothing.
    ui->cb_auto_pair->setChecked(on);
}

bool mobile_device_fm_c::is_paired() const
{
    return ui->cb_pair->isChecked();
}

bool mobile_device_fm_c::is_auto_pair() const
{
    return ui->cb_auto_pair->isChecked();
}

void mobile_device_fm_c::retranslate_texts()
{
    refresh_pair_text();
    ui->cb_auto_pair->setText(QString());
    ui->btn_remove->setText(QString());
}

void mobile_device_fm_c::refresh_pair_text()
{
    show_text(ui->cb_pair,
              host_text(ui->cb_pair->isChecked() ? host_text_id::paired : host_text_id::not_paired));
}

void mobile_device_fm_c::on_cb_auto_pair_clicked()
{
    if (owner != nullptr)
        owner->set_auto_pair(id, ui->cb_auto_pair->isChecked());
}

void mobile_device_fm_c::on_btn_remove_clicked()
{
    // The owner deletes this row before returning; nothing may touch it after.
    if (owner != nullptr)
        owner->remove_client(id);
}
