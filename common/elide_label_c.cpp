#include "common/elide_label_c.h"

elide_label_c::elide_label_c(QWidget *parent) : QLabel(parent) {}

elide_label_c::elide_label_c(const QString &text, QWidget *parent) : QLabel(text, parent) {}

void elide_label_c::set_elide_mode(Qt::TextElideMode mode)
{
    if (mode == elide.mode)
        return;
    elide.mode = mode;
    if (!text().isEmpty())
        elide.elided_text = fontMetrics().elidedText(text(), mode, contentsRect().width());
    repaint();
}

QSize elide_label_c::minimumSizeHint() const
{
    return elide.mode == Qt::ElideNone ? QLabel::minimumSizeHint() : elided_minimum_size_hint(this);
}

void elide_label_c::paintEvent(QPaintEvent *event)
{
    const QString full_text = text();
    if (full_text.isEmpty()) {
        QLabel::paintEvent(event);
        return;
    }
    const QRect rect = text_rect();
    const QString &elided_text = elide.refresh(rect, full_text, fontMetrics(), 0);
    if (elided_text == full_text) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter painter(this);
    painter.drawText(rect, int(alignment()), elided_text);
}

QRect elide_label_c::text_rect() const
{
    return contentsRect().translated(margin(), margin());
}
