#include "common/global_func_c.h"
#include "common/platform.h"
#include "quick_launch/item_store.h"
#include "scanner/program_scanner_tool_c.h"

#include <QtNetwork>
#include <QtTest>

#include <memory>

namespace {
const QString steam_path = QStringLiteral("C:/Program Files (x86)/Steam");

// Answers like the service, by id: games, a DLC, a tool, no JSON ("16"), an
// error ("18"), else "unknown". The answer for held waits until release().
class app_info_server_c : public QTcpServer
{
public:
    QStringList requested;
    QString held;

    app_info_server_c()
    {
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = nextPendingConnection()) {
                connect(socket, &QTcpSocket::readyRead, this, [this, socket] { read_request(socket); });
                connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
        listen(QHostAddress::LocalHost);
    }

    void release()
    {
        if (m_waiting != nullptr)
            answer(m_waiting, held);
    }

private:
    void read_request(QTcpSocket *socket)
    {
        const QByteArray request = socket->property("request").toByteArray() + socket->readAll();
        socket->setProperty("request", request);
        if (!request.contains("\r\n\r\n"))
            return;
        requested.append(
            QUrlQuery(QUrl(QString::fromLatin1(request.split(' ').value(1)))).queryItemValue("apps"));
        if (requested.last() == held)
            m_waiting = socket;
        else
            answer(socket, requested.last());
    }

    static void answer(QTcpSocket *socket, const QString &id)
    {
        static const QHash<QString, QStringList> apps{
            {"11", {"Game 11", "game"}}, {"12", {"Game 12", "Game"}}, {"14", {"Soundtrack", "DLC"}},
            {"15", {"Server", "Tool"}},  {"21", {"Game 21", "game"}}, {"22", {"Game 22", "game"}}};
        QByteArray body = id == "16" ? "<html>Service busy</html>" : "{\"success\": 2}";
        if (apps.contains(id)) {
            const QJsonObject common{
                {"name", apps[id][0]}, {"type", apps[id][1]}, {"clienticon", apps[id][0]}};
            const QJsonObject entry{{"appid", id}, {"common", common}};
            body = QJsonDocument(QJsonObject{{"success", 1}, {"apps", QJsonObject{{id, entry}}}}).toJson();
        }
        socket->write("HTTP/1.1 " + QByteArray(id == "18" ? "503 Service Unavailable" : "200 OK") +
                      "\r\nContent-Length: " + QByteArray::number(body.size()) +
                      "\r\nConnection: close\r\n\r\n" + body);
        socket->disconnectFromHost();
    }

    QPointer<QTcpSocket> m_waiting;
};

struct calls_t
{
    QMutex mutex;
    QList<int> steps;
    int finished = 0;
    int cancelled = 0;
};

// Client of its own scanner, as the scan dialog is; the calls outlive it.
class scanner_c final : public program_scanner_tool_c, public program_scanner_tool_client_i
{
public:
    explicit scanner_c(calls_t &calls) : program_scanner_tool_c(this), calls(calls) {}
    bool network = true;
    calls_t &calls;

    bool is_network_available() const override { return network; }
    void *query_interface(const interface_id_t *) override { return nullptr; }
    void release() override {}
    void on_scan_progress(int step) override
    {
        QMutexLocker locker(&calls.mutex);
        calls.steps.append(step);
    }
    void on_scan_finished() override { ++calls.finished; }
    void on_scan_cancelled() override { ++calls.cancelled; }
};

QStringList s_scan_log;
QtMessageHandler s_previous_handler = nullptr;

void keep_scan_log(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    static QMutex mutex;
    if (message.startsWith("scan game file")) {
        QMutexLocker locker(&mutex);
        s_scan_log.append(message.trimmed());
    }
    s_previous_handler(type, context, message);
}

quick_launch_item_t steam_item(int id)
{
    quick_launch_item_t item;
    item.ID = 900 + id;
    item.Game_Type = 1;
    item.Platform_ID = id;
    return item;
}

// The entries the scanner added (the tests' own have IDs from 900 to 999).
QStringList found(const quick_launch_list_t &list)
{
    QStringList result;
    for (const quick_launch_item_t &x : list) {
        const QString where = x.Game_Type == 1 ? QString::number(x.Platform_ID) : x.Game_Path;
        if (x.ID < 900 || x.ID > 999)
            result.append(QStringLiteral("%1 %2 %3%4%5")
                              .arg(QString::number(x.Order), where, x.Game_Name, x.IS_DLC ? " dlc" : "",
                                   QFile::exists(icon_file(x.ID)) ? " icon" : ""));
        if (x.Scaned_Name != (x.Game_Type == 1 ? x.Game_Name : x.Game_Path))
            result.append("bad Scaned_Name " + x.Scaned_Name);
    }
    return result;
}
} // namespace

