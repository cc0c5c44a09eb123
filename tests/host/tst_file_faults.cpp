// What the user saved survives faults: a full disk (a small tmpfs when the
// tests run as root, an injected write failure in every build), item files
// that exist but cannot be read, and a temporary directory that cannot be used.
#include "common/durable_file_c.h"
#include "module/vorla_connect_kernel_c.h"
#include "scanner/program_scanner_tool_c.h"
#include "tests/host/host_test_support.h"
#include "tests/module/recording_fakes.h"
#include "tests/quick_launch/quick_launch_test_support.h"

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <unistd.h>
#endif

class tst_file_faults : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        global_func_c::shared()->initialise();
        // The data home on Windows is the application-data folder; scratch files go here.
        home = qEnvironmentVariable("XDG_DATA_HOME", scratch.path());
    }

    void init()
    {
        qputenv("XDG_DATA_HOME", home.toLocal8Bit());
        QDir(global_func_c::shared()->user_data_directory()).removeRecursively();
        journal.clear();
        save_lists();
    }

    void cleanup()
    {
        durable_file_c::inject_fault(nullptr);
        qputenv("XDG_DATA_HOME", home.toLocal8Bit());
        qunsetenv(temp_variable);
        QFile::setPermissions(global_func_c::shared()->icon_directory() + games_file_name,
                              QFile::ReadOwner | QFile::WriteOwner);
#ifdef Q_OS_WIN
        if (locked != INVALID_HANDLE_VALUE)
            CloseHandle(std::exchange(locked, INVALID_HANDLE_VALUE));
#endif
        if (!mount_point.isEmpty())
            QProcess::execute(QStringLiteral("umount"), {std::exchange(mount_point, {})});
    }

    void failed_save_keeps_old_files_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("writer");
        for (const char *writer : {"lists", "keeper", "icon"})
            for (const char *fault : {"injected", "full disk"})
                QTest::addRow("%s, %s", fault, writer) << fault << writer;
        // The games file exists but cannot be read: a save must not replace it.
        const auto lists = [](const char *tag, const char *fault) { QTest::newRow(tag) << fault << "lists"; };
        lists("a directory in its place", "directory");
        lists("over the size limit", "oversize");
#ifdef Q_OS_WIN
        // Modes do not exist there; another program holding the file shut does.
        lists("opened without sharing", "mode 000");
#else
        lists("no read permission", "mode 000");
