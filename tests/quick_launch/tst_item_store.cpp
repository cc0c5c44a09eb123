// The item files: what a load reads, what a save writes and when, what a
// discarded page takes along.
#include "module/vorla_connect_kernel_c.h"
#include "tests/module/recording_fakes.h"
#include "tests/quick_launch/quick_launch_test_support.h"

namespace {
// Every field, so that comparing descriptions compares records.
QStringList describe(const quick_launch_list_t &list)
{
    QStringList result;
    for (const quick_launch_item_t &x : list)
        result.append(QStringLiteral("%1|%2|%3|%4|%5|%6|%7|%8")
                          .arg(QString::number(x.ID), QString::number(x.Order), QString::number(x.Game_Type),
                               QString::number(x.Platform_ID), x.IS_DLC ? "dlc" : "-", x.Game_Name,
                               x.Game_Path, x.Scaned_Name));
    return result;
}

// An entry read from a group that has no other keys than those given.
QString bare(int id, int order, const QString &name = "N/A", const QString &path = "N/A",
             const QString &scan = "N/A")
{
    return QStringLiteral("%1|%2|0|0|-|%3|%4|%5").arg(id).arg(order).arg(name, path, scan);
}

QString dir()
{
    return global_func_c::shared()->icon_directory();
}
quick_launch_list_t read(const QString &file_name)
{
    quick_launch_list_t list;
    read_item_file(list, file_name);
    return list;
}

// What the client hears of a save that wrote the files.
const QString lists_saved = QStringLiteral("message %1 ").arg(kernel_message_lists_saved);

// Rows whose content has no defined reading only have to load and save intact.
const QStringList any_entries{QStringLiteral("(any)")};
} // namespace

using change_t = void (*)(quick_launch_list_t &games, quick_launch_list_t &programs);
Q_DECLARE_METATYPE(change_t)

