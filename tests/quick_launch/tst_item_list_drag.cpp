// Row dragging needs a platform that runs drags: this test runs under X.
// While QDrag::exec runs its loop, a timer injects the drag events that the
// window system would deliver, then ends the drag with Escape.
#include "tests/quick_launch/quick_launch_test_support.h"

namespace {

// The widget that took the last drag enter or move, while no drop followed:
// Qt's drag manager keeps pointing at it, and would send a later test's drop
// there after the widget is gone.
QPointer<QWidget> entered;
int entered_y = 0;

// Sends one drag event to target at y and tells whether it was accepted.
bool send_drag(QWidget *target, QEvent::Type type, int y)
{
    QMimeData mime;
    QDragEnterEvent enter(QPoint(40, y), Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    // Also for a drop: a move event is a drop event with a little more.
    QDragMoveEvent other(QPoint(40, y), Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier, type);
    QDragMoveEvent &event = type == QEvent::DragEnter ? enter : other;
    QCoreApplication::sendEvent(target, &event);
    if (type == QEvent::Drop)
        entered = nullptr;
    else if (event.isAccepted()) {
        entered = target;
        entered_y = y;
    }
    return event.isAccepted();
}

// Presses on the list at press and moves the mouse, which starts a row drag;
// during() runs inside the drag's loop and sends the drag events. A drop (when
// one is due) and Escape then end the drag even when a check in during()
// failed and returned early, which would otherwise leave the drag waiting for
// input that never comes. False when a check failed.
bool drag_row(item_list_fm_c *list, QPoint press, std::function<void()> during)
{
    struct end_drag_t
    {
        item_list_fm_c *list;
        ~end_drag_t()
        {
            if (entered != nullptr)
                send_drag(entered, QEvent::Drop, entered_y);
            QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QCoreApplication::sendEvent(list, &escape);
        }
    };
    bool ran = false;
    QTimer::singleShot(0, [&] {
        const end_drag_t end{list};
        ran = true;
        during();
    });
    QTest::mousePress(list, Qt::LeftButton, Qt::NoModifier, press);
    QMouseEvent move(QEvent::MouseMove, press + QPoint(0, 1), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(list, &move);
    return ran && !QTest::currentTestFailed();
}

// "t" for a top line, "b" for a bottom line, "-" for none, one per row.
QString indicators(item_list_fm_c *list)
{
    QString lines;
    for (item_fm_c *row : list->rows())
        lines += row->styleSheet().contains("border-top")      ? 't'
                 : row->styleSheet().contains("border-bottom") ? 'b'
                                                               : '-';
    return lines;
}

struct drop_case_t
{
    const char *tag;
    int rows;
    int dragged;
    QList<int> move_ys;
    int position; // the drop position while held
    QString lines;
    QList<int> page_after;
};

} // namespace
Q_DECLARE_METATYPE(drop_case_t)

class tst_item_list_drag : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { global_func_c::shared()->initialise(); }

    void init() { QVERIFY((ui = std::make_unique<settings_page_t>())->show({1100, 700})); }
    void cleanup() { ui.reset(); }

    // The page's list starts empty, so it stays empty unless the list reports a change.
    void drag_and_drop_data()
    {
        QTest::addColumn<drop_case_t>("drop");
        const drop_case_t cases[] = {
            {"one row refuses", 1, 0, {60}, -1, "-", {}},
            {"y 53: row 0 to gap 2", 2, 0, {53}, 2, "-b", {2, 1}},
            {"y 52 is gap 1", 3, 2, {52}, 1, "-t-", {1, 3, 2}},
            {"gap 0", 3, 2, {5}, 0, "t--", {3, 1, 2}},
            {"own place, above", 3, 1, {40}, 1, "-t-", {}},
            {"own place, below", 3, 1, {70}, 2, "-bt", {}},
            {"last gap, after moving", 4, 0, {10, 140}, 4, "---b", {2, 3, 4, 1}},
        };
        for (const drop_case_t &drop : cases)
            QTest::newRow(drop.tag) << drop;
    }
    void drag_and_drop()
    {
        QFETCH(drop_case_t, drop);
        item_list_fm_c *list = ui->games();
        fill(drop.rows);
        QWidget *area = rows_area();
        item_fm_c *row = list->rows().at(drop.dragged);

        const bool drag_checks_passed = drag_row(list, press_on(list, row), [&] {
            QDrag *drag = list->current_drag();
            QVERIFY(drag != nullptr);
            QCOMPARE(drag->pixmap().size(), QSize(row->width(), row->height() - 2));
            QCOMPARE(drag->hotSpot(), QPoint(150, 10));
            QCOMPARE(send_drag(area, QEvent::DragEnter, drop.move_ys.first()), drop.rows >= 2);
            for (int y : drop.move_ys)
                send_drag(area, QEvent::DragMove, y);
            QCOMPARE(list->drop_position(), drop.position);
            QCOMPARE(indicators(list), drop.lines);
            if (drop.rows >= 2)
                send_drag(area, QEvent::Drop, drop.move_ys.last());
        });
        QVERIFY(drag_checks_passed);
        QCOMPARE(list->current_drag(), nullptr);
        QCOMPARE(list->drop_position(), -1);
        QCOMPARE(indicators(list), QString(drop.rows, '-'));
        // Once ours has ended, a drag is one from elsewhere and is refused.
        QVERIFY(!send_drag(area, QEvent::DragEnter, 20) && !send_drag(area, QEvent::Drop, 20));
        QCOMPARE(ids(*ui->page->get_games()), drop.page_after);
    }

    // Held near the bottom or top edge of the visible rows, a drag scrolls the
    // list to its end, so that a row can be dropped anywhere.
    void drag_scrolls_a_long_list_data()
    {
        QTest::addColumn<bool>("down");
        QTest::newRow("first row to the end") << true;
        QTest::newRow("last row to the top") << false;
    }
    void drag_scrolls_a_long_list()
    {
        QFETCH(bool, down);
        item_list_fm_c *list = ui->games();
        fill(40);
        QWidget *area = rows_area();
        QList<int> expected = ids(list->items());
        auto *scroll_area = list->findChild<QScrollArea *>("scrollArea");
        QScrollBar *bar = scroll_area->verticalScrollBar();
        QVERIFY(bar->maximum() > 0);
        bar->setValue(down ? 0 : bar->maximum());
        const QPoint press = press_on(list, down ? list->rows().first() : list->rows().last());
        // Two pixels inside the edge the rows go towards.
        const int view_y = down ? scroll_area->viewport()->height() - 3 : 2;
        const auto pointer_y = [&] { return area->mapFrom(scroll_area->viewport(), QPoint(0, view_y)).y(); };

        const bool drag_checks_passed = drag_row(list, press, [&] {
            QVERIFY(send_drag(area, QEvent::DragEnter, pointer_y()));
            send_drag(area, QEvent::DragMove, pointer_y());
            QTRY_COMPARE_WITH_TIMEOUT(bar->value(), down ? bar->maximum() : 0, 20000);
            QCOMPARE(list->drop_position(), down ? 40 : 0);
            send_drag(area, QEvent::Drop, pointer_y());
        });
        QVERIFY(drag_checks_passed);
        expected.move(down ? 0 : 39, down ? 39 : 0);
        QCOMPARE(ids(*ui->page->get_games()), expected);
    }

private:
    // Rows 1 to count in the games list, once each has its place and width.
    void fill(int count)
    {
        ui->games()->set_items(numbered(count));
        QTRY_COMPARE(rows_area()->layout()->geometry(), rows_area()->rect());
    }
    QWidget *rows_area() const { return ui->games()->findChild<QWidget *>("wg_scroll_area"); }
    // A press 150 pixels into the row and 10 down, in the list's coordinates.
    static QPoint press_on(item_list_fm_c *list, item_fm_c *row)
    {
        return row->parentWidget()->mapTo(list, row->geometry().topLeft() + QPoint(150, 10));
    }

    std::unique_ptr<settings_page_t> ui;
};

QTEST_MAIN(tst_item_list_drag)
#include "tst_item_list_drag.moc"
