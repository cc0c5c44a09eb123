// What the eliding widgets share: the cached elided text and the button
// family's behaviour. Include the widget headers, not this one.
//
// Forms give their elide_mode property as a number (1 for Qt::ElideRight): a
// value of the enum type makes the module register Qt::TextElideMode with its own
// code, which Qt would call after the host unloaded the module.
#ifndef VORLA_ELIDE_WIDGET_P_H
#define VORLA_ELIDE_WIDGET_P_H

#include <QFontMetrics>
#include <QMetaType>
#include <QPainter>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStyle>
#include <QStyleOptionButton>
#include <QWidget>

// The elide mode and the elided text with what it was computed from. Each
// widget keeps its own; nothing is shared between widgets.
struct elide_state_t
{
    Qt::TextElideMode mode = Qt::ElideNone;
    QRect text_rect; // null until the first paint
    QString text;
    QString elided_text;

    // The elided text for rect and full_text, computed again only when either
    // differs from the cached one (a mode change recomputes in the setter).
    const QString &refresh(const QRect &rect, const QString &full_text, const QFontMetrics &metrics,
                           int flags)
    {
        bool stale = false;
        if (rect != text_rect) {
            text_rect = rect;
            stale = true;
        }
        if (full_text != text) {
            text = full_text;
            stale = true;
        }
        if (stale)
            elided_text = metrics.elidedText(text, mode, text_rect.width(), flags);
        return elided_text;
    }
};

// "elide_mode" is not registered as a meta-type from here, and the forms set it
// as a plain number: the helpers of a type registered from the module would stay
// in Qt's registry after the host unloaded it, for the next user to call.

// With eliding on, a layout may shrink the widget down to an ellipsis.
inline QSize elided_minimum_size_hint(const QWidget *widget)
{
    const QFontMetrics metrics = widget->fontMetrics();
    return QSize(metrics.horizontalAdvance(QStringLiteral("...")), metrics.height());
}

// The eliding behaviour of the button family: the text rectangle is the
// style's contents sub-element less the menu-indicator metric on the right, and
// the whole control is drawn by the style with the elided text.
template <class Button, QStyle::SubElement contents, QStyle::ControlElement control>
class elide_button_t : public Button
{
public:
    explicit elide_button_t(QWidget *parent) : Button(parent) {}
    elide_button_t(const QString &text, QWidget *parent) : Button(text, parent) {}

    Qt::TextElideMode elide_mode() const { return elide.mode; }

    // Recomputes the elided text for the new mode and repaints at once; the
    // same mode again does nothing.
    void set_elide_mode(Qt::TextElideMode mode)
    {
        if (mode == elide.mode)
            return;
        elide.mode = mode;
        elide.elided_text = this->fontMetrics().elidedText(this->text(), mode, text_rect().width());
        this->repaint();
    }

    QSize minimumSizeHint() const override
    {
        return elide.mode == Qt::ElideNone ? Button::minimumSizeHint() : elided_minimum_size_hint(this);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QStyleOptionButton option;
        this->initStyleOption(&option);
        option.text =
            elide.refresh(text_rect(option), this->text(), this->fontMetrics(), Qt::TextShowMnemonic);
        QPainter painter(this);
        this->style()->drawControl(control, &option, &painter, this);
    }

private:
    QRect text_rect(const QStyleOptionButton &option) const
    {
        QRect rect = this->style()->subElementRect(contents, &option, this);
        rect.setRight(rect.right() -
                      this->style()->pixelMetric(QStyle::PM_MenuButtonIndicator, &option, this));
        return rect;
    }

    QRect text_rect() const
    {
        QStyleOptionButton option;
        this->initStyleOption(&option);
        return text_rect(option);
    }

    elide_state_t elide;
};

#endif
