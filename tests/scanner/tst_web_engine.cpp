// The downloader runs as a child process against a server inside the test.
#include "local_http_server.h"

#include <QProcess>
#include <QSignalSpy>
#include <QtTest>

namespace {
// A NUL inside: the body must arrive byte for byte, not as text.
const QByteArray body("{\"570\": {\"name\": \"x\"}}\n\0tail", 29);
const QByteArray old_contents("from an earlier run");

local_http_server_c::answers_t answers()
{
    local_http_server_c::answers_t map;
    map["/data"].body = map["/v1/info/570?x=1"].body = map["/slow"].body = body;
    map["/slow"].delay_ms = 10000;
    map["/moved"] = {302, {}, 0, "/data"};
    map["/unchanged"].status = 304; // no error to the network layer, yet no content
    return map;
}

// Runs the downloader on the job (url, dest_file) with only the given
// variables of ours set, and no proxy; errors is what it wrote to standard error.
void run(QProcess &process, const QString &url, const QString &dest, const QStringList &variables,
         QByteArray &errors)
{
    QSettings settings(QStringLiteral("Mirvek"), QStringLiteral("VORLA_Downloader"));
    settings.setValue(QStringLiteral("url"), url);
    settings.setValue(QStringLiteral("dest_file"), dest);
    settings.sync();
    QCOMPARE(settings.status(), QSettings::NoError);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"VORLA_WEB_BASE", "VORLA_WEB_TIMEOUT_MS", "http_proxy", "https_proxy",
                             "HTTP_PROXY", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"})
        env.remove(QString::fromLatin1(name));
    for (const QString &variable : variables)
        env.insert(variable.section('=', 0, 0), variable.section('=', 1));
    process.setProcessEnvironment(env);
    QSignalSpy finished(&process, qOverload<int, QProcess::ExitStatus>(&QProcess::finished));
    process.start(QStringLiteral(WEB_ENGINE_EXE), QStringList());
    // The server answers from this event loop, so no blocking wait here.
    QVERIFY2(finished.wait(20000), qPrintable(process.errorString()));
    errors = process.readAllStandardError();
}
} // namespace

class tst_web_engine : public QObject
{
    Q_OBJECT
    local_http_server_c server{answers()};

private slots:
    void fetch_data()
    {
        // In url, %1 stands for the server. Only the https row is sent through
        // VORLA_WEB_BASE, and only "/slow" runs with a short time limit.
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("dest");  // relative to a fresh directory
        QTest::addColumn<bool>("existing"); // dest holds old contents beforehand
        QTest::addColumn<int>("exit_code");
        QTest::addColumn<QStringList>("targets"); // what the server was asked
        const QString json = QStringLiteral("apps.json");
        QTest::newRow("200 replaces file") << "%1/data" << json << true << 0 << QStringList{"/data"};
        QTest::newRow("302 followed") << "%1/moved" << json << false << 0 << QStringList{"/moved", "/data"};
        QTest::newRow("base keeps path and query") << "https://api.steamcmd.net/v1/info/570?x=1" << json
                                                   << false << 0 << QStringList{"/v1/info/570?x=1"};
        QTest::newRow("404") << "%1/missing" << json << true << 2 << QStringList{"/missing"};
        QTest::newRow("304") << "%1/unchanged" << json << false << 2 << QStringList{"/unchanged"};
        QTest::newRow("timeout") << "%1/slow" << json << true << 3 << QStringList{"/slow"};
        QTest::newRow("empty dest") << "%1/data" << QString() << false << 1 << QStringList{};
        QTest::newRow("local file") << "file:///etc/hostname" << json << false << 1 << QStringList{};
        QTest::newRow("unwritable dest") << "%1/data"
                                         << "none/apps.json" << false << 4 << QStringList{"/data"};
    }

    void fetch()
    {
        QFETCH(QString, url);
        QFETCH(QString, dest);
        QFETCH(bool, existing);
        QFETCH(int, exit_code);
        QFETCH(QStringList, targets);
        QVERIFY(server.is_listening());
        QTemporaryDir dir;
        const QString dest_path = dest.isEmpty() ? QString() : dir.filePath(dest);
        QFile file(dest_path);
        if (existing)
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(old_contents) == old_contents.size());
        file.close();
        QStringList variables;
        if (url.startsWith("https:"))
            variables << "VORLA_WEB_BASE=" + server.base();
        if (url.endsWith("/slow"))
            variables << "VORLA_WEB_TIMEOUT_MS=300";

        server.targets.clear();
        QProcess process;
        QByteArray errors;
        run(process, QString(url).replace("%1", server.base()), dest_path, variables, errors);
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QVERIFY2(process.exitCode() == exit_code, errors.constData());
        QCOMPARE(server.targets, targets);
        if (exit_code != 0)
            QVERIFY(!errors.trimmed().isEmpty() && !errors.trimmed().contains('\n'));

        // Exactly the body on success; otherwise whatever was there before, and
        // no partial or temporary file beside it.
        const QByteArray expected = exit_code == 0 ? body : existing ? old_contents : QByteArray();
        QCOMPARE(!dest.isEmpty() && file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray(), expected);
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 expected.isNull() ? QStringList() : QStringList{dest});
    }

    // Without the test override a real address is https: the downloader must
    // open TLS to it, not refuse it or fall back to plain http.
    void https_without_base_speaks_tls()
    {
        QTcpServer tls;
        QVERIFY(tls.listen(QHostAddress::LocalHost));
        QByteArray first_bytes;
        connect(&tls, &QTcpServer::newConnection, this, [&] {
            QTcpSocket *socket = tls.nextPendingConnection();
            connect(socket, &QTcpSocket::readyRead, socket,
                    [&, socket] { first_bytes += socket->readAll(); });
        });
        QTemporaryDir dir;
        QProcess process;
        QByteArray errors;
        run(process, QStringLiteral("https://127.0.0.1:%1/x").arg(tls.serverPort()),
            dir.filePath("apps.json"), {"VORLA_WEB_TIMEOUT_MS=3000"}, errors);
#if QT_CONFIG(ssl)
        // A TLS record of type handshake (a ClientHello) comes first.
        QVERIFY2(first_bytes.startsWith("\x16\x03"), first_bytes.left(16).toHex().constData());
#else
        // A Qt without TLS (the MinGW build has no OpenSSL) sends nothing in clear.
        QVERIFY2(first_bytes.isEmpty(), first_bytes.left(16).toHex().constData());
#endif
        QVERIFY(process.exitCode() != 0);
    }
};

QTEST_GUILESS_MAIN(tst_web_engine)
#include "tst_web_engine.moc"