class tst_item_store : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { global_func_c::shared()->initialise(); }
    void init()
    {
        journal.clear();
        QDir(dir()).removeRecursively();
    }
    void cleanup() { kernel.reset(); }

    void load_then_save_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QStringList>("expected");
        const auto row = [](const char *tag, const QByteArray &content, const QStringList &expected) {
            QTest::newRow(tag) << content << expected;
        };
        // Files of older versions name their groups by unpadded Order.
        row("entries come sorted by Order",
            "[2]\nID=2\nOrder=2\n[10]\nID=10\nOrder=10\n[0]\nID=0\nOrder=0\n[1]\nID=1\nOrder=1\n",
            {bare(0, 0), bare(1, 1), bare(2, 2), bare(10, 10)});
        row("equal Orders keep their file order",
            "[a]\nID=1\nOrder=5\n[b]\nID=2\nOrder=-1\n[c]\nID=3\nOrder=5\n",
            {bare(2, -1), bare(1, 5), bare(3, 5)});
        row("every key present",
            "[4]\nID=17\nGame_Name=Chess\nGame_Path=\"C:/a, b/chess.exe\"\nOrder=4\n"
            "Scaned_Name=chess\nGame_Type=1\nPlatform_ID=480\nIS_DLC=true\n",
            {"17|4|1|480|dlc|Chess|C:/a, b/chess.exe|chess"});
        row("missing keys take defaults", "[x]\nOther=1\n", {bare(-1, -1)});
        row("non-integer Order or ID skips the group",
            "[0]\nID=1\nOrder=abc\n[1]\nID=2\nOrder=1\n[2]\nID=0x10\nOrder=2\n", {bare(2, 1)});

        QByteArray garbage, many;
        for (int i = 0; i < 4096; ++i)
            garbage.append(char((i * 7919) % 256));
        for (int i = 0; i < 1000; ++i)
            many += QStringLiteral("[%1]\nID=%1\nOrder=%2\n").arg(i).arg(i % 50).toLatin1();
        row("binary garbage", garbage, any_entries);
        row("huge values",
            "[0]\nID=1\nOrder=0\nGame_Name=" + QByteArray(1 << 20, 'x') +
                "\nGame_Type=" + QByteArray(5000, '9') + "\n",
            any_entries);
        row("serialised values with huge counts",
            "[0]\nID=1\nOrder=0\nGame_Name=@Variant(\\0\\0\\0\\xb\\x7f\\xff\\xff\\xff)\n"
            "Game_Path=@Var\"iant(\\0\\0\\0\\t\\x7f\\xff\\xff\\xff)\"\n"
            "Scaned_Name=\\x40Variant(\\0\\0\\0G\\x7f\\xff\\xff\\xff)\n",
            any_entries);
        row("duplicate groups", "[1]\nID=0\nOrder=1\n[1]\nOrder=1\n[1]\nID=1\nOrder=1\n", any_entries);
        row("1000 groups", many, any_entries);

        // Texts from a damaged or foreign item file are cut to what the module
        // itself would store, never inside a surrogate pair ("\\xd83d\\xde00" is one).
        const QByteArray pair = "\\xd83d\\xde00", head = "[0]\nID=5\nOrder=0\n";
        const QString n254 = QString(254, 'n');
        row("name cut before a pair", head + "Game_Name=n" + n254.toLatin1() + pair + "tail\n",
            {bare(5, 0, n254 + 'n')});
        row("name cut after a pair", head + "Game_Name=" + n254.toLatin1() + pair + "tail\n",
            {bare(5, 0, n254 + QString::fromUtf8("\xF0\x9F\x98\x80"))});
        row("paths cut",
            head + "Game_Path=" + QByteArray(4095, 'p') + pair + "\nScaned_Name=" + QByteArray(9000, 's') +
                "\n",
            {bare(5, 0, "N/A", QString(4095, 'p'), QString(4096, 's'))});
    }
    void load_then_save()
    {
        QFETCH(QByteArray, content);
        QFETCH(QStringList, expected);
        write_bytes(dir() + games_file_name, content);
        start();
        if (expected != any_entries)
            QCOMPARE(describe(games()), expected);
        QVERIFY(programs().isEmpty());

        // What was loaded is what is saved: nothing to write.
        QCOMPARE(kernel->save_quick_launch_lists(), 0);
        QCOMPARE(read_bytes(dir() + games_file_name), content);

        // After a change every entry comes back, none duplicated or lost.
        games().append(entry(-5, 5000));
        QCOMPARE(kernel->save_quick_launch_lists(), 1);
        QStringList saved = describe(games()), reread = describe(read(games_file_name));
        saved.sort();
        reread.sort();
        QCOMPARE(reread, saved);
    }

    void save_writes_only_changed_lists_data()
    {
        QTest::addColumn<change_t>("change");
        QTest::addColumn<bool>("written");
        QTest::newRow("two entries swapped")
            << change_t([](auto &games, auto &) { games.swapItemsAt(0, 2); }) << true;
        QTest::newRow("Scaned_Name only")
            << change_t([](auto &games, auto &) { games[1].Scaned_Name = "x"; }) << false;
        QTest::newRow("IS_DLC only") << change_t([](auto &games, auto &) { games[1].IS_DLC = true; })
                                     << false;
        QTest::newRow("Order") << change_t([](auto &games, auto &) { games[1].Order = 11; }) << true;
        QTest::newRow("programs only")
            << change_t([](auto &, auto &programs) { programs.append(entry(5, 1)); }) << true;
    }
    void save_writes_only_changed_lists()
    {
        QFETCH(change_t, change);
        QFETCH(bool, written);
        start();
        QVERIFY(games().isEmpty() && programs().isEmpty());
        // Two empty lists equal two missing files.
        QCOMPARE(kernel->save_quick_launch_lists(), 0);
        QVERIFY(!QFileInfo::exists(dir()));
        games() = {entry(1, 0), entry(2, 1), entry(3, 2)};
        QCOMPARE(kernel->save_quick_launch_lists(), 1);
        QVERIFY(QFileInfo::exists(dir() + programs_file_name));
        QCOMPARE(describe(read(games_file_name)), describe(games()));
        programs() = {entry(4, 0)};
        QCOMPARE(kernel->save_quick_launch_lists(), 1);

        // A mark that no comparison looks at shows whether a file was rewritten.
        for (const QString &file_name : {games_file_name, programs_file_name})
            QSettings(dir() + file_name, QSettings::IniFormat).setValue("0/Scaned_Name", "mark");
        change(games(), programs());
        QCOMPARE(kernel->save_quick_launch_lists(), written ? 1 : 0);
        QCOMPARE(journal.count(lists_saved), written ? 3 : 2);
        // Both files or neither.
        for (const QString &file_name : {games_file_name, programs_file_name})
            QCOMPARE(read(file_name).first().Scaned_Name == QStringLiteral("mark"), !written);
    }

    // Rows are moved on the shown page; the order the user set comes back after a restart.
    void order_survives_a_restart_data()
    {
        QTest::addColumn<QList<int>>("orders");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QList<int> sequence;
        for (int i = 0; i < 120; ++i)
            sequence << i;
        QTest::newRow("12 entries, last to top") << sequence.mid(0, 12) << 11 << 0;
        QTest::newRow("120 entries") << sequence << 5 << 100;
        // Orders reused after a removal; hidden catalogue entries all have -1.
        QTest::newRow("repeated Orders, hidden entries")
            << QList<int>{0, 1, 2, 1, -1, 7, 70, 7, -1, -1, 3} << 4 << 1;
    }
    void order_survives_a_restart()
    {
        QFETCH(QList<int>, orders);
        QFETCH(int, from);
        QFETCH(int, to);
        start(&container);
        for (int i = 0; i < orders.size(); ++i)
            games().append(entry(100 + i, orders.at(i), orders.at(i) < 0));
        kernel->show_page(quick_launch_settings_c::page_id);
        auto *form = static_cast<quick_launch_settings_fm_c *>(kernel->get_quick_launch_page()->get_form());
        item_list_fm_c *list = form->games_list_form();
        list->move_row(list->rows().at(from), to);
        list->move_row_up(list->rows().at(0)); // refused, yet reported
        const QList<int> moved = ids(games());
        QCOMPARE(kernel->save_quick_launch_lists(), 1);
        // Another report from the form after the save is no change.
        list->move_row_up(list->rows().at(0));
        QCOMPARE(kernel->save_quick_launch_lists(), 0);
        QCOMPARE(journal, QStringList{lists_saved});
        for (int i = 0; i < moved.size(); ++i)
            QCOMPARE(games().at(i).Order, i);

        // Any reader that lists the groups as text sees the list order.
        QSettings file(dir() + games_file_name, QSettings::IniFormat);
        QList<int> by_group_name;
        for (const QString &group : file.childGroups())
            by_group_name << file.value(group + "/ID").toInt();
        QCOMPARE(by_group_name, moved);

        vorla_connect_kernel_c restarted;
        restarted.initialise(&client, nullptr);
        QCOMPARE(describe(*restarted.get_quick_launch_page()->get_games()), describe(games()));
    }

    void page_destruction_discards_unsaved_icons()
    {
        write_item_file({entry(7, 0), entry(9, 1)}, games_file_name);
        write_item_file({entry(4, 0)}, programs_file_name);
        const QByteArray before =
            read_bytes(dir() + games_file_name) + read_bytes(dir() + programs_file_name);
        for (int id : {7, 9, 12, 20, 30})
            write_bytes(icon_file(id), "png");
        start();
        games() = {entry(7, 0), entry(9, 1), entry(12, 2)};
        programs() = {entry(20, 0)};
        kernel.release()->release();

        // 30 belongs to no entry and is left alone.
        for (int id : {7, 9, 12, 20, 30})
            QCOMPARE(QFileInfo::exists(icon_file(id)), id != 12 && id != 20);
        QCOMPARE(read_bytes(dir() + games_file_name) + read_bytes(dir() + programs_file_name), before);
        QVERIFY(journal.isEmpty());
    }

private:
    // A kernel that has loaded the item files.
    void start(QWidget *container = nullptr)
    {
        kernel = std::make_unique<vorla_connect_kernel_c>();
        kernel->initialise(&client, container);
    }
    quick_launch_list_t &games() { return *kernel->get_quick_launch_page()->get_games(); }
    quick_launch_list_t &programs() { return *kernel->get_quick_launch_page()->get_programs(); }

    QStringList journal;
    recording_client_c client{&journal};
    QWidget container; // outlives the kernel whose pages it holds
    std::unique_ptr<vorla_connect_kernel_c> kernel;
};

QTEST_MAIN(tst_item_store)
#include "tst_item_store.moc"
