// The settings form, its lists and rows, and the add/edit dialog.
#include "module/host_text_ids.h"
#include "quick_launch/add_edit_game_fm_c.h"
#include "quick_launch/item_fm_c.h"
#include "tests/quick_launch/quick_launch_test_support.h"

#include <QRandomGenerator>

namespace {

const QRgb drop_line = qRgb(0x65, 0xc3, 0xf7);

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

struct dialog_run_t
{
    const char *tag;
    QString path;
    QString typed;
    QString action; // a button's name, or "escape"
    QString shown_path;
    int result;
    QString name_after;
};

} // namespace
Q_DECLARE_METATYPE(row_click_t)
Q_DECLARE_METATYPE(dialog_run_t)

class tst_quick_launch_forms : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY((host = std::make_unique<forms_host_t>())->icons_ready); }
    void cleanupTestCase() { host.reset(); }
    void init() { ui = std::make_unique<settings_page_t>(); }
    void cleanup() { ui.reset(); }

    void row_shows_entry_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<bool>("icon_file_present");
        QTest::addColumn<QStringList>("indicator_calls"); // "-" switches the line off
        QTest::addColumn<QString>("lines_shown");
        QTest::newRow("fifth, with icon, top then bottom")
            << 4 << true << QStringList{"top", "bottom"} << "b";
        QTest::newRow("first, icon missing, bottom then top")
            << 0 << false << QStringList{"bottom", "top"} << "t";
        QTest::newRow("bottom then top off") << 0 << true << QStringList{"bottom", "-top"} << "";
    }
    void row_shows_entry()
    {
        QFETCH(int, position);
        QFETCH(bool, icon_file_present);
        QFETCH(QStringList, indicator_calls);
        QFETCH(QString, lines_shown);
        const int id = 4711;
        QFile::remove(icon_file(id));
        QVERIFY(!icon_file_present || red_icon().save(icon_file(id)));
        item_fm_c row(nullptr, nullptr);
        row.set_row(id, position, QStringLiteral("Game"), QStringLiteral("C:/g.exe"));
        row.resize(377, 36);
        row.show();
        for (const QString &call : indicator_calls)
            (row.*(call.endsWith("top") ? &item_fm_c::show_top_indicator
                                        : &item_fm_c::show_bottom_indicator))(!call.startsWith('-'));
        QCOMPARE(row.findChild<QLabel *>("lb_no")->text(), QString::number(position + 1));
        // Icon-only: no text over the picture, yet a name for screen readers.
        for (const char *name : {"btn_up", "btn_down", "btn_edit", "btn_del"})
            QVERIFY(button(&row, name)->text().isEmpty() && !button(&row, name)->accessibleName().isEmpty());

        QImage image = row.findChild<QWidget *>("wg_icon_field")->grab().toImage();
        // Without a file the empty-icon picture of the field's background shows through.
        const QRgb expected = icon_file_present
                                  ? qRgb(255, 0, 0)
                                  : QImage(":/graphics/profile/Empty_Profile_Icon_26x26.png").pixel(13, 13);
        QCOMPARE(qAlpha(expected), 255);
        QCOMPARE(image.pixel(image.width() / 2, image.height() / 2), expected);
        QFile::remove(icon_file(id));
        image = row.findChild<QWidget *>("wg_indicator")->grab().toImage();
        QCOMPARE(image.pixel(image.width() / 2, 0) == drop_line, lines_shown == "t");
        QCOMPARE(image.pixel(image.width() / 2, image.height() - 1) == drop_line, lines_shown == "b");
    }

    // The page's games list starts empty: it is filled only by a reported change.
    void row_buttons_data()
    {
        QTest::addColumn<row_click_t>("click");
        const quick_launch_list_t two = entries({1, 2}), three = entries({1, 2, 3});
        // The hidden entries keep their places and stay in the page's list.
        const quick_launch_list_t repeated{entry(1, 1), entry(2, 2), entry(2, 7), entry(3, 3)};
        const quick_launch_list_t with_dlc{entry(1, 1), entry(9, 9, true), entry(2, 2)};
        const QString two_shown = "1:1v 2:2^", three_shown = "1:1v 2:2^v 3:3^";
        const row_click_t rows[] = {
            {"single row", entries({5}), "1:5", "down", 0, "1:5", {5}},
            {"down", three, three_shown, "down", 0, "1:2v 2:1^v 3:3^", {2, 1, 3}},
            {"up", three, three_shown, "up", 2, "1:1v 2:3^v 3:2^", {1, 3, 2}},
            {"last row down is refused", two, two_shown, "down", 1, two_shown, {1, 2}},
            {"top row up is refused", two, two_shown, "up", 0, two_shown, {1, 2}},
            {"a repeated ID shows once", repeated, three_shown, "down", 0, "1:2v 2:1^v 3:3^", {2, 1, 2, 3}},
            {"with a DLC entry", with_dlc, two_shown, "down", 0, "1:2v 2:1^", {9, 2, 1}},
            // Renumbered, and only the removed entry's icon goes.
            {"removal", three, three_shown, "del", 0, "1:2v 2:3^", {2, 3}},
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
        // A focused button shows its highlighted picture.
        if (QWidget *focused = QApplication::focusWidget())
            focused->clearFocus();
        QCOMPARE(listed->findChild<QWidget *>("widget")->grab().toImage(),
                 single.findChild<QWidget *>("widget")->grab().toImage());
    }

    // A long refill drops the queued polish requests, which showing does anyway:
    // the rows of a hidden list are polished once it shows.
    void refill_leaves_polish_to_showing_data()
    {
        QTest::addColumn<bool>("shown");
        QTest::newRow("shown list") << true;
        QTest::newRow("hidden list") << false;
    }
    void refill_leaves_polish_to_showing()
    {
        QFETCH(bool, shown);
        ui->window->setVisible(shown);
        ui->games()->set_items(numbered(70));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::PolishRequest);
        item_fm_c *row = ui->games()->rows().first();
        QCOMPARE(row->testAttribute(Qt::WA_WState_Polished), shown);
        ui->window->show();
        QVERIFY(row->testAttribute(Qt::WA_WState_Polished));
    }

    void add_by_hand_data()
    {
        QTest::addColumn<QString>("button");
        QTest::newRow("cancelled") << "btn_cancel";
        QTest::newRow("confirmed with empty fields") << "btn_ok";
    }
    void add_by_hand()
    {
        QFETCH(QString, button);
        const bool added = button == QLatin1String("btn_ok");
        QVERIFY(ui->show({1002, 487}));
        // More rows than fit, so that a new one lands out of sight, and a hidden entry.
        const quick_launch_list_t list = numbered(15) << entry(99, 99, true);
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
        for (quint32 ms = 0; ms < 1000; ++ms)
            (ms % 2 ? ui->page->get_games() : ui->page->get_programs())
                ->append(entry(QRandomGenerator(ms).generate() & 0x7fffffffu, 0));
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

    void exec_dialog_data()
    {
        QTest::addColumn<dialog_run_t>("run");
        const dialog_run_t runs[] = {
            {"doubled slashes shown single", "C://Games//x.exe", "", "cancel", "C:/Games/x.exe", 0, "x"},
            {"name edited, confirmed", "C://Games//x.exe", "y", "ok", "C:/Games/x.exe", 1, "xy"},
            {"escape", "D:/z.exe", "y", "escape", "D:/z.exe", 0, "xy"},
            // Only the shown path is cut; what the caller gave comes back unchanged.
            {"long path, long name typed", "C:/" + QString(5000, 'p'), QString(300, 'y'), "ok",
             "C:/" + QString(4093, 'p'), 1, "x" + QString(255, 'y')},
        };
        for (const dialog_run_t &run : runs)
            QTest::newRow(run.tag) << run;
    }
    void exec_dialog()
    {
        QFETCH(dialog_run_t, run);
        add_edit_game_fm_c dialog;
        QString seen_path;
        QStringList tab_stops;
        when_modal([&](QWidget *frame) {
            seen_path = dialog.findChild<QLineEdit *>("edit_path")->text();
            auto *name = dialog.findChild<QLineEdit *>("edit_name");
            for (QWidget *w = name; tab_stops.size() < 3; w = w->nextInFocusChain())
                if (w->focusPolicy() & Qt::TabFocus)
                    tab_stops << w->objectName();
            QTest::keyClicks(name, run.typed);
            if (run.action == QLatin1String("escape"))
                QTest::keyClick(frame, Qt::Key_Escape);
            else
                button(frame, "btn_" + run.action)->click();
        });
        QCOMPARE(dialog.exec_dialog(QStringLiteral("x"), run.path), run.result);
        QCOMPARE(seen_path, run.shown_path);
        QCOMPARE(tab_stops, QStringList({"edit_name", "btn_browser", "edit_path"}));
        QPushButton *browse = button(&dialog, "btn_browser");
        QVERIFY(browse->text().isEmpty() && !browse->accessibleName().isEmpty());
        QCOMPARE(dialog.game_name(), run.name_after);
        QCOMPARE(dialog.game_path(), run.path);
        // The caller owns the dialog; the frame must not take it along.
        QCOMPARE(dialog.parentWidget(), nullptr);

        set_module_host(nullptr);
        QCOMPARE(add_edit_game_fm_c().exec_dialog(QStringLiteral("n"), QStringLiteral("p")), 0); // no frame
        set_module_host(host->centre.host_face());
    }

    // A chosen file or a pasted name beyond the limits; never half a surrogate pair.
    void caps_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("pasted");
        QTest::addColumn<QString>("name_after");
        QTest::addColumn<QString>("path_after");
        const QString pair = QString::fromUtf8("\xF0\x9F\x98\x80");
        const QString n255 = QString(255, 'n'), n254 = QString(254, 'n');
        const QString long_name = "/g/" + QString(300, 'n') + ".exe", none;
        QTest::newRow("chosen name over the limit") << long_name << "" << QString(256, 'n') << long_name;
        QTest::newRow("chosen name cut before a pair") << "/g/" + n255 + pair + "z.exe"
                                                       << "" << n255 << "/g/" + n255 + pair + "z.exe";
        QTest::newRow("chosen name cut after a pair") << "/g/" + n254 + pair + "z.exe"
                                                      << "" << n254 + pair << "/g/" + n254 + pair + "z.exe";
        // Cut, it would name another file: it is not taken at all.
        QTest::newRow("chosen path over the limit")
            << "/" + QString(4100, 'p') + "/a.exe" << none << none << none;
        QTest::newRow("pasted name cut before a pair") << none << n255 + pair + "zz" << n255 << none;
    }
    void caps()
    {
        QFETCH(QString, file);
        QFETCH(QString, pasted);
        QFETCH(QString, name_after);
        QFETCH(QString, path_after);
        add_edit_game_fm_c dialog;
        auto *name = dialog.findChild<QLineEdit *>("edit_name");
        dialog.take_chosen_file(file);
        name->insert(pasted);
        QCOMPARE(dialog.game_name(), name_after);
        QCOMPARE(name->text(), name_after);
        QCOMPARE(dialog.game_path(), path_after);
        QCOMPARE(dialog.findChild<QLineEdit *>("edit_path")->text(), path_after);
    }

    void browse_data()
    {
        QTest::addColumn<bool>("choose");
        QTest::addColumn<QString>("name_after");
        QTest::newRow("chosen replaces typed name") << true << "tool.beta";
        QTest::newRow("cancelled changes nothing") << false << "typed";
    }
    void browse()
    {
        QFETCH(bool, choose);
        QFETCH(QString, name_after);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("tool.beta.exe"));
        write_bytes(file, "");
        add_edit_game_fm_c dialog;
        dialog.findChild<QLineEdit *>("edit_name")->setText(QStringLiteral("typed"));
        when_modal([&](QWidget *modal) {
            auto *files = qobject_cast<QFileDialog *>(modal);
            QVERIFY(files != nullptr);
            QCOMPARE(files->nameFilters().value(0), host_text(host_text_id::executable_filter) + "(*.exe)");
            if (choose) {
                files->selectFile(file);
                QMetaObject::invokeMethod(files, "accept");
            } else {
                files->reject();
            }
        });
        QMetaObject::invokeMethod(&dialog, "on_btn_browser_clicked");
        QCOMPARE(dialog.game_name(), name_after);
        QCOMPARE(dialog.game_path(), choose ? file : QString());
        QCOMPARE(dialog.findChild<QLineEdit *>("edit_path")->text(), dialog.game_path());
        // Only a cancelled browser is kept for the next browse.
        QCOMPARE(dialog.findChild<QFileDialog *>() != nullptr, !choose);
    }

private:
    std::unique_ptr<forms_host_t> host;
    std::unique_ptr<settings_page_t> ui;
};

QTEST_MAIN(tst_quick_launch_forms)
#include "tst_quick_launch_forms.moc"
