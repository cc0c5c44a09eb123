#include "common/global_func_c.h"
#include "host/control_centre_c.h"
#include "module/custom_event_c.h"
#include "module/module_host.h"
#include "quick_launch/add_edit_game_fm_c.h"
#include "quick_launch/item_fm_c.h"
#include "quick_launch/item_store.h"
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

} // namespace

class tst_item_row_and_dialog : public QObject
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

    void row_shows_entry_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<bool>("icon_file_present");
        QTest::addColumn<QString>("number");
        QTest::addColumn<QStringList>("indicator_calls");
        QTest::addColumn<bool>("top_line");
        QTest::addColumn<bool>("bottom_line");
        QTest::newRow("fifth, with icon, top then bottom")
            << 4 << true << "5" << QStringList{"top", "bottom"} << false << true;
        QTest::newRow("first, icon missing, bottom then top")
            << 0 << false << "1" << QStringList{"bottom", "top"} << true << false;
        QTest::newRow("bottom then top off")
            << 0 << true << "1" << QStringList{"bottom", "-top"} << false << false;
    }
    void row_shows_entry()
    {
        QFETCH(int, position);
        QFETCH(bool, icon_file_present);
        QFETCH(QString, number);
        QFETCH(QStringList, indicator_calls);
        QFETCH(bool, top_line);
        QFETCH(bool, bottom_line);
        const int id = 4711;
        QFile::remove(icon_file(id));
        QImage icon(26, 26, QImage::Format_ARGB32);
        icon.fill(Qt::red);
        QVERIFY(!icon_file_present || icon.save(icon_file(id)));
        item_fm_c row(nullptr, nullptr);
        row.set_row(id, position, QStringLiteral("Game"), QStringLiteral("C:/g.exe"));
        row.resize(377, 36);
        row.show();
        for (const QString &call : indicator_calls) {
            const bool on = !call.startsWith('-');
            if (call.endsWith(QLatin1String("top")))
                row.show_top_indicator(on);
            else
                row.show_bottom_indicator(on);
        }

        QCOMPARE(row.findChild<QLabel *>("lb_no")->text(), number);
        QImage image = row.findChild<QWidget *>("wg_icon_field")->grab().toImage();
        // Without a file the empty-icon picture of the field's background shows through.
        const QRgb expected = icon_file_present
                                  ? qRgb(255, 0, 0)
                                  : QImage(":/graphics/profile/Empty_Profile_Icon_26x26.png").pixel(13, 13);
        QCOMPARE(qAlpha(expected), 255);
        QCOMPARE(image.pixel(image.width() / 2, image.height() / 2), expected);
        QFile::remove(icon_file(id));

        image = row.findChild<QWidget *>("wg_indicator")->grab().toImage();
        const int x = image.width() / 2;
        QCOMPARE(image.pixel(x, 0) == drop_line, top_line);
        QCOMPARE(image.pixel(x, image.height() - 1) == drop_line, bottom_line);
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
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("shown_path");
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("name_after");
        const auto row = [](const char *name, const char *path, const char *typed, const char *action,
                            const char *shown_path, int result, const char *name_after) {
            QTest::newRow(name) << QString(path) << QString(typed) << QString(action) << QString(shown_path)
                                << result << QString(name_after);
        };
        row("doubled slashes shown single", "C://Games//x.exe", "", "cancel", "C:/Games/x.exe", 0, "x");
        row("name edited, confirmed", "C://Games//x.exe", "y", "ok", "C:/Games/x.exe", 1, "xy");
        row("escape", "D:/z.exe", "y", "escape", "D:/z.exe", 0, "xy");
        // Only the shown path is cut; what the caller gave comes back unchanged.
        QTest::newRow("long path, long name typed")
            << "C:/" + QString(5000, 'p') << QString(300, 'y') << "ok"
            << "C:/" + QString(4093, 'p') << 1 << "x" + QString(255, 'y');
    }
    void exec_dialog()
    {
        QFETCH(QString, path);
        QFETCH(QString, typed);
        QFETCH(QString, action);
        QFETCH(QString, shown_path);
        QFETCH(int, result);
        QFETCH(QString, name_after);
        add_edit_game_fm_c dialog;
        QString seen_path;
        QStringList tab_stops;
        when_modal([&](QWidget *frame) {
            seen_path = dialog.findChild<QLineEdit *>("edit_path")->text();
            auto *name = dialog.findChild<QLineEdit *>("edit_name");
            for (QWidget *w = name; tab_stops.size() < 3; w = w->nextInFocusChain())
                if (w->focusPolicy() & Qt::TabFocus)
                    tab_stops << w->objectName();
            QTest::keyClicks(name, typed);
            if (action == QLatin1String("escape"))
                QTest::keyClick(frame, Qt::Key_Escape);
            else
                frame->findChild<QPushButton *>("btn_" + action)->click();
        });
        QCOMPARE(dialog.exec_dialog(QStringLiteral("x"), path), result);
        QCOMPARE(seen_path, shown_path);
        QCOMPARE(tab_stops, QStringList({"edit_name", "btn_browser", "edit_path"}));
        auto *browse = dialog.findChild<QPushButton *>("btn_browser");
        QVERIFY(browse->text().isEmpty() && !browse->accessibleName().isEmpty());
        QCOMPARE(dialog.game_name(), name_after);
        QCOMPARE(dialog.game_path(), path);
        // The caller owns the dialog; the frame must not take it along.
        QCOMPARE(dialog.parentWidget(), nullptr);
    }

    void exec_dialog_without_frame()
    {
        set_module_host(nullptr);
        add_edit_game_fm_c dialog;
        QCOMPARE(dialog.exec_dialog(QStringLiteral("n"), QStringLiteral("p")), 0);
        set_module_host(host->host_face());
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
            QCOMPARE(files->nameFilters().value(0), host_text(534) + "(*.exe)");
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
    std::unique_ptr<control_centre_c> host;
};

QTEST_MAIN(tst_item_row_and_dialog)
#include "tst_item_row_and_dialog.moc"
