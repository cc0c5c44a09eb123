// Keeps a shown list widget hidden while its rows are replaced. Rows added to
// a shown container each post show and layout requests, and Qt merges every
// new request by searching all those still queued, so a long list would cost
// the square of its length; every shown row also queues its own repaint,
// clipped against all the others. Hidden, the container takes the rows
// without requests, lays them out once when it shows again, and one repaint
// of the window replaces theirs.
//
// Every new widget also queues a polish request, and a layout request posted
// to a widget that already has an event queued is merged by searching the
// whole queue; row_added() drops the polish requests in batches so that the
// queue stays short. A hidden widget is polished when it shows anyway.
#ifndef VORLA_HIDDEN_WHILE_REFILLED_H
#define VORLA_HIDDEN_WHILE_REFILLED_H

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

class hidden_while_refilled_t
{
public:
    enum class sizing_t
    {
        kept,
        // Grown to hold the rows before it shows: a scroll area would grow it
        // afterwards, moving every shown row again.
        grown_to_rows,
    };

    explicit hidden_while_refilled_t(QWidget *list, sizing_t size = sizing_t::kept)
        : list(list), was_shown(list->isVisible()), size(size)
    {
        if (was_shown)
            list->hide();
    }
    ~hidden_while_refilled_t()
    {
        if (!was_shown)
            return;
        if (size == sizing_t::grown_to_rows)
            list->resize(list->size().expandedTo(list->minimumSizeHint()));
        list->show();
        QCoreApplication::removePostedEvents(nullptr, QEvent::UpdateLater);
        list->window()->update();
    }
    // Call once per row made as a child of the list.
    void row_added()
    {
        if (++rows % polish_batch == 0)
            QCoreApplication::removePostedEvents(nullptr, QEvent::PolishRequest);
    }
    hidden_while_refilled_t(const hidden_while_refilled_t &) = delete;
    hidden_while_refilled_t &operator=(const hidden_while_refilled_t &) = delete;

private:
    // One search of the queue drops every widget's request at once. That is
    // safe for widgets elsewhere too: a widget polishes itself when it shows or
    // is rendered, and the request only starts that early. Dropping only the
    // rows' requests took one search per row and its parts, which made a long
    // refill grow with the square of its length again.
    static constexpr int polish_batch = 64;
    QWidget *const list;
    const bool was_shown;
    const sizing_t size;
    int rows = 0;
};

#endif
