#include "common/global_func_c.h"
#include "module/vorla_connect_kernel_c.h"
#include "pages/quick_launch_settings_c.h"
#include "quick_launch/item_store.h"
#include "tests/module/recording_fakes.h"

#include <QtTest>

#include <algorithm>
#include <memory>

// A damaged file can make the settings store ask for gigabytes; the store must
// see that request fail (std::bad_alloc) as it would without the sanitizer,
// instead of the sanitizer ending the test. Ignored in builds without it.
extern "C" __attribute__((visibility("default"))) const char *__asan_default_options()
{
    return "allocator_may_return_null=1";
}

namespace {
quick_launch_item_t item(qint32 id, qint32 order, const QString &name = QString())
{
    quick_launch_item_t result;
    result.ID = id;
    result.Order = order;
    result.Game_Name = name.isEmpty() ? QStringLiteral("Game %1").arg(id) : name;
    result.Game_Path = QStringLiteral("C:/Games/%1/run.exe").arg(id);
    result.Scaned_Name = QStringLiteral("scan %1").arg(id);
    return result;
}

// Every field, so that a comparison of descriptions is a comparison of records.
QString describe(const quick_launch_item_t &x)
{
    return QStringLiteral("%1|%2|%3|%4|%5|%6|%7|%8")
        .arg(QString::number(x.ID), QString::number(x.Order), QString::number(x.Game_Type),
             QString::number(x.Platform_ID), x.IS_DLC ? QStringLiteral("dlc") : QStringLiteral("-"),
             x.Game_Name, x.Game_Path, x.Scaned_Name);
}

QStringList describe(const quick_launch_list_t &list)
{
    QStringList result;
    for (const quick_launch_item_t &x : list)
        result.append(describe(x));
    return result;
}

QString icon_directory()
{
    return global_func_c::shared()->icon_directory();
}

// Written byte for byte, with a modification time of its own: the settings
// store trusts its cache while a file keeps its size and time.
void write_raw(const QString &file_name, const QByteArray &bytes)
{
    static int stamp = 0;
    QDir().mkpath(icon_directory());
    QFile file(icon_directory() + file_name);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
    file.setFileTime(QDateTime::fromSecsSinceEpoch(1000000000 + ++stamp), QFileDevice::FileModificationTime);
}

QByteArray read_raw(const QString &file_name)
{
    QFile file(icon_directory() + file_name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

quick_launch_list_t read(const QString &file_name)
{
    quick_launch_list_t list;
    read_item_file(list, file_name);
    return list;
}
} // namespace

class tst_item_store : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void first_load_and_first_save();
    void reading_rules_data();
    void reading_rules();
    void save_writes_only_changed_lists_data();
    void save_writes_only_changed_lists();
    void entries_with_equal_order_survive_data();
    void entries_with_equal_order_survive();
    void page_destruction_discards_unsaved_icons_data();
    void page_destruction_discards_unsaved_icons();
    void hostile_files_data();
    void hostile_files();

private:
    QStringList journal;
};

void tst_item_store::initTestCase()
{
    global_func_c::shared()->initialise();
}

void tst_item_store::init()
{
    journal.clear();
    QDir(icon_directory()).removeRecursively();
}

void tst_item_store::first_load_and_first_save()
{
    recording_client_c client(&journal);
    vorla_connect_kernel_c kernel;
    kernel.initialise(&client, nullptr);
    quick_launch_settings_c *page = kernel.get_quick_launch_page();
    QVERIFY(page->get_games()->isEmpty());
    QVERIFY(page->get_programs()->isEmpty());
    QVERIFY(!QFileInfo::exists(icon_directory()));

    // Two empty lists equal two missing files.
    QCOMPARE(kernel.save_quick_launch_lists(), 0);
    QVERIFY(!QFileInfo::exists(icon_directory()));

    page->get_games()->append(item(1, 0));
    QCOMPARE(kernel.save_quick_launch_lists(), 1);
    QVERIFY(QFileInfo::exists(icon_directory() + games_file_name));
    QVERIFY(QFileInfo::exists(icon_directory() + programs_file_name));
    QCOMPARE(describe(read(games_file_name)), describe(*page->get_games()));

    QCOMPARE(kernel.save_quick_launch_lists(), 0);
    QCOMPARE(journal, QStringList{QStringLiteral("message 3 ")});
}

void tst_item_store::reading_rules_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("groups come sorted as text")
        << QByteArray("[2]\nID=2\nOrder=2\n[10]\nID=10\nOrder=10\n[0]\nID=0\nOrder=0\n[1]\nID=1\nOrder=1\n")
        << QStringList{"0|0|0|0|-|N/A|N/A|N/A", "1|1|0|0|-|N/A|N/A|N/A", "10|10|0|0|-|N/A|N/A|N/A",
                       "2|2|0|0|-|N/A|N/A|N/A"};
    QTest::newRow("every key present")
        << QByteArray("[4]\nID=17\nGame_Name=Chess\nGame_Path=\"C:/a, b/chess.exe\"\nOrder=4\n"
                      "Scaned_Name=chess\nGame_Type=1\nPlatform_ID=480\nIS_DLC=true\n")
        << QStringList{"17|4|1|480|dlc|Chess|C:/a, b/chess.exe|chess"};
    QTest::newRow("missing keys take defaults")
        << QByteArray("[x]\nOther=1\n") << QStringList{"-1|-1|0|0|-|N/A|N/A|N/A"};
    QTest::newRow("group name is ignored")
        << QByteArray("[5]\nID=3\nOrder=8\n") << QStringList{"3|8|0|0|-|N/A|N/A|N/A"};
    QTest::newRow("non-integer Order skips the group")
        << QByteArray("[0]\nID=1\nOrder=abc\n[1]\nID=2\nOrder=1\n") << QStringList{"2|1|0|0|-|N/A|N/A|N/A"};
    QTest::newRow("ID is read in base 10 only")
        << QByteArray("[0]\nID=0x10\nOrder=0\n[1]\nID=1.5\nOrder=1\n[2]\nID=\nOrder=2\n") << QStringList{};
    QTest::newRow("out-of-range ID or Order skips the group")
        << QByteArray("[0]\nID=2147483648\nOrder=0\n[1]\nID=1\nOrder=-2147483649\n[2]\nID=-2147483648\n"
                      "Order=2147483647\n")
        << QStringList{"-2147483648|2147483647|0|0|-|N/A|N/A|N/A"};
    QTest::newRow("numbers that do not parse read as 0")
        << QByteArray("[0]\nID=1\nOrder=0\nGame_Type=steam\nPlatform_ID=99999999999999999999\n")
        << QStringList{"1|0|0|0|-|N/A|N/A|N/A"};
    QTest::newRow("duplicate groups merge")
        << QByteArray("[3]\nID=1\nOrder=3\nGame_Name=first\n[3]\nGame_Name=second\n")
        << QStringList{"1|3|0|0|-|second|N/A|N/A"};
    QTest::newRow("empty file") << QByteArray() << QStringList{};
}

