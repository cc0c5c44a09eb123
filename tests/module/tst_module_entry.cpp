#include "host/control_centre_c.h"
#include "module/host_interfaces.h"
#include "module_copy.h"

#include <QtTest>

class tst_module_entry : public QObject
{
    Q_OBJECT
    QTemporaryDir copies;

private slots:
    void without_host_nothing_is_registered()
    {
        control_centre_c bystander;
        QLibrary library(fresh_module_copy(copies));
        QVERIFY2(library.load(), qPrintable(library.errorString()));
        auto init_module = reinterpret_cast<void (*)(module_host_i *)>(library.resolve("init_module"));
        auto exit_module = reinterpret_cast<void (*)()>(library.resolve("exit_module"));
        QVERIFY(init_module && exit_module);
        init_module(nullptr);
        exit_module();
        QVERIFY(bystander.calls().isEmpty() && bystander.listeners().isEmpty());
        QVERIFY(library.unload());
    }

    void load_use_and_unload()
    {
        const auto open_text = [] { return QCoreApplication::translate("QFileDialog", "Open"); };
        control_centre_c host;
        host.set_language(1);
        QString error;
        QVERIFY2(host.load_module(fresh_module_copy(copies), &error), qPrintable(error));
        QCOMPARE(host.calls().count(QStringLiteral("register_kernel_factory(266)")), 1);
        QCOMPARE(host.listeners().size(), 1);
        QCOMPARE(open_text(), QStringLiteral("打开"));
        host.set_language(3);
        QCOMPARE(open_text(), QStringLiteral("Öffnen"));

        // The user root is the parent of this program's data location; the
        // catalogue staged beside the test names the product folder.
        const QString log_dir =
            QDir::cleanPath(QStandardPaths::standardLocations(QStandardPaths::AppDataLocation).first() +
                            QStringLiteral("/../MIRVEK/CONTROL_CENTRE/log/vorla_connect"));
        const QStringList logs = QDir(log_dir).entryList(QDir::Files);
        QVERIFY2(!logs.isEmpty(), qPrintable(log_dir));
        QVERIFY(
            QRegularExpression(QStringLiteral("^\\d{4}(_\\d\\d){5}\\.txt$")).match(logs.last()).hasMatch());

        const kernel_factory_t factory = host.factory(vorla_connect_product_id);
        QVERIFY(factory != nullptr);
        product_kernel_i *first = factory(), *second = factory();
        QVERIFY(first != nullptr && second != nullptr && !same_object(first, second));
        first->release();
        second->release();

        const int before_exit = host.calls().size();
        host.unload_module();
        const QStringList exit_calls = host.calls().mid(before_exit);
        const int removed = exit_calls.indexOf(QStringLiteral("remove_listener"));
        QVERIFY2(removed >= 0 &&
                     exit_calls.indexOf(QStringLiteral("unregister_kernel_factory(266)")) > removed,
                 qPrintable(exit_calls.join(QLatin1String(", "))));
        QCOMPARE(exit_calls.count(QStringLiteral("unregister_kernel_factory(266)")), 1);
        QVERIFY(host.listeners().isEmpty());
        // Leaving removes the module's translator from the application.
        QCOMPARE(open_text(), QStringLiteral("Open"));
    }
};

QTEST_MAIN(tst_module_entry)
#include "tst_module_entry.moc"
