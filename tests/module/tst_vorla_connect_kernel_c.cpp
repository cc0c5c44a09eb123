#include "common/clog.h"
#include "module/vorla_connect_kernel_c.h"
#include "recording_fakes.h"

#include <QtEndian>
#include <QtTest>

class tst_vorla_connect_kernel_c : public QObject
{
    Q_OBJECT
    QStringList journal;
    QWidget container;

private slots:
    void init() { journal.clear(); }

    // Until the host initialises the kernel there is no page to show and no client to tell.
    void before_and_after_initialise()
    {
        vorla_connect_kernel_c kernel;
        QString payload = QStringLiteral("key");
        kernel.show_page(8);
        kernel.post_message(12, &payload);
        QCOMPARE(kernel.page_count(), 0);

        recording_client_c client(&journal);
        kernel.initialise(&client, &container);
        QCOMPARE(kernel.page_count(), 2);
        QCOMPARE(kernel.page_at(0)->get_page_id(), 8);
        QCOMPARE(kernel.page_at(1)->get_page_id(), 9);
        QVERIFY(kernel.get_page(9) == kernel.page_at(1) && kernel.get_page(7) == nullptr);
        kernel.post_message(12, &payload);
        QCOMPARE(journal, QStringList{"message 12 key"});
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
        QTemporaryDir log_dir;
        module_log().init(log_dir.path() + QLatin1Char('/'), QStringLiteral("kernel"));
        vorla_connect_kernel_c kernel;
        // One byte into the buffer, so that the code's address is odd.
        QByteArray storage(32, '\0');
        uchar *record = reinterpret_cast<uchar *>(storage.data()) + 1;
        for (const qint32 code : {26, 27 << 8, 27}) {
            qToUnaligned(code, record + 2);
            kernel.on_host_event(record);
            QCOMPARE(kernel.pairing_requested(), code == 27);
        }

        QFile log(module_log().file_name());
        QVERIFY(log.open(QIODevice::ReadOnly | QIODevice::Text));
        QCOMPARE(
            QString::fromUtf8(log.readAll()).count(QStringLiteral("Vorla Connect : Prepare pairing window.")),
            1);
    }
};

QTEST_MAIN(tst_vorla_connect_kernel_c)
#include "tst_vorla_connect_kernel_c.moc"
