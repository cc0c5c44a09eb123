#include "host/control_centre_c.h"
#include "module/host_interfaces.h"
#include "module_copy.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>
#include <QStandardPaths>
#include <QtTest>

class tst_module_entry : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void without_host_nothing_is_registered();
    void registers_once_and_unregisters_after_listener_left();
    void log_starts_in_user_data_directory();
    void translation_follows_host_language_data();
    void translation_follows_host_language();
    void factory_makes_independent_kernels();

private:
    QTemporaryDir copies;
};

void tst_module_entry::init()
{
    QVERIFY(copies.isValid());
}

void tst_module_entry::without_host_nothing_is_registered()
{
    control_centre_c bystander;
    QLibrary library(fresh_module_copy(copies));
    QVERIFY2(library.load(), qPrintable(library.errorString()));
    auto init_module = reinterpret_cast<void (*)(module_host_i *)>(library.resolve("init_module"));
    auto exit_module = reinterpret_cast<void (*)()>(library.resolve("exit_module"));
    QVERIFY(init_module && exit_module);

    init_module(nullptr);
    exit_module();
    QVERIFY(bystander.calls().isEmpty());
    QVERIFY(bystander.listeners().isEmpty());
    QVERIFY(library.unload());
}

void tst_module_entry::registers_once_and_unregisters_after_listener_left()
{
    control_centre_c host;
    QString error;
    QVERIFY2(host.load_module(fresh_module_copy(copies), &error), qPrintable(error));
    QCOMPARE(host.calls().count(QStringLiteral("register_kernel_factory(266)")), 1);
    QVERIFY(host.factory(vorla_connect_product_id) != nullptr);
    QCOMPARE(host.listeners().size(), 1);

    const int before_exit = host.calls().size();
    host.unload_module();
    const QStringList exit_calls = host.calls().mid(before_exit);
    const int removed = exit_calls.indexOf(QStringLiteral("remove_listener"));
    const int unregistered = exit_calls.indexOf(QStringLiteral("unregister_kernel_factory(266)"));
    QVERIFY2(removed >= 0 && unregistered > removed, qPrintable(exit_calls.join(QLatin1String(", "))));
    QCOMPARE(exit_calls.count(QStringLiteral("unregister_kernel_factory(266)")), 1);
    QVERIFY(host.listeners().isEmpty());
    QVERIFY(host.factory(vorla_connect_product_id) == nullptr);
}

void tst_module_entry::log_starts_in_user_data_directory()
{
    // The user root is the parent of this program's data location; the catalogue
    // staged beside the test names the product folder.
    const QString log_dir =
        QDir::cleanPath(QStandardPaths::standardLocations(QStandardPaths::AppDataLocation).first() +
                        QStringLiteral("/../MIRVEK/CONTROL_CENTRE/log/vorla_connect"));
    control_centre_c host;
    QVERIFY(host.load_module(fresh_module_copy(copies)));
    const QStringList files = QDir(log_dir).entryList(QDir::Files);
    QVERIFY2(!files.isEmpty(), qPrintable(log_dir));
    QVERIFY(QRegularExpression(QStringLiteral("^\\d{4}(_\\d\\d){5}\\.txt$")).match(files.last()).hasMatch());
    host.unload_module();
}

void tst_module_entry::translation_follows_host_language_data()
{
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("second");
    QTest::addColumn<QString>("expected_first");
    QTest::addColumn<QString>("expected_second");
    QTest::newRow("Chinese, then German") << 1 << 3 << QStringLiteral("打开") << QStringLiteral("Öffnen");
    QTest::newRow("German, then English") << 3 << 0 << QStringLiteral("Öffnen") << QStringLiteral("Open");
}

void tst_module_entry::translation_follows_host_language()
{
    QFETCH(int, first);
    QFETCH(int, second);
    QFETCH(QString, expected_first);
    QFETCH(QString, expected_second);
    const auto open_text = [] { return QCoreApplication::translate("QFileDialog", "Open"); };

    control_centre_c host;
    host.set_language(first);
    QVERIFY(host.load_module(fresh_module_copy(copies)));
    QCOMPARE(open_text(), expected_first);
    host.set_language(second);
    QCOMPARE(open_text(), expected_second);

    // Leaving removes the module's translator from the application.
    host.unload_module();
    QCOMPARE(open_text(), QStringLiteral("Open"));
}

void tst_module_entry::factory_makes_independent_kernels()
{
    control_centre_c host;
    QVERIFY(host.load_module(fresh_module_copy(copies)));
    const kernel_factory_t factory = host.factory(vorla_connect_product_id);
    QVERIFY(factory != nullptr);
    product_kernel_i *first = factory();
    product_kernel_i *second = factory();
    QVERIFY(first != nullptr && second != nullptr);
    QVERIFY(!same_object(first, second));
    QCOMPARE(first->query_interface(&iid_product_kernel_i), static_cast<void *>(first));
    // The factory leaves kernels empty: no pages until the host initialises them.
    QCOMPARE(first->page_count(), 0);
    first->release();
    second->release();
    host.unload_module();
}

QTEST_MAIN(tst_module_entry)
#include "tst_module_entry.moc"
