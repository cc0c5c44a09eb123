#include "module/custom_event_c.h"

#include <QtConcurrent>
#include <QtTest>

#include <memory>

Q_DECLARE_METATYPE(std::shared_ptr<int>)

namespace {
// Records the payloads it receives and the thread they arrive on.
struct receiver_c : QObject
{
    QList<int> values;
    QThread *delivered_on = nullptr;

    void customEvent(QEvent *event) override
    {
        if (event->type() != QEvent::Type(custom_event_1000))
            return;
        values.append(static_cast<custom_event_c *>(event)->payload.toInt());
        delivered_on = QThread::currentThread();
    }
};
} // namespace

class tst_custom_event_c : public QObject
{
    Q_OBJECT

private slots:
    void keeps_posting_order_from_any_thread_data()
    {
        QTest::addColumn<bool>("from_worker");
        QTest::newRow("gui thread") << false;
        QTest::newRow("worker thread") << true;
    }
    void keeps_posting_order_from_any_thread()
    {
        QFETCH(bool, from_worker);
        receiver_c receiver;
        QList<int> expected;
        const auto post_all = [&] {
            for (int i = 0; i < 200; ++i)
                post_custom_event(&receiver, custom_event_1000, i);
        };
        for (int i = 0; i < 200; ++i)
            expected << i;
        from_worker ? QtConcurrent::run(post_all).waitForFinished() : post_all();

        QVERIFY(receiver.values.isEmpty()); // posting never delivers at once
        QTRY_COMPARE(receiver.values, expected);
        QCOMPARE(receiver.delivered_on, QThread::currentThread());
    }

    void drops_event_for_deleted_receiver()
    {
        // The payload's reference count tells whether the queued event was freed.
        auto token = std::make_shared<int>(7);
        auto *receiver = new receiver_c;
        post_custom_event(receiver, custom_event_1001, token);
        QCOMPARE(token.use_count(), 2);
        delete receiver;
        QCoreApplication::sendPostedEvents();
        QCOMPARE(token.use_count(), 1);
    }
};

QTEST_GUILESS_MAIN(tst_custom_event_c)
#include "tst_custom_event_c.moc"
