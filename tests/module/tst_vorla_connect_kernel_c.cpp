// The kernel in this process: its pages and their tab buttons, host events,
// the events it posts to itself, and the pool of shared memory keys it hands
// blocks over in.
#include "common/global_func_c.h"
#include "host/control_centre_c.h"
#include "module/custom_event_c.h"
#include "module/host_text_ids.h"
#include "module/module_host.h"
#include "module/share_memory_key_pool_c.h"
#include "module/vorla_connect_kernel_c.h"
#include "pages/connect_c.h"
#include "pages/quick_launch_settings_c.h"
#include "recording_fakes.h"

#include <QPushButton>
#include <QtConcurrent>
#include <QtTest>

#include <memory>
#include <numeric>

#ifdef Q_OS_UNIX
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {
// Keys of this process only, so that parallel test programs never meet.
QString test_prefix()
{
    return QStringLiteral("VORLATEST%1").arg(QCoreApplication::applicationPid());
}

QByteArray segment_bytes(const QString &key)
{
    QSharedMemory reader(key);
    return reader.attach(QSharedMemory::ReadOnly)
               ? QByteArray(static_cast<const char *>(reader.constData()), reader.size())
               : QByteArray();
}

// What a reader finds in a segment made for bytes: Windows hands out whole
// pages of 4096 bytes, the rest zeros.
QByteArray as_segment(QByteArray bytes)
{
#ifdef Q_OS_WIN
    bytes.append(QByteArray(4096 - bytes.size() % 4096, '\0'));
#endif
    return bytes;
}

// Records the payloads it receives and the thread they arrive on.
struct receiver_c : QObject
{
    QVector<int> values;
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

Q_DECLARE_METATYPE(std::shared_ptr<int>)

class tst_vorla_connect_kernel_c : public QObject
{
    Q_OBJECT
    QStringList journal;
    QWidget container;
    QTemporaryDir log_dir;
    log_reader_c log;

private slots:
    void initTestCase() { module_log().init(log_dir.path() + QLatin1Char('/'), QStringLiteral("kernel")); }
    void init()
    {
        journal.clear();
        log.mark();
    }

    void show_page_data()
    {
        QTest::addColumn<QList<int>>("shown");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("unknown id means the connect page")
            << QList<int>{5} << QStringList{"8 set_container", "8 show"};
        QTest::newRow("same page twice shows once")
            << QList<int>{9, 9} << QStringList{"9 set_container", "9 show"};
        QTest::newRow("switching hides first")
            << QList<int>{8, 9}
            << QStringList{"8 set_container", "8 show", "8 hide", "9 set_container", "9 show"};
    }
    void show_page()
    {
        QFETCH(QList<int>, shown);
        QFETCH(QStringList, expected);
        auto *kernel = new vorla_connect_kernel_c;
        // Registered 9 first: the order of release follows the ids, not registration.
        kernel->adopt_pages(nullptr, &container, new recording_page_c(9, &journal),
                            new recording_page_c(8, &journal));
        journal.clear();
        for (int id : shown)
            kernel->show_page(id);
        QCOMPARE(journal, expected);
        journal.clear();
        kernel->hide_page();
        kernel->hide_page();
        kernel->release();
        QCOMPARE(journal, (QStringList{QStringLiteral("%1 hide").arg(shown.last() == 9 ? 9 : 8), "8 release",
                                       "9 release"}));
    }

    void host_event_code_is_read_unaligned_at_offset_2()
    {
        vorla_connect_kernel_c kernel;
        // One byte into the buffer, so that the code's address is odd.
        QByteArray storage(32, '\0');
        uchar *record = reinterpret_cast<uchar *>(storage.data()) + 1;
        for (const qint32 code : {26, 27 << 8, 27}) {
            qToUnaligned(code, record + 2);
            kernel.on_host_event(record);
            QCOMPARE(kernel.pairing_requested(), code == host_event_pairing_requested);
        }
        QCOMPARE(log.texts().count(QStringLiteral("Vorla Connect : Prepare pairing window.")), 1);
    }

    // A key someone else holds is skipped, with one line in the log; one left
    // by a process that ended without detaching is taken back.
    void key_numbers_count_up_skip_taken_and_wrap()
    {
        QSharedMemory holder(test_prefix() + QStringLiteral("_3"));
        QVERIFY(holder.create(16));
#ifdef Q_OS_UNIX // elsewhere segments go with their process
        QSharedMemory leftover(test_prefix() + QStringLiteral("_1"));
        const pid_t child = fork();
        if (child == 0)
            _exit(leftover.create(16) ? 0 : 1);
        int status = -1;
        QVERIFY(child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) &&
                WEXITSTATUS(status) == 0);
#endif
        share_memory_key_pool_c pool;
        QStringList suffixes;
        const auto request = [&](int count) {
            for (int i = 0; i < count; ++i)
                suffixes.append(pool.new_segment(test_prefix())->key().section(QLatin1Char('_'), -1));
        };
        request(4);
        pool.set_next_number(10000);
        request(2);
        QCOMPARE(suffixes, (QStringList{"0", "1", "2", "4", "10000", "0"}));
        QCOMPARE(log.texts(), QStringList{test_prefix() + QStringLiteral("_3 create_share_memory_key fail")});
        QCOMPARE(pool.new_segment(QString()), nullptr);
    }

    void key_expiry_data()
    {
        QTest::addColumn<quint32>("age");
        QTest::addColumn<int>("kept");
        QTest::newRow("59999 ms") << 59999u << 2;
        QTest::newRow("60000 ms") << 60000u << 2;
        QTest::newRow("60001 ms") << 60001u << 1;
    }
    void key_expiry()
    {
        QFETCH(quint32, age);
        QFETCH(int, kept);
        // Start near the wrap of the 32-bit millisecond count on purpose.
        auto now = std::make_shared<quint32>(0xFFFFFF00u);
        share_memory_key_pool_c pool([now] { return *now; });
        QVERIFY(pool.new_segment(test_prefix()));
        *now += age;
        QVERIFY(pool.new_segment(test_prefix()));
        QCOMPARE(pool.size(), kept);
    }

    void shares_exact_bytes_until_released()
    {
        const QByteArray data("\0\0\0\3a\0b\0c", 9);
        QBuffer buffer;
        buffer.setData(data);
        auto *kernel = new vorla_connect_kernel_c;
        const QString first = kernel->share_data(&buffer);
        const QString second = kernel->share_data(&buffer);
        QCOMPARE(first, global_func_c::shared()->share_memory_key_prefix() + QStringLiteral("_0"));
        QCOMPARE(segment_bytes(first), as_segment(data));
        QCOMPARE(segment_bytes(second), as_segment(data));
        QVERIFY(log.texts().isEmpty());
        // An empty block still gets its key; the failure goes to the log.
        QBuffer empty;
        const QString key = kernel->share_data(&empty);
        QVERIFY(!key.isEmpty());
        const QStringList lines = log.texts();
        QCOMPARE(lines.size(), 1);
        QVERIFY2(lines.first().startsWith(QStringLiteral("Key: ") + key + QStringLiteral(" Error: ")),
                 qPrintable(lines.first()));
        kernel->release();
        QVERIFY(segment_bytes(first).isNull() && segment_bytes(second).isNull());
    }

    void posting_keeps_order_from_any_thread_data()
    {
        QTest::addColumn<bool>("from_worker");
        QTest::newRow("gui thread") << false;
        QTest::newRow("worker thread") << true;
    }
    void posting_keeps_order_from_any_thread()
    {
        QFETCH(bool, from_worker);
        receiver_c receiver;
        QVector<int> expected(200);
        std::iota(expected.begin(), expected.end(), 0);
        const auto post_all = [&] {
            for (int i : expected)
                post_custom_event(&receiver, custom_event_1000, i);
        };
        from_worker ? QtConcurrent::run(post_all).waitForFinished() : post_all();
        QVERIFY(receiver.values.isEmpty()); // posting never delivers at once
        QTRY_COMPARE(receiver.values, expected);
        QCOMPARE(receiver.delivered_on, QThread::currentThread());
    }

    void posted_event_dropped_with_its_receiver()
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

    // Every page listens to the host: a language change refits its button, unless
    // there is no text provider or another kernel has become the active one.
    void tab_button_data()
    {
        QTest::addColumn<int>("page_id");
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("kind");
        QTest::newRow("connect, English") << connect_c::page_id << 0 << "active";
        QTest::newRow("quick launch, Chinese") << quick_launch_settings_c::page_id << 1 << "active";
        QTest::newRow("no text provider") << connect_c::page_id << 1 << "no host";
        QTest::newRow("inactive kernel forgets its button") << connect_c::page_id << 1 << "inactive";
    }
    void tab_button()
    {
        QFETCH(int, page_id);
        QFETCH(int, language);
        QFETCH(QString, kind);
        control_centre_c host;
        set_module_host(kind == "no host" ? nullptr : host.host_face());
        const auto unset = qScopeGuard([] { set_module_host(nullptr); });
        const int text_id =
            page_id == connect_c::page_id ? host_text_id::connect_tab : host_text_id::quick_launch_tab;
        const auto text = [&] { return host.text_provider()->get_text(text_id, 0); };
        recording_client_c client(&journal);
        vorla_connect_kernel_c kernel, other;
        kernel.initialise(&client, nullptr);
        function_page_c *page = page_id == connect_c::page_id
                                    ? static_cast<function_page_c *>(kernel.get_connect_page())
                                    : kernel.get_quick_launch_page();
        std::unique_ptr<QPushButton> button(page->create_tab_button());
        QCOMPARE(button->text(), kind == "no host" ? QString() : text());
        QVERIFY(button->isCheckable() && button->height() == 34);
        client.active = kind == "inactive" ? &other : &kernel;
        page->active_kernel_changed(0);
        QCOMPARE(page->tab_button(), kind == "inactive" ? nullptr : button.get());
        if (kind == "inactive")
            button->setText(QStringLiteral("kept"));
        host.set_language(language);
        if (kind == "no host")
            page->language_changed(nullptr, 0);
        if (kind != "active") {
            QCOMPARE(button->text(), kind == "inactive" ? QStringLiteral("kept") : QString());
            QCOMPARE(button->maximumWidth(), QWIDGETSIZE_MAX);
            return;
        }
        QCOMPARE(button->text(), text());
        QCOMPARE(button->minimumWidth(), QFontMetrics(button->font()).horizontalAdvance(text()) + 48);
        QCOMPARE(button->maximumWidth(), button->minimumWidth());
    }
};

QTEST_MAIN(tst_vorla_connect_kernel_c)
#include "tst_vorla_connect_kernel_c.moc"
