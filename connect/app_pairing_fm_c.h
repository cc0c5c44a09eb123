// The modal accept/deny dialog for one waiting pairing request. The kernel's
// pairing flow makes one per run and shows it once per request.
#ifndef VORLA_APP_PAIRING_FM_C_H
#define VORLA_APP_PAIRING_FM_C_H

#include "common/form_base_c.h"
#include "connect/client_store_c.h"

#include <QDialog>
#include <QPoint>
#include <QString>

#include <memory>

namespace Ui {
class app_pairing_fm_c;
}

class vorla_connect_kernel_c;

class app_pairing_fm_c : public QDialog, public form_base_c
{
    Q_OBJECT

public:
    // What the user did with a request, as the client command that carries
    // the answer to the host.
    enum answer_t : int
    {
        answer_accept = client_command_accept,
        answer_deny = client_command_refuse,
        answer_none = client_command_request_ended, // the phone went away, or the dialog closed otherwise
    };

    explicit app_pairing_fm_c(vorla_connect_kernel_c *kernel, QWidget *parent = nullptr);
    ~app_pairing_fm_c() override;

    // Shows the phone's name and runs the dialog modally under the host's main
    // window; returns when the dialog closes.
    void show_request(const QString &name, const QString &client_id);
    int answer() const { return answer_code; }
    QString client_id() const { return shown_client_id; }
    // The phone of the open request disconnected: end the modal run unanswered.
    void phone_withdrawn();

    void retranslate_texts() override;

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private slots:
    void on_btn_yes_clicked();
    void on_btn_no_clicked();
    void on_btn_close_clicked();

private:
    void place_close_button();

    std::unique_ptr<Ui::app_pairing_fm_c> ui;
    vorla_connect_kernel_c *kernel;
    // Stays at its last value across the requests of one run: only the three
    // ways of closing change it.
    int answer_code = answer_none;
    QString shown_client_id;
    QPoint press_point;
    bool dragging = false;
};

#endif
