#include "common/elide_push_button_c.h"

elide_push_button_c::elide_push_button_c(QWidget *parent) : elide_push_button_base_t(parent) {}

elide_push_button_c::elide_push_button_c(const QString &text, QWidget *parent)
    : elide_push_button_base_t(text, parent)
{}
