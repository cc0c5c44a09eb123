// Host component 0x1B01: a modal frame that shows a module's widget with a
// title, OK and Cancel. The module owns the content; the frame only borrows it
// for one run.
#ifndef VORLA_HOST_POPUP_FRAME_C_H
#define VORLA_HOST_POPUP_FRAME_C_H

#include "module/host_interfaces.h"

#include <QDialog>
#include <QPointer>

class QLabel;
class QPushButton;
class QVBoxLayout;

class popup_frame_c : public QDialog, public popup_frame_i
{
    Q_OBJECT

public:
    explicit popup_frame_c(QWidget *parent = nullptr);
    // Hands a still borrowed content back first, so that it survives the frame.
    ~popup_frame_c() override;

    // interface_i
    void *query_interface(const interface_id_t *id) override;
    // Deletes the frame, never the content: run_popup has handed it back.
    void release() override;
    // popup_frame_i. Returns 1 when OK closed the frame and the client agreed,
    // 0 for Cancel, Escape or a frame that went away. The texts and options
    // beyond the title have no use in this host.
    int run_popup(QWidget *content, generic_popup_fm_client_i *client, const QString &title,
                  const QString &text_1, const QString &text_2, int option_1, int option_2) override;

private:
    void on_ok();
    void hand_back_content();

    QLabel *title_label;
    QVBoxLayout *content_holder;
    QPushButton *ok_button;
    QPushButton *cancel_button;
    generic_popup_fm_client_i *client = nullptr;
    QPointer<QWidget> content;
    Qt::WindowFlags content_flags;
    QSize content_minimum;
};

#endif
