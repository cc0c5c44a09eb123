#include "host/control_centre_c.h"
#include "module/host_interfaces.h"
#include "module_copy.h"
#include "raw_vtable.h"
#include "recording_fakes.h"

#include <QBuffer>
#include <QPushButton>
#include <QSharedMemory>
#include <QtEndian>

#include <QtTest>

// Every interface is exercised through raw slot indexes, never through the C++
// declarations, so that both sides' layouts are checked against the numbers the
// host and the module rely on.
class tst_abi : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void kernel_fixed_slots_data();
    void kernel_fixed_slots();
    void kernel_named_slots();
    void kernel_ends_through_release_or_deleting_destructor_data();
    void kernel_ends_through_release_or_deleting_destructor();
    void kernel_every_slot();
    void page_faces_data();
    void page_faces();
    void language_listener_faces();
    void host_faces();

private:
    product_kernel_i *new_kernel();

    QTemporaryDir copies;
    control_centre_c host;
};

void tst_abi::initTestCase()
{
    QString error;
    QVERIFY2(host.load_module(fresh_module_copy(copies), &error), qPrintable(error));
}

void tst_abi::cleanupTestCase()
{
    host.unload_module();
}

product_kernel_i *tst_abi::new_kernel()
{
    const kernel_factory_t factory = host.factory(vorla_connect_product_id);
    return factory != nullptr ? factory() : nullptr;
}

void tst_abi::kernel_fixed_slots_data()
{
    QTest::addColumn<int>("slot");
    QTest::addColumn<int>("arguments");
    QTest::addColumn<int>("expected");
    // Neighbouring slots differ (0, 4, -1, 1), so a shift by one shows.
    for (int slot : {4, 5, 13, 14, 39})
        QTest::addRow("slot %d", slot) << slot << 0 << 0;
    QTest::newRow("slot 6") << 6 << 0 << 4;
    QTest::newRow("slot 15") << 15 << 0 << -1;
    QTest::newRow("slot 16") << 16 << 0 << -1;
    QTest::newRow("slot 32") << 32 << 0 << 1;
    QTest::newRow("slot 36") << 36 << 0 << 1;
    for (int slot : {29, 31, 33, 40})
        QTest::addRow("slot %d", slot) << slot << 1 << 0;
    QTest::newRow("slot 45") << 45 << 2 << 0;
}

void tst_abi::kernel_fixed_slots()
{
    QFETCH(int, slot);
    QFETCH(int, arguments);
    QFETCH(int, expected);
    product_kernel_i *kernel = new_kernel();
    QVERIFY(kernel != nullptr);
    int result = 12345;
    if (arguments == 0)
        result = call_slot<int>(kernel, slot);
    else if (arguments == 1)
        result = call_slot<int>(kernel, slot, 77);
    else
        result = call_slot<int>(kernel, slot, 77, 88);
    QCOMPARE(result, expected);
    call_slot<void>(kernel, 1);
}

void tst_abi::kernel_named_slots()
{
    product_kernel_i *kernel = new_kernel();
    QVERIFY(kernel != nullptr);
    QCOMPARE(call_slot<void *>(kernel, 0, &iid_product_kernel_i), static_cast<void *>(kernel));
    QCOMPARE(call_slot<void *>(kernel, 0, &iid_interface_i), static_cast<void *>(kernel));
    QCOMPARE(call_slot<void *>(kernel, 0, &iid_listener_i), nullptr);
    QCOMPARE(call_slot<void *>(kernel, 3), nullptr); // get_client before initialise
    QCOMPARE(call_slot<int>(kernel, 8), 0);          // page_count
    QCOMPARE(call_slot<void *>(kernel, 7, 8), nullptr);
    QCOMPARE(call_slot<QString>(kernel, 28, 1), QString());
    QCOMPARE(call_slot<QString>(kernel, 30, 1, 2), QString());
    // show_page and post_message before initialise are ignored.
    call_slot<void>(kernel, 10, 8);
    QString payload = QStringLiteral("x");
    call_slot<void>(kernel, 42, 12, &payload);
    call_slot<void>(kernel, 1);
}

void tst_abi::kernel_ends_through_release_or_deleting_destructor_data()
{
    QTest::addColumn<int>("slot");
    QTest::newRow("release") << 1;
    QTest::newRow("deleting destructor") << 47;
}

void tst_abi::kernel_ends_through_release_or_deleting_destructor()
{
    // Under AddressSanitizer a wrong slot here shows as a leak or a bad free.
    QFETCH(int, slot);
    product_kernel_i *kernel = new_kernel();
    QVERIFY(kernel != nullptr);
    call_slot<void>(kernel, slot);
}