class tst_program_scanner : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    app_info_server_c m_server;
    calls_t m_calls;
    quick_launch_list_t m_games;
    quick_launch_list_t m_programs;

    void install(const QStringList &files)
    {
        for (const QString &file : files) {
            const QString path = m_dir->path() + "/wine/drive_c/" + file;
            QVERIFY(QDir().mkpath(QFileInfo(path).path()));
            if (!file.endsWith('/'))
                QVERIFY(QFile(path).open(QIODevice::WriteOnly));
        }
    }

    void write_steam_key(const QStringList &ids)
    {
        QSettings key(platform::native_settings_path("\\HKEY_CURRENT_USER\\SOFTWARE\\Valve\\Steam"),
                      QSettings::IniFormat);
        key.setValue("SteamPath", steam_path);
        QImage picture(32, 32, QImage::Format_ARGB32);
        picture.fill(Qt::darkRed);
        install({"Program Files (x86)/Steam/steam/games/"});
        for (const QString &id : ids) {
            key.setValue("Apps/" + id + "/Installed", 1);
            QVERIFY(
                picture.save(platform::local_path(steam_path + "/steam/games/Game " + id + ".ico"), "ICO"));
        }
    }

    static QStringList pictures()
    {
        return QDir(global_func_c::shared()->icon_directory()).entryList({"*.png"});
    }

