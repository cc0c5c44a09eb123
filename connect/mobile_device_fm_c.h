// One line of the phone list: position, name, model, paired indicator,
// auto-pairing switch and remove button. It keeps no state beyond what it
// shows; the two user actions go to the owning form.
#ifndef VORLA_MOBILE_DEVICE_FM_C_H
#define VORLA_MOBILE_DEVICE_FM_C_H

#include "common/form_base_c.h"

#include <QString>
#include <QWidget>

#include <memory>

namespace Ui {
class mobile_device_fm_c;
}

class mobile_app_fm_c;

class mobile_device_fm_c : public QWidget, public form_base_c
{
    Q_OBJECT

public:
    // A null owner makes a row that only displays.
    explicit mobile_device_fm_c(mobile_app_fm_c *owner, QWidget *parent = nullptr);
    ~mobile_device_fm_c() override;

    // The rows' style sheet, for a container to carry on behalf of all its rows.
    static QString shared_style_sheet();

    // An empty client id marks the placeholder row, which offers no action.
    void set_info(const QString &client_id, int position_index, const QString &name, const QString &model,
                  bool paired, bool auto_pair);
    void set_position(int position_index);
    // The number shown, which is the position index plus 1.
    int position() const;
    void set_paired(bool paired);
    // Changes the switch without telling the owner.
    void set_auto_pair_checked(bool on);
    bool is_paired() const;
    bool is_auto_pair() const;
    QString client_id() const { return id; }

    void retranslate_texts() override;

private slots:
    void on_cb_auto_pair_clicked();
    void on_btn_remove_clicked();

private:
    void refresh_pair_text();

    std::unique_ptr<Ui::mobile_device_fm_c> ui;
    mobile_app_fm_c *owner = nullptr;
    QString id;
};

#endif
