// The module's thin progress bar: a dark track, a blue fill whose width follows
// value / maximum, and a small animation riding on the fill's right end while
// the work is under way. Callers only use its progress_i face.
#ifndef VORLA_CPROGRESS_H
#define VORLA_CPROGRESS_H

#include "module/custom_event_c.h"
#include "module/module_interfaces.h"

#include <QLabel>
#include <QStringList>
#include <QWidget>

#include <memory>

class QEvent;
class QResizeEvent;

struct progress_animation_t;

class CProgress : public QWidget, public progress_i
{
    Q_OBJECT

public:
    explicit CProgress(QWidget *parent = nullptr);
    // Tells a running animation task to end and returns at once: the task may
    // still wake up once, but it no longer reaches this widget.
    ~CProgress() override;

    // interface_i. The root id gives the widget's face, progress_i its own.
    void *query_interface(const interface_id_t *id) override;
    // Deletes the widget.
    void release() override;
    // progress_i
    // Keeps the value as it is, so it may end up above the new maximum.
    void set_maximum(quint64 maximum) override;
    // Values above the maximum count as the maximum. The animation runs while
    // the value lies strictly between 0 and the maximum.
    void set_value(quint64 value) override;
    void set_bar_style(const QString &style_sheet) override;
    // Frames play in list order, one per 100 ms tick, starting with the second.
    void set_animation_frames(const QStringList &paths) override;
    quint64 maximum() override { return progress_maximum; }
    quint64 value() override { return progress_value; }
    // The truncated percentage, "0%" for an empty range.
    QString percent_text() override;
    QWidget *widget() override { return this; }

    // The animation frames every bar starts with; the host supplies the images.
    static QStringList default_frames();

    // Posted by the animation task to the bar, one per frame.
    static constexpr int tick_event = custom_event_1000;

protected:
    void customEvent(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void lay_out();
    void update_animation();
    void start_animation();
    void stop_animation();

    quint64 progress_maximum = 100;
    quint64 progress_value = 0;
    // Members in this order so that destruction removes the frame label, then
    // the frames, then the fill.
    QWidget fill;
    QStringList frames;
    QLabel frame_label;
    int frame_counter = 0;
    // Shared with the animation task, which may outlive the widget by a tick.
    std::shared_ptr<progress_animation_t> animation;
};

// A new bar without parent; the caller owns it and ends it with release().
progress_i *create_progress();

#endif
