#include "local_http_server.h"

#include <QProcess>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

namespace {
// A NUL inside: the body must arrive byte for byte, not as text.
const QByteArray body("{\"570\": {\"name\": \"x\"}}\n\0tail", 29);
const QByteArray old_contents("from an earlier run");

QMap<QString, local_http_server_c::answer_s> answers()
{
    QMap<QString, local_http_server_c::answer_s> map;
    map[QStringLiteral("/data")].body = body;
    map[QStringLiteral("/info?apps=570&prettyprint=1")].body = body;
    map[QStringLiteral("/broken")].status = 500;
    map[QStringLiteral("/broken")].body = "server error page";
    map[QStringLiteral("/moved")].status = 302;
    map[QStringLiteral("/moved")].location = "/data";
    map[QStringLiteral("/unchanged")].status = 304; // no error to the network layer, yet no content
    map[QStringLiteral("/slow")].body = body;
    map[QStringLiteral("/slow")].delay_ms = 10000;
    return map;
}
} // namespace

class tst_web_engine : public QObject
{
    Q_OBJECT
    local_http_server_c m_server{answers()};
    QString m_refusing_base; // a port nobody listens on

private slots:
    void initTestCase()
    {
        qRegisterMetaType<QProcess::ExitStatus>();
        QVERIFY(m_server.is_listening());
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost));
        m_refusing_base = QStringLiteral("http://127.0.0.1:%1").arg(closed.serverPort());
    }

    void fetch_data()
    {
        QTest::addColumn<QString>("url"); // %1: the server, %2: a closed port
        QTest::addColumn<bool>("base");   // VORLA_WEB_BASE points at the server
        QTest::addColumn<int>("timeout_ms");
        QTest::addColumn<QString>("dest");  // relative to a fresh directory
        QTest::addColumn<bool>("existing"); // dest holds old contents beforehand
        QTest::addColumn<int>("exit_code");
        QTest::addColumn<QStringList>("targets"); // what the server was asked

        const QString json = QStringLiteral("apps.json");
        QTest::newRow("200 replaces file")
            << "%1/data" << false << 0 << json << true << 0 << QStringList{"/data"};
        QTest::newRow("302 followed")
            << "%1/moved" << false << 0 << json << false << 0 << QStringList{"/moved", "/data"};
        QTest::newRow("base keeps path and query")
            << "https://appinfo.mirvek.net/info?apps=570&prettyprint=1" << true << 0 << json << false << 0
            << QStringList{"/info?apps=570&prettyprint=1"};
        QTest::newRow("404") << "%1/missing" << false << 0 << json << true << 2 << QStringList{"/missing"};
        QTest::newRow("500") << "%1/broken" << false << 0 << json << false << 2 << QStringList{"/broken"};
        QTest::newRow("304") << "%1/unchanged" << false << 0 << json << false << 2
                             << QStringList{"/unchanged"};
        QTest::newRow("refused") << "%2/data" << false << 0 << json << true << 2 << QStringList{};
        QTest::newRow("timeout") << "%1/slow" << false << 300 << json << true << 3 << QStringList{"/slow"};
        QTest::newRow("empty url") << "" << false << 0 << json << true << 1 << QStringList{};
        QTest::newRow("empty dest") << "%1/data" << false << 0 << "" << false << 1 << QStringList{};
        QTest::newRow("local file") << "file:///etc/hostname" << false << 0 << json << false << 1
                                    << QStringList{};
        QTest::newRow("unwritable dest")
            << "%1/data" << false << 0 << "none/apps.json" << false << 4 << QStringList{"/data"};
    }
    void fetch()
    {
        QFETCH(QString, url);
        QFETCH(bool, base);
        QFETCH(int, timeout_ms);
        QFETCH(QString, dest);
        QFETCH(bool, existing);
        QFETCH(int, exit_code);
        QFETCH(QStringList, targets);

        QTemporaryDir dir;
        const QString dest_path = dest.isEmpty() ? QString() : dir.filePath(dest);
        if (existing) {
            QFile file(dest_path);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(old_contents) == old_contents.size());
        }
        {
            QSettings settings(QStringLiteral("Mirvek"), QStringLiteral("VORLA_Downloader"));
            url.replace(QLatin1String("%1"), m_server.base()).replace(QLatin1String("%2"), m_refusing_base);
            settings.setValue(QStringLiteral("url"), url);
            settings.setValue(QStringLiteral("dest_file"), dest_path);
            settings.sync();
            QCOMPARE(settings.status(), QSettings::NoError);
        }
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"VORLA_WEB_BASE", "VORLA_WEB_TIMEOUT_MS", "http_proxy", "https_proxy",
                                 "HTTP_PROXY", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"})
            env.remove(QString::fromLatin1(name));
        if (base)
            env.insert(QStringLiteral("VORLA_WEB_BASE"), m_server.base());
        if (timeout_ms > 0)
            env.insert(QStringLiteral("VORLA_WEB_TIMEOUT_MS"), QString::number(timeout_ms));

        m_server.clear_requests();
        QProcess process;
        process.setProcessEnvironment(env);
        QSignalSpy finished(&process, qOverload<int, QProcess::ExitStatus>(&QProcess::finished));
        process.start(QStringLiteral(WEB_ENGINE_EXE), QStringList());
        QVERIFY2(process.waitForStarted(), qPrintable(process.errorString()));
        // The server answers from this event loop, so no blocking wait here.
        QVERIFY(finished.wait(20000));
        const QByteArray errors = process.readAllStandardError();
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QVERIFY2(process.exitCode() == exit_code, errors.constData());
        QCOMPARE(m_server.targets(), targets);
        if (exit_code != 0)
            QVERIFY(!errors.trimmed().isEmpty() && !errors.trimmed().contains('\n'));

        // Exactly the body on success; otherwise whatever was there before, and
        // no partial or temporary file beside it.
        const QByteArray expected = exit_code == 0 ? body : existing ? old_contents : QByteArray();
        QFile file(dest_path);
        QCOMPARE(!dest.isEmpty() && file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray(), expected);
        const QStringList expected_entries = expected.isNull() ? QStringList() : QStringList{dest};
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), expected_entries);
    }
};

QTEST_GUILESS_MAIN(tst_web_engine)
#include "tst_web_engine.moc"