void tst_abi::kernel_every_slot()
{
    QStringList journal;
    recording_client_c client(&journal);
    QWidget container;
    product_kernel_i *kernel = new_kernel();
    QVERIFY(kernel != nullptr);

    call_slot<void>(kernel, 2, static_cast<kernel_client_i *>(&client), &container);
    QCOMPARE(call_slot<void *>(kernel, 3), static_cast<void *>(&client));
    QCOMPARE(call_slot<int>(kernel, 8), 2);
    void *connect_page = call_slot<void *>(kernel, 7, 8);
    void *quick_launch_page = call_slot<void *>(kernel, 9, 1);
    QCOMPARE(call_slot<int>(connect_page, 3), 8);
    QCOMPARE(call_slot<int>(quick_launch_page, 3), 9);
    QCOMPARE(call_slot<void *>(kernel, 9, 0), connect_page);

    call_slot<void>(kernel, 10, 9);
    QCOMPARE(container.findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly).size(), 1);
    call_slot<void>(kernel, 11);
    QVERIFY(container.findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly).isEmpty());

    // Slots without meaning take their arguments and change nothing.
    for (int slot : {12, 18})
        call_slot<void>(kernel, slot);
    for (int slot : {17, 19, 20, 21, 26, 27, 37, 38})
        call_slot<void>(kernel, slot, 1);
    for (int slot : {22, 23, 25, 34, 35})
        call_slot<void>(kernel, slot, 1, 2);
    call_slot<void>(kernel, 24, 1, 2, 3);
    QCOMPARE(call_slot<int>(kernel, 41), 0);

    QString payload = QStringLiteral("hello");
    call_slot<void>(kernel, 42, 3, &payload);
    QCOMPARE(journal, QStringList{QStringLiteral("message 3 hello")});

    QByteArray record(8, '\0');
    qToUnaligned<qint32>(26, record.data() + 2);
    call_slot<void>(kernel, 43, static_cast<const void *>(record.constData()));

    QBuffer buffer;
    buffer.setData("block");
    const QString key = call_slot<QString>(kernel, 44, &buffer);
    QSharedMemory reader(key);
    QVERIFY2(reader.attach(QSharedMemory::ReadOnly), qPrintable(key));
    QCOMPARE(QByteArray(static_cast<const char *>(reader.constData()), 5), QByteArray("block"));
    reader.detach();

    call_slot<void>(kernel, 47);
    QVERIFY(container.findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly).isEmpty());
}

void tst_abi::page_faces_data()
{
    QTest::addColumn<int>("page_id");
    QTest::addColumn<int>("text_id");
    QTest::newRow("connect page") << 8 << 358;
    QTest::newRow("quick-launch page") << 9 << 359;
}

void tst_abi::page_faces()
{
    QFETCH(int, page_id);
    QFETCH(int, text_id);
    QStringList journal;
    recording_client_c client(&journal);
    QWidget container;
    product_kernel_i *kernel = new_kernel();
    call_slot<void>(kernel, 2, static_cast<kernel_client_i *>(&client), &container);

    void *face = call_slot<void *>(kernel, 7, page_id);
    void *page = call_slot<void *>(face, 0, &iid_interface_i);
    QVERIFY(page != nullptr && page != face);
    QCOMPARE(call_slot<void *>(page, 0, &iid_product_function_page_i), face);

    // The page's own table: 13 listener slots, then the page slots from
    // initialise on (query_interface and release already have slots 0 and 1).
    const auto own_slot = [](int page_slot) { return 13 + page_slot - 2; };
    QCOMPARE(call_slot<int>(page, own_slot(3)), page_id);
    QCOMPARE(call_slot<int>(page, own_slot(4), 5), 0);
    QCOMPARE(call_slot<int>(face, 4, 5), 0);
    call_slot<void>(face, 6);
    call_slot<void>(face, 7, 1, 2);
    call_slot<void>(face, 8, 1);

    auto *button = call_slot<QPushButton *>(face, 9);
    QVERIFY(button != nullptr);
    QCOMPARE(button->text(), host.text_provider()->get_text(text_id, 0));
    call_slot<void>(face, 5, &container);
    call_slot<void>(face, 5, static_cast<QWidget *>(nullptr));
    call_slot<void>(face, 10);
    QVERIFY(button->isChecked());
    QCOMPARE(container.findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly).size(), 1);
    call_slot<void>(face, 11);
    QVERIFY(!button->isChecked());

    // Listener faces: each leads back to the page, each slot does its part.
    void *language = call_slot<void *>(page, 0, &iid_language_listener_i);
    void *center = call_slot<void *>(page, 0, &iid_ctrl_center_listener_i);
    void *kernel_listener = call_slot<void *>(page, 0, &iid_product_kernel_listener_i);
    for (void *listener_face : {language, center, kernel_listener})
        QCOMPARE(call_slot<void *>(listener_face, 0, &iid_interface_i), page);
    button->setText(QStringLiteral("x"));
    call_slot<void>(language, 2, static_cast<void *>(nullptr), 0);
    QCOMPARE(button->text(), host.text_provider()->get_text(text_id, 0));
    QCOMPARE(button->maximumWidth(), QFontMetrics(button->font()).horizontalAdvance(button->text()) + 48);
    call_slot<void>(page, 6, static_cast<void *>(nullptr), 0);
    call_slot<void>(kernel_listener, 2);
    for (int slot : {2, 3, 4})
        call_slot<void>(center, slot, 0);
    // The client names no active kernel: the page lets go of the button.
    button->setText(QStringLiteral("kept"));
    call_slot<void>(language, 2, static_cast<void *>(nullptr), 0);
    QCOMPARE(button->text(), QStringLiteral("kept"));

    call_slot<void>(kernel, 1);
    delete button;
}