void tst_item_store::reading_rules()
{
    QFETCH(QByteArray, content);
    QFETCH(QStringList, expected);
    write_raw(games_file_name, content);

    // The page appends each file to its own list.
    recording_client_c client(&journal);
    vorla_connect_kernel_c kernel;
    kernel.initialise(&client, nullptr);
    QCOMPARE(describe(*kernel.get_quick_launch_page()->get_games()), expected);
    QVERIFY(kernel.get_quick_launch_page()->get_programs()->isEmpty());

    quick_launch_list_t list{item(99, 99)};
    read_item_file(list, games_file_name);
    QCOMPARE(describe(list), QStringList{describe(item(99, 99))} + expected);
}

enum change_t
{
    change_nothing,
    change_swap,
    change_scaned_name,
    change_is_dlc,
    change_type_and_platform,
    change_name,
    change_path,
    change_order,
    change_id,
    change_remove,
    change_programs_only,
};

void tst_item_store::save_writes_only_changed_lists_data()
{
    QTest::addColumn<int>("change");
    QTest::addColumn<bool>("written");
    QTest::newRow("nothing") << int(change_nothing) << false;
    QTest::newRow("two entries swapped") << int(change_swap) << true;
    QTest::newRow("Scaned_Name only") << int(change_scaned_name) << false;
    QTest::newRow("IS_DLC only") << int(change_is_dlc) << false;
    QTest::newRow("Game_Type and Platform_ID only") << int(change_type_and_platform) << false;
    QTest::newRow("name") << int(change_name) << true;
    QTest::newRow("path") << int(change_path) << true;
    QTest::newRow("Order") << int(change_order) << true;
    QTest::newRow("ID") << int(change_id) << true;
    QTest::newRow("entry removed") << int(change_remove) << true;
    QTest::newRow("programs only") << int(change_programs_only) << true;
}

