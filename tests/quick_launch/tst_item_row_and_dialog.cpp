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

#include <functional>
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
            calls << qMakePair(QStringLiteral("delete"),
                               static_cast<custom_event_c *>(event)->payload.value<item_fm_c *>());
    }
};

QImage shown(QWidget *widget)
{
    return widget->grab().toImage();
}

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
        QTest::newRow("fifth, with icon") << 4 << true << "5";
        QTest::newRow("first, icon missing") << 0 << false << "1";
    }
    void row_shows_entry()
    {
        QFETCH(int, position);
        QFETCH(bool, icon_file_present);
        QFETCH(QString, number);
        const int id = 4711;
        QFile::remove(icon_file(id));
        if (icon_file_present) {
            QImage icon(26, 26, QImage::Format_ARGB32);
            icon.fill(Qt::red);
            QVERIFY(icon.save(icon_file(id)));
        }
        item_fm_c row(nullptr, nullptr);
        row.set_row(id, position, QStringLiteral("Game"), QStringLiteral("C:/g.exe"));
        row.resize(377, 36);
        row.show();

        QCOMPARE(row.findChild<QLabel *>("lb_no")->text(), number);
        QWidget *field = row.findChild<QWidget *>("wg_icon_field");
        const QImage image = shown(field);
        const QRgb centre = image.pixel(image.width() / 2, image.height() / 2);
        if (icon_file_present) {
            QCOMPARE(centre, qRgb(255, 0, 0));
        } else {
            // The empty-icon picture of the field's background shows through.
            const QImage empty(QStringLiteral(":/graphics/profile/Empty_Profile_Icon_26x26.png"));
            QVERIFY(!empty.isNull());
            QCOMPARE(qAlpha(empty.pixel(13, 13)), 255);
            QCOMPARE(centre, empty.pixel(13, 13));
        }
        QFile::remove(icon_file(id));
    }

    void indicators_data()
    {
        QTest::addColumn<QStringList>("calls");
        QTest::addColumn<bool>("top_line");
        QTest::addColumn<bool>("bottom_line");
        QTest::newRow("top") << QStringList{"top"} << true << false;
        QTest::newRow("top then bottom") << QStringList{"top", "bottom"} << false << true;
        QTest::newRow("bottom then top") << QStringList{"bottom", "top"} << true << false;
        QTest::newRow("bottom then top off") << QStringList{"bottom", "-top"} << false << false;
    }
    void indicators()
    {
        QFETCH(QStringList, calls);
        QFETCH(bool, top_line);
        QFETCH(bool, bottom_line);
        item_fm_c row(nullptr, nullptr);
        row.resize(377, 36);
        row.show();
        for (const QString &call : calls) {
            const bool on = !call.startsWith('-');
            if (call.endsWith(QLatin1String("top")))
                row.show_top_indicator(on);
            else
                row.show_bottom_indicator(on);
        }
        const QImage image = shown(row.findChild<QWidget *>("wg_indicator"));
        const int x = image.width() / 2;
        QCOMPARE(image.pixel(x, 0) == drop_line, top_line);
        QCOMPARE(image.pixel(x, image.height() - 1) == drop_line, bottom_line);
    }

    void buttons_reach_the_list_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("call");
        QTest::newRow("up") << "btn_up"
                            << "up";
        QTest::newRow("down") << "btn_down"
                              << "down";
        QTest::newRow("edit") << "btn_edit"
                              << "edit";
        QTest::newRow("delete") << "btn_del"
                                << "delete";
    }
    void buttons_reach_the_list()
    {
        QFETCH(QString, button);
        QFETCH(QString, call);
        fake_list_c list;
        auto *row = new item_fm_c(&list, &list);
        row->findChild<QPushButton *>(button)->click();
        // Removal must come after the click handler has returned.
        QCoreApplication::sendPostedEvents(&list);
        QCOMPARE(list.calls, (QList<QPair<QString, item_fm_c *>>{qMakePair(call, row)}));
        delete row;
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
        QTest::newRow("doubled slashes shown single") << "C://Games//x.exe"
                                                      << ""
                                                      << "cancel"
                                                      << "C:/Games/x.exe" << 0 << "x";
        QTest::newRow("name edited, confirmed") << "C://Games//x.exe"
                                                << "y"
                                                << "ok"
                                                << "C:/Games/x.exe" << 1 << "xy";
        QTest::newRow("escape") << "D:/z.exe"
                                << "y"
                                << "escape"
                                << "D:/z.exe" << 0 << "xy";
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
        when_modal([&](QWidget *frame) {
            seen_path = dialog.findChild<QLineEdit *>("edit_path")->text();
            if (!typed.isEmpty())
                QTest::keyClicks(dialog.findChild<QLineEdit *>("edit_name"), typed);
            if (action == QLatin1String("escape"))
                QTest::keyClick(frame, Qt::Key_Escape);
            else
                frame->findChild<QPushButton *>("btn_" + action)->click();
        });
        QCOMPARE(dialog.exec_dialog(QStringLiteral("x"), path), result);
        QCOMPARE(seen_path, shown_path);
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
        QFile touched(file);
        QVERIFY(touched.open(QIODevice::WriteOnly));
        touched.close();

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
