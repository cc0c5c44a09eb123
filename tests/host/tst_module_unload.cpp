// The real module in the window, driven as the control centre drives it, and
// really unloaded: nothing it leaves in Qt may point into the unmapped library,
// and no dialog it opened may outlive it.
#include "common/settings_file_c.h"
#include "host/app_info_service_c.h"
#include "host/demo_data.h"
#include "host/kernel_client_c.h"
#include "host/tour_c.h"
#include "module/host_text_ids.h"
#include "tests/host/host_test_support.h"

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
        make_host_window(client_store_keeper_c::default_path());
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QVERIFY(window->load_module(QStringLiteral(VORLA_MODULE_FILE)));
        QCOMPARE(host->kernels().size(), 1);
    }
    void cleanup() { end_host_window(); }

    void tabs_open_pages_and_follow_the_language()
    {
        const QList<QPushButton *> buttons = window->tab_buttons();
        QCOMPARE(buttons.size(), 2);
        // Start, then each click: the page at index is open, with its button checked.
        // A click on the checked tab must not leave it unchecked.
        QPointer<QWidget> before;
        for (int step = 0; step < 4; ++step) {
            QPushButton *button = buttons.at(step == 1 || step == 2);
            const bool switching = step > 0 && !button->isChecked();
            if (step > 0)
                button->click();
            const QList<QWidget *> forms = shown_forms();
            QCOMPARE(forms.size(), 1);
            QVERIFY(button->isChecked() && !buttons.at(buttons.indexOf(button) ^ 1)->isChecked());
            // Another page brings its own form; the same page keeps the one it has.
            if (step > 0)
                QCOMPARE(before.isNull() || before != forms.at(0), switching);
            before = forms.at(0);
        }
        QCOMPARE(host->kernel_client()->get_active_kernel(), host->kernels().first());

        // At start, then in Chinese and back in English; a switch also fits the widths.
        for (int language : {0, 1, 0}) {
            const bool switched = language != host->language();
            host->set_language(language);
            for (int index = 0; index < 2; ++index) {
                QPushButton *button = buttons.at(index);
                const QString text = host->text_provider()->get_text(host_text_id::connect_tab + index, 0);
                QCOMPARE(button->text(), text);
                QCOMPARE(button->font().family(), main_window_c::tab_font(language).family());
                if (switched)
                    QCOMPARE(button->width(), QFontMetrics(button->font()).horizontalAdvance(text) + 48);
            }
        }
    }

    void ending_releases_the_kernel_first_data()
    {
        QTest::addColumn<bool>("close_window");
        QTest::newRow("unload") << false;
        // The forms live in the window's container; the kernel must not outlive it.
        QTest::newRow("window closed") << true;
    }
    void ending_releases_the_kernel_first()
    {
        QFETCH(bool, close_window);
        window->tab_buttons().at(1)->click();
        journal.clear();
        if (close_window)
            window.reset();
        QVERIFY(!close_window || host->kernels().isEmpty());
        host->unload_module();
        const QString all = journal.join(QLatin1Char('\n'));
        const int released = journal.indexOf(QStringLiteral("Kernel released"));
        const int unregistered =
            journal.indexOf(QStringLiteral("unregister_kernel_factory(%1)").arg(vorla_connect_product_id));
        QVERIFY2(released >= 0 && released < unregistered, qPrintable(all));
        // The pages and the module took all their registrations back themselves.
        QVERIFY2(journal.filter(QStringLiteral("Dropping")).isEmpty(), qPrintable(all));
        QVERIFY(host->listeners().isEmpty());
        QCOMPARE(host->kernel_client()->get_active_kernel(), nullptr);
        QVERIFY(close_window || (window->tab_buttons().isEmpty() && shown_forms().isEmpty()));
    }

    void tour_leaves_its_files()
    {
        // The module's style sheets name pictures that only the host carries.
        QVERIFY(!QPixmap(QStringLiteral(":/graphics/common/progress/0.png")).isNull());
        QTemporaryDir dir;
        tour_c tour(*window, dir.filePath(QStringLiteral("out")));
        tour.add_step(QStringLiteral("switch"), [&] {
            host->set_language(3);
            return QString();
        });
        tour.add_screenshot(QStringLiteral("a.png"));
        tour.add_log_dump(QStringLiteral("log.txt"));
        QSignalSpy finished(&tour, &tour_c::finished);
        tour.start();
        QVERIFY(finished.wait(10000));
        QCOMPARE(finished.at(0).at(0).toInt(), 0);
        QCOMPARE(QImage(dir.filePath(QStringLiteral("out/a.png"))).size(), window->size());
        QFile log(dir.filePath(QStringLiteral("out/log.txt")));
        QVERIFY(log.open(QIODevice::ReadOnly));
        QVERIFY(QString::fromUtf8(log.readAll()).contains(QLatin1String("Language 3 (Deutsch)")));
    }

    void reloading_leaves_qt_nothing_of_the_module()
    {
        QStringList families;
        for (int round = 0; round < 3; ++round) {
            QVERIFY(round == 0 || window->load_module(QStringLiteral(VORLA_MODULE_FILE)));
            use_module(families);
            unload_action()->trigger();
            QVERIFY(!host->module_loaded() && !module_mapped());
        }
        QVERIFY2(families.size() >= 4, qPrintable(families.join(QLatin1Char(','))));

        // Fonts in every family the module used, as the host's next texts would ask.
        QImage image(200, 40, QImage::Format_ARGB32);
        QPainter painter(&image);
        for (const QString &family : std::as_const(families))
            for (bool bold : {false, true}) {
                QFont font(family);
                font.setPixelSize(14);
                font.setBold(bold);
                font.setStyleStrategy(QFont::PreferAntialias);
                painter.setFont(font);
                painter.drawText(image.rect(), family);
                QVERIFY(!QFontInfo(font).family().isEmpty());
            }
        QVERIFY(module_left_no_types());
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
        when_modal(window.get(), [&](QWidget *) {
            inside = true;
            if (close_window)
                window->close();
            else
                unload_action()->trigger();
        });
        // Generous: a sanitizer build on a busy machine takes seconds for a dialog.
        const modal_watchdog_c watchdog(30000);
        // Opened from the application's event loop, as a user's click would. Closing
        // the window ends that loop by itself; after an unload the host quits it.
        QTimer::singleShot(0, this, [&] {
            open_dialog(dialog);
            returned = true;
            if (!close_window)
                QCoreApplication::quit();
        });
        QCOMPARE(QApplication::exec(), 0);
        QVERIFY(returned && inside);
        QVERIFY2(!watchdog.stuck, "the dialog outlived its module");
        QCOMPARE(last_closed.count(), close_window ? 1 : 0);
        QVERIFY(!host->module_loaded() || close_window);
        const auto visible_windows = [] {
            QStringList shown;
            for (QWidget *widget : QApplication::topLevelWidgets())
                if (widget->isVisible())
                    shown.append(QString::fromLatin1(widget->metaObject()->className()));
            return shown;
        };
        QTRY_COMPARE(visible_windows(), close_window ? QStringList() : QStringList{"main_window_c"});
        QCOMPARE(QApplication::overrideCursor(), nullptr);
        host->unload_module();
        QVERIFY(!host->module_loaded());
        QTRY_VERIFY(!module_mapped());
        QVERIFY(module_left_no_types());
    }

