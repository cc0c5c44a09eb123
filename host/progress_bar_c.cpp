#include "host/progress_bar_c.h"

#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QTimer>
#include <QWidget>

#include <cmath>

namespace {
const QColor track(0x1c, 0x1c, 0x1c);
const QString accent_fill = QStringLiteral("background-color: #65c3f7; border-radius: 2px;");
constexpr int tick_ms = 100;

double ratio(quint64 value, quint64 maximum)
{
    if (value == 0 || maximum == 0)
        return 0.0;
    return static_cast<double>(value) / static_cast<double>(maximum);
}
} // namespace

// The bar itself. It only shows what the component hands it; the animation
// runs on a GUI-thread timer, so nothing outlives the widget.
class progress_bar_widget_c : public QWidget
{
public:
    progress_bar_widget_c() : fill(new QWidget(this)), frame(new QLabel(this))
    {
        setObjectName(QStringLiteral("progress_bar"));
        setMinimumHeight(4);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        fill->setObjectName(QStringLiteral("progress_fill"));
        frame->setObjectName(QStringLiteral("progress_frame"));
        fill->hide();
        frame->hide();
        ticks.setInterval(tick_ms);
        QObject::connect(&ticks, &QTimer::timeout, this, [this] { next_frame(); });
    }

    QSize sizeHint() const override { return {200, 8}; }

    void show_state(quint64 value, quint64 maximum, const QString &style, const QStringList &paths)
    {
        filled = ratio(value, maximum);
        fill->setStyleSheet(style.isEmpty() ? accent_fill : style);
        fill->setVisible(value > 0);
        if (paths != frames) {
            frames = paths;
            frame_index = 0;
            frame->setPixmap(frames.isEmpty() ? QPixmap() : QPixmap(frames.first()));
            frame->adjustSize();
        }
        const bool animate = value > 0 && value < maximum && !frames.isEmpty();
        frame->setVisible(animate);
        if (!animate)
            ticks.stop();
        else if (!ticks.isActive())
            ticks.start();
        lay_out();
        update();
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(track);
        painter.drawRoundedRect(QRectF(rect()), 2, 2);
    }

    void resizeEvent(QResizeEvent *event) override
    {
        QWidget::resizeEvent(event);
        lay_out();
    }

private:
    void lay_out()
    {
        // Bounded: a value above a lowered maximum gives a ratio above 1.
        const int end = static_cast<int>(qBound(0.0, width() * filled, double(width())));
        fill->setGeometry(0, 0, end, height());
        // The frame's head sits on the fill's end, its tail trails into the track.
        frame->move(end, (height() - frame->height()) / 2);
    }

    void next_frame()
    {
        if (frames.isEmpty())
            return;
        frame_index = (frame_index + 1) % frames.size();
        frame->setPixmap(QPixmap(frames.at(frame_index)));
    }

    QWidget *fill;
    QLabel *frame;
    QTimer ticks;
    QStringList frames;
    int frame_index = 0;
    double filled = 0.0;
};

progress_bar_c::~progress_bar_c()
{
    delete bar;
}

QStringList progress_bar_c::default_frames()
{
    QStringList paths;
    for (int n = 0; n <= 10; ++n)
        paths.append(QStringLiteral(":/graphics/common/progress/%1.png").arg(n));
    return paths;
}

void *progress_bar_c::query_interface(const interface_id_t *id)
{
    if (same_interface_id(id, iid_interface_i) || same_interface_id(id, iid_progress_i))
        return static_cast<progress_i *>(this);
    return nullptr;
}

void progress_bar_c::release()
{
    delete this;
}

void progress_bar_c::set_maximum(quint64 maximum)
{
    bar_maximum = maximum;
    show_state();
}

void progress_bar_c::set_value(quint64 value)
{
    bar_value = qMin(value, bar_maximum);
    show_state();
}

void progress_bar_c::set_bar_style(const QString &style_sheet)
{
    bar_style = style_sheet;
    show_state();
}

void progress_bar_c::set_animation_frames(const QStringList &paths)
{
    frames = paths;
    show_state();
}

QString progress_bar_c::percent_text()
{
    // Truncated, not rounded, and from the double quotient, as the module's
    // own bar computes it: the dialog shows either one's text.
    const double percent = std::trunc(ratio(bar_value, bar_maximum) * 100.0);
    return QString::number(percent, 'f', 0) + QLatin1Char('%');
}

QWidget *progress_bar_c::widget()
{
    if (bar == nullptr) {
        bar = new progress_bar_widget_c;
        show_state();
    }
    return bar;
}

void progress_bar_c::show_state()
{
    if (bar != nullptr)
        bar->show_state(bar_value, bar_maximum, bar_style, frames);
}
