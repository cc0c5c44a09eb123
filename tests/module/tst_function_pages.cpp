#include "host/control_centre_c.h"
#include "module/host_text_ids.h"
#include "module/module_host.h"
#include "module/vorla_connect_kernel_c.h"
#include "pages/connect_c.h"
#include "pages/quick_launch_settings_c.h"
#include "recording_fakes.h"

#include <QPushButton>
#include <QtTest>

class tst_function_pages : public QObject
{
    Q_OBJECT
    std::unique_ptr<control_centre_c> host;

private slots:
    void init()
    {
        host = std::make_unique<control_centre_c>();
        set_module_host(host->host_face());
    }
    void cleanup()
    {
        set_module_host(nullptr);
        host.reset();
    }

    // Every page listens to the host: a language change refits its button, unless
    // there is no text provider or another kernel has become the active one.
    void tab_button_data()
    {
        QTest::addColumn<int>("page_id");
        QTest::addColumn<int>("text_id");
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("kind");
        QTest::newRow("connect, English") << connect_c::page_id << host_text_id::connect_tab << 0 << "active";
        QTest::newRow("quick launch, Chinese")
            << quick_launch_settings_c::page_id << host_text_id::quick_launch_tab << 1 << "active";
        QTest::newRow("no text provider")
            << connect_c::page_id << host_text_id::connect_tab << 1 << "no host";
        QTest::newRow("inactive kernel forgets its button")
            << connect_c::page_id << host_text_id::connect_tab << 1 << "inactive";
    }
    void tab_button()
    {
        QFETCH(int, page_id);
        QFETCH(int, text_id);
        QFETCH(int, language);
        QFETCH(QString, kind);
        const auto text = [&] { return host->text_provider()->get_text(text_id, 0); };
        if (kind == "no host")
            set_module_host(nullptr);
        QStringList journal;
        recording_client_c client(&journal);
        vorla_connect_kernel_c kernel, other;
        kernel.initialise(&client, nullptr);
        function_page_c *page = page_id == connect_c::page_id
                                    ? static_cast<function_page_c *>(kernel.get_connect_page())
                                    : kernel.get_quick_launch_page();
        std::unique_ptr<QPushButton> button(page->create_tab_button());
        QCOMPARE(button->text(), kind == "no host" ? QString() : text());
        QVERIFY(button->isCheckable());
        QCOMPARE(button->height(), 34);
        client.active = kind == "inactive" ? &other : &kernel;
        page->active_kernel_changed(0);
        QCOMPARE(page->tab_button(), kind == "inactive" ? nullptr : button.get());

        if (kind == "inactive")
            button->setText(QStringLiteral("kept"));
        host->set_language(language);
        if (kind == "no host")
            page->language_changed(nullptr, 0);
        if (kind != "active") {
            QCOMPARE(button->text(), kind == "inactive" ? QStringLiteral("kept") : QString());
            QCOMPARE(button->maximumWidth(), QWIDGETSIZE_MAX);
            return;
        }
        QCOMPARE(button->text(), text());
        QCOMPARE(button->minimumWidth(), QFontMetrics(button->font()).horizontalAdvance(text()) + 48);
        QCOMPARE(button->maximumWidth(), button->minimumWidth());
    }
};

QTEST_MAIN(tst_function_pages)
#include "tst_function_pages.moc"
