#include "common/clog.h"
#include "module/vorla_connect_kernel_c.h"
#include "recording_fakes.h"

#include <QtEndian>
#include <QtTest>

class tst_vorla_connect_kernel_c : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void initialise_registers_both_pages();
    void show_page_data();
    void show_page();
    void nothing_reaches_pages_or_client_before_initialise();
    void host_event_code_is_read_unaligned_at_offset_2();
    void release_ends_pages_in_id_order();

private:
    QStringList journal;
    QWidget container;
};

void tst_vorla_connect_kernel_c::init()
{
    journal.clear();
}

void tst_vorla_connect_kernel_c::initialise_registers_both_pages()
{
    vorla_connect_kernel_c kernel;
    recording_client_c client(&journal);
    kernel.initialise(&client, &container);
    QCOMPARE(kernel.get_client(), &client);
    QCOMPARE(kernel.page_count(), 2);
    QCOMPARE(kernel.page_at(0)->get_page_id(), 8);
    QCOMPARE(kernel.page_at(1)->get_page_id(), 9);
    QCOMPARE(kernel.get_page(9), kernel.page_at(1));
    QCOMPARE(kernel.get_page(7), nullptr);
}

void tst_vorla_connect_kernel_c::show_page_data()
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

void tst_vorla_connect_kernel_c::show_page()
{
    QFETCH(QList<int>, shown);
    QFETCH(QStringList, expected);
    vorla_connect_kernel_c kernel;
    kernel.adopt_pages(nullptr, &container, new recording_page_c(8, &journal),
                       new recording_page_c(9, &journal));
    journal.clear();
    for (int id : shown)
        kernel.show_page(id);
    QCOMPARE(journal, expected);

    journal.clear();
    kernel.hide_page();
    kernel.hide_page();
    QCOMPARE(journal, QStringList{QStringLiteral("%1 hide").arg(shown.last() == 9 ? 9 : 8)});
}

void tst_vorla_connect_kernel_c::nothing_reaches_pages_or_client_before_initialise()
{
    vorla_connect_kernel_c kernel;
    kernel.show_page(8);
    QString payload = QStringLiteral("key");
    kernel.post_message(12, &payload);
    QCOMPARE(kernel.page_count(), 0);

    recording_client_c client(&journal);
    kernel.adopt_pages(&client, &container, new recording_page_c(8, &journal),
                       new recording_page_c(9, &journal));
    kernel.post_message(12, &payload);
    QCOMPARE(journal.last(), QStringLiteral("message 12 key"));
}

void tst_vorla_connect_kernel_c::host_event_code_is_read_unaligned_at_offset_2()
{
    QTemporaryDir log_dir;
    module_log().init(log_dir.path() + QLatin1Char('/'), QStringLiteral("kernel"));
    vorla_connect_kernel_c kernel;

    // One byte into the buffer, so that the code's address is odd.
    QByteArray storage(32, '\0');
    uchar *record = reinterpret_cast<uchar *>(storage.data()) + 1;
    qToUnaligned<qint32>(26, record + 2);
    kernel.on_host_event(record);
    QVERIFY(!kernel.pairing_requested());
    qToUnaligned<qint32>(27 << 8, record + 2);
    kernel.on_host_event(record);
    QVERIFY(!kernel.pairing_requested());
    qToUnaligned<qint32>(27, record + 2);
    kernel.on_host_event(record);
    QVERIFY(kernel.pairing_requested());

    QFile log(module_log().file_name());
    QVERIFY(log.open(QIODevice::ReadOnly | QIODevice::Text));
    QCOMPARE(
        QString::fromUtf8(log.readAll()).count(QStringLiteral("Vorla Connect : Prepare pairing window.")), 1);
}

void tst_vorla_connect_kernel_c::release_ends_pages_in_id_order()
{
    auto *kernel = new vorla_connect_kernel_c;
    // Registered 9 first: the order of release follows the ids, not registration.
    kernel->adopt_pages(nullptr, &container, new recording_page_c(9, &journal),
                        new recording_page_c(8, &journal));
    journal.clear();
    kernel->release();
    QCOMPARE(journal, (QStringList{"8 release", "9 release"}));
}

QTEST_MAIN(tst_vorla_connect_kernel_c)
#include "tst_vorla_connect_kernel_c.moc"