void tst_abi::language_listener_faces()
{
    QCOMPARE(host.listeners().size(), 1);
    void *listener = host.listeners().first();
    QCOMPARE(call_slot<void *>(listener, 0, &iid_listener_i), listener);
    void *face = call_slot<void *>(listener, 0, &iid_language_listener_i);
    QVERIFY(face != nullptr);
    QCOMPARE(call_slot<void *>(face, 0, &iid_interface_i), listener);
    QCOMPARE(call_slot<void *>(face, 0, &iid_ctrl_center_listener_i), nullptr);

    // Slot 2 of the language face reloads the translation for the host's language.
    // The listener leaves the registry first, so only the raw call can reload it.
    auto *registry =
        static_cast<listener_registry_i *>(host.ctrl_center()->query_interface(&iid_listener_registry_i));
    registry->remove_listener(static_cast<listener_i *>(listener));
    host.set_language(3);
    QCOMPARE(QCoreApplication::translate("QFileDialog", "Open"), QStringLiteral("Open"));
    call_slot<void>(face, 2, static_cast<void *>(nullptr), 0);
    QCOMPARE(QCoreApplication::translate("QFileDialog", "Open"), QStringLiteral("Öffnen"));
    registry->add_listener(static_cast<listener_i *>(listener));
    host.set_language(0);
}

void tst_abi::host_faces()
{
    void *host_object = host.host_face();
    void *ctrl_center = call_slot<void *>(host_object, 3);
    QCOMPARE(ctrl_center, static_cast<void *>(host.ctrl_center()));

    void *provider = call_slot<void *>(ctrl_center, 7);
    QVERIFY(provider != nullptr);
    QCOMPARE(call_slot<QString>(provider, 2, 540, 0), QStringLiteral("YES"));

    void *registry = call_slot<void *>(ctrl_center, 0, &iid_listener_registry_i);
    void *language = call_slot<void *>(ctrl_center, 0, &iid_language_service_i);
    QVERIFY(registry != nullptr && language != nullptr);
    QCOMPARE(call_slot<void *>(registry, 0, &iid_language_service_i), language);
    host.set_language(1);
    QCOMPARE(call_slot<int>(language, 2), 1);
    host.set_language(0);

    const int listeners = host.listeners().size();
    void *listener = host.listeners().first();
    call_slot<void>(registry, 3, listener);
    QCOMPARE(host.listeners().size(), listeners - 1);
    call_slot<void>(registry, 2, listener);
    QCOMPARE(host.listeners().size(), listeners);

    call_slot<void>(ctrl_center, 16, 1, 1, 0);
    QCOMPARE(host.calls().last(), QStringLiteral("notify_modal_dialog(1, 1, 0)"));

    QCOMPARE(call_slot<void *>(host_object, 6, component_info_badge, &iid_info_badge_i), nullptr);
    QCOMPARE(host.calls().last(), QStringLiteral("create_component(0x1601)"));

    auto factory = host.factory(vorla_connect_product_id);
    call_slot<void>(host_object, 5, vorla_connect_product_id);
    QVERIFY(host.factory(vorla_connect_product_id) == nullptr);
    call_slot<void>(host_object, 4, factory, vorla_connect_product_id);
    QVERIFY(host.factory(vorla_connect_product_id) == factory);
}

QTEST_MAIN(tst_abi)
#include "tst_abi.moc"
