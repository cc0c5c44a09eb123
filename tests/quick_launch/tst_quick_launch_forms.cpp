#include "common/global_func_c.h"
#include "host/control_centre_c.h"
#include "module/module_host.h"
#include "pages/quick_launch_settings_c.h"
#include "quick_launch/item_list_fm_c.h"
#include "quick_launch/item_store.h"
#include "quick_launch/quick_launch_settings_fm_c.h"
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

bool touch(const QString &file)
{
    return QFile(file).open(QIODevice::WriteOnly);
}

} // namespace

class tst_quick_launch_forms : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        global_func_c::shared()->initialise();
        QVERIFY(QDir().mkpath(global_func_c::shared()->icon_directory()));
        host = std::make_unique<control_centre_c>();
        set_module_host(host->host_face());
    }
    void cleanupTestCase() { set_module_host(nullptr); }

    void init()
    {
        page = std::make_unique<quick_launch_settings_c>(nullptr);
        container = std::make_unique<QWidget>();
        form = new quick_launch_settings_fm_c(page.get(), nullptr, container.get());
    }
    void cleanup()
    {
        container.reset();
        page->get_games()->clear();
        page->get_programs()->clear();
        page.reset();
    }

    void removal_renumbers_and_deletes_icon()
    {
        *page->get_games() = entries({1, 2, 3});
        *page->get_programs() = entries({4});
        games()->set_items(*page->get_games());
        for (int id : {1, 2, 3})
            QVERIFY(touch(icon_file(id)));

        games()->rows().at(0)->findChild<QPushButton *>("btn_del")->click();
        QCOMPARE(games()->rows().size(), 3); // not inside the click
        QCoreApplication::sendPostedEvents(games());
        QCOMPARE(shown(games()), QStringLiteral("1:2v 2:3^"));
        QVERIFY(!QFile::exists(icon_file(1)));
        QVERIFY(QFile::exists(icon_file(2)));
        QCOMPARE(ids(*page->get_games()), QList<int>({2, 3}));
        QCOMPARE(ids(*page->get_programs()), QList<int>({4}));
    }

    void arrows_and_hidden_entries_data()
    {
        QTest::addColumn<quick_launch_list_t>("list");
        QTest::addColumn<QString>("rows");
        QTest::addColumn<QString>("arrow");
        QTest::addColumn<int>("row");
        QTest::addColumn<QList<int>>("page_after");
        // The page's list starts empty: it is filled only by a reported change.
        QTest::newRow("single row") << entries({5}) << "1:5"
                                    << "down" << 0 << QList<int>({5});
        QTest::newRow("down") << entries({1, 2, 3}) << "1:1v 2:2^v 3:3^"
                              << "down" << 0 << QList<int>({2, 1, 3});
        QTest::newRow("up") << entries({1, 2, 3}) << "1:1v 2:2^v 3:3^"
                            << "up" << 2 << QList<int>({1, 3, 2});
        QTest::newRow("last row down is refused") << entries({1, 2}) << "1:1v 2:2^"
                                                  << "down" << 1 << QList<int>({1, 2});
        QTest::newRow("top row up is refused") << entries({1, 2}) << "1:1v 2:2^"
                                               << "up" << 0 << QList<int>({1, 2});
        // The hidden entry keeps its place and stays in the page's list.
        QTest::newRow("a repeated ID shows once")
            << (entries({1, 2}) << entry(2, 7) << entry(3, 3)) << "1:1v 2:2^v 3:3^"
            << "down" << 0 << QList<int>({2, 1, 2, 3});
        QTest::newRow("with a DLC entry") << (entries({1}) << entry(9, 9, true) << entry(2, 2)) << "1:1v 2:2^"
                                          << "down" << 0 << QList<int>({9, 2, 1});
    }
    void arrows_and_hidden_entries()
    {
        QFETCH(quick_launch_list_t, list);
        QFETCH(QString, rows);
        QFETCH(QString, arrow);
        QFETCH(int, row);
        QFETCH(QList<int>, page_after);
        games()->set_items(list);
        QCOMPARE(shown(games()), rows);
        games()->rows().at(row)->findChild<QPushButton *>("btn_" + arrow)->click();
        QCOMPARE(ids(*page->get_games()), page_after);
    }

    // Rows of a shown list take their looks from the list's rows container; they
    // must look exactly like a row on its own, and the list must show again.
    void shown_list_rows_look_like_single_rows()
    {
        container->resize(1002, 487);
        container->show();
        QVERIFY(QTest::qWaitForWindowExposed(container.get()));
        games()->set_items(entries({4, 5}));
        games()->set_items(entries({1, 2, 3}));
        item_fm_c *listed = games()->rows().at(1);
        paint_counter_t painted;
        listed->findChild<QWidget *>("lb_name")->installEventFilter(&painted);
        QTRY_VERIFY(painted.count > 0);
        QCOMPARE(shown(games()), QStringLiteral("1:1v 2:2^v 3:3^"));
        QVERIFY(listed->isVisible());
        QCOMPARE(listed->geometry(), games()->rows().at(0)->geometry().translated(0, 37));

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
        container->setVisible(shown);
        const QWidget elsewhere;
        quick_launch_list_t list;
        for (int id = 1; id <= 70; ++id)
            list << entry(id, id);
        games()->set_items(list);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::PolishRequest);
        QVERIFY(elsewhere.testAttribute(Qt::WA_WState_Polished));
        QCOMPARE(games()->rows().first()->testAttribute(Qt::WA_WState_Polished), shown);
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
        container->resize(1002, 487);
        container->show();
        QVERIFY(QTest::qWaitForWindowExposed(container.get()));
        // More rows than fit, so that a new one lands out of sight, and a hidden entry.
        const quick_launch_list_t list = entries({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15})
                                         << entry(99, 99, true);
        games()->set_items(list);
        when_modal([&](QWidget *frame) { frame->findChild<QPushButton *>(button)->click(); });
        games()->findChild<QPushButton *>("btn_manually_add")->click();

        QCOMPARE(games()->items().size(), list.size() + (added ? 1 : 0));
        QCOMPARE(page->get_games()->size(), added ? list.size() + 1 : 0);
        if (added) {
            const quick_launch_item_t entry = games()->items().last();
            QCOMPARE(entry.Order, list.size());
            QVERIFY(entry.Game_Name.isEmpty() && entry.Game_Path.isEmpty());
            item_fm_c *row = games()->rows().last();
            QCOMPARE(row->id(), entry.ID);
            QWidget *view = games()->findChild<QScrollArea *>("scrollArea")->viewport();
            QVERIFY(view->rect().contains(QRect(row->mapTo(view, QPoint()), row->size())));
        }
    }

    void editing_the_name_keeps_the_path()
    {
        QTemporaryDir dir;
        const QString executable = dir.filePath(QStringLiteral("tool.exe"));
        QVERIFY(touch(executable));
        *page->get_games() = entries({1, 2});
        (*page->get_games())[1].Game_Path = executable;
        QImage old_icon(26, 26, QImage::Format_ARGB32);
        old_icon.fill(Qt::red);
        QVERIFY(old_icon.save(icon_file(2)));
        games()->set_items(*page->get_games());
        when_modal([](QWidget *frame) {
            frame->findChild<QLineEdit *>("edit_name")->setText(QStringLiteral("renamed"));
            frame->findChild<QPushButton *>("btn_ok")->click();
        });
        games()->rows().at(1)->findChild<QPushButton *>("btn_edit")->click();

        const quick_launch_item_t edited = page->get_games()->at(1);
        QCOMPARE(edited.Game_Name, QStringLiteral("renamed"));
        QCOMPARE(edited.Game_Path, executable);
        QCOMPARE(games()->rows().at(1)->name(), QStringLiteral("renamed"));
        // The old picture made way for the file's icon, and the row shows it.
        const QImage icon = QImage(icon_file(2)).convertToFormat(QImage::Format_ARGB32);
        QVERIFY(icon.width() > 1 && icon != old_icon);
        const QPixmap shown_icon =
            games()->rows().at(1)->findChild<QLabel *>("lb_icon")->pixmap(Qt::ReturnByValue);
        QCOMPARE(shown_icon.toImage().convertToFormat(QImage::Format_ARGB32), icon);
    }

    void new_id_is_free_in_both_lists()
    {
        // Every number the clock can seed is taken, half in each list: the
        // search must still end, with a number that neither list holds.
        for (int ms = 0; ms < 1000; ++ms) {
            const int id =
                static_cast<int>(QRandomGenerator(static_cast<quint32>(ms)).generate() & 0x7fffffffu);
            (ms % 2 ? page->get_games() : page->get_programs())->append(entry(id, 0));
        }
        const int id = programs()->new_item_id();
        for (const quick_launch_list_t *list : {page->get_games(), page->get_programs()})
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
        QVERIFY(form->findChild<QWidget *>("btn_scan")->isHidden());
        QVERIFY(form->findChild<QWidget *>("lb_scan_info")->isHidden());
        container->resize(1100, 600);
        container->show();
        QCOMPARE(form->width(), 1100);
        QCOMPARE(form->findChild<QWidget *>("wg_info")->pos(), QPoint(1071, 17));
        QCOMPARE(form->findChild<QWidget *>("btn_reset")->pos(), QPoint(1050, 17));

        *page->get_games() = entries({1, 2});
        *page->get_programs() = entries({3});
        games()->set_items(*page->get_games());
        programs()->set_items(*page->get_programs());
        QVERIFY(touch(icon_file(1)));
        form->on_reset_answer(answer);
        const int left = answer == 1 ? 0 : 1;
        QCOMPARE(page->get_games()->size(), 2 * left);
        QCOMPARE(page->get_programs()->size(), left);
        QCOMPARE(games()->rows().size() + programs()->rows().size(), 3 * left);
        QVERIFY(QFile::exists(icon_file(1)));
    }

private:
    item_list_fm_c *games() { return form->games_list_form(); }
    item_list_fm_c *programs() { return form->programs_list_form(); }

    std::unique_ptr<control_centre_c> host;
    std::unique_ptr<quick_launch_settings_c> page;
    std::unique_ptr<QWidget> container;
    quick_launch_settings_fm_c *form = nullptr;
};

QTEST_MAIN(tst_quick_launch_forms)
#include "tst_quick_launch_forms.moc"
