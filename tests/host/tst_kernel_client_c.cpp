#include "host/control_centre_c.h"
#include "host/kernel_client_c.h"

#include <QCoreApplication>
#include <QSharedMemory>
#include <QSignalSpy>
#include <QtEndian>
#include <QtTest>

#include <cstring>

class tst_kernel_client_c : public QObject
{
    Q_OBJECT

private slots:
    void shared_block_message_data();
    void shared_block_message();
    void host_event_record_data();
    void host_event_record();
};

void tst_kernel_client_c::shared_block_message_data()
{
    // Null bytes: no segment under the key at all.
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("meaning");
    QTest::addColumn<int>("commands");

    QTest::newRow("remove abc") << QByteArray::fromHex("0000000300000006006100620063") << "remove \"abc\""
                                << 1;
    QTest::newRow("truncated") << QByteArray::fromHex("0000000300000006") << "unreadable block of 8 bytes"
                               << 0;
    QTest::newRow("no segment") << QByteArray() << "no shared memory segment" << 0;
}

void tst_kernel_client_c::shared_block_message()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, meaning);
    QFETCH(int, commands);

    // Written as the module does: a segment of exactly the block's size, kept
    // attached by the writer while the host reads it.
    QString key = QStringLiteral("VORLATEST_%1_%2")
                      .arg(QCoreApplication::applicationPid())
                      .arg(QTest::currentDataTag());
    key.remove(QLatin1Char(' '));
    QSharedMemory writer(key);
    if (!bytes.isNull()) {
        QVERIFY2(writer.create(bytes.size()), qPrintable(writer.errorString()));
        QVERIFY(writer.lock());
        std::memcpy(writer.data(), bytes.constData(), bytes.size());
        writer.unlock();
    }

    kernel_client_c client;
    QSignalSpy lines(&client, &kernel_client_c::kernel_message);
    QSignalSpy decoded(&client, &kernel_client_c::client_command);
    kernel_client_i *face = client.face();
    face->on_kernel_message(nullptr, 12, &key);

    QCOMPARE(client.messages(), (QList<QPair<int, QString>>{{12, key}}));
    QCOMPARE(lines.count(), 1);
    const QString line = lines.at(0).at(2).toString();
    QVERIFY2(line.startsWith(QStringLiteral("message 12: ") + key + QStringLiteral(" \u2192 ") + meaning),
             qPrintable(line));
    QCOMPARE(decoded.count(), commands);
    if (commands > 0)
        QCOMPARE(decoded.at(0), (QList<QVariant>{3, QStringLiteral("abc")}));
    // The reader took a copy and let go; the writer's segment is untouched.
    if (!bytes.isNull())
        QCOMPARE(QByteArray(static_cast<const char *>(writer.constData()), writer.size()), bytes);
}

void tst_kernel_client_c::host_event_record_data()
{
    QTest::addColumn<int>("code");
    QTest::newRow("clients changed") << 26;
    QTest::newRow("pairing request") << 27;
    QTest::newRow("all bytes differ") << 0x01020304;
    QTest::newRow("negative") << -2;
}

void tst_kernel_client_c::host_event_record()
{
    QFETCH(int, code);
    const QByteArray record = control_centre_c::host_event_record(code);
    QCOMPARE(record.size(), 16);
    QCOMPARE(qFromUnaligned<qint32>(record.constData() + 2), code);
    QByteArray rest = record;
    rest.remove(2, 4);
    QCOMPARE(rest, QByteArray(12, '\0'));
}

QTEST_GUILESS_MAIN(tst_kernel_client_c)
#include "tst_kernel_client_c.moc"
