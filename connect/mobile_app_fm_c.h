// Content of the phone connection page: the PC name under which the phones see
// this computer, and the list of known phones read from the paired-client file.
// The form changes nothing itself; every user action leaves as a client command.
#ifndef VORLA_MOBILE_APP_FM_C_H
#define VORLA_MOBILE_APP_FM_C_H

#include "common/form_base_c.h"

#include <QList>
#include <QString>
#include <QWidget>

#include <memory>

namespace Ui {
class mobile_app_fm_c;
}

class mobile_device_fm_c;
class vorla_connect_kernel_c;

class mobile_app_fm_c : public QWidget, public form_base_c
{
    Q_OBJECT

public:
    // Puts itself into the parent's grid layout; the list is read once the
    // event loop runs, so the page shows before the file is parsed.
    mobile_app_fm_c(vorla_connect_kernel_c *kernel, QWidget *parent = nullptr);
    ~mobile_app_fm_c() override;

    // Builds the list again from a fresh read of the paired-client file.
    void reload_clients();
    // Appends the row of a phone the user just accepted or denied.
    void add_client_row(const QString &client_id, bool paired);
    // Called by a row's switch: the accept command when on, refuse when off.
    void set_auto_pair(const QString &client_id, bool on);
    // Called by a row's remove button: the remove command, and the row goes at once.
    void remove_client(const QString &client_id);
    // Hands the command to the host; nothing is sent without the host's client.
    void send_client_command(int command, const QString &argument);

    // The rows in display order; never empty after the first load.
    const QList<mobile_device_fm_c *> &device_rows() const { return rows; }

    void retranslate_texts() override;
    void after_language_applied() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void timerEvent(QTimerEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private slots:
    void bar_value_changed(int value);

private:
    mobile_device_fm_c *new_row(const QString &client_id, int position_index, const QString &name,
                                const QString &model, bool paired, bool auto_pair);
    void add_placeholder_row();
    void clear_rows();
    void layout_rows();
    // The list's height, and the panel's around it.
    void set_list_height(int height);
    void fit_row_widths();
    // Fills the PC name field from the file.
    void show_server_name(const QString &name);
    // Sends the PC name when the user changed it.
    void end_server_name_edit();

    std::unique_ptr<Ui::mobile_app_fm_c> ui;
    vorla_connect_kernel_c *kernel = nullptr;
    QList<mobile_device_fm_c *> rows;
    int first_load_timer = 0;
    // The PC name as last read from the file or sent, as far as the field holds it.
    QString server_name_shown;
};

#endif
