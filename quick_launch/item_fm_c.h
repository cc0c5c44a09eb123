// One numbered row of a quick-launch item list: icon, name, and the buttons
// that hand moving, editing and removing the entry to the owning list.
#ifndef VORLA_ITEM_FM_C_H
#define VORLA_ITEM_FM_C_H

#include "common/form_base_c.h"
#include "module/custom_event_c.h"

#include <QMetaType>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <memory>

namespace Ui {
class item_fm_c;
}

class item_fm_c;

// What a row asks of its list. Removal is not here: the row must not be
// deleted inside its own click handler, so it is requested through
// remove_row_event posted to the list object instead.
class item_row_owner_i
{
public:
    // Carries the row (item_fm_c *) to remove.
    static constexpr int remove_row_event = custom_event_1000;

    virtual void move_row_up(item_fm_c *row) = 0;
    virtual void move_row_down(item_fm_c *row) = 0;
    virtual void edit_row(item_fm_c *row) = 0;

protected:
    ~item_row_owner_i() = default;
};

class item_fm_c : public QWidget, public form_base_c
{
    Q_OBJECT

public:
    // owner receives the button calls and owner_object the removal event; the
    // list passes itself for both. Null makes the buttons do nothing.
    item_fm_c(item_row_owner_i *owner, QObject *owner_object, QWidget *parent = nullptr);
    ~item_fm_c() override;

    // Shows the entry at the given 0-based position, with its icon file when
    // one can be read.
    void set_row(int id, int position, const QString &name, const QString &path);
    void set_number(int position);
    void set_arrows(bool up, bool down);
    void set_name(const QString &name);
    void set_path(const QString &path) { row_path = path; }
    // Shows the entry's icon file as it is now, or none when it cannot be read.
    void reload_icon();

    int id() const { return row_id; }
    QString name() const { return row_name; }
    QString path() const { return row_path; }

    // The drop line of a row drag; a row shows at most one of the two.
    void show_top_indicator(bool on);
    void show_bottom_indicator(bool on);

    void retranslate_texts() override;

    // The style sheet of a row's pictures and colours. A rows container that
    // carries it as its own style sheet spares the rows inside their own copy,
    // so that it is parsed and its pictures are loaded once for all of them.
    static QString shared_style_sheet();

private slots:
    void on_btn_up_clicked();
    void on_btn_down_clicked();
    void on_btn_edit_clicked();
    void on_btn_del_clicked();

private:
    void set_indicator_style(const QString &style);

    std::unique_ptr<Ui::item_fm_c> ui;
    item_row_owner_i *owner;
    QPointer<QObject> owner_object;
    int row_id = -1;
    QString row_name;
    QString row_path;
};

Q_DECLARE_METATYPE(item_fm_c *)

#endif
