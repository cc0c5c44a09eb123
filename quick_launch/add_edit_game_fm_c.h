// Asks for the name of a game or program and the path of its executable. It
// has no frame of its own: the host's popup frame shows it and decides the
// result.
#ifndef VORLA_ADD_EDIT_GAME_FM_C_H
#define VORLA_ADD_EDIT_GAME_FM_C_H

#include "common/form_base_c.h"

#include <QPointer>
#include <QString>
#include <QWidget>

#include <memory>

namespace Ui {
class add_edit_game_fm_c;
}

class QFileDialog;
class popup_frame_i;

class add_edit_game_fm_c : public QWidget, public form_base_c, public generic_popup_fm_client_i
{
    Q_OBJECT

public:
    explicit add_edit_game_fm_c(QWidget *parent = nullptr);
    ~add_edit_game_fm_c() override;

    // The popup frame's answer for OK.
    static constexpr int confirmed = 1;
    // Runs the dialog in the host's popup frame, starting from name and path.
    // Without a popup frame from the host nothing is shown and the result is 0.
    int exec_dialog(const QString &name, const QString &path);
    QString game_name() const { return name; }
    QString game_path() const { return path; }

    // Takes a file chosen in the browser: its name without the last suffix
    // becomes the name (cut to the name limit), the file itself the path. An
    // empty file, or one whose path is beyond the path limit, changes nothing.
    void take_chosen_file(const QString &file);

    // interface_i, for both faces
    void *query_interface(const interface_id_t *id) override;
    void release() override;
    // generic_popup_fm_client_i: any input is acceptable.
    bool may_close() override { return true; }

    void retranslate_texts() override;

private slots:
    void on_btn_browser_clicked();
    void on_edit_name_textChanged(const QString &text);

private:
    std::unique_ptr<Ui::add_edit_game_fm_c> ui;
    popup_frame_i *popup_frame = nullptr;
    // Kept after a cancelled browse so that the next one opens where it was.
    QPointer<QFileDialog> file_dialog;
    QString name;
    QString path;
};

#endif
