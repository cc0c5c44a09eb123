// The small frameless window shown while the program scanner runs: a progress
// bar from the host, its percent, and a button that cancels the scan or, once
// it has finished, closes the window. Accepted means "keep the scanned lists".
#ifndef VORLA_SCANNING_PROGRESS_FM_C_H
#define VORLA_SCANNING_PROGRESS_FM_C_H

#include "common/form_base_c.h"
#include "module/custom_event_c.h"
#include "module/host_interfaces.h"

#include <QDialog>
#include <QPoint>

#include <memory>

namespace Ui {
class scanning_progress_fm_c;
}

class QVBoxLayout;
class program_scanner_tool_c;
class quick_launch_settings_fm_c;

class scanning_progress_fm_c : public QDialog, public form_base_c, public program_scanner_tool_client_i
{
    Q_OBJECT

public:
    scanning_progress_fm_c(quick_launch_settings_fm_c *owner_form, QWidget *parent = nullptr);
    ~scanning_progress_fm_c() override;

    // Starts a scan of the owner form's lists and runs the dialog modally:
    // Accepted when the scan finished, Rejected when it was cancelled.
    int start_and_run();

    void set_percent(int value);
    void place_corner_widgets();

    void retranslate_texts() override;
    void after_language_applied() override;

    // interface_i: the scanner's client face and the language-listener face.
    void *query_interface(const interface_id_t *id) override;
    void release() override;
    // program_scanner_tool_client_i: each only posts an event to the dialog, so
    // any thread may call them.
    void on_scan_progress(int step) override;
    void on_scan_finished() override;
    void on_scan_cancelled() override;

protected:
    void customEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private slots:
    void on_btn_cancel_clicked();
    void on_btn_close_clicked();

private:
    // Posted to the dialog by the client face, from any thread.
    enum scan_event_t : int
    {
        scan_progress_event = custom_event_1000,
        scan_finished_event = custom_event_1001,
        scan_cancelled_event = custom_event_1002,
    };

    void button_pressed();
    void show_percent();
    // The wait cursor and the button's "Cancelling..." while a cancel is
    // under way: set once, undone once.
    void set_busy(bool on);
    static QString cancelling_text();
    // Sets the button's text and fits the button to it.
    void show_button_text(const QString &text);

    std::unique_ptr<Ui::scanning_progress_fm_c> ui;
    quick_launch_settings_fm_c *owner_form;
    progress_i *progress = nullptr;
    QVBoxLayout *progress_layout = nullptr;
    bool finished_flag = false;
    bool busy = false;
    std::unique_ptr<program_scanner_tool_c> scanner;
    info_badge_i *info = nullptr;
    bool dragging = false;
    QPoint press_position;
};

#endif
