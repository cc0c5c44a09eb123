#include "quick_launch/add_edit_game_fm_c.h"

#include "common/clog.h"
#include "common/text_limits.h"
#include "module/host_text_ids.h"
#include "module/module_host.h"

#include "ui_add_edit_game_fm_c.h"

#include <QFileDialog>
#include <QFileInfo>

#include <utility>

add_edit_game_fm_c::add_edit_game_fm_c(QWidget *parent)
    : QWidget(parent), ui(std::make_unique<Ui::add_edit_game_fm_c>())
{
    ui->setupUi(this);
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_TranslucentBackground);
    ui->edit_path->setReadOnly(true);
    // What the item files keep; typing and pasting stop there.
    ui->edit_name->setMaxLength(text_limits::name_length);
    ui->edit_path->setMaxLength(text_limits::path_length);

    set_font(ui->lb_title, font_family::heavy, 14);
    set_font(ui->lb_name, font_family::heavy, 14);
    set_font(ui->edit_name, font_family::medium, 13);
    set_font(ui->lb_path, font_family::heavy, 14);
    set_font(ui->edit_path, font_family::medium, 13);
    if (ctrl_center_i *ctrl_center = module_ctrl_center())
        attach(ctrl_center);
}

// The kept file dialog is a child and goes with the widget.
add_edit_game_fm_c::~add_edit_game_fm_c()
{
    // Deleted while the frame runs, with the list or the whole module: the frame
    // goes too, which ends its modal loop, or the host would keep it open empty.
    if (popup_frame != nullptr)
        std::exchange(popup_frame, nullptr)->release();
}

int add_edit_game_fm_c::exec_dialog(const QString &name, const QString &path)
{
    this->name = text_limits::capped_name(name);
    this->path = path;
    ui->edit_name->setText(this->name);
    // Only the shown path is tidied: the caller compares the stored one with
    // what it gave to tell whether the entry changed.
    QString shown_path = path;
    shown_path.replace(QStringLiteral("//"), QStringLiteral("/"));
    ui->edit_path->setText(text_limits::capped_path(shown_path));

    module_host_i *host = module_host();
    popup_frame =
        host != nullptr
            ? static_cast<popup_frame_i *>(host->create_component(component_popup_frame, &iid_popup_frame_i))
            : nullptr;
    if (popup_frame == nullptr) {
        write_log(QStringLiteral("add_edit_game_fm_c: the host offers no popup frame"), true);
        return 0;
    }

    QPointer<add_edit_game_fm_c> self(this);
    popup_frame_i *frame = popup_frame;
    const int result =
        frame->run_popup(this, static_cast<generic_popup_fm_client_i *>(this),
                         host_text(host_text_id::edit_popup_title), QString(), QString(), 0, 0);
    if (self == nullptr)
        return result; // the destructor released the frame
    // The frame gives the content back, but whether it does is the host's
    // business; the caller owns this widget and must not lose it with the frame.
    if (parentWidget() != nullptr)
        setParent(nullptr, windowFlags());
    popup_frame = nullptr;
    frame->release();
    return result;
}

void add_edit_game_fm_c::take_chosen_file(const QString &file)
{
    if (file.isEmpty())
        return;
    // Cut, the path would name another file.
    if (file.size() > text_limits::path_length) {
        write_log(QStringLiteral("add_edit_game_fm_c: the chosen path is too long to keep"), true);
        return;
    }
    name = text_limits::capped_name(QFileInfo(file).completeBaseName());
    path = file;
    ui->edit_name->setText(name);
    ui->edit_path->setText(path);
}

void *add_edit_game_fm_c::query_interface(const interface_id_t *id)
{
    if (same_interface_id(id, iid_interface_i))
        return static_cast<listener_i *>(this);
    if (same_interface_id(id, iid_generic_popup_fm_client_i))
        return static_cast<generic_popup_fm_client_i *>(this);
    return form_base_c::query_interface(id);
}

void add_edit_game_fm_c::release()
{
    delete this;
}

void add_edit_game_fm_c::retranslate_texts()
{
    ui->lb_title->setText(host_text(host_text_id::edit_title));
    ui->lb_name->setText(host_text(host_text_id::edit_name));
    ui->lb_path->setText(host_text(host_text_id::edit_path));
    ui->edit_name->setText(QString());
    ui->edit_path->setText(QString());
    ui->btn_browser->setText(QString());
}

void add_edit_game_fm_c::on_btn_browser_clicked()
{
    if (file_dialog == nullptr) {
        file_dialog = new QFileDialog(this, host_text(host_text_id::choose_executable), QString(),
                                      host_text(host_text_id::executable_filter) + QStringLiteral("(*.exe)"));
        file_dialog->setFileMode(QFileDialog::ExistingFile);
    }
    if (!path.isEmpty())
        file_dialog->setDirectory(path);

    QPointer<add_edit_game_fm_c> self(this);
    const int accepted = file_dialog->exec();
    if (self == nullptr || file_dialog == nullptr || accepted != QDialog::Accepted)
        return;
    const QStringList files = file_dialog->selectedFiles();
    delete file_dialog;
    take_chosen_file(files.value(0));
}

void add_edit_game_fm_c::on_edit_name_textChanged(const QString &text)
{
    // The line edit cuts at its limit even between the halves of a surrogate pair.
    if (text.size() >= ui->edit_name->maxLength() && !text.isEmpty() && text.back().isHighSurrogate()) {
        ui->edit_name->setText(text.left(text.size() - 1));
        return;
    }
    name = text;
}
