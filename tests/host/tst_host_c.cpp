// The control centre without the product module: listeners, kernel factories,
// host texts and what arrives from a kernel.
#include "host/control_centre_c.h"
#include "host/kernel_client_c.h"

#include <QCoreApplication>
#include <QSharedMemory>
#include <QSignalSpy>
#include <QtEndian>
#include <QtTest>

#include <cstring>
#include <functional>
#include <memory>
#include <utility>

namespace {
// Registers itself like a module form does and removes itself when it dies.
class test_listener_c : public listener_i, public language_listener_i
{
public:
    explicit test_listener_c(listener_registry_i *registry) : m_registry(registry)
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
        ++calls;
        last_service = service;
        last_language = service ? service->get_language() : -1;
        if (on_change)
            std::exchange(on_change, nullptr)();
    }

    int calls = 0;
    language_service_i *last_service = nullptr;
    int last_language = -1;
    std::function<void()> on_change;

private:
    listener_registry_i *m_registry;
};

int factory_calls = 0;
product_kernel_i *counting_factory()
{
    ++factory_calls;
    return nullptr;
}
} // namespace

class tst_host_c : public QObject
{
    Q_OBJECT

private slots:
    void language_switch_reaches_listeners_data();
    void language_switch_reaches_listeners();
    void factories_and_failed_load();
    void texts_data();
    void texts();
    void shared_block_message_data();
    void shared_block_message();
    void host_event_record();
};

void tst_host_c::language_switch_reaches_listeners_data()
{
    // Three listeners; `actor` destroys `targets` when told (or, with -1, before the
    // switch). `told` is how often each hears the switch.
    QTest::addColumn<int>("actor");
    QTest::addColumn<QList<int>>("targets");
    QTest::addColumn<QList<int>>("told");

    QTest::newRow("nobody acts") << -1 << QList<int>{} << QList<int>{1, 1, 1};
    QTest::newRow("gone before") << -1 << QList<int>{1} << QList<int>{1, 0, 1};
    QTest::newRow("destroys itself") << 1 << QList<int>{1} << QList<int>{1, 1, 1};
    QTest::newRow("destroys a later one") << 1 << QList<int>{2} << QList<int>{1, 1, 0};
    QTest::newRow("destroys an earlier one") << 2 << QList<int>{0} << QList<int>{1, 1, 1};
    QTest::newRow("destroys everyone") << 0 << QList<int>{0, 1, 2} << QList<int>{1, 0, 0};
}

void tst_host_c::language_switch_reaches_listeners()
{
    QFETCH(int, actor);
    QFETCH(QList<int>, targets);
    QFETCH(QList<int>, told);

    control_centre_c host;
    ctrl_center_i *center = host.host_face()->get_ctrl_center();
    auto *registry = static_cast<listener_registry_i *>(center->query_interface(&iid_listener_registry_i));
    void *service = center->query_interface(&iid_language_service_i);
    // The module reaches the service through the registry and compares identities.
    QCOMPARE(registry->query_interface(&iid_language_service_i), service);

    std::unique_ptr<test_listener_c> listeners[3];
    int calls[3] = {0, 0, 0};
    for (auto &listener : listeners)
        listener = std::make_unique<test_listener_c>(registry);
    registry->add_listener(listeners[0].get()); // a second registration is not a second listener
    const auto act = [&] {
        for (int target : targets) {
            calls[target] = listeners[target]->calls;
            listeners[target].reset();
        }
    };
    if (actor < 0)
        act();
    else
        listeners[actor]->on_change = act;

    host.set_language(1);
    QList<listener_i *> remaining;
    for (int i = 0; i < 3; ++i) {
        if (!listeners[i])
            continue;
        calls[i] = listeners[i]->calls;
        remaining.append(listeners[i].get());
        if (calls[i] > 0) {
            QCOMPARE(listeners[i]->last_language, 1);
            QCOMPARE(static_cast<void *>(listeners[i]->last_service), service);
        }
    }
    QCOMPARE((QList<int>{calls[0], calls[1], calls[2]}), told);
    QCOMPARE(host.listeners(), remaining);
}

void tst_host_c::factories_and_failed_load()
{
    control_centre_c host;
    factory_calls = 0;
    module_host_i *face = host.host_face();
    face->register_kernel_factory(nullptr, 7);
    face->register_kernel_factory(&counting_factory, vorla_connect_product_id);
    QCOMPARE(host.product_ids(), QList<int>{vorla_connect_product_id});
    host.create_kernel(vorla_connect_product_id);
    host.create_kernel(7);
    QCOMPARE(factory_calls, 1);
    face->unregister_kernel_factory(vorla_connect_product_id);
    QCOMPARE(host.create_kernel(vorla_connect_product_id), nullptr);
    QCOMPARE(factory_calls, 1);

    control_centre_c fresh;
    QString error;
    QVERIFY(!fresh.load_module(QStringLiteral("/nonexistent/libvorla_connect.so"), &error));
    QVERIFY(error.contains(QLatin1String("/nonexistent/libvorla_connect.so")));
    QVERIFY(!fresh.module_loaded());
    fresh.unload_module();
    QCOMPARE(fresh.calls(), QStringList());
}

