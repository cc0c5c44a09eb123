// A radio button that shortens its text with an ellipsis instead of clipping it.
#ifndef VORLA_ELIDE_RADIO_BUTTON_C_H
#define VORLA_ELIDE_RADIO_BUTTON_C_H

#include "common/elide_widget_p.h"

#include <QRadioButton>

using elide_radio_button_base_t =
    elide_button_t<QRadioButton, QStyle::SE_RadioButtonContents, QStyle::CE_RadioButton>;

// A QRadioButton whose text is elided to fit the style's contents rectangle less the
// menu-indicator metric. With Qt::ElideNone (the default) it paints and sizes
// like a plain QRadioButton; otherwise its minimum size is an ellipsis. The mnemonic
// of the text keeps working.
class elide_radio_button_c : public elide_radio_button_base_t
{
    Q_OBJECT
    Q_PROPERTY(Qt::TextElideMode elide_mode READ elide_mode WRITE set_elide_mode)

public:
    explicit elide_radio_button_c(QWidget *parent = nullptr);
    explicit elide_radio_button_c(const QString &text, QWidget *parent = nullptr);
};

#endif