private:
    static bool module_mapped()
    {
        const QString name = QFileInfo(QStringLiteral(VORLA_MODULE_FILE)).fileName();
#ifdef Q_OS_WIN
        // FreeLibrary on the last reference unmaps the DLL; its name then finds no module.
        return GetModuleHandleW(reinterpret_cast<const wchar_t *>(name.utf16())) != nullptr;
#else
        QFile maps(QStringLiteral("/proc/self/maps"));
        return maps.open(QIODevice::ReadOnly) && maps.readAll().contains(name.toUtf8());
#endif
    }

    // A meta-type registered from the module's code would leave Qt calling into
    // it after the unload, when the next module or the host makes such a value.
    // Looked up by name only: making one here would register it from the test.
    static bool module_left_no_types()
    {
        const int row_type = QMetaType::type("item_fm_c*");
        return QMetaType::type("Qt::TextElideMode") == QMetaType::UnknownType &&
               (row_type == QMetaType::UnknownType || row_type == QMetaType::QObjectStar);
    }

    QAction *unload_action() const
    {
        return find_action(window.get(), QStringLiteral("&Unload module"));
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
        page_button(dialog == QLatin1String("add_edit") ? "btn_manually_add"
                    : dialog == QLatin1String("scan")   ? "btn_scan"
                                                        : "btn_reset")
            ->click();
    }

    // Deep copies: the family texts themselves may live in the module.
    static void note_families(QStringList &families)
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
        when_modal(window.get(), [&](QWidget *frame) {
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
        when_modal(window.get(), [&](QWidget *pairing) {
            note_families(families);
            pairing->findChild<QPushButton *>(QStringLiteral("btn_no"))->click();
            answered = true;
        });
        const QString id =
            host->client_store()->add_pairing_request(QStringLiteral("Phone"), QStringLiteral("P-1"));
        QTRY_VERIFY(answered);
        QTRY_VERIFY(QApplication::activeModalWidget() == nullptr);
        // The host applies the answer a moment later; a request still pending
        // at the next load would open a dialog that nobody answers.
        QTRY_VERIFY(settings_file_c(host->client_store()->file_path()).value(id + "/Friend").toInt() != 2);
    }

    app_info_service_c service;
};

QTEST_MAIN(tst_module_unload)
#include "tst_module_unload.moc"
