#include "module/custom_event_c.h"
#include "module/host_text_ids.h"
#include "quick_launch/add_edit_game_fm_c.h"
#include "quick_launch/item_fm_c.h"
#include "tests/quick_launch/quick_launch_test_support.h"

#include <QtTest>
#include <QtWidgets>

#include <memory>

namespace {

const QRgb drop_line = qRgb(0x65, 0xc3, 0xf7);

// Records what a row asks of its list, the removal event included.
class fake_list_c : public QObject, public item_row_owner_i
{
public:
    void move_row_up(item_fm_c *row) override { calls << qMakePair(QStringLiteral("up"), row); }
    void move_row_down(item_fm_c *row) override { calls << qMakePair(QStringLiteral("down"), row); }
    void edit_row(item_fm_c *row) override { calls << qMakePair(QStringLiteral("edit"), row); }

    QList<QPair<QString, item_fm_c *>> calls;

protected:
    void customEvent(QEvent *event) override
    {
        if (event->type() == static_cast<QEvent::Type>(custom_event_1000))
            calls << qMakePair(QStringLiteral("del"),
                               static_cast<custom_event_c *>(event)->payload.value<item_fm_c *>());
    }
};

struct row_look_t
{
    int position;
    bool icon_file_present;
    QString number;
    QStringList indicator_calls; // "-" switches the line off
    bool top_line;
    bool bottom_line;
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
Q_DECLARE_METATYPE(row_look_t)
Q_DECLARE_METATYPE(dialog_run_t)

class tst_item_row_and_dialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        host = std::make_unique<forms_host_t>();
        QVERIFY(host->icons_ready);
    }
    void cleanupTestCase() { host.reset(); }

    void row_shows_entry_data()
    {
        QTest::addColumn<row_look_t>("look");
        QTest::newRow("fifth, with icon, top then bottom")
            << row_look_t{4, true, "5", {"top", "bottom"}, false, true};
        QTest::newRow("first, icon missing, bottom then top")
            << row_look_t{0, false, "1", {"bottom", "top"}, true, false};
        QTest::newRow("bottom then top off") << row_look_t{0, true, "1", {"bottom", "-top"}, false, false};
    }
    void row_shows_entry()
    {
        QFETCH(row_look_t, look);
        const int id = 4711;
        QFile::remove(icon_file(id));
        QVERIFY(!look.icon_file_present || red_icon().save(icon_file(id)));
        item_fm_c row(nullptr, nullptr);
        row.set_row(id, look.position, QStringLiteral("Game"), QStringLiteral("C:/g.exe"));
        row.resize(377, 36);
        row.show();
        for (const QString &call : look.indicator_calls) {
            const bool on = !call.startsWith('-');
            if (call.endsWith(QLatin1String("top")))
                row.show_top_indicator(on);
            else
                row.show_bottom_indicator(on);
        }

        QCOMPARE(row.findChild<QLabel *>("lb_no")->text(), look.number);
        QImage image = row.findChild<QWidget *>("wg_icon_field")->grab().toImage();
        // Without a file the empty-icon picture of the field's background shows through.
        const QRgb expected = look.icon_file_present
                                  ? qRgb(255, 0, 0)
                                  : QImage(":/graphics/profile/Empty_Profile_Icon_26x26.png").pixel(13, 13);
        QCOMPARE(qAlpha(expected), 255);
        QCOMPARE(image.pixel(image.width() / 2, image.height() / 2), expected);
        QFile::remove(icon_file(id));

        image = row.findChild<QWidget *>("wg_indicator")->grab().toImage();
        const int x = image.width() / 2;
        QCOMPARE(image.pixel(x, 0) == drop_line, look.top_line);
        QCOMPARE(image.pixel(x, image.height() - 1) == drop_line, look.bottom_line);
    }

    void buttons_reach_the_list()
    {
        fake_list_c list;
        for (const QString call : {"up", "down", "edit", "del"}) {
            auto *row = new item_fm_c(&list, &list);
            auto *button = row->findChild<QPushButton *>("btn_" + call);
            // Icon-only: no text over the picture, yet a name for screen readers.
            QVERIFY(button->text().isEmpty() && !button->accessibleName().isEmpty());
            button->click();
            // Removal must come after the click handler has returned.
            QCoreApplication::sendPostedEvents(&list);
            QCOMPARE(list.calls, (QList<QPair<QString, item_fm_c *>>{qMakePair(call, row)}));
            list.calls.clear();
            delete row;
        }
        QCOMPARE(QMetaType::type("item_fm_c*"), qMetaTypeId<item_fm_c *>());
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
                frame->findChild<QPushButton *>("btn_" + run.action)->click();
        });
        QCOMPARE(dialog.exec_dialog(QStringLiteral("x"), run.path), run.result);
        QCOMPARE(seen_path, run.shown_path);
        QCOMPARE(tab_stops, QStringList({"edit_name", "btn_browser", "edit_path"}));
        auto *browse = dialog.findChild<QPushButton *>("btn_browser");
        QVERIFY(browse->text().isEmpty() && !browse->accessibleName().isEmpty());
        QCOMPARE(dialog.game_name(), run.name_after);
        QCOMPARE(dialog.game_path(), run.path);
        // The caller owns the dialog; the frame must not take it along.
        QCOMPARE(dialog.parentWidget(), nullptr);
    }

    void exec_dialog_without_frame()
    {
        set_module_host(nullptr);
        add_edit_game_fm_c dialog;
        QCOMPARE(dialog.exec_dialog(QStringLiteral("n"), QStringLiteral("p")), 0);
        set_module_host(host->centre.host_face());
    }

    // A chosen file or a pasted name beyond the limits; never half a surrogate pair.
    void caps_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("pasted");
        QTest::addColumn<QString>("name_after");
        QTest::addColumn<QString>("path_after");
        const auto row = [](const char *tag, const QString &file, const QString &pasted, const QString &name,
                            const QString &path) { QTest::newRow(tag) << file << pasted << name << path; };
        const QString pair = QString::fromUtf8("\xF0\x9F\x98\x80");
        const QString n255 = QString(255, 'n'), n254 = QString(254, 'n');
        const QString long_name = "/g/" + QString(300, 'n') + ".exe";
        row("chosen name over the limit", long_name, "", QString(256, 'n'), long_name);
        row("chosen name cut before a pair", "/g/" + n255 + pair + "z.exe", "", n255,
            "/g/" + n255 + pair + "z.exe");
        row("chosen name cut after a pair", "/g/" + n254 + pair + "z.exe", "", n254 + pair,
            "/g/" + n254 + pair + "z.exe");
        // Cut, it would name another file: it is not taken at all.
        row("chosen path over the limit", "/" + QString(4100, 'p') + "/a.exe", "", "", "");
        row("pasted name cut before a pair", "", n255 + pair + "zz", n255, "");
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
        QVERIFY(QFile(file).open(QIODevice::WriteOnly));

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
};

QTEST_MAIN(tst_item_row_and_dialog)
#include "tst_item_row_and_dialog.moc"
