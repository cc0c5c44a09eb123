// The host's keeper of "APP_Clients": what each command block does to the
// file, what it must leave alone, and that the module hears of every change.
#include "tests/host/host_test_support.h"

#include <array>

namespace {
// a: pending, b: trusted and connected, c: known and offline, with a model
// spelled as a serialised polygon claiming gigabytes, which must stay text.
const char *const start_file = "[General]\nServer=OLD NAME\n\n"
                               "[a]\nCONNECTED=true\nFriend=2\nID=a\nModel=M a\nName=Alpha\n\n"
                               "[b]\nCONNECTED=true\nFriend=1\nID=b\nModel=M b\nName=Beta\n\n"
                               "[c]\nCONNECTED=false\nFriend=0\nID=c\n"
                               "Model=@Var\"iant(\\0\\0\\0G\\x7f\\xff\\xff\\xff)\"\nName=Gamma\n";
const char polygon_text[] = "@Variant(\0\0\0G\x7f\xff\xff\xff)";
const int requests_per_keeper = 40;
} // namespace

class tst_client_store_keeper_c : public host_window_test_c
{
    Q_OBJECT

private slots:
    void init()
    {
        dir = std::make_unique<QTemporaryDir>();
        path = dir->filePath(QStringLiteral("setting/APP_Clients"));
        QVERIFY(QDir().mkpath(QFileInfo(path).path()) && write_file(path, start_file));
    }
    void cleanup() { end_host_window(); }

    void commands_data()
    {
        // No groups: the file must stay as it was, byte for byte. A null value: the key is gone.
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("groups");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        const QStringList all{"a", "b", "c"};
        const QString name = QString::fromUtf8("Rig \u00e9 / [x]");
        QTest::newRow("accept request") << client_block(1, "a") << all << "a/Friend" << QStringLiteral("1");
        QTest::newRow("auto-pair off") << client_block(2, "b") << all << "b/Friend" << QStringLiteral("0");
        QTest::newRow("remove") << client_block(3, "b") << QStringList{"a", "c"} << "b/ID" << QString();
        QTest::newRow("rename") << client_block(4, name) << all << "Server" << name;
        QTest::newRow("request ended")
            << client_block(5, "a") << QStringList{"b", "c"} << "a/ID" << QString();

        const auto left_alone = [](const char *tag, const QByteArray &bytes) {
            QTest::newRow(tag) << bytes << QStringList() << QString() << QString();
        };
        left_alone("empty block", QByteArray());
        left_alone("truncated string", client_block(3, "abc").left(9));
        left_alone("bytes left over", client_block(3, "b") + "x");
        left_alone("odd byte count", QByteArray::fromHex("0000000300000003006100"));
        left_alone("unknown command", client_block(9, "b"));
        left_alone("accept unknown id", client_block(1, "zz"));
        left_alone("remove unknown id", client_block(3, "zz"));
        left_alone("end of a trusted phone", client_block(5, "b"));
        left_alone("empty PC name", client_block(4, ""));
    }

