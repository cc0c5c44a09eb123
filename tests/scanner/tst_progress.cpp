// The module's progress bar and the host's component of kind 0x3601: numbers,
// fill, the animation task's life, and both faces' slot layout.
#include "host/control_centre_c.h"
#include "module/custom_event_c.h"
#include "scanner/CProgress.h"
#include "tests/module/raw_vtable.h"

#include <QLabel>
#include <QtTest>

namespace {
int active_tasks()
{
    return QThreadPool::globalInstance()->activeThreadCount();
}

// The fill is "progress_fill", the animation picture "progress_frame".
template <typename T = QWidget>
T *part(QWidget *bar, const char *name)
{
    return bar->findChild<T *>(QLatin1String(name));
}

// Counts the animation ticks a bar receives.
struct tick_counter_c : QObject
{
    bool eventFilter(QObject *, QEvent *event) override
    {
        ticks += event->type() == QEvent::Type(custom_event_1000) ? 1 : 0;
        return false;
    }
    int ticks = 0;
};

// The bar gets set_maximum(first), set_value(value), then set_maximum(maximum).
struct fill_case_t
{
    quint64 first, value, maximum;
    quint64 kept;
    QString percent;
    int fill_width; // of 200; -1: fill hidden
    bool animating;
};
} // namespace

Q_DECLARE_METATYPE(fill_case_t)

class tst_progress : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { QTRY_COMPARE(active_tasks(), 0); }

    void numbers_and_fill_data()
    {
        QTest::addColumn<fill_case_t>("c");
        QTest::newRow("above maximum") << fill_case_t{100, 150, 100, 100, "100%", 200, false};
        QTest::newRow("a third") << fill_case_t{3, 1, 3, 1, "33%", 66, true};
        QTest::newRow("two thirds") << fill_case_t{3, 2, 3, 2, "66%", 133, true};
        QTest::newRow("zero") << fill_case_t{10, 0, 10, 0, "0%", -1, false};
        QTest::newRow("empty range") << fill_case_t{0, 5, 0, 0, "0%", -1, false};
        // A lowered maximum keeps the value and the running animation.
        QTest::newRow("maximum lowered to 0") << fill_case_t{10, 5, 0, 5, "0%", 0, true};
    }

    // Through the raw slots, so that both faces' layout of these slots is proven too.
    void numbers_and_fill()
    {
        QFETCH(fill_case_t, c);
        CProgress bar;
        bar.resize(200, 8);
        void *component = host.create_component(component_progress, &iid_progress_i);
        QVERIFY(component != nullptr);
        for (void *face : {static_cast<void *>(static_cast<progress_i *>(&bar)), component}) {
            call_slot<void>(face, 2, c.first);
            call_slot<void>(face, 3, c.value);
            call_slot<void>(face, 2, c.maximum);
            QCOMPARE(call_slot<quint64>(face, 6), c.maximum);
            QCOMPARE(call_slot<quint64>(face, 7), c.kept);
            QCOMPARE(call_slot<QString>(face, 8), c.percent);
        }
        call_slot<void>(component, 1);

        QCOMPARE(part(&bar, "progress_fill")->isHidden(), c.fill_width < 0);
        if (c.fill_width >= 0)
            QCOMPARE(part(&bar, "progress_fill")->geometry(), QRect(0, 0, c.fill_width, 8));
        QCOMPARE(!part<QLabel>(&bar, "progress_frame")->isHidden(), c.animating);
        QCOMPARE(active_tasks(), c.animating ? 1 : 0);
        const QImage shot = bar.grab().toImage();
        if (c.fill_width > 2)
            QCOMPARE(shot.pixelColor(c.fill_width / 2, 4), QColor(0x26, 0x99, 0xd6));
        if (c.fill_width < 150)
            QCOMPARE(shot.pixelColor(199, 4), QColor(34, 34, 34));
    }

    void animation_tasks_data()
    {
        // Running tasks expected after each value of 10; -1 leaves a step unchecked.
        QTest::addColumn<QList<quint64>>("values");
        QTest::addColumn<QList<int>>("tasks");
        QTest::newRow("to the end") << QList<quint64>{0, 5, 6, 10} << QList<int>{0, 1, 1, 0};
        QTest::newRow("back to 0") << QList<quint64>{5, 0, 7} << QList<int>{1, 0, 1};
        // The first task may not have left yet when the second start comes.
        QTest::newRow("restart at once") << QList<quint64>{5, 10, 5, 3} << QList<int>{1, -1, 1, 1};
    }

    void animation_tasks()
    {
        QFETCH(QList<quint64>, values);
        QFETCH(QList<int>, tasks);
        CProgress bar;
        bar.set_maximum(10);
        tick_counter_c counter;
        bar.installEventFilter(&counter);
        for (int step = 0; step < values.size(); ++step) {
            bar.set_value(values[step]);
            if (tasks[step] >= 0)
                QTRY_COMPARE(active_tasks(), tasks[step]);
        }
        if (tasks.last() == 0)
            return;
        // A task still running keeps ticking, also after a restart; each tick shows
        // the next frame, the first tick the second one.
        const int before = counter.ticks;
        QTRY_VERIFY(counter.ticks >= before + 2);
        const QStringList frames = CProgress::default_frames();
        QCOMPARE(part<QLabel>(&bar, "progress_frame")->pixmap(Qt::ReturnByValue).toImage(),
                 QPixmap(frames.at(counter.ticks % frames.size())).toImage());
    }

    // Many short lives, so that some end while their task is posting.
    void destroyed_while_animating()
    {
        for (int round = 0; round < 40; ++round) {
            progress_i *bar = create_progress();
            bar->set_maximum(10);
            bar->set_value(1 + round % 9);
            if (round % 4 == 0)
                QTest::qWait(round % 3 * 60);
            bar->release();
        }
        QTRY_COMPARE(active_tasks(), 0);
        QTest::qWait(120); // anything posted late would arrive now
    }

    // The slots the numbers above leave out, on the module's bar and the host's component.
    void slot_layout()
    {
        QVERIFY(host.create_component(component_progress, &iid_info_badge_i) == nullptr);
        for (void *face : {static_cast<void *>(create_progress()),
                           host.create_component(component_progress, &iid_progress_i)}) {
            QVERIFY(face != nullptr);
            QCOMPARE(call_slot<void *>(face, 0, &iid_progress_i), face);
            QCOMPARE(call_slot<void *>(face, 0, &iid_popup_frame_i), nullptr);
            const QString style = QStringLiteral("background-color: #ff0000;");
            call_slot<void, const QString &>(face, 4, style);
            const QString picture = QStringLiteral(":/graphics/common/cursor/closed_hand.png");
            call_slot<void, const QStringList &>(face, 5, QStringList{picture});
            call_slot<void>(face, 2, quint64(10));
            call_slot<void>(face, 3, quint64(3)); // the frame shows while it animates
            QPointer<QWidget> widget = call_slot<QWidget *>(face, 9);
            QVERIFY(widget != nullptr);
            QCOMPARE(part(widget, "progress_fill")->styleSheet(), style);
            QCOMPARE(part<QLabel>(widget, "progress_frame")->pixmap(Qt::ReturnByValue).size(),
                     QPixmap(picture).size());
            call_slot<void>(face, 1);
            QVERIFY(widget == nullptr);
        }
    }

private:
    control_centre_c host;
};

QTEST_MAIN(tst_progress)
#include "tst_progress.moc"
