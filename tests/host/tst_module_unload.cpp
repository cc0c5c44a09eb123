// The module really unloaded by the host: nothing it leaves in Qt may point into
// the unmapped library, and no dialog it opened may outlive it.
#include "common/global_func_c.h"
#include "common/settings_file_c.h"
#include "host/app_info_service_c.h"
#include "host/client_store_keeper_c.h"
#include "host/demo_data.h"
#include "tests/host/host_test_support.h"

#include <functional>
#include <utility>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

class tst_module_unload : public host_window_test_c
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QApplication::setQuitOnLastWindowClosed(true);
        global_func_c::shared()->initialise();
        QVERIFY(QDir().mkpath(global_func_c::shared()->settings_directory()));
        // A lookup that waits on the service keeps the scan dialog open.
        demo_data::seed_scan_environment();
        for (const demo_data::steam_app_t &app : demo_data::steam_apps())
            service.add_app(app.id, {app.type, app.name, app.client_icon});
        service.set_delay_ms(3000);
        QVERIFY(service.start());
    }

    // The seed reaches outside the test's home on Windows.
    void cleanupTestCase() { demo_data::remove_scan_environment(); }

    void init()
    {
        QFile::remove(client_store_keeper_c::default_path());
        make_host_window();
        host->keep_client_store(client_store_keeper_c::default_path());
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QVERIFY(window->load_module(QStringLiteral(VORLA_MODULE_FILE)));
    }

    void cleanup() { end_host_window(); }

    void reloading_leaves_qt_nothing_of_the_module()
    {
        QStringList families;
        for (int round = 0; round < 3; ++round) {
            if (round > 0)
                QVERIFY(window->load_module(QStringLiteral(VORLA_MODULE_FILE)));
            use_module(families);
            file_action(QStringLiteral("&Unload module"))->trigger();
            QVERIFY(!host->module_loaded());
            QVERIFY(!module_mapped());
        }
        QVERIFY2(families.size() >= 4, qPrintable(families.join(QLatin1Char(','))));

        // Fonts in every family the module used, as the host's next texts would ask.
        QImage image(200, 40, QImage::Format_ARGB32);
        QPainter painter(&image);
        for (const QString &family : std::as_const(families)) {
            for (bool bold : {false, true}) {
                QFont font(family);
                font.setPixelSize(14);
                font.setBold(bold);
                font.setStyleStrategy(QFont::PreferAntialias);
                painter.setFont(font);
                painter.drawText(image.rect(), family);
                QVERIFY(!QFontInfo(font).family().isEmpty());
            }
        }
        QVERIFY(!QFontDatabase().families().isEmpty());
        // Meta-types the module's forms use, made and read by whoever comes next.
        const QVariant mode = QVariant::fromValue(Qt::ElideMiddle);
        QCOMPARE(mode.value<Qt::TextElideMode>(), Qt::ElideMiddle);
        const int row_type = QMetaType::type("item_fm_c*");
        if (row_type != QMetaType::UnknownType) {
            QObject *none = nullptr;
            QVERIFY(QVariant(row_type, &none).isValid());
            const QMetaObject *row_meta = QMetaType::metaObjectForType(row_type);
            QVERIFY(row_meta == nullptr || qstrlen(row_meta->className()) > 0);
        }
        window->repaint();
    }

    void ending_the_module_inside_its_dialog_data()
    {
        QTest::addColumn<QString>("dialog");
        QTest::addColumn<bool>("close_window");
        for (const char *dialog : {"pairing", "add_edit", "scan", "reset"}) {
            QTest::addRow("%s, unload", dialog) << dialog << false;
            QTest::addRow("%s, close", dialog) << dialog << true;
        }
    }
    void ending_the_module_inside_its_dialog()
    {
        QFETCH(QString, dialog);
        QFETCH(bool, close_window);
        QSignalSpy last_closed(qApp, &QGuiApplication::lastWindowClosed);
        bool inside = false;
        bool returned = false;
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&] {
            QWidget *modal = QApplication::activeModalWidget();
            if (modal == nullptr || modal == window.get())
                return;
            poll.stop();
            inside = true;
            if (close_window)
                window->close();
            else
                file_action(QStringLiteral("&Unload module"))->trigger();
        });
        poll.start(5);
        // A dialog left running would hold the test in its loop for good.
        bool stuck = false;
        QTimer watchdog;
        connect(&watchdog, &QTimer::timeout, this, [&] {
            stuck = true;
            watchdog.setInterval(100);
            while (auto *modal = qobject_cast<QDialog *>(QApplication::activeModalWidget()))
                modal->reject();
            QCoreApplication::exit(1);
        });
        watchdog.start(8000);
        // Opened from the application's event loop, as a user's click would. Closing
        // the window ends that loop by itself; after an unload the host quits it.
        QTimer::singleShot(0, this, [&] {
            open_dialog(dialog);
            returned = true;
            if (!close_window)
                QCoreApplication::quit();
        });
        QCOMPARE(QApplication::exec(), 0);
        QVERIFY(returned);
        QVERIFY(inside);
        QVERIFY2(!stuck, "the dialog outlived its module");
        QCOMPARE(last_closed.count(), close_window ? 1 : 0);
        QVERIFY(!host->module_loaded() || close_window);
        QTRY_COMPARE(visible_windows(),
                     close_window ? QStringList() : QStringList{QStringLiteral("main_window_c")});
        QCOMPARE(QApplication::overrideCursor(), nullptr);
        host->unload_module();
        QVERIFY(!host->module_loaded());
        QTRY_VERIFY(!module_mapped());
    }

