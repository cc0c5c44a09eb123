#include "tests/quick_launch/quick_launch_test_support.h"

#include <QtTest>
#include <QtWidgets>

#include <QRandomGenerator>
#include <memory>

Q_DECLARE_METATYPE(quick_launch_list_t)

namespace {

struct paint_counter_t : QObject
{
    int count = 0;
    bool eventFilter(QObject *, QEvent *event) override
    {
        count += event->type() == QEvent::Paint ? 1 : 0;
        return false;
    }
};

// "number:id" per row, with "^" and "v" for the arrows shown.
QString shown(item_list_fm_c *list)
{
    QStringList rows;
    for (item_fm_c *row : list->rows())
        rows << row->findChild<QLabel *>("lb_no")->text() + ":" + QString::number(row->id()) +
                    (row->findChild<QWidget *>("btn_up")->isVisibleTo(row) ? "^" : "") +
                    (row->findChild<QWidget *>("btn_down")->isVisibleTo(row) ? "v" : "");
    return rows.join(' ');
}

QPushButton *button(QWidget *row, const QString &name)
{
    return row->findChild<QPushButton *>(name);
}

struct row_click_t
{
    const char *tag;
    quick_launch_list_t list;
    QString before; // as shown()
    QString button;
    int row;
    QString after;
    QList<int> page_after;
};

} // namespace
Q_DECLARE_METATYPE(row_click_t)

