// The scan dialog and the settings form's scan flow, with the stand-in host's
// components, the real scanner and downloader, and the stand-in service.
#include "common/global_func_c.h"
#include "host/app_info_service_c.h"
#include "host/control_centre_c.h"
#include "module/module_host.h"
#include "pages/quick_launch_settings_c.h"
#include "quick_launch/item_list_fm_c.h"
#include "quick_launch/quick_launch_settings_fm_c.h"
#include "scanner/scanning_progress_fm_c.h"
#include "tests/scanner/scan_fixture.h"

#include <QTcpServer>
#include <QtTest>
#include <QtWidgets>

#include <memory>

namespace {

// A label's or a button's text.
QString text_of(QWidget *dialog, const char *name)
{
    return dialog->findChild<QWidget *>(QLatin1String(name))->property("text").toString();
}

} // namespace

class tst_scanning_dialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        for (int id = 701; id <= 710; ++id)
            slow_service.add_app(QString::number(id), {"game", "G" + QString::number(id), {}});
        slow_service.set_delay_ms(1500);
        QVERIFY(slow_service.start());

        global_func_c::shared()->initialise();
        host = std::make_unique<control_centre_c>();
        set_module_host(host->host_face());
        main_window.show();
    }
    void cleanupTestCase()
    {
        set_module_host(nullptr);
        host.reset();
        machine.reset();
    }

    void scan_without_steam_finishes_at_once()
    {
        write_steam_key(0);
        scanning_progress_fm_c dialog(nullptr);
        QCOMPARE(dialog.start_and_run(), 1);
        QCOMPARE(text_of(&dialog, "lb_progress"), QStringLiteral("100%"));
        QCOMPARE(text_of(&dialog, "btn_cancel"), host_text(554));
        QVERIFY(host->calls().contains(QStringLiteral("notify_modal_dialog(0, 1, 0)")));
    }

    // Every press sets the busy cursor at most once, and it is gone when the
    // dialog has closed, however the presses and the scan's end meet.
    void cancel_restores_lists_and_cursor_data()
    {
        QTest::addColumn<QStringList>("presses");
        QTest::addColumn<bool>("scan_ends_meanwhile");
        QTest::addColumn<bool>("second_scan"); // the form's dialog ran a finished scan before
        QTest::newRow("cancel") << QStringList{"btn_cancel"} << false << false;
        QTest::newRow("cancel twice") << QStringList{"btn_cancel", "btn_cancel"} << false << false;
        QTest::newRow("close, then cancel") << QStringList{"btn_close", "btn_cancel"} << false << false;
        QTest::newRow("cancel just before the end") << QStringList{"btn_cancel"} << true << false;
        QTest::newRow("cancel a second scan") << QStringList{"btn_cancel"} << false << true;
    }

    void cancel_restores_lists_and_cursor()
    {
        QFETCH(QStringList, presses);
        QFETCH(bool, scan_ends_meanwhile);
        QFETCH(bool, second_scan);
        quick_launch_settings_c page(nullptr);
        // Its path exists, so a finished scan would keep it too.
        *page.get_games() << quick_launch_item_t{5, 0, 0, 0, false, "kept", machine->path(), {}};
        QWidget holder;
        auto *form = new quick_launch_settings_fm_c(&page, nullptr, &holder);
        if (second_scan) {
            write_steam_key(0); // finishes at once
            QMetaObject::invokeMethod(form, "on_btn_scan_clicked");
        }
        write_steam_key(10);

        QString percent;
        bool waiting = false;
        QTimer::singleShot(200, [&] {
            auto *dialog = main_window.findChild<scanning_progress_fm_c *>();
            QVERIFY(dialog != nullptr);
            // The first download is held by the server: the bar is where it is told to be.
            dialog->on_scan_progress(3);
            QCoreApplication::sendPostedEvents(dialog);
            percent = text_of(dialog, "lb_progress");
            for (const QString &button : presses)
                dialog->findChild<QPushButton *>(button)->click();
            waiting = QApplication::overrideCursor() != nullptr &&
                      QApplication::overrideCursor()->shape() == Qt::WaitCursor;
            if (scan_ends_meanwhile)
                dialog->on_scan_finished();
        });
        QMetaObject::invokeMethod(form, "on_btn_scan_clicked");

        QCOMPARE(percent, QStringLiteral("30%"));
        QVERIFY(waiting);
        QCOMPARE(QApplication::overrideCursor(), nullptr);
        if (!scan_ends_meanwhile) {
            QCOMPARE(page.get_games()->size(), 1);
            QCOMPARE(page.get_games()->first().Game_Name, QStringLiteral("kept"));
            QVERIFY(page.get_programs()->isEmpty());
            QCOMPARE(form->games_list_form()->rows().size(), 1);
        }
    }

    // Against a service that never answers: the press ends the download, the
    // button says so in the module's own words, and the dialog is gone within a second.
    void cancel_answers_at_once_data()
    {
        QTest::addColumn<QString>("translation"); // a staged .qm, or none
        QTest::addColumn<QString>("cancelling");
        QTest::newRow("source text") << QString() << "Cancelling...";
        QTest::newRow("German") << "vorla_connect_de.qm"
                                << "Wird abgebrochen...";
    }

    void cancel_answers_at_once()
    {
        QFETCH(QString, translation);
        QFETCH(QString, cancelling);
        QTranslator translator;
        if (!translation.isEmpty()) {
            QVERIFY(translator.load(global_func_c::application_directory() + "data/CONNECT/language/" +
                                    translation));
            QCoreApplication::installTranslator(&translator);
        }
        QTcpServer silent;
        QVERIFY(silent.listen(QHostAddress::LocalHost));
        qputenv("VORLA_WEB_BASE", QByteArray("http://127.0.0.1:") + QByteArray::number(silent.serverPort()));
        write_steam_key(10);
        scanning_progress_fm_c dialog(nullptr);
        auto *button = dialog.findChild<QPushButton *>(QStringLiteral("btn_cancel"));
        QElapsedTimer pressed;
        int running = 0;
        QString shown;
        int shown_room = 0; // button width left over around the text
        connect(&silent, &QTcpServer::newConnection, &dialog, [&] {
            silent.nextPendingConnection(); // never answered
            if (pressed.isValid())
                return;
            running = scan_fixture::children_running("web_engine.exe");
            pressed.start();
            button->click();
            shown = button->text();
            shown_room = button->width() - QFontMetrics(button->font()).horizontalAdvance(shown);
        });

        const int result = dialog.start_and_run();
        const qint64 took = pressed.elapsed();
        const int left = scan_fixture::children_running("web_engine.exe");
        qputenv("VORLA_WEB_BASE", slow_service.base().toUtf8());
        QCOMPARE(result, 0);
        QCOMPARE(running, 1);
        QVERIFY2(took < 1000, qPrintable(QString::number(took)));
        QCOMPARE(left, 0);
        QCOMPARE(shown, cancelling);
        QVERIFY(shown_room > 0);
    }

    // The stand-in service in both shapes: a finished scan keeps what it found.
    void finished_scan_with_the_stand_in_service_data()
    {
        QTest::addColumn<int>("shape");
        QTest::addColumn<QString>("list_key");
        QTest::newRow("status and data") << int(app_info_service_c::shape_t::status_data) << "data";
        QTest::newRow("success and apps") << int(app_info_service_c::shape_t::success_apps) << "apps";
    }

    void finished_scan_with_the_stand_in_service()
    {
        QFETCH(int, shape);
        QFETCH(QString, list_key);
        app_info_service_c service;
        service.set_shape(static_cast<app_info_service_c::shape_t>(shape));
        service.add_app(QStringLiteral("701"), {QStringLiteral("Game"), QStringLiteral("First"), {}});
        service.add_app(QStringLiteral("702"), {QStringLiteral("dlc"), QStringLiteral("Extra"), {}});
        QVERIFY(service.start());
        // Both the public service's path and the older one are understood.
        for (const char *target : {"/v1/info/701", "/info?apps=701&prettyprint=1"})
            QVERIFY(QJsonDocument::fromJson(service.answer(target))
                        .object()
                        .value(list_key)
                        .toObject()
                        .contains(QStringLiteral("701")));
        write_steam_key(3);
        quick_launch_settings_c page(nullptr);
        QWidget holder;
        auto *form = new quick_launch_settings_fm_c(&page, nullptr, &holder);
        QMetaObject::invokeMethod(form, "on_btn_scan_clicked");
        qputenv("VORLA_WEB_BASE", slow_service.base().toUtf8());
        QCOMPARE(service.requests(), 3);
        QStringList found;
        for (const quick_launch_item_t &item : *page.get_games())
            found << QStringLiteral("%1 %2 %3").arg(item.Platform_ID).arg(item.Game_Name).arg(item.IS_DLC);
        QCOMPARE(found, (QStringList{"701 First 0", "702 Extra 1"}));
    }

    void opens_centred_over_the_main_window()
    {
        write_steam_key(10);
        main_window.move(600, 500);
        QTRY_COMPARE(main_window.pos(), QPoint(600, 500));
        scanning_progress_fm_c dialog(nullptr);
        QPoint offset(-1000, -1000);
        QTimer::singleShot(100, [&] {
            offset = dialog.mapToGlobal(dialog.rect().center()) -
                     main_window.mapToGlobal(main_window.rect().center());
            dialog.findChild<QPushButton *>(QStringLiteral("btn_cancel"))->click();
        });
        dialog.start_and_run();
        main_window.move(0, 0);
        QVERIFY2(offset.manhattanLength() <= 2,
                 qPrintable(QStringLiteral("%1, %2").arg(offset.x()).arg(offset.y())));
    }

    void language_change_refits_the_button()
    {
        scanning_progress_fm_c dialog(nullptr);
        dialog.show();
        host->set_language(1);
        auto *button = dialog.findChild<QPushButton *>(QStringLiteral("btn_cancel"));
        QCOMPARE(text_of(&dialog, "lb_head"), QString(host_text(551) + QStringLiteral("...")));
        QCOMPARE(button->text(), host_text(1));
        QVERIFY(button->width() >= 92);
        QCOMPARE(button->geometry().right() + 1,
                 dialog.findChild<QWidget *>(QStringLiteral("widget_2"))->width());
        host->set_language(0);
    }

private:
    // Steam with applications 701 onwards.
    void write_steam_key(int applications)
    {
        QVariantMap values{{"SteamPath", machine->here("~/Steam")}};
        for (int id = 1; id <= applications; ++id)
            values.insert(QStringLiteral("Apps/%1/Installed").arg(700 + id), 1);
        machine->write_key(scan_fixture::steam_key, values);
    }

    std::unique_ptr<scan_fixture::machine_c> machine = std::make_unique<scan_fixture::machine_c>();
    app_info_service_c slow_service; // answers slowly enough to cancel in the middle
    std::unique_ptr<control_centre_c> host;
    QMainWindow main_window;
};

QTEST_MAIN(tst_scanning_dialog)
#include "tst_scanning_dialog.moc"
