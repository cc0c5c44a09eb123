// Sizes a push button to its current text, keeping one of its edges or its
// centre in place, so that translated texts never get cut.
#ifndef VORLA_FIT_BUTTON_H
#define VORLA_FIT_BUTTON_H

class QPushButton;

enum class button_anchor_t
{
    left,
    right,
    centre,
};

// Fixed width = max(minimum_width, text width + 2 * padding) in the button's
// own font; the vertical position stays.
void fit_button_to_text(QPushButton *button, int minimum_width, int padding, button_anchor_t anchor);

#endif
