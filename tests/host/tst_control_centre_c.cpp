#include "host/control_centre_c.h"

#include <QLibrary>
#include <QSignalSpy>
#include <QtTest>

#include <functional>
#include <memory>

namespace {
// Registers itself like a module form does and removes itself when it dies.
class test_listener_c : public listener_i, public language_listener_i
{
public:
    test_listener_c(listener_registry_i *registry, int *calls) : m_registry(registry), m_calls(calls)
    {
        m_registry->add_listener(this);
    }
    ~test_listener_c() { m_registry->remove_listener(this); }

    void *query_interface(const interface_id_t *id) override
    {
        if (same_interface_id(id, iid_interface_i) || same_interface_id(id, iid_listener_i))
            return static_cast<listener_i *>(this);
        if (same_interface_id(id, iid_language_listener_i))
            return static_cast<language_listener_i *>(this);
        return nullptr;
    }
    void release() override {}
    void listener_notify(int) override {}
    void listener_refresh() override {}
    void language_changed(language_service_i *service, int) override
    {
        ++*m_calls;
        last_service = service;
        last_language = service ? service->get_language() : -1;
        if (on_change)
            on_change();
    }

    language_service_i *last_service = nullptr;
    int last_language = -1;
    std::function<void()> on_change;

private:
    listener_registry_i *m_registry;
    int *m_calls;
};

int factory_calls = 0;
product_kernel_i *counting_factory()
{
    ++factory_calls;
    return nullptr;
}

listener_registry_i *registry_of(control_centre_c &host)
{
    return static_cast<listener_registry_i *>(host.ctrl_center()->query_interface(&iid_listener_registry_i));
}
} // namespace

class tst_control_centre_c : public QObject
{
    Q_OBJECT

private slots:
    void faces_answer_each_other();
    void language_switch_reaches_listeners_data();
    void language_switch_reaches_listeners();
    void factory_registry();
    void calls_are_logged_in_order();
    void missing_module_fails_without_calls();
    void module_loads_and_unloads();
    void unload_drops_what_the_module_left();
};

void tst_control_centre_c::faces_answer_each_other()
{
    control_centre_c host;
    ctrl_center_i *center = host.host_face()->get_ctrl_center();
    QCOMPARE(center, host.ctrl_center());
    auto *registry = static_cast<listener_registry_i *>(center->query_interface(&iid_listener_registry_i));
    auto *service = static_cast<language_service_i *>(center->query_interface(&iid_language_service_i));
    QVERIFY(registry && service);
    // The module asks the registry for the language service, and compares identities.
    QCOMPARE(registry->query_interface(&iid_language_service_i), static_cast<void *>(service));
    QVERIFY(same_object(registry, center));
    QVERIFY(same_object(service, center));
    QVERIFY(!same_object(center, host.host_face()));
    QCOMPARE(center->query_interface(&iid_listener_i), nullptr);
    QCOMPARE(center->query_interface(nullptr), nullptr);
    QVERIFY(center->get_text_provider() != nullptr);
}

void tst_control_centre_c::language_switch_reaches_listeners_data()
{
    // Three listeners; `actor` acts when told (or, with -1, before the switch) on
    // `targets`, removing or destroying them. `told` is how often each hears the switch.
    QTest::addColumn<int>("actor");
    QTest::addColumn<QList<int>>("targets");
    QTest::addColumn<bool>("destroy");
    QTest::addColumn<QList<int>>("told");

    QTest::newRow("nobody acts") << -1 << QList<int>{} << false << QList<int>{1, 1, 1};
    QTest::newRow("removed before") << -1 << QList<int>{1} << false << QList<int>{1, 0, 1};
    QTest::newRow("destroyed before") << -1 << QList<int>{0} << true << QList<int>{0, 1, 1};
    QTest::newRow("removes itself") << 1 << QList<int>{1} << false << QList<int>{1, 1, 1};
    QTest::newRow("destroys itself") << 1 << QList<int>{1} << true << QList<int>{1, 1, 1};
    QTest::newRow("removes a later one") << 0 << QList<int>{2} << false << QList<int>{1, 1, 0};
    QTest::newRow("destroys a later one") << 1 << QList<int>{2} << true << QList<int>{1, 1, 0};
    QTest::newRow("destroys an earlier one") << 2 << QList<int>{0} << true << QList<int>{1, 1, 1};
    QTest::newRow("destroys everyone") << 0 << QList<int>{0, 1, 2} << true << QList<int>{1, 0, 0};
}

void tst_control_centre_c::language_switch_reaches_listeners()
{
    QFETCH(int, actor);
    QFETCH(QList<int>, targets);
    QFETCH(bool, destroy);
    QFETCH(QList<int>, told);

    control_centre_c host;
    listener_registry_i *registry = registry_of(host);
    int calls[3] = {0, 0, 0};
    std::unique_ptr<test_listener_c> listeners[3];
    for (int i = 0; i < 3; ++i)
        listeners[i] = std::make_unique<test_listener_c>(registry, &calls[i]);
    registry->add_listener(listeners[0].get()); // a second registration is not a second listener
    const auto act = [&] {
        for (int target : targets) {
            if (destroy)
                listeners[target].reset();
            else if (listeners[target])
                registry->remove_listener(listeners[target].get());
        }
    };
    bool acted = false;
    if (actor < 0)
        act();
    else
        listeners[actor]->on_change = [&] {
            if (!acted) {
                acted = true;
                act();
            }
        };

    host.set_language(1);
    QCOMPARE(host.language(), 1);
    QCOMPARE((QList<int>{calls[0], calls[1], calls[2]}), told);
    void *service = host.ctrl_center()->query_interface(&iid_language_service_i);
    for (int i = 0; i < 3; ++i) {
        if (listeners[i] && calls[i] > 0) {
            QCOMPARE(listeners[i]->last_language, 1);
            QCOMPARE(static_cast<void *>(listeners[i]->last_service), service);
        }
    }

    // Whoever is gone stays gone; the others keep hearing.
    QList<listener_i *> remaining;
    for (int i = 0; i < 3; ++i) {
        if (listeners[i] && !targets.contains(i))
            remaining.append(listeners[i].get());
    }
    QCOMPARE(host.listeners(), remaining);
}

