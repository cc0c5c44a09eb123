// The real module in the window, driven as the control centre drives it.
#include "host/kernel_client_c.h"
#include "host/tour_c.h"
#include "module/host_text_ids.h"
#include "tests/host/host_test_support.h"

class tst_module_in_host : public host_window_test_c
{
    Q_OBJECT

private slots:
    void init()
    {
        // A fresh file per test, so that the module's static state starts anew each time.
        static int copy = 0;
        const QString path = copies.filePath(QStringLiteral("libvorla_connect_%1.so").arg(++copy));
        QVERIFY(QFile::copy(QStringLiteral(VORLA_MODULE_FILE), path));
        make_host_window();
        journal.clear();
        const auto log = [this](const QString &line) { journal.append(line); };
        connect(host.get(), &control_centre_c::note_logged, this, log);
        connect(host.get(), &control_centre_c::call_logged, this, log);
        QVERIFY(window->load_module(path));
        QCOMPARE(host->kernels().size(), 1);
    }

    void cleanup() { end_host_window(); }

    void tabs_open_pages_and_follow_the_language()
    {
        const QList<QPushButton *> buttons = window->tab_buttons();
        QCOMPARE(buttons.size(), 2);
        // Start, then each click: the page at index is open, with its button checked.
        // A click on the checked tab must not leave it unchecked.
        const QList<int> opened{0, 1, 1, 0};
        QPointer<QWidget> before;
        for (int step = 0; step < opened.size(); ++step) {
            QPushButton *button = buttons.at(opened[step]);
            const bool switching = step > 0 && !button->isChecked();
            if (step > 0)
                button->click();
            const QList<QWidget *> forms = shown_forms();
            QCOMPARE(forms.size(), 1);
            QVERIFY(button->isChecked());
            QVERIFY(!buttons.at(1 - opened[step])->isChecked());
            // Another page brings its own form; the same page keeps the one it has.
            if (step > 0)
                QCOMPARE(before.isNull() || before != forms.at(0), switching);
            before = forms.at(0);
        }
        QCOMPARE(host->kernel_client()->get_active_kernel(), host->kernels().first());

        // At start, then in Chinese and back in English; a switch also fits the widths.
        for (int language : {0, 1, 0}) {
            const bool switched = language != host->language();
            if (switched)
                host->set_language(language);
            for (int index = 0; index < 2; ++index) {
                QPushButton *button = buttons.at(index);
                const QString text = host->text_provider()->get_text(host_text_id::connect_tab + index, 0);
                QCOMPARE(button->text(), text);
                QCOMPARE(button->font().family(), main_window_c::tab_font(language).family());
                if (switched)
                    QCOMPARE(button->width(), QFontMetrics(button->font()).horizontalAdvance(text) + 48);
            }
            if (language == 1)
                QCOMPARE(buttons.at(1)->text(), QString::fromUtf8("快速启动设置"));
        }
    }

    void unloading_releases_the_kernel_first()
    {
        window->tab_buttons().at(1)->click();
        journal.clear();
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
        QVERIFY(window->tab_buttons().isEmpty());
        QVERIFY(shown_forms().isEmpty());
    }

    void closing_the_window_releases_the_kernel()
    {
        // The forms live in the window's container; the kernel must not outlive it.
        window->tab_buttons().at(1)->click();
        window.reset();
        QVERIFY(host->kernels().isEmpty());
        host->unload_module();
        QVERIFY(host->listeners().isEmpty());
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

private:
    QTemporaryDir copies;
    // Host notes and module calls in one sequence.
    QStringList journal;
};

QTEST_MAIN(tst_module_in_host)
#include "tst_module_in_host.moc"
