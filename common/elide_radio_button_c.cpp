#include "common/elide_radio_button_c.h"

elide_radio_button_c::elide_radio_button_c(QWidget *parent) : elide_radio_button_base_t(parent) {}

elide_radio_button_c::elide_radio_button_c(const QString &text, QWidget *parent)
    : elide_radio_button_base_t(text, parent)
{}
