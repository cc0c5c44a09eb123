#include "host/control_centre_c.h"
#include "host/kernel_client_c.h"
#include "host/main_window_c.h"

#include <QBuffer>
#include <QDataStream>
#include <QHBoxLayout>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

class tst_module_in_host : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void tabs_open_their_pages_data();
    void tabs_open_their_pages();
    void tabs_follow_the_language_data();
    void tabs_follow_the_language();
    void kernel_reaches_the_host_and_back();
    void unloading_releases_the_kernel_first();
    void closing_the_window_releases_the_kernel();

private:
    // Direct children of the page container that are not hidden: the shown forms.
    QList<QWidget *> shown_forms() const;

    QTemporaryDir copies;
    std::unique_ptr<control_centre_c> host;
    std::unique_ptr<main_window_c> window;
    // Host notes and module calls in one sequence.
    QStringList journal;
};

void tst_module_in_host::init()
{
    // A fresh file per test, so that the module's static state starts anew each time.
    static int copy = 0;
    const QString path = copies.filePath(QStringLiteral("libvorla_connect_%1.so").arg(++copy));
    QVERIFY(QFile::copy(QStringLiteral(VORLA_MODULE_FILE), path));
    host = std::make_unique<control_centre_c>();
    window = std::make_unique<main_window_c>(*host);
    journal.clear();
    connect(host.get(), &control_centre_c::note_logged, this,
            [this](const QString &l) { journal.append(l); });
    connect(host.get(), &control_centre_c::call_logged, this,
            [this](const QString &l) { journal.append(l); });
    QVERIFY(window->load_module(path));
    QCOMPARE(host->kernels().size(), 1);
}

void tst_module_in_host::cleanup()
{
    window.reset();
    host.reset();
}

QList<QWidget *> tst_module_in_host::shown_forms() const
{
    QList<QWidget *> shown;
    const QList<QWidget *> children =
        window->page_container()->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly);
    for (QWidget *child : children) {
        if (!child->isHidden())
            shown.append(child);
    }
    return shown;
}

void tst_module_in_host::tabs_open_their_pages_data()
{
    QTest::addColumn<QList<int>>("clicks");
    QTest::newRow("at start") << QList<int>{};
    QTest::newRow("quick launch") << QList<int>{1};
    QTest::newRow("and back") << QList<int>{1, 0};
    // A click on the checked tab must not leave it unchecked.
    QTest::newRow("connect again") << QList<int>{0, 0};
    QTest::newRow("quick launch again") << QList<int>{1, 1};
}

void tst_module_in_host::tabs_open_their_pages()
{
    QFETCH(QList<int>, clicks);

    const QList<QPushButton *> buttons = window->tab_buttons();
    QCOMPARE(buttons.size(), 2);
    QCOMPARE(buttons.at(0)->text(), QStringLiteral("VORLA CONNECT"));
    QCOMPARE(buttons.at(1)->text(), QStringLiteral("QUICK LAUNCH SETTINGS"));
    QCOMPARE(buttons.at(0)->parentWidget(), window->tab_bar());

    // Start, then each click: the page at index is open, with its button checked.
    QList<int> opened{0};
    opened += clicks;
    QPointer<QWidget> before;
    for (int step = 0; step < opened.size(); ++step) {
        const int index = opened.at(step);
        const bool switching = step > 0 && !buttons.at(index)->isChecked();
        if (step > 0)
            buttons.at(index)->click();
        const QList<QWidget *> forms = shown_forms();
        QCOMPARE(forms.size(), 1);
        QVERIFY(buttons.at(index)->isChecked());
        QVERIFY(!buttons.at(1 - index)->isChecked());
        // Another page brings its own form; the same page keeps the one it has.
        if (step > 0)
            QCOMPARE(before.isNull() || before != forms.at(0), switching);
        before = forms.at(0);
    }
    QCOMPARE(host->kernel_client()->get_active_kernel(), host->kernels().first());
}

void tst_module_in_host::tabs_follow_the_language_data()
{
    QTest::addColumn<QList<int>>("languages");
    QTest::newRow("Chinese") << QList<int>{1};
    QTest::newRow("German") << QList<int>{3};
    QTest::newRow("Chinese, then English") << QList<int>{1, 0};
}

void tst_module_in_host::tabs_follow_the_language()
{
    QFETCH(QList<int>, languages);
    const QList<QPushButton *> buttons = window->tab_buttons();
    QCOMPARE(buttons.size(), 2);
    for (int language : languages)
        host->set_language(language);
    const int language = languages.last();
    for (int index = 0; index < 2; ++index) {
        QPushButton *button = buttons.at(index);
        const QString text = host->text_provider()->get_text(358 + index, 0);
        QCOMPARE(button->text(), text);
        QCOMPARE(button->font().family(), main_window_c::tab_font(language).family());
        QCOMPARE(button->width(), QFontMetrics(button->font()).horizontalAdvance(text) + 48);
        QCOMPARE(button->minimumWidth(), button->maximumWidth());
    }
    if (language == 1)
        QCOMPARE(buttons.at(1)->text(), QString::fromUtf8("快速启动设置"));
}

void tst_module_in_host::kernel_reaches_the_host_and_back()
{
    product_kernel_i *kernel = host->kernels().first();
    QCOMPARE(host->send_host_event(host_event_clients_changed), 1);
    QCOMPARE(host->send_host_event(host_event_pairing_requested), 1);

    // A command block through the kernel's own shared memory, announced as the pages do.
    QByteArray block;
    QDataStream stream(&block, QIODevice::WriteOnly);
    stream.setVersion(16);
    stream << qint32(3) << QStringLiteral("abc");
    QBuffer buffer(&block);
    QString key = kernel->share_data(&buffer);
    QVERIFY(!key.isEmpty());
    kernel->post_message(kernel_message_shared_block, &key);
    QCOMPARE(host->kernel_client()->messages().last(), qMakePair(12, key));
    const QString expected = QStringLiteral("message 12: ") + key + QStringLiteral(" \u2192 remove \"abc\"");
    QCOMPARE(host->calls().last(), expected);
    QVERIFY(window->log_text().contains(expected));
}

void tst_module_in_host::unloading_releases_the_kernel_first()
{
    window->tab_buttons().at(1)->click();
    journal.clear();
    host->unload_module();

    const int released = journal.indexOf(QStringLiteral("Kernel released"));
    const int unregistered = journal.indexOf(QStringLiteral("unregister_kernel_factory(266)"));
    QVERIFY2(released >= 0 && released < unregistered, qPrintable(journal.join(QLatin1Char('\n'))));
    // The pages and the module took all their registrations back themselves.
    QVERIFY2(journal.filter(QStringLiteral("Dropping")).isEmpty(),
             qPrintable(journal.join(QLatin1Char('\n'))));
    QVERIFY(host->kernels().isEmpty());
    QCOMPARE(host->kernel_client()->get_active_kernel(), nullptr);
    QVERIFY(window->tab_buttons().isEmpty());
    QCOMPARE(window->tab_bar_layout()->count(), 1); // the closing stretch
    QVERIFY(shown_forms().isEmpty());
}

void tst_module_in_host::closing_the_window_releases_the_kernel()
{
    // The forms live in the window's container; the kernel must not outlive it.
    window->tab_buttons().at(1)->click();
    window.reset();
    QVERIFY(host->kernels().isEmpty());
    QVERIFY(host->module_loaded());
    host->unload_module();
    QVERIFY(host->listeners().isEmpty());
}

QTEST_MAIN(tst_module_in_host)
#include "tst_module_in_host.moc"
