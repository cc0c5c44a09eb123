// A queued hand-off of one value to a QObject, used to move work from a click
// handler to a later step, or from a worker thread to the GUI thread.
#ifndef VORLA_CUSTOM_EVENT_C_H
#define VORLA_CUSTOM_EVENT_C_H

#include <QCoreApplication>
#include <QEvent>
#include <QVariant>

// Event types carry a meaning per receiving class; they are used as they stand
// and never registered.
enum custom_event_type_t : int
{
    custom_event_1000 = QEvent::User,
    custom_event_1001 = QEvent::User + 1,
    custom_event_1002 = QEvent::User + 2,
};

class custom_event_c : public QEvent
{
public:
    explicit custom_event_c(int type) : QEvent(static_cast<QEvent::Type>(type)) {}
    ~custom_event_c() override;

    QVariant payload;
};

// Posts a new event of the given type carrying value to receiver. Never delivers
// synchronously; safe from any thread. The event loop owns and deletes the event,
// also when the receiver is deleted before delivery.
template <typename T>
void post_custom_event(QObject *receiver, int type, const T &value)
{
    auto *event = new custom_event_c(type);
    event->payload = QVariant::fromValue(value);
    QCoreApplication::postEvent(receiver, event, Qt::NormalEventPriority);
}

#endif
