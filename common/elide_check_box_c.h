// A check box that shortens its text with an ellipsis instead of clipping it.
#ifndef VORLA_ELIDE_CHECK_BOX_C_H
#define VORLA_ELIDE_CHECK_BOX_C_H

#include "common/elide_widget_p.h"

#include <QCheckBox>

using elide_check_box_base_t = elide_button_t<QCheckBox, QStyle::SE_CheckBoxContents, QStyle::CE_CheckBox>;

// A QCheckBox whose text is elided to fit the style's contents rectangle less the
// menu-indicator metric. With Qt::ElideNone (the default) it paints and sizes
// like a plain QCheckBox; otherwise its minimum size is an ellipsis. The mnemonic
// of the text keeps working.
class elide_check_box_c : public elide_check_box_base_t
{
    Q_OBJECT
    Q_PROPERTY(Qt::TextElideMode elide_mode READ elide_mode WRITE set_elide_mode)

public:
    explicit elide_check_box_c(QWidget *parent = nullptr);
    explicit elide_check_box_c(const QString &text, QWidget *parent = nullptr);
};

#endif