void tst_item_store::save_writes_only_changed_lists()
{
    QFETCH(int, change);
    QFETCH(bool, written);
    recording_client_c client(&journal);
    vorla_connect_kernel_c kernel;
    kernel.initialise(&client, nullptr);
    quick_launch_list_t &games = *kernel.get_quick_launch_page()->get_games();
    quick_launch_list_t &programs = *kernel.get_quick_launch_page()->get_programs();
    games = {item(1, 0), item(2, 1), item(3, 2)};
    programs = {item(4, 0)};
    QCOMPARE(kernel.save_quick_launch_lists(), 1);

    // A mark that no comparison looks at shows whether a file was rewritten.
    for (const QString &file_name : {games_file_name, programs_file_name}) {
        QSettings settings(icon_directory() + file_name, QSettings::IniFormat);
        settings.setValue(QStringLiteral("0/Scaned_Name"), QStringLiteral("mark"));
    }

    switch (change) {
    case change_swap:
        games.swapItemsAt(0, 2);
        break;
    case change_scaned_name:
        games[1].Scaned_Name = QStringLiteral("other");
        break;
    case change_is_dlc:
        games[1].IS_DLC = true;
        break;
    case change_type_and_platform:
        games[1].Game_Type = 1;
        games[1].Platform_ID = 570;
        break;
    case change_name:
        games[1].Game_Name = QStringLiteral("other");
        break;
    case change_path:
        games[1].Game_Path = QStringLiteral("D:/other.exe");
        break;
    case change_order:
        games[1].Order = 11;
        break;
    case change_id:
        games[1].ID = 8;
        break;
    case change_remove:
        games.removeAt(1);
        break;
    case change_programs_only:
        programs.append(item(5, 1));
        break;
    }

    QCOMPARE(kernel.save_quick_launch_lists(), written ? 1 : 0);
    QCOMPARE(journal.size(), written ? 2 : 1);
    QCOMPARE(journal.last(), QStringLiteral("message 3 "));
    // Both files or neither.
    for (const QString &file_name : {games_file_name, programs_file_name}) {
        const quick_launch_list_t saved = read(file_name);
        QCOMPARE(saved.first().Scaned_Name == QStringLiteral("mark"), !written);
    }
    if (!written)
        return;
    // Groups load by Order, so a move is written but does not outlive a reload;
    // the entries themselves do.
    QStringList saved = describe(games) + describe(programs);
    QStringList reread = describe(read(games_file_name)) + describe(read(programs_file_name));
    saved.sort();
    reread.sort();
    QCOMPARE(reread, saved);
    if (change != change_swap)
        QCOMPARE(kernel.save_quick_launch_lists(), 0);
}

void tst_item_store::entries_with_equal_order_survive_data()
{
    QTest::addColumn<QList<int>>("orders");
    QTest::newRow("reused after a removal") << QList<int>{0, 1, 2, 1};
    QTest::newRow("hidden entries") << QList<int>{-1, 0, -1, 1, -1};
    // Beyond nine repeats the counter needs a second digit.
    QTest::newRow("twelve hidden entries") << QVector<int>(12, -1).toList();
    QTest::newRow("repeats next to longer numbers") << QList<int>{7, 70, 7, 71, 7, 700, -1, -10, -1};
    QTest::newRow("extremes") << QList<int>{2147483647, -2147483647 - 1, 2147483647, -2147483647 - 1};
}

void tst_item_store::entries_with_equal_order_survive()
{
    QFETCH(QList<int>, orders);
    quick_launch_list_t list;
    for (int i = 0; i < orders.size(); ++i)
        list.append(item(100 + i, orders.at(i)));
    write_item_file(list, programs_file_name);
    const quick_launch_list_t loaded = read(programs_file_name);
    QCOMPARE(loaded.size(), list.size());

    // Loaded as text-sorted Orders; entries that share an Order stay together,
    // in the order in which they were saved.
    quick_launch_list_t expected = list;
    std::stable_sort(expected.begin(), expected.end(),
                     [](const quick_launch_item_t &a, const quick_launch_item_t &b) {
                         return QString::number(a.Order) < QString::number(b.Order);
                     });
    QCOMPARE(describe(loaded), describe(expected));

    // Saved in load order, the file reads back as it is.
    write_item_file(loaded, programs_file_name);
    QCOMPARE(describe(read(programs_file_name)), describe(loaded));
}

void tst_item_store::page_destruction_discards_unsaved_icons_data()
{
    QTest::addColumn<bool>("file_saved");
    QTest::addColumn<QList<int>>("kept");
    QTest::newRow("saved 7 and 9 keep their icons") << true << QList<int>{7, 9, 30};
    QTest::newRow("no item files: every icon goes") << false << QList<int>{30};
}

