#include "common/elide_check_box_c.h"

elide_check_box_c::elide_check_box_c(QWidget *parent) : elide_check_box_base_t(parent) {}

elide_check_box_c::elide_check_box_c(const QString &text, QWidget *parent)
    : elide_check_box_base_t(text, parent)
{}
