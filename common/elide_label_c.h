// A label that shortens its text with an ellipsis instead of clipping it.
#ifndef VORLA_ELIDE_LABEL_C_H
#define VORLA_ELIDE_LABEL_C_H

#include "common/elide_widget_p.h"

#include <QLabel>

// A QLabel whose text is elided to fit its contents rectangle. As long as
// nothing is cut (and always with Qt::ElideNone, the default) the plain label
// paints, so rich text, pictures and word wrap behave as usual; a cut text is
// drawn plainly with the label's alignment. With eliding on, the minimum size
// is an ellipsis.
class elide_label_c : public QLabel
{
    Q_OBJECT
    Q_PROPERTY(Qt::TextElideMode elide_mode READ elide_mode WRITE set_elide_mode)

public:
    explicit elide_label_c(QWidget *parent = nullptr);
    explicit elide_label_c(const QString &text, QWidget *parent = nullptr);

    Qt::TextElideMode elide_mode() const { return elide.mode; }
    // Recomputes the elided text for the new mode and repaints at once; the
    // same mode again does nothing.
    void set_elide_mode(Qt::TextElideMode mode);

    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    // The contents rectangle moved right and down by the margin.
    QRect text_rect() const;

    elide_state_t elide;
};

#endif