void tst_item_store::page_destruction_discards_unsaved_icons()
{
    QFETCH(bool, file_saved);
    QFETCH(QList<int>, kept);
    quick_launch_item_t steam = item(21, 3);
    steam.Game_Type = 1;
    steam.Platform_ID = 480;
    if (file_saved) {
        write_item_file({item(7, 0), item(9, 1)}, games_file_name);
        write_item_file({steam}, programs_file_name);
    }
    const QByteArray games_before = read_raw(games_file_name);
    const QByteArray programs_before = read_raw(programs_file_name);
    const QList<int> icons{7, 9, 12, 20, 21, 30};
    QDir().mkpath(icon_directory());
    for (int id : icons)
        write_raw(QStringLiteral("%1.png").arg(id), "png");

    recording_client_c client(&journal);
    auto *kernel = new vorla_connect_kernel_c;
    kernel->initialise(&client, nullptr);
    quick_launch_settings_c *page = kernel->get_quick_launch_page();
    *page->get_games() = {item(7, 0), item(9, 1), item(12, 2)};
    // 21 was saved as a Steam entry; the same ID found another way is new.
    quick_launch_item_t rescanned = steam;
    rescanned.Platform_ID = 570;
    *page->get_programs() = {item(20, 0), rescanned};
    kernel->release();

    for (int id : icons)
        QCOMPARE(QFileInfo::exists(icon_file(id)), kept.contains(id));
    QCOMPARE(read_raw(games_file_name), games_before);
    QCOMPARE(read_raw(programs_file_name), programs_before);
    QCOMPARE(QFileInfo::exists(icon_directory() + games_file_name), file_saved);
    QVERIFY(journal.isEmpty());
}

void tst_item_store::hostile_files_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("minimum_entries");

    QByteArray garbage;
    for (int i = 0; i < 4096; ++i)
        garbage.append(char((i * 7919) % 256));
    QTest::newRow("binary garbage") << garbage << 0;
    QTest::newRow("unbalanced brackets and escapes")
        << QByteArray("[[0]\nID=\"1\nOrder=0\\\n[%zz]\nID=1\nOrder=0\n[a/b/c]\nID=2\nOrder=2\n=\n[]\n") << 0;
    QTest::newRow("huge values") << QByteArray("[0]\nID=1\nOrder=0\nGame_Name=") + QByteArray(1 << 20, 'x') +
                                        "\nGame_Type=" + QByteArray(5000, '9') + "\n"
                                 << 1;
    QTest::newRow("serialised values with huge counts")
        << QByteArray("[0]\nID=1\nOrder=0\nGame_Name=@Variant(\\0\\0\\0\\xb\\x7f\\xff\\xff\\xff)\n"
                      "Game_Path=@Variant(\\0\\0\\0\\t\\x7f\\xff\\xff\\xff)\n")
        << 0;
    QByteArray twice;
    for (int i = 0; i < 3; ++i)
        twice += "[1]\nID=" + QByteArray::number(i) + "\nOrder=1\n[1]\nOrder=1\n";
    QTest::newRow("duplicate groups") << twice << 1;
    QByteArray many;
    for (int i = 0; i < 5000; ++i)
        many += "[" + QByteArray::number(i) + "]\nID=" + QByteArray::number(i) +
                "\nOrder=" + QByteArray::number(i % 50) + "\nGame_Name=n" + QByteArray::number(i) + "\n";
    QTest::newRow("5000 groups") << many << 5000;
}

void tst_item_store::hostile_files()
{
    QFETCH(QByteArray, content);
    QFETCH(int, minimum_entries);
    write_raw(games_file_name, content);
    recording_client_c client(&journal);
    vorla_connect_kernel_c kernel;
    kernel.initialise(&client, nullptr);
    quick_launch_list_t &games = *kernel.get_quick_launch_page()->get_games();
    const quick_launch_list_t loaded = games;
    QVERIFY(loaded.size() >= minimum_entries);

    // What was loaded is what is saved: nothing to write.
    QCOMPARE(kernel.save_quick_launch_lists(), 0);
    QCOMPARE(read_raw(games_file_name), content);

    // After a change every entry comes back, none duplicated or lost.
    games.append(item(-5, 5000));
    QCOMPARE(kernel.save_quick_launch_lists(), 1);
    QStringList saved = describe(games);
    QStringList reread = describe(read(games_file_name));
    saved.sort();
    reread.sort();
    QCOMPARE(reread, saved);
}

QTEST_MAIN(tst_item_store)
#include "tst_item_store.moc"
