#include "host/client_command_c.h"

#include <QDataStream>
#include <QtTest>

namespace {
// A block as a writer with the given stream settings would leave it.
QByteArray block(qint32 code, const QString &argument, QDataStream::ByteOrder order = QDataStream::BigEndian)
{
    QByteArray bytes;
    QDataStream stream(&bytes, QIODevice::WriteOnly);
    stream.setVersion(client_command_c::stream_version);
    stream.setByteOrder(order);
    stream << code << argument;
    return bytes;
}
} // namespace

class tst_client_command_c : public QObject
{
    Q_OBJECT

private slots:
    void decode_data();
    void decode();
};

void tst_client_command_c::decode_data()
{
    QTest::addColumn<QByteArray>("bytes");
    // Empty for a block that must be refused.
    QTest::addColumn<QString>("described");
    QTest::addColumn<bool>("null_argument");

    const QByteArray remove_abc = QByteArray::fromHex("00000003"
                                                      "00000006"
                                                      "006100620063");
    QTest::newRow("remove abc") << remove_abc << "remove \"abc\"" << false;
    QTest::newRow("null id") << QByteArray::fromHex("00000001ffffffff") << "accept (null)" << true;
    QTest::newRow("empty id") << QByteArray::fromHex("0000000200000000") << "refuse \"\"" << false;
    QTest::newRow("rename to Chinese")
        << block(4, QString::fromUtf8("我的电脑")) << QString::fromUtf8("rename PC \"我的电脑\"") << false;
    QTest::newRow("request ended") << block(5, QStringLiteral("{7c1e}")) << "request ended \"{7c1e}\""
                                   << false;

    QTest::newRow("empty") << QByteArray() << QString() << false;
    QTest::newRow("command only") << QByteArray::fromHex("00000003") << QString() << false;
    QTest::newRow("string cut short") << remove_abc.left(11) << QString() << false;
    QTest::newRow("odd byte count") << QByteArray::fromHex("0000000300000003006100") << QString() << false;
    QTest::newRow("byte left over") << remove_abc + '\0' << QString() << false;
    QTest::newRow("count far beyond the block")
        << QByteArray::fromHex("000000037ffffffe0061") << QString() << false;
    QTest::newRow("little-endian writer")
        << block(3, QStringLiteral("abc"), QDataStream::LittleEndian) << QString() << false;
    QTest::newRow("command 6") << block(6, QStringLiteral("abc")) << QString() << false;
}

void tst_client_command_c::decode()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, described);
    QFETCH(bool, null_argument);

    client_command_c command(99, QStringLiteral("untouched"));
    QString error;
    const bool decoded = client_command_c::decode(bytes, &command, &error);
    if (described.isEmpty()) {
        QVERIFY(!decoded);
        QVERIFY(!error.isEmpty());
        QCOMPARE(command.code(), 99);
        QCOMPARE(command.argument(), QStringLiteral("untouched"));
        return;
    }
    QVERIFY2(decoded, qPrintable(error));
    QCOMPARE(command.describe(), described);
    QCOMPARE(command.argument().isNull(), null_argument);
}

QTEST_GUILESS_MAIN(tst_client_command_c)
#include "tst_client_command_c.moc"
