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
// whole queue; row_added() drops the rows' polish requests in batches so that
// the queue stays short. A hidden widget is polished when it shows anyway.
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
            drop_polish_requests();
    }
    hidden_while_refilled_t(const hidden_while_refilled_t &) = delete;
    hidden_while_refilled_t &operator=(const hidden_while_refilled_t &) = delete;

private:
    // Only the rows' own requests go: other windows may wait for theirs. A
    // widget made in or moved to the list becomes its last child, so the
    // batch's rows are the last widgets among the list's children.
    void drop_polish_requests()
    {
        const QObjectList &children = list->children();
        int left = polish_batch;
        for (auto child = children.crbegin(); child != children.crend() && left > 0; ++child) {
            if (!(*child)->isWidgetType())
                continue;
            --left;
            QCoreApplication::removePostedEvents(*child, QEvent::PolishRequest);
            const QList<QWidget *> parts = (*child)->findChildren<QWidget *>();
            for (QWidget *part : parts)
                QCoreApplication::removePostedEvents(part, QEvent::PolishRequest);
        }
    }

    // Each receiver's requests are found by a search of the whole queue, so a
    // small batch keeps both that search and the layout merges short.
    static constexpr int polish_batch = 16;
    QWidget *const list;
    const bool was_shown;
    const sizing_t size;
    int rows = 0;
};

#endif
