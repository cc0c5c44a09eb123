#include "quick_launch/item_fm_c.h"

#include "module/custom_event_c.h"
#include "module/module_host.h"
#include "quick_launch/item_store.h"

#include "ui_item_fm_c.h"

#include <QImage>
#include <QPixmap>

namespace {
const QString no_indicator = QStringLiteral("QWidget#wg_indicator{border:none;}");
const QString top_indicator = QStringLiteral(
    "QWidget#wg_indicator{border-top-width:1px; border-top-style:solid; border-top-color:#65c3f7;}");
const QString bottom_indicator = QStringLiteral(
    "QWidget#wg_indicator{border-bottom-width:1px; border-bottom-style:solid; border-bottom-color:#65c3f7;}");
} // namespace

item_fm_c::item_fm_c(item_row_owner_i *owner, QObject *owner_object, QWidget *parent)
    : QWidget(parent), ui(std::make_unique<Ui::item_fm_c>()), owner(owner), owner_object(owner_object)
{
    // The list's event handler reads the removal payload by this name. It is
    // another name for QObject*, whose helpers are Qt's own: a type registered from
    // here would leave Qt calling into this library after the host unloaded it.
    static const int row_type = QMetaType::registerTypedef("item_fm_c*", QMetaType::QObjectStar);
    Q_UNUSED(row_type)
    ui->setupUi(this);
    if (parent != nullptr && parent->styleSheet() == ui->widget->styleSheet())
        ui->widget->setStyleSheet(QString());
    ui->lb_name->set_elide_mode(Qt::ElideRight);

    set_font(ui->lb_no, font_family::condensed_heavy, 20);
    set_font(ui->lb_name, font_family::heavy, 14);
    if (ctrl_center_i *ctrl_center = module_ctrl_center())
        attach(ctrl_center);
}

item_fm_c::~item_fm_c() = default;

QString item_fm_c::shared_style_sheet()
{
    static const QString sheet = [] {
        QWidget form;
        Ui::item_fm_c widgets;
        widgets.setupUi(&form);
        return widgets.widget->styleSheet();
    }();
    return sheet;
}

void item_fm_c::set_row(int id, int position, const QString &name, const QString &path)
{
    row_id = id;
    row_path = path;
    set_number(position);
    set_name(name);
    reload_icon();
}

void item_fm_c::reload_icon()
{
    // An unreadable file gives a null picture, which lets the empty-icon
    // background of the icon field show through. Read past the pixmap cache,
    // which would take a file rewritten within the same second and at the
    // same size for the old one.
    ui->lb_icon->setPixmap(QPixmap::fromImage(QImage(icon_file(row_id))));
}

void item_fm_c::set_number(int position)
{
    ui->lb_no->setText(QString::number(position + 1));
}

void item_fm_c::set_arrows(bool up, bool down)
{
    // Showing a button that is not hidden would still polish it and ask for
    // a new layout at once; numbering a long list does that for most rows.
    if (ui->btn_up->isHidden() == up)
        ui->btn_up->setVisible(up);
    if (ui->btn_down->isHidden() == down)
        ui->btn_down->setVisible(down);
}

void item_fm_c::set_name(const QString &name)
{
    row_name = name;
    ui->lb_name->setText(name);
    ui->lb_name->setToolTip(name);
}

void item_fm_c::show_top_indicator(bool on)
{
    set_indicator_style(on ? top_indicator : no_indicator);
}

void item_fm_c::show_bottom_indicator(bool on)
{
    set_indicator_style(on ? bottom_indicator : no_indicator);
}

void item_fm_c::set_indicator_style(const QString &style)
{
    // A drag clears every row's line whenever the gap changes; polishing only
    // the rows that really change keeps long lists smooth.
    if (styleSheet() != style)
        setStyleSheet(style);
}

void item_fm_c::retranslate_texts()
{
    // The buttons draw their pictures; a text would show over them. Their
    // accessible names stay.
    for (QPushButton *button : {ui->btn_del, ui->btn_edit, ui->btn_up, ui->btn_down})
        button->setText(QString());
    ui->lb_icon->setText(QString());
    ui->lb_name->setStatusTip(QString());
}

void item_fm_c::on_btn_up_clicked()
{
    if (owner != nullptr)
        owner->move_row_up(this);
}

void item_fm_c::on_btn_down_clicked()
{
    if (owner != nullptr)
        owner->move_row_down(this);
}

void item_fm_c::on_btn_edit_clicked()
{
    if (owner != nullptr)
        owner->edit_row(this);
}

void item_fm_c::on_btn_del_clicked()
{
    if (owner_object != nullptr)
        post_custom_event(owner_object.data(), item_row_owner_i::remove_row_event, this);
}
