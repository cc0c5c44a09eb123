#include "quick_launch/fit_button.h"

#include <QFontMetrics>
#include <QPushButton>

#include <algorithm>

void fit_button_to_text(QPushButton *button, int minimum_width, int padding, button_anchor_t anchor)
{
    if (button == nullptr)
        return;
    const QRect before = button->geometry();
    const int text_width = QFontMetrics(button->font()).horizontalAdvance(button->text());
    const int width = std::max(minimum_width, text_width + 2 * padding);
    button->setFixedWidth(width);

    int x = before.x();
    if (anchor == button_anchor_t::right)
        x = before.x() + before.width() - width;
    else if (anchor == button_anchor_t::centre)
        x = before.x() + (before.width() - width) / 2;
    button->move(x, before.y());
}
