// Row dragging needs a platform that runs drags: this test runs under X.
// While QDrag::exec runs its loop, a timer injects the drag events that the
// window system would deliver, then ends the drag with Escape.
#include "common/global_func_c.h"
#include "pages/quick_launch_settings_c.h"
#include "quick_launch/item_list_fm_c.h"
#include "quick_launch/quick_launch_settings_fm_c.h"
#include "tests/quick_launch/quick_launch_test_support.h"

#include <QtTest>
#include <QtWidgets>

#include <memory>

namespace {

// Sends one drag event to target at y and tells whether it was accepted.
bool send_drag(QWidget *target, QEvent::Type type, int y)
{
    QMimeData mime;
    QDragEnterEvent enter(QPoint(40, y), Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    // Also for a drop: a move event is a drop event with a little more.
    QDragMoveEvent other(QPoint(40, y), Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier, type);
    QDragMoveEvent &event = type == QEvent::DragEnter ? enter : other;
    QCoreApplication::sendEvent(target, &event);
    return event.isAccepted();
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

} // namespace

class tst_item_list_drag : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { global_func_c::shared()->initialise(); }

    void init()
    {
        page = std::make_unique<quick_launch_settings_c>(nullptr);
        window = std::make_unique<QWidget>();
        window->resize(1100, 700);
        form = new quick_launch_settings_fm_c(page.get(), nullptr, window.get());
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }
    void cleanup()
    {
        window.reset();
        page.reset();
    }

    void drag_and_drop_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("dragged");
        QTest::addColumn<QList<int>>("move_ys");
        QTest::addColumn<int>("drop_position");
        QTest::addColumn<QString>("lines");
        QTest::addColumn<QList<int>>("page_after");
        // The page list starts empty, so it stays empty unless the list reports a change.
        QTest::newRow("one row refuses") << 1 << 0 << QList<int>{60} << -1 << "-" << QList<int>{};
        QTest::newRow("y 53: row 0 to gap 2") << 2 << 0 << QList<int>{53} << 2 << "-b" << QList<int>{2, 1};
        QTest::newRow("y 52 is gap 1") << 3 << 2 << QList<int>{52} << 1 << "-t-" << QList<int>{1, 3, 2};
        QTest::newRow("gap 0") << 3 << 2 << QList<int>{5} << 0 << "t--" << QList<int>{3, 1, 2};
        QTest::newRow("own place, above") << 3 << 1 << QList<int>{40} << 1 << "-t-" << QList<int>{};
        QTest::newRow("own place, below") << 3 << 1 << QList<int>{70} << 2 << "-bt" << QList<int>{};
        QTest::newRow("last gap, after moving")
            << 4 << 0 << QList<int>{10, 140} << 4 << "---b" << QList<int>{2, 3, 4, 1};
    }
    void drag_and_drop()
    {
        QFETCH(int, rows);
        QFETCH(int, dragged);
        QFETCH(QList<int>, move_ys);
        QFETCH(int, drop_position);
        QFETCH(QString, lines);
        QFETCH(QList<int>, page_after);
        item_list_fm_c *list = form->games_list_form();
        quick_launch_list_t items;
        for (int id = 1; id <= rows; ++id)
            items << entry(id, id);
        list->set_items(items);
        QTest::qWait(20); // rows take their width from the settled layout
        auto *area = list->findChild<QWidget *>("wg_scroll_area");
        item_fm_c *row = list->rows().at(dragged);
        const QPoint press = area->mapTo(list, row->geometry().topLeft() + QPoint(150, 10));

        bool ran = false;
        QTimer::singleShot(0, [&] {
            ran = true;
            QDrag *drag = list->current_drag();
            QVERIFY(drag != nullptr);
            QCOMPARE(drag->pixmap().size(), QSize(row->width(), row->height() - 2));
            QCOMPARE(drag->hotSpot(), QPoint(150, 10));
            QCOMPARE(send_drag(area, QEvent::DragEnter, move_ys.first()), rows >= 2);
            for (int y : move_ys)
                send_drag(area, QEvent::DragMove, y);
            QCOMPARE(list->drop_position(), drop_position);
            QCOMPARE(indicators(list), lines);
            if (rows >= 2)
                send_drag(area, QEvent::Drop, move_ys.last());
            QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QCoreApplication::sendEvent(list, &escape);
        });
        QTest::mousePress(list, Qt::LeftButton, Qt::NoModifier, press);
        QMouseEvent move(QEvent::MouseMove, press + QPoint(0, 1), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QCoreApplication::sendEvent(list, &move);

        QVERIFY(ran);
        QCOMPARE(list->current_drag(), nullptr);
        QCOMPARE(list->drop_position(), -1);
        QCOMPARE(indicators(list), QString(rows, '-'));
        QCOMPARE(ids(*page->get_games()), page_after);
    }

    void drag_from_elsewhere_is_refused()
    {
        item_list_fm_c *list = form->games_list_form();
        list->set_items(entries({1, 2, 3}));
        auto *area = list->findChild<QWidget *>("wg_scroll_area");
        QVERIFY(!send_drag(area, QEvent::DragEnter, 20));
        QVERIFY(!send_drag(area, QEvent::Drop, 20));
        QCOMPARE(ids(list->items()), QList<int>({1, 2, 3}));
    }

private:
    std::unique_ptr<quick_launch_settings_c> page;
    std::unique_ptr<QWidget> window;
    quick_launch_settings_fm_c *form = nullptr;
};

QTEST_MAIN(tst_item_list_drag)
#include "tst_item_list_drag.moc"
