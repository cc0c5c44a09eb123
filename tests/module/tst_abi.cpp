// The module as the host loads it: its two entry points, and every interface
// exercised through raw slot indexes, never through the C++ declarations, so
// that both sides' layouts are checked against the numbers the host and the
// module rely on.
#include "host/control_centre_c.h"
#include "module/host_interfaces.h"
#include "raw_vtable.h"
#include "recording_fakes.h"

#include <QPushButton>
#include <QtTest>

namespace {
int child_count(const QWidget &widget)
{
    return widget.findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly).size();
}

QString open_text()
{
    return QCoreApplication::translate("QFileDialog", "Open");
}
} // namespace

class tst_abi : public QObject
{
    Q_OBJECT

    product_kernel_i *new_kernel() { return host.factory(vorla_connect_product_id)(); }
    // Each load takes its own copy of the file, so that the module's static state
    // (host pointer, log, listener) starts fresh as on a real first load.
    QString fresh_copy()
    {
        const QString path = copies.filePath(QStringLiteral("libvorla_connect_%1.so").arg(++copy_count));
        return QFile::copy(QStringLiteral(VORLA_MODULE_FILE), path) ? path : QString();
    }

    QTemporaryDir copies;
    int copy_count = 0;
    control_centre_c host;

private slots:
    void initTestCase()
    {
        host.set_language(1);
        QString error;
        QVERIFY2(host.load_module(fresh_copy(), &error), qPrintable(error));
        QCOMPARE(host.calls().count(QStringLiteral("register_kernel_factory(266)")), 1);
        QCOMPARE(host.listeners().size(), 1);
        QCOMPARE(open_text(), QStringLiteral("打开"));
        host.set_language(3);
        QCOMPARE(open_text(), QStringLiteral("Öffnen"));
        host.set_language(0);
        // The user root is the parent of this program's data location; the
        // catalogue staged beside the test names the product folder.
        const QString log_dir =
            QDir::cleanPath(QStandardPaths::standardLocations(QStandardPaths::AppDataLocation).first() +
                            QStringLiteral("/../MIRVEK/CONTROL_CENTRE/log/vorla_connect"));
        const QStringList logs = QDir(log_dir).entryList(QDir::Files);
        QVERIFY2(!logs.isEmpty(), qPrintable(log_dir));
        QVERIFY(
            QRegularExpression(QStringLiteral("^\\d{4}(_\\d\\d){5}\\.txt$")).match(logs.last()).hasMatch());
    }
    // Leaving takes the listener out before the factory, each once, and removes
    // the module's translator from the application.
    void cleanupTestCase()
    {
        host.clear_calls();
        host.unload_module();
        QCOMPARE(host.calls(), (QStringList{"remove_listener", "unregister_kernel_factory(266)"}));
        QVERIFY(host.listeners().isEmpty());
        QCOMPARE(open_text(), QStringLiteral("Open"));
    }

    // A module given no host registers nothing, even with a host object alive.
    void without_host_nothing_is_registered()
    {
        control_centre_c bystander;
        QLibrary library(fresh_copy());
        QVERIFY2(library.load(), qPrintable(library.errorString()));
        auto init_module = reinterpret_cast<void (*)(module_host_i *)>(library.resolve("init_module"));
        auto exit_module = reinterpret_cast<void (*)()>(library.resolve("exit_module"));
        QVERIFY(init_module && exit_module);
        init_module(nullptr);
        exit_module();
        QVERIFY(bystander.calls().isEmpty() && bystander.listeners().isEmpty());
        QVERIFY(library.unload());
    }