void tst_host_c::texts_data()
{
    QTest::addColumn<int>("language");
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("expected");

    QTest::newRow("English") << 0 << 1 << "CANCEL";
    QTest::newRow("Chinese") << 1 << 550 << QString::fromUtf8("已配对");
    QTest::newRow("German") << 3 << 540 << "JA";
    QTest::newRow("language without table") << 7 << 541 << "NO";
    QTest::newRow("unknown id") << 1 << 999 << QString();
}

void tst_host_c::texts()
{
    QFETCH(int, language);
    QFETCH(int, id);
    QFETCH(QString, expected);

    // The way the module reaches a text: host, control centre, provider.
    control_centre_c host;
    host.set_language(language);
    QCOMPARE(host.host_face()->get_ctrl_center()->get_text_provider()->get_text(id, 0), expected);
    // Every text the module asks for exists in every language.
    const QList<int> ranges{1, 1, 358, 366, 531, 554};
    for (int r = 0; r < ranges.size(); r += 2) {
        for (int i = ranges[r]; i <= ranges[r + 1]; ++i)
            QVERIFY2(!host.text_provider()->get_text(i, 0).trimmed().isEmpty(),
                     qPrintable(QString::number(i)));
    }
}

void tst_host_c::shared_block_message_data()
{
    // Null bytes: no segment under the key at all. A code of -1: the block is refused.
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("argument");

    const QByteArray remove_abc = QByteArray::fromHex("00000003"
                                                      "00000006"
                                                      "006100620063");
    QTest::newRow("remove abc") << remove_abc << 3 << "abc";
    QTest::newRow("null id") << QByteArray::fromHex("00000001ffffffff") << 1 << QString();
    QTest::newRow("no segment") << QByteArray() << -1 << QString();
    QTest::newRow("command only") << QByteArray::fromHex("00000003") << -1 << QString();
    QTest::newRow("string cut short") << remove_abc.left(11) << -1 << QString();
    QTest::newRow("odd byte count") << QByteArray::fromHex("0000000300000003006100") << -1 << QString();
    QTest::newRow("byte left over") << remove_abc + '\0' << -1 << QString();
    QTest::newRow("count beyond the block") << QByteArray::fromHex("000000037ffffffe0061") << -1 << QString();
    QTest::newRow("command 6") << QByteArray::fromHex("00000006ffffffff") << -1 << QString();
}

void tst_host_c::shared_block_message()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, code);
    QFETCH(QString, argument);

    // Written as the module does: a segment of exactly the block's size, kept
    // attached by the writer while the host reads it.
    QString key = QStringLiteral("VORLATEST_%1_%2")
                      .arg(QCoreApplication::applicationPid())
                      .arg(QString::fromLatin1(QTest::currentDataTag()).remove(QLatin1Char(' ')));
    QSharedMemory writer(key);
    if (!bytes.isNull()) {
        QVERIFY2(writer.create(bytes.size()), qPrintable(writer.errorString()));
        std::memcpy(writer.data(), bytes.constData(), bytes.size());
    }

    kernel_client_c client;
    QSignalSpy decoded(&client, &kernel_client_c::client_command);
    client.face()->on_kernel_message(nullptr, 12, &key);
    QCOMPARE(client.messages(), (QList<QPair<int, QString>>{{12, key}}));
    QCOMPARE(decoded.count(), code < 0 ? 0 : 1);
    if (code >= 0) {
        QCOMPARE(decoded.at(0).at(0).toInt(), code);
        QCOMPARE(decoded.at(0).at(1).toString(), argument);
        QCOMPARE(decoded.at(0).at(1).toString().isNull(), argument.isNull());
    }
}

void tst_host_c::host_event_record()
{
    for (int code : {26, 0x01020304, -2}) {
        QByteArray record = control_centre_c::host_event_record(code);
        QCOMPARE(record.size(), 16);
        QCOMPARE(qFromUnaligned<qint32>(record.constData() + 2), code);
        QCOMPARE(record.remove(2, 4), QByteArray(12, '\0'));
    }
}

QTEST_GUILESS_MAIN(tst_host_c)
#include "tst_host_c.moc"