private:
    static bool module_mapped()
    {
#ifdef Q_OS_WIN
        // FreeLibrary on the last reference unmaps the DLL; its name then finds no module.
        const QString name = QFileInfo(QStringLiteral(VORLA_MODULE_FILE)).fileName();
        return GetModuleHandleW(reinterpret_cast<const wchar_t *>(name.utf16())) != nullptr;
#else
        QFile maps(QStringLiteral("/proc/self/maps"));
        return maps.open(QIODevice::ReadOnly) &&
               maps.readAll().contains(QFileInfo(QStringLiteral(VORLA_MODULE_FILE)).fileName().toUtf8());
#endif
    }

    QAction *file_action(const QString &text) const
    {
        for (QAction *action : window->findChildren<QAction *>())
            if (action->text() == text)
                return action;
        return nullptr;
    }

    QStringList visible_windows() const
    {
        QStringList shown;
        for (QWidget *widget : QApplication::topLevelWidgets())
            if (widget->isVisible())
                shown.append(QString::fromLatin1(widget->metaObject()->className()));
        return shown;
    }

    // Runs until the modal dialog that answer ends has gone.
    static void answer_modal(const std::function<void(QWidget *)> &answer)
    {
        auto *poll = new QTimer;
        QObject::connect(poll, &QTimer::timeout, poll, [poll, answer] {
            QWidget *modal = QApplication::activeModalWidget();
            if (modal == nullptr || modal->inherits("QMainWindow"))
                return;
            poll->deleteLater();
            answer(modal);
        });
        poll->start(5);
    }

    void open_dialog(const QString &dialog)
    {
        const QList<QPushButton *> tabs = window->tab_buttons();
        if (dialog == QLatin1String("pairing")) {
            tabs.at(0)->click();
            host->client_store()->add_pairing_request(QStringLiteral("Phone"), QStringLiteral("P-1"));
            // The keeper's own announcement comes later, when no kernel runs any more.
            host->send_host_event(host_event_pairing_requested);
            return;
        }
        tabs.at(1)->click();
        window->set_scan_offered(dialog == QLatin1String("scan"));
        const char *button = dialog == QLatin1String("add_edit") ? "btn_manually_add"
                             : dialog == QLatin1String("scan")   ? "btn_scan"
                                                                 : "btn_reset";
        page_button(button)->click();
    }

    // Deep copies: the family texts themselves may live in the module.
    void note_families(QStringList &families) const
    {
        for (QWidget *widget : QApplication::allWidgets()) {
            const QString family = widget->font().family();
            const QString copy(family.constData(), family.size());
            if (!families.contains(copy))
                families.append(copy);
        }
    }

    void use_module(QStringList &families)
    {
        const QList<QPushButton *> tabs = window->tab_buttons();
        QCOMPARE(tabs.size(), 2);
        tabs.at(1)->click();
        host->set_language(1);
        note_families(families);
        host->set_language(0);
        answer_modal([&](QWidget *frame) {
            note_families(families);
            frame->findChild<QPushButton *>(QStringLiteral("btn_ok"))->click();
        });
        const auto removers = [this] {
            return window->page_container()->findChildren<QPushButton *>(QStringLiteral("btn_del"));
        };
        const int rows = removers().size();
        page_button("btn_manually_add")->click();
        QCOMPARE(removers().size(), rows + 1);
        note_families(families);
        // The added row removes itself through a queued event that carries it.
        removers().constLast()->click();
        QTRY_COMPARE(removers().size(), rows);

        tabs.at(0)->click();
        note_families(families);
        bool answered = false;
        answer_modal([&](QWidget *pairing) {
            note_families(families);
            pairing->findChild<QPushButton *>(QStringLiteral("btn_no"))->click();
            answered = true;
        });
        host->client_store()->add_pairing_request(QStringLiteral("Phone"), QStringLiteral("P-1"));
        QTRY_VERIFY(answered);
        QTRY_VERIFY(QApplication::activeModalWidget() == nullptr);
        // The host applies the answer a moment later; a request still pending
        // at the next load would open a dialog that nobody answers.
        QTRY_VERIFY(!request_pending());
    }

    bool request_pending() const
    {
        const settings_file_c clients(host->client_store()->file_path());
        for (const QString &id : clients.child_groups())
            if (clients.value(id + QStringLiteral("/Friend")).toInt() == 2)
                return true;
        return false;
    }

    app_info_service_c service;
};

QTEST_MAIN(tst_module_unload)
#include "tst_module_unload.moc"