    void kernel_every_slot()
    {
        QStringList journal;
        recording_client_c client(&journal);
        QWidget container;
        product_kernel_i *kernel = new_kernel(), *second = new_kernel();
        QVERIFY(kernel != nullptr && second != nullptr && !same_object(kernel, second));
        call_slot<void>(second, 1);
        // One call per slot whose answer proves its index: neighbouring slots
        // answer differently (0, 4, -1, 1), so a shift by one shows.
        const struct
        {
            int slot, arguments, expected;
        } fixed[] = {{4, 0, 0},   {5, 0, 0},  {6, 0, 4},  {13, 0, 0}, {14, 0, 0}, {15, 0, -1},
                     {16, 0, -1}, {32, 0, 1}, {36, 0, 1}, {39, 0, 0}, {41, 0, 0}, {29, 1, 0},
                     {31, 1, 0},  {33, 1, 0}, {40, 1, 0}, {45, 2, 0}};
        for (const auto &f : fixed) {
            const int result = f.arguments == 0   ? call_slot<int>(kernel, f.slot)
                               : f.arguments == 1 ? call_slot<int>(kernel, f.slot, 77)
                                                  : call_slot<int>(kernel, f.slot, 77, 88);
            QVERIFY2(result == f.expected,
                     qPrintable(QStringLiteral("slot %1 gave %2").arg(f.slot).arg(result)));
        }
        // A text answer is returned through a hidden pointer, which a shift would misplace.
        QCOMPARE(call_slot<QString>(kernel, 28, 1), QString());
        QCOMPARE(call_slot<QString>(kernel, 30, 1, 2), QString());
        QCOMPARE(call_slot<void *>(kernel, 0, &iid_product_kernel_i), static_cast<void *>(kernel));
        QCOMPARE(call_slot<void *>(kernel, 0, &iid_interface_i), static_cast<void *>(kernel));
        QCOMPARE(call_slot<void *>(kernel, 0, &iid_listener_i), nullptr);
        // Until the host initialises the kernel there is no page to show and no client to tell.
        QCOMPARE(call_slot<void *>(kernel, 3), nullptr);
        QCOMPARE(call_slot<int>(kernel, 8), 0);
        call_slot<void>(kernel, 10, 8);
        QString payload = QStringLiteral("early");
        call_slot<void>(kernel, 42, 12, &payload);
        call_slot<void>(kernel, 2, static_cast<kernel_client_i *>(&client), &container);
        QCOMPARE(call_slot<void *>(kernel, 3), static_cast<void *>(&client));
        QCOMPARE(call_slot<int>(kernel, 8), 2);
        void *connect_page = call_slot<void *>(kernel, 7, 8);
        void *quick_launch_page = call_slot<void *>(kernel, 9, 1);
        QCOMPARE(call_slot<int>(connect_page, 3), 8);
        QCOMPARE(call_slot<int>(quick_launch_page, 3), 9);
        QCOMPARE(call_slot<void *>(kernel, 9, 0), connect_page);
        QCOMPARE(call_slot<void *>(kernel, 7, 7), nullptr);
        call_slot<void>(kernel, 10, 9);
        QCOMPARE(child_count(container), 1);
        call_slot<void>(kernel, 11);
        QVERIFY(child_count(container) == 0);
        payload = QStringLiteral("hello");
        call_slot<void>(kernel, 42, 3, &payload);
        QCOMPARE(journal, QStringList{QStringLiteral("message 3 hello")});
        const char record[8] = {0, 0, 26}; // host event 26, little-endian from byte 2
        call_slot<void>(kernel, 43, static_cast<const void *>(record));
        QBuffer buffer;
        buffer.setData("block");
        const QString key = call_slot<QString>(kernel, 44, &buffer);
        QVERIFY2(QSharedMemory(key).attach(QSharedMemory::ReadOnly), qPrintable(key));
        // The deleting destructor; page_faces ends through release. Under
        // AddressSanitizer a wrong slot shows as a leak or a bad free.
        call_slot<void>(kernel, 47);
        QVERIFY(child_count(container) == 0);
    }

    void page_faces_data()
    {
        QTest::addColumn<int>("page_id");
        QTest::addColumn<int>("text_id");
        QTest::newRow("connect page") << 8 << 358;
        QTest::newRow("quick-launch page") << 9 << 359;
    }

