// What the user saved survives faults: a full disk (a small tmpfs when the
// tests run as root, an injected write failure in every build), item files
// that exist but cannot be read, and a temporary directory that cannot be used.
#include "common/durable_file_c.h"
#include "common/global_func_c.h"
#include "host/client_store_keeper_c.h"
#include "host/control_centre_c.h"
#include "module/vorla_connect_kernel_c.h"
#include "pages/quick_launch_settings_c.h"
#include "quick_launch/item_store.h"
#include "scanner/program_scanner_tool_c.h"
#include "tests/host/host_test_support.h"
#include "tests/module/recording_fakes.h"
#include "tests/quick_launch/quick_launch_test_support.h"

#include <QImage>
#include <QtTest>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace {
// Fills the file system at dir until a write fails.
void fill_up(const QString &dir)
{
    QFile filler(dir + QStringLiteral("/filler"));
    QVERIFY(filler.open(QIODevice::WriteOnly));
    const QByteArray block(4096, 'f');
    while (filler.write(block) == block.size() && filler.flush()) {
    }
    // The last bytes of a page the filler could not take.
    QFile crumbs(dir + QStringLiteral("/crumbs"));
    if (crumbs.open(QIODevice::WriteOnly))
        while (crumbs.write("c", 1) == 1 && crumbs.flush()) {
        }
}
} // namespace

class tst_file_faults : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        global_func_c::shared()->initialise();
        home = qEnvironmentVariable("XDG_DATA_HOME");
        // The data home on Windows is the application-data folder; scratch files go here.
        if (home.isEmpty())
            home = scratch.path();
    }

    void init()
    {
        qputenv("XDG_DATA_HOME", home.toLocal8Bit());
        QDir(global_func_c::shared()->user_data_directory()).removeRecursively();
        journal.clear();
    }

    void cleanup()
    {
        durable_file_c::inject_fault(nullptr);
        qputenv("XDG_DATA_HOME", home.toLocal8Bit());
        qunsetenv(temp_variable);
#ifdef Q_OS_WIN
        if (locked != INVALID_HANDLE_VALUE)
            CloseHandle(locked);
        locked = INVALID_HANDLE_VALUE;
#endif
        if (!mount_point.isEmpty()) {
            QProcess::execute(QStringLiteral("umount"), {mount_point});
            mount_point.clear();
        }
    }

    void failed_write_keeps_old_files_data()
    {
        QTest::addColumn<bool>("full_disk"); // or an injected write failure
        QTest::addColumn<QString>("writer");
        for (const char *writer : {"lists", "keeper", "icon"}) {
            QTest::addRow("injected, %s", writer) << false << QString::fromLatin1(writer);
            QTest::addRow("full disk, %s", writer) << true << QString::fromLatin1(writer);
        }
    }

    void failed_write_keeps_old_files()
    {
        QFETCH(bool, full_disk);
        QFETCH(QString, writer);
        const QString why_not = full_disk ? move_home_to_small_tmpfs() : QString();
        if (!why_not.isEmpty())
            QSKIP(qPrintable(why_not));

        // What the user saved before the disk filled up.
        vorla_connect_kernel_c kernel;
        kernel.initialise(&client, nullptr);
        *kernel.get_quick_launch_page()->get_games() = {entry(1, 0), entry(2, 1)};
        *kernel.get_quick_launch_page()->get_programs() = {entry(3, 0)};
        QCOMPARE(kernel.save_quick_launch_lists(), 1);
        client_store_keeper_c keeper(client_store_keeper_c::default_path());
        QVERIFY(keeper.seed_demo_phones());
        const QString icon = icon_file(1);
        write_bytes(icon, "old icon");
        const QString picture = QDir(home).filePath(QStringLiteral("picture.png"));
        QVERIFY(QImage(16, 16, QImage::Format_ARGB32).save(picture));

        const QStringList files{global_func_c::shared()->icon_directory() + games_file_name,
                                global_func_c::shared()->icon_directory() + programs_file_name,
                                keeper.file_path(), icon};
        QList<QByteArray> before;
        for (const QString &file : files)
            before.append(read_bytes(file));

        if (full_disk)
            fill_up(mount_point);
        else
            durable_file_c::inject_fault([](const QString &) { return true; });
        journal.clear();
        const message_log_t echoed;
        QSignalSpy keeper_log(&keeper, &client_store_keeper_c::logged);
        // The stand-in host shows what the module echoes about a failed save.
        auto host = std::make_unique<control_centre_c>();
        host->watch_module_messages();
        QSignalSpy host_log(host.get(), &control_centre_c::note_logged);
        if (writer == QLatin1String("lists")) {
            kernel.get_quick_launch_page()->get_games()->append(entry(4, 2));
            QCOMPARE(kernel.save_quick_launch_lists(), 0);
            QVERIFY(journal.isEmpty()); // no word of a save
        } else if (writer == QLatin1String("keeper")) {
            QVERIFY(!keeper.set_connected(QStringLiteral("7D19E4C2A0B35F81"), true));
            QCOMPARE(keeper_log.count(), 1);
            QVERIFY(keeper_log.first().first().toString().contains(QLatin1String("not applied")));
        } else {
            QCOMPARE(program_scanner_tool_c::save_file_icon(picture, icon),
                     program_scanner_tool_c::icon_saved_t::failed);
        }
        if (writer != QLatin1String("keeper")) {
            QCOMPARE(echoed.lines().filter(QStringLiteral("not saved")).size(), 1);
            QTRY_COMPARE(host_log.size(), 1);
            QVERIFY(host_log.first().first().toString().contains(QLatin1String("not saved")));
        }
        host.reset();

        for (int i = 0; i < files.size(); ++i)
            QCOMPARE(read_bytes(files.at(i)), before.at(i));
        // No scratch or half-written file is left beside them.
        const QRegularExpression leftover(QStringLiteral("^\\.|\\.\\w{6}$"));
        for (const QString &file : files)
            QCOMPARE(
                QDir(QFileInfo(file).absolutePath()).entryList(QDir::Files | QDir::Hidden).filter(leftover),
                QStringList());
    }

    void unreadable_file_is_not_missing_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("a directory in its place") << QStringLiteral("directory");
        QTest::newRow("over the size limit") << QStringLiteral("oversize");
