#include "scanner/CProgress.h"

#include "module/custom_event_c.h"

#include <QDeadlineTimer>
#include <QMutex>
#include <QMutexLocker>
#include <QPixmap>
#include <QThreadPool>
#include <QWaitCondition>
#include <QtConcurrent>

#include <cmath>

// What the widget and its animation task share. Everything is read and written
// under the mutex; the task holds it only while it posts, never while it waits,
// so the GUI thread never waits longer than one post.
struct progress_animation_t
{
    QMutex mutex;
    QWaitCondition wake;
    // Cleared by the widget's destructor before the widget goes away.
    QObject *receiver = nullptr;
    bool stop = false;
    // True from the task's start until it has seen stop and left. A restart
    // while it is still there only clears stop, so one task runs at a time.
    bool running = false;
};

namespace {
constexpr int tick_ms = 100;

// Worker side: posts one tick per period until told to stop.
void run_animation(const std::shared_ptr<progress_animation_t> &animation)
{
    QMutexLocker lock(&animation->mutex);
    while (!animation->stop && animation->receiver != nullptr) {
        post_custom_event(animation->receiver, CProgress::tick_event, 0);
        // Stop wakes the task early, so it rarely outlives the widget.
        QDeadlineTimer next(tick_ms);
        while (!animation->stop && !next.hasExpired())
            animation->wake.wait(&animation->mutex, next);
    }
    animation->running = false;
}

// value / maximum, or 0 for an empty range.
double ratio(quint64 value, quint64 maximum)
{
    if (value == 0 || maximum == 0)
        return 0.0;
    return static_cast<double>(value) / static_cast<double>(maximum);
}
} // namespace

CProgress::CProgress(QWidget *parent)
    : QWidget(parent), fill(this), frame_label(this), animation(std::make_shared<progress_animation_t>())
{
    animation->receiver = this;
    fill.setObjectName(QStringLiteral("progress_fill"));
    frame_label.setObjectName(QStringLiteral("progress_frame"));
    fill.hide();
    frame_label.hide();
    set_value(0);

    // A QWidget subclass paints its style sheet background only when asked to.
    setAttribute(Qt::WA_StyledBackground);
    setStyleSheet(QStringLiteral("background-color: rgb(34, 34, 34);border: 2px;"));
    fill.setStyleSheet(QStringLiteral("background-color: #2699d6;"));
    set_animation_frames(default_frames());
}

CProgress::~CProgress()
{
    QMutexLocker lock(&animation->mutex);
    animation->receiver = nullptr;
    animation->stop = true;
    animation->wake.wakeAll();
}

QStringList CProgress::default_frames()
{
    QStringList paths;
    for (int n = 0; n <= 10; ++n)
        paths.append(QStringLiteral(":/graphics/common/progress/%1.png").arg(n));
    return paths;
}

void *CProgress::query_interface(const interface_id_t *id)
{
    if (same_interface_id(id, iid_interface_i))
        return static_cast<QWidget *>(this);
    if (same_interface_id(id, iid_progress_i))
        return static_cast<progress_i *>(this);
    return nullptr;
}

void CProgress::release()
{
    delete this;
}

void CProgress::set_maximum(quint64 maximum)
{
    progress_maximum = maximum;
    lay_out();
}

void CProgress::set_value(quint64 value)
{
    progress_value = qMin(value, progress_maximum);
    lay_out();
    if (!frames.isEmpty())
        update_animation();
    if (progress_value == 0) {
        fill.hide();
    } else {
        fill.show();
        fill.raise();
    }
    update();
}

void CProgress::set_bar_style(const QString &style_sheet)
{
    fill.setStyleSheet(style_sheet);
}

void CProgress::set_animation_frames(const QStringList &paths)
{
    if (paths != frames)
        frames = paths;
    if (frames.isEmpty())
        return;
    // A missing image gives an empty picture and a label of size 0.
    const QPixmap first(frames.first());
    frame_label.setPixmap(first);
    frame_label.setGeometry(0, 0, first.width(), first.height());
}

QString CProgress::percent_text()
{
    // Formatted from the double: a value far above a lowered maximum would not
    // fit an integer.
    const double percent = std::trunc(ratio(progress_value, progress_maximum) * 100.0);
    return QString::number(percent, 'f', 0) + QLatin1Char('%');
}

void CProgress::customEvent(QEvent *event)
{
    if (event->type() != static_cast<QEvent::Type>(tick_event))
        return;
    ++frame_counter;
    if (frames.isEmpty())
        return;
    frame_label.setPixmap(QPixmap(frames.at(frame_counter % frames.size())));
}

void CProgress::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    lay_out();
}

void CProgress::lay_out()
{
    // Bounded, since a value above a lowered maximum gives a ratio above 1.
    const double wide = width() * ratio(progress_value, progress_maximum);
    const int fill_width = static_cast<int>(qBound(0.0, wide, double(QWIDGETSIZE_MAX)));
    fill.setGeometry(0, 0, fill_width, height());
    frame_label.move(fill_width, 0);
}

void CProgress::update_animation()
{
    const bool in_progress = progress_value > 0 && progress_value < progress_maximum;
    // Whether the label was hidden on purpose, not whether it is on screen: a
    // bar that is not shown yet must not start a task per call.
    if (frame_label.isHidden() && in_progress) {
        frame_label.show();
        start_animation();
        return;
    }
    if (in_progress)
        return;
    frame_label.hide();
    stop_animation();
}

void CProgress::start_animation()
{
    QMutexLocker lock(&animation->mutex);
    animation->stop = false;
    if (animation->running)
        return;
    animation->running = true;
    // The task gets its own reference, never the widget.
    QtConcurrent::run(QThreadPool::globalInstance(), run_animation, animation);
}

void CProgress::stop_animation()
{
    QMutexLocker lock(&animation->mutex);
    animation->stop = true;
    animation->wake.wakeAll();
}

progress_i *create_progress()
{
    return new CProgress;
}