private slots:
    void initTestCase()
    {
        global_func_c::shared()->initialise();
        QVERIFY(m_server.isListening());
        qputenv("VORLA_WEB_BASE", "http://127.0.0.1:" + QByteArray::number(m_server.serverPort()));
        QVERIFY(QFile::exists(global_func_c::application_directory() + "web_loader/web_engine.exe"));
        s_previous_handler = qInstallMessageHandler(keep_scan_log);
    }

    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        qputenv("HOME", m_dir->path().toUtf8());
        qputenv("WINEPREFIX", (m_dir->path() + "/wine").toUtf8());
        qputenv("VORLA_REGISTRY_ROOT", (m_dir->path() + "/registry").toUtf8());
        QDir(global_func_c::shared()->icon_directory()).removeRecursively();
        QSettings("Mirvek", "VORLA_Downloader").clear();
        m_server.requested.clear();
        m_server.held.clear();
        s_scan_log.clear();
        m_calls.steps.clear();
        m_calls.finished = m_calls.cancelled = 0;
        m_games.clear();
        m_programs.clear();
    }

    void cleanup() { QThreadPool::globalInstance()->waitForDone(); }

    // Without a Steam lookup the scan ends inside start_scan, and no download starts.
    void launchers_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<bool>("offline");
        QTest::addColumn<QStringList>("entries");
        const QString riot = "Riot Games/League of Legends/lol.launcher.exe";
        const QString tencent = "Program Files/腾讯游戏/英雄联盟/TCLS/Client.exe";
        QTest::newRow("Garena before Riot")
            << QStringList{"Program Files (x86)/GarenaLoLTW/LoLTWLauncher.exe", riot} << false
            << QStringList{
                   "0 C://Program Files (x86)//GarenaLoLTW//LoLTWLauncher.exe League of Legends icon"};
        QTest::newRow("Riot before Tencent")
            << QStringList{riot, tencent} << false
            << QStringList{"0 C://Riot Games//League of Legends//lol.launcher.exe League of Legends icon"};
        QTest::newRow("Tencent, no network")
            << QStringList{tencent} << true
            << QStringList{
                   "0 C://Program Files//腾讯游戏//英雄联盟//TCLS//Client.exe League of Legends icon"};
        QTest::newRow("directories and launchers")
            << QStringList{"Program Files (x86)/Origin Games/Sims/",
                           "Program Files (x86)/overwatch/overwatch launcher.exe",
                           "Program Files (x86)/Ubisoft/Ubisoft Game Launcher/",
                           "Program Files (x86)/Ubisoft/ubisoft game launcher/"}
            << false
            << QStringList{
                   "1 C://Program Files (x86)//Origin Games//Sims Sims icon",
                   "5 C://Program Files (x86)//Overwatch//Overwatch Launcher.exe Overwatch icon",
                   "6 C://Program Files (x86)//Ubisoft//ubisoft game launcher ubisoft game launcher icon"};
    }

    void launchers()
    {
        QFETCH(QStringList, files);
        QFETCH(bool, offline);
        QFETCH(QStringList, entries);
        install(files);
        quick_launch_item_t gone;
        gone.ID = 950;
        gone.Game_Path = "/nowhere/tool";
        m_programs.append(gone);
        scanner_c scanner(m_calls);
        if (offline)
            write_steam_key({"11"});
        scanner.network = !offline;

        scanner.start_scan(&m_games, &m_programs);
        QCOMPARE(m_calls.finished, 1);
        QCOMPARE(found(m_games), entries);
        QVERIFY(m_programs.isEmpty());
        scanner.start_scan(&m_games, &m_programs);
        QCOMPARE(m_calls.finished, 2);
        QCOMPARE(found(m_games), entries);
        QVERIFY(!QSettings("Mirvek", "VORLA_Downloader").contains("url"));
    }

    void steam_lookup()
    {
        write_steam_key({"11", "12", "13", "14", "15", "16", "17", "18", "19", "20"});
        m_games.append(steam_item(13));
        m_programs.append(steam_item(17));
        scanner_c scanner(m_calls);
        QCOMPARE(scanner.steam_app_count(), 10);

        scanner.start_scan(&m_games, &m_programs);
        QCOMPARE(m_calls.finished, 0);
        QTRY_COMPARE_WITH_TIMEOUT(m_calls.finished, 1, 60000);
        QCOMPARE(m_calls.steps, (QList<int>{1, 2, 4, 5, 6, 8, 9, 10}));
        QCOMPARE(m_server.requested, (QStringList{"11", "12", "14", "15", "16", "18", "19", "20"}));
        // League of Legends and the four launchers took Order 1 to 5 before they were dropped.
        const QStringList entries{"6 11 Game 11 icon", "7 12 Game 12 icon", "-1 14 Soundtrack dlc",
                                  "-1 15 Server dlc"};
        QCOMPARE(found(m_games), entries);
        QCOMPARE(m_games.at(1).Game_Path, steam_path);
        QCOMPARE(pictures().size(), 2);
        const QString answer_file = global_func_c::shared()->icon_directory() + "steam_web_page.txt";
        QCOMPARE(s_scan_log.size(), 2);
        QVERIFY2(s_scan_log.at(0).startsWith("scan game file: web page json error, "),
                 qPrintable(s_scan_log.at(0)));
        QCOMPARE(s_scan_log.at(1), "scan game file: dest file not exist, " + answer_file);
        QVERIFY(!QFile::exists(answer_file));
        QCOMPARE(QSettings("Mirvek", "VORLA_Downloader").value("url").toString(), QString());

        // Only the ids without an entry are asked for again, and nothing is added.
        m_server.requested.clear();
        scanner.start_scan(&m_games, &m_programs);
        QTRY_COMPARE_WITH_TIMEOUT(m_calls.finished, 2, 60000);
        QCOMPARE(m_server.requested, (QStringList{"16", "18", "19", "20"}));
        QCOMPARE(found(m_games), entries);
        QCOMPARE(m_calls.cancelled, 0);
    }

    void interrupted_data()
    {
        QTest::addColumn<bool>("deleted");
        QTest::newRow("cancel") << false;
        QTest::newRow("scanner deleted") << true;
    }

    void interrupted()
    {
        QFETCH(bool, deleted);
        write_steam_key({"21", "22", "23"});
        m_server.held = "22";
        auto scanner = std::make_unique<scanner_c>(m_calls);

        scanner->start_scan(&m_games, &m_programs);
        QTRY_COMPARE_WITH_TIMEOUT(m_server.requested, (QStringList{"21", "22"}), 30000);
        if (deleted)
            scanner.reset();
        else
            scanner->cancel();
        m_server.release();
        if (deleted) {
            QThreadPool::globalInstance()->waitForDone();
            QCoreApplication::sendPostedEvents();
            QCOMPARE(m_games.size(), 5); // the launcher entries only
        } else {
            QTRY_COMPARE_WITH_TIMEOUT(m_calls.cancelled, 1, 30000);
            // The download that ran was read; one of its two entries was built before the cancel was seen.
            QCOMPARE(found(m_games).last(), "5 21 Game 21");
        }
        QCOMPARE(m_calls.cancelled, deleted ? 0 : 1);
        QCOMPARE(m_calls.finished, 0);
        QCOMPARE(m_server.requested, (QStringList{"21", "22"}));
        QCOMPARE(pictures(), QStringList());
        QCOMPARE(m_calls.steps, deleted ? QList<int>{1} : (QList<int>{1, 2}));
    }
};

QTEST_MAIN(tst_program_scanner)
#include "tst_program_scanner.moc"
