#include "host/control_centre_c.h"
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

    static int direct_children(const QWidget &widget)
    {
        return widget.findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly).size();
    }

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

    void tab_button_fits_host_text_data()
    {
        QTest::addColumn<int>("page_id");
        QTest::addColumn<int>("language");
        QTest::newRow("connect, English") << 8 << 0;
        QTest::newRow("quick launch, Chinese") << 9 << 1;
    }
    void tab_button_fits_host_text()
    {
        QFETCH(int, page_id);
        QFETCH(int, language);
        const auto text = [&] { return host->text_provider()->get_text(page_id == 8 ? 358 : 359, 0); };
        vorla_connect_kernel_c kernel;
        kernel.initialise(nullptr, nullptr);
        std::unique_ptr<QPushButton> button(kernel.get_page(page_id)->create_tab_button());
        QCOMPARE(button->text(), text());
        QVERIFY(button->isCheckable());
        QCOMPARE(button->height(), 34);

        // Every page listens to the host; the language change refits the button.
        host->set_language(language);
        QCOMPARE(button->text(), text());
        QCOMPARE(button->minimumWidth(), QFontMetrics(button->font()).horizontalAdvance(text()) + 48);
        QCOMPARE(button->maximumWidth(), button->minimumWidth());
    }

    void tab_button_without_text_provider_stays_unsized()
    {
        set_module_host(nullptr);
        connect_c page(nullptr);
        std::unique_ptr<QPushButton> button(page.create_tab_button());
        QVERIFY(button->text().isEmpty());
        page.language_changed(nullptr, 0);
        QCOMPARE(button->maximumWidth(), QWIDGETSIZE_MAX);
    }

    void inactive_kernel_forgets_its_button()
    {
        QStringList journal;
        vorla_connect_kernel_c kernel, other;
        recording_client_c client(&journal);
        kernel.initialise(&client, nullptr);
        auto *page = kernel.get_connect_page();
        std::unique_ptr<QPushButton> button(page->create_tab_button());
        client.active = &kernel;
        page->active_kernel_changed(0);
        QCOMPARE(page->tab_button(), button.get());

        client.active = &other;
        page->active_kernel_changed(0);
        QCOMPARE(page->tab_button(), nullptr);
        button->setText(QStringLiteral("kept"));
        host->set_language(1);
        QCOMPARE(button->text(), QStringLiteral("kept"));
        QCOMPARE(button->maximumWidth(), QWIDGETSIZE_MAX);
    }

    void show_and_hide_keep_one_form()
    {
        QWidget container;
        quick_launch_settings_c page(nullptr);
        std::unique_ptr<QPushButton> button(page.create_tab_button());
        // Hiding a hidden page leaves the button alone.
        button->setChecked(true);
        page.hide();
        QVERIFY(button->isChecked());

        page.set_container(&container);
        page.set_container(nullptr);
        page.show();
        page.show();
        QCOMPARE(direct_children(container), 1);
        QVERIFY(page.get_form()->parentWidget() == &container && button->isChecked());

        page.hide();
        QVERIFY(!button->isChecked() && direct_children(container) == 0 && page.get_form() == nullptr);
    }
};

QTEST_MAIN(tst_function_pages)
#include "tst_function_pages.moc"