#ifdef Q_OS_WIN
        // Modes do not exist there; another program holding the file shut does.
        QTest::newRow("opened without sharing") << QStringLiteral("mode 000");
#else
        QTest::newRow("no read permission") << QStringLiteral("mode 000");
#endif
        QTest::newRow("temporary directory unusable") << QStringLiteral("bad temp");
    }

    void unreadable_file_is_not_missing()
    {
        QFETCH(QString, kind);
#ifndef Q_OS_WIN
        if (kind == QLatin1String("mode 000") && ::geteuid() == 0)
            QSKIP("root reads files of mode 000; the case needs an ordinary user");
#endif
        const QString games = global_func_c::shared()->icon_directory() + games_file_name;
        const QString programs = global_func_c::shared()->icon_directory() + programs_file_name;
        QVERIFY(write_item_file({entry(1, 0), entry(2, 1)}, games_file_name));
        QVERIFY(write_item_file({entry(3, 0)}, programs_file_name));
        for (int id : {1, 2, 3})
            write_bytes(icon_file(id), "icon");

        auto *kernel = new vorla_connect_kernel_c;
        kernel->initialise(&client, nullptr);
        QCOMPARE(kernel->get_quick_launch_page()->get_games()->size(), 2);

        if (kind == QLatin1String("directory")) {
            QVERIFY(QFile::remove(games));
            QVERIFY(QDir().mkpath(games));
        } else if (kind == QLatin1String("oversize")) {
            QFile file(games);
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.resize(settings_file_c::max_size + 1));
        } else if (kind == QLatin1String("mode 000")) {
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
        const QByteArray programs_before = read_bytes(programs);
        const QFileInfo games_before(games);

        // A save must not replace what it could not read.
        kernel->get_quick_launch_page()->get_programs()->append(entry(5, 1));
        const bool bad_temp = kind == QLatin1String("bad temp");
        QCOMPARE(kernel->save_quick_launch_lists(), bad_temp ? 1 : 0);
        QCOMPARE(journal.size(), bad_temp ? 1 : 0);
        if (!bad_temp) {
            QCOMPARE(read_bytes(programs), programs_before);
            QCOMPARE(QFileInfo(games).size(), games_before.size());
            QCOMPARE(QFileInfo(games).isDir(), games_before.isDir());
        }

        // Closing the page deletes no icon of a saved entry.
        kernel->get_quick_launch_page()->get_programs()->removeLast();
        kernel->release();
        for (int id : {1, 2, 3})
            QVERIFY2(QFileInfo::exists(icon_file(id)), qPrintable(QString::number(id)));
        QFile::setPermissions(games, QFile::ReadOwner | QFile::WriteOwner);
    }

private:
    // The data home on a tmpfs of 256 KiB: enough for the files, quickly full.
    // Returns why that is not possible here, or nothing.
    QString move_home_to_small_tmpfs()
    {
#ifdef Q_OS_WIN
        return QStringLiteral("a full file system needs a small drive mounted for the test; "
                              "the injected fault covers the case");
#else
        const QString point = scratch.path() + QStringLiteral("/tmpfs");
        if (::geteuid() != 0 || !QDir().mkpath(point) ||
            QProcess::execute("mount", QString("-t tmpfs -o size=256k tmpfs").split(' ') << point) != 0)
            return QStringLiteral("a full file system needs a tmpfs that root can mount; "
                                  "the injected fault covers the case");
        mount_point = point;
        qputenv("XDG_DATA_HOME", mount_point.toLocal8Bit());
        return QString();
#endif
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