    void commands()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, groups);
        QFETCH(QString, key);
        QFETCH(QString, value);
        const QDateTime written = QFileInfo(path).lastModified();
        client_store_keeper_c keeper(path);
        QSignalSpy changed(&keeper, &client_store_keeper_c::store_changed);
        QCOMPARE(keeper.apply_block(bytes), !groups.isEmpty());
        QCOMPARE(changed.count(), groups.isEmpty() ? 0 : 1);
        QCOMPARE(directory_entries(), QStringList{"APP_Clients"});
        if (groups.isEmpty()) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadOnly) && file.readAll() == start_file);
            QCOMPARE(QFileInfo(path).lastModified(), written);
            return;
        }

        const QSettings after(path, QSettings::IniFormat);
        QCOMPARE(after.status(), QSettings::NoError);
        QCOMPARE(after.childGroups(), groups);
        QCOMPARE(after.value(key).toString(), value);
        QCOMPARE(after.contains(key), !value.isNull());
        // What the command did not name stays as it was.
        QCOMPARE(after.value("c/Name").toString(), QStringLiteral("Gamma"));
        QCOMPARE(after.value("c/Model").toString(),
                 QString::fromLatin1(polygon_text, sizeof(polygon_text) - 1));
        QCOMPARE(after.value("b/CONNECTED").toBool(), groups.contains("b"));
        if (key != "Server")
            QCOMPARE(after.value("Server").toString(), QStringLiteral("OLD NAME"));
    }

    void phones_and_seeding()
    {
        client_store_keeper_c keeper(path);
        QSignalSpy changed(&keeper, &client_store_keeper_c::store_changed);
        const QString id = keeper.add_pairing_request(QStringLiteral("New = phone"), QStringLiteral("X1"));
        QCOMPARE(keeper.client_ids().size(), 4);
        QCOMPARE(keeper.client_name(id), QStringLiteral("New = phone"));
        QVERIFY(keeper.add_pairing_request("Other", "X2") != id);
        QVERIFY(keeper.set_connected(id, false));
        QVERIFY(!keeper.set_connected(id, false));
        QVERIFY(!keeper.set_connected("zz", true));
        QCOMPARE(changed.count(), 1); // requests are announced as such, not as changes
        QCOMPARE(directory_entries(), QStringList{"APP_Clients"});

        // A user's own list is never overwritten.
        QVERIFY(!keeper.seed_demo_phones());
        QVERIFY(keeper.clear());
        QVERIFY(keeper.seed_demo_phones());
        QCOMPARE(keeper.client_ids().size(), 3);
    }

    // The phone menu reads the file once; it shows what the single lookups tell.
    void phone_menu_lists_every_client()
    {
        QVERIFY(write_file(path, start_file + QByteArray("\n[d]\nFriend=1\n")));
        make_host_window(path);
        QAction *phones = find_action(window.get(), "&Phones");
        QVERIFY(phones != nullptr && phones->menu() != nullptr);
        emit phones->menu()->aboutToShow();
        QStringList shown, told;
        for (const QAction *action : phones->menu()->actions())
            if (action->isCheckable())
                shown << action->text() + (action->isChecked() ? " [x]" : " [ ]");
        const client_store_keeper_c *keeper = host->client_store();
        for (const QString &id : keeper->client_ids())
            told << keeper->client_name(id) +
                        (keeper->is_connected(id) ? " connected [x]" : " connected [ ]");
        QCOMPARE(shown, told);
        QCOMPARE(told, QStringList({"Alpha connected [x]", "Beta connected [x]", "Gamma connected [ ]",
                                    "d connected [ ]"}));
    }

    // Through the host with the real module: the block the kernel leaves in shared
    // memory changes the file, and the kernel hears of it with event 26 afterwards.
    void host_applies_blocks_and_reports()
    {
        make_host_window(path);
        QVERIFY(window->load_module(QStringLiteral(VORLA_MODULE_FILE)));
        product_kernel_i *kernel = host->kernels().value(0);
        QVERIFY(kernel != nullptr);
        const auto send = [&](const QByteArray &bytes) {
            QBuffer buffer;
            buffer.setData(bytes);
            QString key = kernel->share_data(&buffer);
            journal.clear();
            kernel->post_message(kernel_message_shared_block, &key);
            // Not at once: the kernel may be in the middle of sending.
            QVERIFY(!journal.contains("Host event 26"));
        };
        send(client_block(3, "c"));
        QTRY_VERIFY(journal.contains("Host event 26"));
        QVERIFY(!QSettings(path, QSettings::IniFormat).childGroups().contains("c"));
#ifdef Q_OS_WIN
        // The page's zeros would complete a cut block there; an unknown command
        // is refused everywhere.
        send(client_block(9, "c"));
#else
        send(client_block(3, "c").left(6));
#endif
        QVERIFY(!journal.filter("refused").isEmpty());
        QTest::qWait(50);
        QVERIFY(!journal.contains("Host event 26"));

        // A phone asking to pair is reported as such.
        QVERIFY(!host->client_store()->add_pairing_request("P", "M").isEmpty());
        journal.clear();
        QTRY_VERIFY(journal.contains("Host event 27"));
        QVERIFY(!journal.contains("Host event 26"));
        host->unload_module();
    }

    // Two stand-in hosts on one data home: each change is a read, change and
    // replace of the whole file, so without a lock one keeper's change is lost.
    void concurrent_keepers()
    {
        QVERIFY(QFile::remove(path));
        std::array<QProcess, 2> keepers;
        for (QProcess &keeper : keepers)
            keeper.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--add-requests"), path});
        for (QProcess &keeper : keepers) {
            QVERIFY(keeper.waitForFinished(120000));
            QVERIFY2(keeper.exitCode() == 0, keeper.readAllStandardError().constData());
        }
        QCOMPARE(client_store_keeper_c(path).client_ids().size(), 2 * requests_per_keeper);
        QCOMPARE(directory_entries(), QStringList{"APP_Clients"});
    }

private:
    QStringList directory_entries() const
    {
        return QDir(QFileInfo(path).path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }

    std::unique_ptr<QTemporaryDir> dir;
    QString path;
};

int main(int argc, char *argv[])
{
    // One keeper of concurrent_keepers(): adds pairing requests, tells why one failed.
    if (argc == 3 && qstrcmp(argv[1], "--add-requests") == 0) {
        QCoreApplication app(argc, argv);
        client_store_keeper_c keeper(QString::fromLocal8Bit(argv[2]));
        QObject::connect(&keeper, &client_store_keeper_c::logged,
                         [](const QString &line) { fprintf(stderr, "%s\n", qPrintable(line)); });
        for (int i = 0; i < requests_per_keeper; ++i)
            if (keeper.add_pairing_request(QString::number(i), QStringLiteral("M")).isEmpty())
                return 1;
        return 0;
    }
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    tst_client_store_keeper_c test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_client_store_keeper_c.moc"