#endif
        // This one saves: the scratch file goes beside its target.
        lists("temporary directory unusable", "bad temp");
    }
    void failed_save_keeps_old_files()
    {
        QFETCH(QString, fault);
        QFETCH(QString, writer);
#ifndef Q_OS_WIN
        if (fault == QLatin1String("mode 000") && ::geteuid() == 0)
            QSKIP("root reads files of mode 000; the case needs an ordinary user");
#endif
        if (fault == QLatin1String("full disk")) {
            if (const QString why_not = move_home_to_small_tmpfs(); !why_not.isEmpty())
                QSKIP(qPrintable(why_not));
            save_lists(); // what the user saved before the disk filled up
        }
        auto *kernel = new vorla_connect_kernel_c;
        kernel->initialise(&client, nullptr);
        QCOMPARE(kernel->get_quick_launch_page()->get_games()->size(), 2);
        client_store_keeper_c keeper(client_store_keeper_c::default_path());
        QVERIFY(keeper.seed_demo_phones());
        const QString picture = QDir(home).filePath(QStringLiteral("picture.png"));
        QVERIFY(QImage(16, 16, QImage::Format_ARGB32).save(picture));
        const QString icons = global_func_c::shared()->icon_directory();
        const QStringList files{icons + games_file_name, icons + programs_file_name, keeper.file_path(),
                                icon_file(1)};
        const QString &games = files.at(0);

        if (fault == QLatin1String("injected")) {
            durable_file_c::inject_fault([](const QString &) { return true; });
        } else if (fault == QLatin1String("full disk")) {
            fill_up(mount_point);
        } else if (fault == QLatin1String("directory")) {
            QVERIFY(QFile::remove(games) && QDir().mkpath(games));
        } else if (fault == QLatin1String("oversize")) {
            QFile file(games);
            QVERIFY(file.open(QIODevice::ReadWrite) && file.resize(settings_file_c::max_size + 1));
        } else if (fault == QLatin1String("mode 000")) {
#ifdef Q_OS_WIN
            locked = CreateFileW(reinterpret_cast<const wchar_t *>(QDir::toNativeSeparators(games).utf16()),
                                 GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
            QVERIFY(locked != INVALID_HANDLE_VALUE);
#else
            QVERIFY(QFile::setPermissions(games, {}));
#endif
        } else {
            const QString blocker = QDir(home).filePath(QStringLiteral("not_a_directory"));
            write_bytes(blocker, "x");
            qputenv(temp_variable, blocker.toLocal8Bit());
        }
        QList<QByteArray> before;
        for (const QString &file : files)
            before.append(read_bytes(file));
        const QFileInfo games_before(games);

        journal.clear();
        const message_log_t echoed;
        QSignalSpy keeper_log(&keeper, &client_store_keeper_c::logged);
        // The stand-in host shows what the module echoes about a failed save.
        auto host = std::make_unique<control_centre_c>();
        host->watch_module_messages();
        QSignalSpy host_log(host.get(), &control_centre_c::note_logged);
        const bool saves = fault == QLatin1String("bad temp");
        if (writer == QLatin1String("lists")) {
            kernel->get_quick_launch_page()->get_programs()->append(entry(5, 1));
            QCOMPARE(kernel->save_quick_launch_lists(), saves ? 1 : 0);
            QCOMPARE(journal.size(), saves ? 1 : 0); // word of a save only when it happened
            kernel->get_quick_launch_page()->get_programs()->removeLast();
        } else if (writer == QLatin1String("keeper")) {
            QVERIFY(!keeper.set_connected(QStringLiteral("7D19E4C2A0B35F81"), true));
            QCOMPARE(keeper_log.count(), 1);
            QVERIFY(keeper_log.first().first().toString().contains(QLatin1String("not applied")));
        } else {
            QCOMPARE(program_scanner_tool_c::save_file_icon(picture, icon_file(1)),
                     program_scanner_tool_c::icon_saved_t::failed);
        }
        if (writer != QLatin1String("keeper") && !saves) {
            QCOMPARE(echoed.lines().filter(QStringLiteral("not saved")).size(), 1);
            QTRY_COMPARE(host_log.size(), 1);
            QVERIFY(host_log.first().first().toString().contains(QLatin1String("not saved")));
        }
        host.reset();

        // No scratch or half-written file is left beside them.
        const QRegularExpression leftover(QStringLiteral("^\\.|\\.\\w{6}$"));
        for (int i = 0; i < files.size(); ++i) {
            QVERIFY(saves || read_bytes(files.at(i)) == before.at(i));
            const QDir folder = QFileInfo(files.at(i)).absoluteDir();
            QCOMPARE(folder.entryList(QDir::Files | QDir::Hidden).filter(leftover), QStringList());
        }
        QCOMPARE(QFileInfo(games).size(), games_before.size());
        QCOMPARE(QFileInfo(games).isDir(), games_before.isDir());
        // Closing the page deletes no icon of a saved entry.
        kernel->release();
        for (int id : {1, 2, 3})
            QVERIFY2(QFileInfo::exists(icon_file(id)), qPrintable(QString::number(id)));
    }

private:
    // The lists the user saved: games 1 and 2, program 3, each with its icon.
    static void save_lists()
    {
        QVERIFY(write_item_file({entry(1, 0), entry(2, 1)}, games_file_name));
        QVERIFY(write_item_file({entry(3, 0)}, programs_file_name));
        for (int id : {1, 2, 3})
            write_bytes(icon_file(id), "icon");
    }

    // The data home on a tmpfs of 256 KiB: enough for the files, quickly full.
    // Returns why that is not possible here, or nothing.
    QString move_home_to_small_tmpfs()
    {
        const QString why_not = QStringLiteral("a full file system needs a small one mounted for the test; "
                                               "the injected fault covers the case");
#ifdef Q_OS_WIN
        return why_not;
#else
        const QString point = scratch.path() + QStringLiteral("/tmpfs");
        if (::geteuid() != 0 || !QDir().mkpath(point) ||
            QProcess::execute("mount", QString("-t tmpfs -o size=256k tmpfs").split(' ') << point) != 0)
            return why_not;
        mount_point = point;
        qputenv("XDG_DATA_HOME", mount_point.toLocal8Bit());
        return QString();
#endif
    }

    // Fills the file system at dir until a write fails, down to the last bytes of a page.
    static void fill_up(const QString &dir)
    {
        for (const auto &[name, size] : {std::pair{"/filler", 4096}, std::pair{"/crumbs", 1}}) {
            QFile file(dir + QLatin1String(name));
            const QByteArray block(size, 'f');
            if (file.open(QIODevice::WriteOnly))
                while (file.write(block) == size && file.flush()) {
                }
        }
    }

    QString home;
    QTemporaryDir scratch;
    QString mount_point;
#ifdef Q_OS_WIN
    HANDLE locked = INVALID_HANDLE_VALUE;
#endif
    QStringList journal;
    recording_client_c client{&journal};
};

QTEST_MAIN(tst_file_faults)
#include "tst_file_faults.moc"