class tst_quick_launch_forms : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        host = std::make_unique<forms_host_t>();
        QVERIFY(host->icons_ready);
    }
    void cleanupTestCase() { host.reset(); }
    void init() { ui = std::make_unique<settings_page_t>(); }
    void cleanup() { ui.reset(); }

    // The page's games list starts empty: it is filled only by a reported change.
    void row_buttons_data()
    {
        QTest::addColumn<row_click_t>("click");
        const row_click_t rows[] = {
            {"single row", entries({5}), "1:5", "down", 0, "1:5", {5}},
            {"down", entries({1, 2, 3}), "1:1v 2:2^v 3:3^", "down", 0, "1:2v 2:1^v 3:3^", {2, 1, 3}},
            {"up", entries({1, 2, 3}), "1:1v 2:2^v 3:3^", "up", 2, "1:1v 2:3^v 3:2^", {1, 3, 2}},
            {"last row down is refused", entries({1, 2}), "1:1v 2:2^", "down", 1, "1:1v 2:2^", {1, 2}},
            {"top row up is refused", entries({1, 2}), "1:1v 2:2^", "up", 0, "1:1v 2:2^", {1, 2}},
            // The hidden entry keeps its place and stays in the page's list.
            {"a repeated ID shows once",
             entries({1, 2}) << entry(2, 7) << entry(3, 3),
             "1:1v 2:2^v 3:3^",
             "down",
             0,
             "1:2v 2:1^v 3:3^",
             {2, 1, 2, 3}},
            {"with a DLC entry",
             entries({1}) << entry(9, 9, true) << entry(2, 2),
             "1:1v 2:2^",
             "down",
             0,
             "1:2v 2:1^",
             {9, 2, 1}},
            // Renumbered, and only the removed entry's icon goes.
            {"removal", entries({1, 2, 3}), "1:1v 2:2^v 3:3^", "del", 0, "1:2v 2:3^", {2, 3}},
        };
        for (const row_click_t &row : rows)
            QTest::newRow(row.tag) << row;
    }
    void row_buttons()
    {
        QFETCH(row_click_t, click);
        *ui->page->get_programs() = entries({4});
        for (const quick_launch_item_t &item : click.list)
            write_bytes(icon_file(item.ID), "icon");
        ui->games()->set_items(click.list);
        QCOMPARE(shown(ui->games()), click.before);

        button(ui->games()->rows().at(click.row), "btn_" + click.button)->click();
        // A row goes after its click handler has returned, never inside it.
        QCOMPARE(ui->games()->rows().size(), click.before.count(':'));
        QCoreApplication::sendPostedEvents(ui->games());
        QCOMPARE(shown(ui->games()), click.after);
        QCOMPARE(ids(*ui->page->get_games()), click.page_after);
        QCOMPARE(ids(*ui->page->get_programs()), QList<int>({4}));
        for (const quick_launch_item_t &item : click.list)
            QCOMPARE(QFile::exists(icon_file(item.ID)), click.page_after.contains(item.ID));
    }

    // Rows of a shown list take their looks from the list's rows container; they
    // must look exactly like a row on its own, and the list must show again.
    void shown_list_rows_look_like_single_rows()
    {
        QVERIFY(ui->show({1002, 487}));
        ui->games()->set_items(entries({4, 5}));
        ui->games()->set_items(entries({1, 2, 3}));
        item_fm_c *listed = ui->games()->rows().at(1);
        paint_counter_t painted;
        listed->findChild<QWidget *>("lb_name")->installEventFilter(&painted);
        QTRY_VERIFY(painted.count > 0);
        QCOMPARE(shown(ui->games()), QStringLiteral("1:1v 2:2^v 3:3^"));
        QVERIFY(listed->isVisible());
        QCOMPARE(listed->geometry(), ui->games()->rows().at(0)->geometry().translated(0, 37));

        item_fm_c single(nullptr, nullptr);
        single.set_row(2, 1, "game 2", QString());
        single.set_arrows(true, true);
        single.resize(listed->size());
        single.show();
        QVERIFY(QTest::qWaitForWindowExposed(&single));
        const auto picture = [](item_fm_c *row) {
            return row->findChild<QWidget *>("widget")->grab().toImage();
        };
        // A focused button shows its highlighted picture.
        if (QWidget *focused = QApplication::focusWidget())
            focused->clearFocus();
        QCOMPARE(picture(listed), picture(&single));
    }

    // A long refill drops the queued polish requests of its rows, which the
    // list's showing polishes anyway, and of no other widget.
    void refill_drops_only_its_rows_polish_data()
    {
        QTest::addColumn<bool>("shown");
        QTest::newRow("shown list") << true;
        QTest::newRow("hidden list") << false;
    }
    void refill_drops_only_its_rows_polish()
    {
        QFETCH(bool, shown);
        ui->window->setVisible(shown);
        const QWidget elsewhere;
        quick_launch_list_t list;
        for (int id = 1; id <= 70; ++id)
            list << entry(id, id);
        ui->games()->set_items(list);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::PolishRequest);
        QVERIFY(elsewhere.testAttribute(Qt::WA_WState_Polished));
        QCOMPARE(ui->games()->rows().first()->testAttribute(Qt::WA_WState_Polished), shown);
    }

    void add_by_hand_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("added");
        QTest::newRow("cancelled") << "btn_cancel" << false;
        QTest::newRow("confirmed with empty fields") << "btn_ok" << true;
    }
    void add_by_hand()
    {
        QFETCH(QString, button);
        QFETCH(bool, added);
        QVERIFY(ui->show({1002, 487}));
        // More rows than fit, so that a new one lands out of sight, and a hidden entry.
        const quick_launch_list_t list = entries({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15})
                                         << entry(99, 99, true);
        item_list_fm_c *games = ui->games();
        games->set_items(list);
        when_modal([&](QWidget *frame) { ::button(frame, button)->click(); });
        ::button(games, "btn_manually_add")->click();

        QCOMPARE(games->items().size(), list.size() + (added ? 1 : 0));
        QCOMPARE(ui->page->get_games()->size(), added ? list.size() + 1 : 0);
        if (added) {
            const quick_launch_item_t entry = games->items().last();
            QCOMPARE(entry.Order, list.size());
            QVERIFY(entry.Game_Name.isEmpty() && entry.Game_Path.isEmpty());
            item_fm_c *row = games->rows().last();
            QCOMPARE(row->id(), entry.ID);
            QWidget *view = games->findChild<QScrollArea *>("scrollArea")->viewport();
            QVERIFY(view->rect().contains(QRect(row->mapTo(view, QPoint()), row->size())));
        }
    }

    void editing_the_name_keeps_the_path()
    {
        QTemporaryDir dir;
        const QString executable = dir.filePath(QStringLiteral("tool.exe"));
        write_bytes(executable, "");
        quick_launch_list_t &games = *ui->page->get_games();
        games = entries({1, 2});
        games[1].Game_Path = executable;
        QVERIFY(red_icon().save(icon_file(2)));
        ui->games()->set_items(games);
        when_modal([](QWidget *frame) {
            frame->findChild<QLineEdit *>("edit_name")->setText(QStringLiteral("renamed"));
            button(frame, "btn_ok")->click();
        });
        button(ui->games()->rows().at(1), "btn_edit")->click();

        item_fm_c *row = ui->games()->rows().at(1);
        QCOMPARE(games.at(1).Game_Name, QStringLiteral("renamed"));
        QCOMPARE(games.at(1).Game_Path, executable);
        QCOMPARE(row->name(), QStringLiteral("renamed"));
        // The old picture made way for the file's icon, and the row shows it.
        const QImage icon = QImage(icon_file(2)).convertToFormat(QImage::Format_ARGB32);
        QVERIFY(icon.width() > 1 && icon != red_icon());
        const QPixmap shown_icon = row->findChild<QLabel *>("lb_icon")->pixmap(Qt::ReturnByValue);
        QCOMPARE(shown_icon.toImage().convertToFormat(QImage::Format_ARGB32), icon);
    }

    void new_id_is_free_in_both_lists()
    {
        // Every number the clock can seed is taken, half in each list: the
        // search must still end, with a number that neither list holds.
        for (int ms = 0; ms < 1000; ++ms) {
            const int id =
                static_cast<int>(QRandomGenerator(static_cast<quint32>(ms)).generate() & 0x7fffffffu);
            (ms % 2 ? ui->page->get_games() : ui->page->get_programs())->append(entry(id, 0));
        }
        const int id = ui->programs()->new_item_id();
        for (const quick_launch_list_t *list : {ui->page->get_games(), ui->page->get_programs()})
            QVERIFY(!ids(*list).contains(id));
    }

    void header_and_reset_data()
    {
        QTest::addColumn<int>("answer");
        QTest::newRow("answer 0 changes nothing") << 0;
        QTest::newRow("answer 1 empties both lists") << 1;
    }
    void header_and_reset()
    {
        QFETCH(int, answer);
        quick_launch_settings_fm_c *form = ui->form;
        QVERIFY(form->findChild<QWidget *>("btn_scan")->isHidden());
        QVERIFY(form->findChild<QWidget *>("lb_scan_info")->isHidden());
        ui->window->resize(1100, 600);
        ui->window->show();
        QCOMPARE(form->width(), 1100);
        QCOMPARE(form->findChild<QWidget *>("wg_info")->pos(), QPoint(1071, 17));
        QCOMPARE(form->findChild<QWidget *>("btn_reset")->pos(), QPoint(1050, 17));

        *ui->page->get_games() = entries({1, 2});
        *ui->page->get_programs() = entries({3});
        ui->games()->set_items(*ui->page->get_games());
        ui->programs()->set_items(*ui->page->get_programs());
        write_bytes(icon_file(1), "icon");
        form->on_reset_answer(answer);
        const int left = answer == 1 ? 0 : 1;
        QCOMPARE(ui->page->get_games()->size(), 2 * left);
        QCOMPARE(ui->page->get_programs()->size(), left);
        QCOMPARE(ui->games()->rows().size() + ui->programs()->rows().size(), 3 * left);
        QVERIFY(QFile::exists(icon_file(1)));
    }

private:
    std::unique_ptr<forms_host_t> host;
    std::unique_ptr<settings_page_t> ui;
};

QTEST_MAIN(tst_quick_launch_forms)
#include "tst_quick_launch_forms.moc"
