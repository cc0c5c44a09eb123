#include "host/info_badge_c.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QToolTip>

namespace {
const QColor accent(0x65, 0xc3, 0xf7);
const QColor surface(0x0b, 0x0b, 0x0b);

class badge_button_c : public QAbstractButton
{
public:
    static constexpr int side = 20;

    explicit badge_button_c(QWidget *parent = nullptr) : QAbstractButton(parent)
    {
        setObjectName(QStringLiteral("info_badge"));
        setFixedSize(side, side);
        setCursor(Qt::PointingHandCursor);
        setFocusPolicy(Qt::TabFocus);
        // Repaints on entering and leaving, for the filled hover look.
        setAttribute(Qt::WA_Hover);
        connect(this, &QAbstractButton::clicked, this, [this] {
            if (!toolTip().isEmpty())
                QToolTip::showText(mapToGlobal(QPoint(width() / 2, height())), toolTip(), this);
        });
    }

    QSize sizeHint() const override { return {side, side}; }

protected:
    void paintEvent(QPaintEvent *) override
    {
        const bool lit = underMouse() || isDown() || hasFocus();
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(accent, 1.5));
        painter.setBrush(lit ? accent : Qt::transparent);
        painter.drawEllipse(QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5));
        QFont mark = font();
        mark.setPixelSize(13);
        mark.setBold(true);
        painter.setFont(mark);
        painter.setPen(lit ? surface : accent);
        painter.drawText(rect(), Qt::AlignCenter, QStringLiteral("i"));
    }
};

// The title in bold above the text, both shown as typed.
QString tip_html(const QString &title, const QString &text)
{
    if (title.isEmpty() && text.isEmpty())
        return QString();
    // Marked as rich text outright: escaped plain text alone could pass for plain.
    QString html = QStringLiteral("<qt>");
    if (!title.isEmpty())
        html += QStringLiteral("<b>") + title.toHtmlEscaped() + QStringLiteral("</b>");
    if (!title.isEmpty() && !text.isEmpty())
        html += QStringLiteral("<br/>");
    html += text.toHtmlEscaped().replace(QLatin1Char('\n'), QStringLiteral("<br/>"));
    return html + QStringLiteral("</qt>");
}
} // namespace

info_badge_c::~info_badge_c()
{
    delete button;
}

void *info_badge_c::query_interface(const interface_id_t *id)
{
    if (same_interface_id(id, iid_interface_i) || same_interface_id(id, iid_info_badge_i))
        return static_cast<info_badge_i *>(this);
    return nullptr;
}

void info_badge_c::release()
{
    delete this;
}

void info_badge_c::place_in(QWidget *holder)
{
    if (holder == nullptr) {
        if (button != nullptr) {
            button->hide();
            button->setParent(nullptr);
        }
        return;
    }
    if (button == nullptr) {
        button = new badge_button_c;
        describe_badge();
    }
    if (button->parentWidget() != holder) {
        QLayout *layout = holder->layout();
        if (layout == nullptr) {
            layout = new QHBoxLayout(holder);
            layout->setContentsMargins(0, 0, 0, 0);
            layout->setSpacing(0);
        }
        // Reparenting also takes the badge out of an earlier holder's layout.
        layout->addWidget(button);
    }
    button->show();
}

void info_badge_c::set_title(const QString &title)
{
    tip_title = title;
    describe_badge();
}

void info_badge_c::set_text(const QString &text)
{
    tip_text = text;
    describe_badge();
}

void info_badge_c::describe_badge()
{
    if (button == nullptr)
        return;
    button->setToolTip(tip_html(tip_title, tip_text));
    button->setAccessibleName(tip_title.isEmpty() ? QStringLiteral("Information")
                                                  : QStringLiteral("Information: ") + tip_title);
    button->setAccessibleDescription(tip_text);
}