    void page_faces()
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
        QCOMPARE(call_slot<int>(page, 13 + 3 - 2), page_id);
        QCOMPARE(call_slot<int>(face, 4, 5), 0);
        // Hiding a hidden page leaves the button alone; showing twice keeps one
        // form, in the first container given; hiding ends it.
        auto *button = call_slot<QPushButton *>(face, 9);
        button->setChecked(true);
        call_slot<void>(face, 11);
        QVERIFY(button->isChecked());
        call_slot<void>(face, 5, &container);
        call_slot<void>(face, 5, static_cast<QWidget *>(nullptr));
        call_slot<void>(face, 10);
        call_slot<void>(face, 10);
        QVERIFY(button->isChecked());
        QCOMPARE(child_count(container), 1);
        const QPointer<QWidget> form = container.findChild<QWidget *>(QString(), Qt::FindDirectChildrenOnly);
        call_slot<void>(face, 11);
        QVERIFY(!button->isChecked() && form.isNull());
        // Listener faces: each leads back to the page, each slot does its part.
        void *language = call_slot<void *>(page, 0, &iid_language_listener_i);
        void *center = call_slot<void *>(page, 0, &iid_ctrl_center_listener_i);
        void *kernel_listener = call_slot<void *>(page, 0, &iid_product_kernel_listener_i);
        for (void *listener_face : {language, center, kernel_listener})
            QCOMPARE(call_slot<void *>(listener_face, 0, &iid_interface_i), page);
        button->setText(QStringLiteral("x"));
        call_slot<void>(language, 2, static_cast<void *>(nullptr), 0);
        QCOMPARE(button->text(), host.text_provider()->get_text(text_id, 0));
        call_slot<void>(page, 6, static_cast<void *>(nullptr), 0);
        call_slot<void>(kernel_listener, 2);
        for (int slot : {2, 3, 4})
            call_slot<void>(center, slot, 0);
        call_slot<void>(kernel, 1);
        delete button;
    }

    void host_faces()
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
        // The module's own listener: out of the registry, only the raw call to slot 2
        // of its language face can reload the translation for the host's language.
        QCOMPARE(host.listeners().size(), 1);
        void *listener = host.listeners().first();
        QCOMPARE(call_slot<void *>(listener, 0, &iid_listener_i), listener);
        void *face = call_slot<void *>(listener, 0, &iid_language_listener_i);
        QCOMPARE(call_slot<void *>(face, 0, &iid_interface_i), listener);
        call_slot<void>(registry, 3, listener);
        QVERIFY(host.listeners().isEmpty());
        host.set_language(3);
        QCOMPARE(open_text(), QStringLiteral("Open"));
        call_slot<void>(face, 2, static_cast<void *>(nullptr), 0);
        QCOMPARE(open_text(), QStringLiteral("Öffnen"));
        call_slot<void>(registry, 2, listener);
        QCOMPARE(host.listeners().size(), 1);
        host.set_language(1);
        QCOMPARE(call_slot<int>(language, 2), 1);
        host.set_language(0);
        call_slot<void>(ctrl_center, 16, 1, 1, 0);
        QCOMPARE(host.calls().last(), QStringLiteral("notify_modal_dialog(1, 1, 0)"));
        // A kind asked for through a face it does not have gives nothing.
        QCOMPARE(call_slot<void *>(host_object, 6, component_info_badge, &iid_progress_i), nullptr);
        QCOMPARE(host.calls().last(), QStringLiteral("create_component(0x1601)"));
        auto factory = host.factory(vorla_connect_product_id);
        call_slot<void>(host_object, 5, vorla_connect_product_id);
        QVERIFY(host.factory(vorla_connect_product_id) == nullptr);
        call_slot<void>(host_object, 4, factory, vorla_connect_product_id);
        QVERIFY(host.factory(vorla_connect_product_id) == factory);
    }
};

QTEST_MAIN(tst_abi)
#include "tst_abi.moc"