void tst_control_centre_c::factory_registry()
{
    control_centre_c host;
    factory_calls = 0;
    module_host_i *face = host.host_face();
    QCOMPARE(host.create_kernel(vorla_connect_product_id), nullptr);

    face->register_kernel_factory(nullptr, 7);
    QCOMPARE(host.product_ids(), QList<int>{});
    face->register_kernel_factory(&counting_factory, vorla_connect_product_id);
    QVERIFY(host.factory(vorla_connect_product_id) == &counting_factory);
    QVERIFY(!host.factory(7));
    host.create_kernel(vorla_connect_product_id);
    host.create_kernel(7);
    QCOMPARE(factory_calls, 1);

    face->unregister_kernel_factory(vorla_connect_product_id);
    QVERIFY(!host.factory(vorla_connect_product_id));
    QCOMPARE(host.create_kernel(vorla_connect_product_id), nullptr);
    QCOMPARE(factory_calls, 1);
}

void tst_control_centre_c::calls_are_logged_in_order()
{
    control_centre_c host;
    QSignalSpy logged(&host, &control_centre_c::call_logged);
    int calls = 0;
    module_host_i *face = host.host_face();
    ctrl_center_i *center = face->get_ctrl_center();
    {
        test_listener_c listener(registry_of(host), &calls);
        face->register_kernel_factory(&counting_factory, vorla_connect_product_id);
        QCOMPARE(face->create_component(component_reset_popup, &iid_reset_popup_i), nullptr);
        QCOMPARE(face->create_component(component_progress, &iid_progress_i), nullptr);
        center->notify_modal_dialog(1, 1, 0);
        center->notify_modal_dialog(0, 1, 0);
        face->unregister_kernel_factory(vorla_connect_product_id);
    }
    const QStringList expected{
        "get_ctrl_center",
        "add_listener",
        "register_kernel_factory(266)",
        "create_component(0x1E01)",
        "create_component(0x3601)",
        "notify_modal_dialog(1, 1, 0)",
        "notify_modal_dialog(0, 1, 0)",
        "unregister_kernel_factory(266)",
        "remove_listener",
    };
    QCOMPARE(host.calls(), expected);
    QStringList announced;
    for (const QList<QVariant> &signal : qAsConst(logged))
        announced.append(signal.at(0).toString());
    QCOMPARE(announced, expected);
}

void tst_control_centre_c::missing_module_fails_without_calls()
{
    control_centre_c host;
    QSignalSpy notes(&host, &control_centre_c::note_logged);
    QString error;
    QVERIFY(!host.load_module(QStringLiteral("/nonexistent/libvorla_connect.so"), &error));
    QVERIFY(error.contains(QLatin1String("/nonexistent/libvorla_connect.so")));
    QVERIFY(!host.module_loaded());
    QCOMPARE(host.calls(), QStringList());
    QCOMPARE(notes.count(), 1); // the window shows why
    host.unload_module();
    QCOMPARE(host.calls(), QStringList());
}

void tst_control_centre_c::module_loads_and_unloads()
{
    control_centre_c host;
    QString error;
    QVERIFY2(host.load_module(QStringLiteral(HOST_FIXTURE_MODULE), &error), qPrintable(error));
    QVERIFY(host.module_loaded());
    QCOMPARE(host.calls(), (QStringList{"get_ctrl_center", "add_listener", "register_kernel_factory(266)"}));
    QVERIFY(host.factory(vorla_connect_product_id) != nullptr);
    QCOMPARE(host.listeners().size(), 1);

    QVERIFY(!host.load_module(QStringLiteral(HOST_FIXTURE_MODULE), &error));
    QCOMPARE(host.calls().size(), 3);

    host.unload_module();
    QVERIFY(!host.module_loaded());
    QCOMPARE(host.calls().mid(3),
             (QStringList{"get_ctrl_center", "remove_listener", "unregister_kernel_factory(266)"}));
    QVERIFY(host.listeners().isEmpty());
}

void tst_control_centre_c::unload_drops_what_the_module_left()
{
    control_centre_c host;
    QVERIFY(host.load_module(QStringLiteral(HOST_FIXTURE_MODULE)));
    {
        QLibrary same(QStringLiteral(HOST_FIXTURE_MODULE));
        const auto leave = reinterpret_cast<void (*)()>(same.resolve("fixture_leave_registrations"));
        QVERIFY(leave);
        leave();
        same.unload(); // the host's own load keeps it mapped
    }
    host.unload_module();
    // Both would point into the unloaded library.
    QVERIFY(!host.factory(vorla_connect_product_id));
    QVERIFY(host.listeners().isEmpty());
}

QTEST_GUILESS_MAIN(tst_control_centre_c)
#include "tst_control_centre_c.moc"
