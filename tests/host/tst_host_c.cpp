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
class test_listener_c final : public listener_i, public language_listener_i
{
public:
    using heard_t = std::function<void(language_service_i *)>;
    test_listener_c(listener_registry_i *registry, heard_t heard) : m_registry(registry), m_heard(heard)
    {
        m_registry->add_listener(this);
    }
    ~test_listener_c() { m_registry->remove_listener(this); }

    void *query_interface(const interface_id_t *id) override
    {
        if (same_interface_id(id, iid_interface_i) || same_interface_id(id, iid_listener_i))
            return static_cast<listener_i *>(this);
        return same_interface_id(id, iid_language_listener_i) ? static_cast<language_listener_i *>(this)
                                                              : nullptr;
    }
    void release() override {}
    void listener_notify(int) override {}
    void listener_refresh() override {}
    // A copy runs, since the call may destroy this listener.
    void language_changed(language_service_i *service, int) override { heard_t{m_heard}(service); }

private:
    listener_registry_i *m_registry;
    heard_t m_heard;
};
} // namespace

class tst_host_c : public QObject
{
    Q_OBJECT

private slots:
    void language_switch_reaches_listeners()
    {
        control_centre_c host;
        ctrl_center_i *center = host.host_face()->get_ctrl_center();
        auto *registry =
            static_cast<listener_registry_i *>(center->query_interface(&iid_listener_registry_i));
        void *service = center->query_interface(&iid_language_service_i);
        // The module reaches the service through the registry and compares identities.
        QCOMPARE(registry->query_interface(&iid_language_service_i), service);

        // The first listener to hear a switch destroys those `leaving`.
        std::unique_ptr<test_listener_c> listeners[3];
        QList<int> heard{0, 0, 0};
        QList<int> leaving;
        for (int i = 0; i < 3; ++i)
            listeners[i] = std::make_unique<test_listener_c>(registry, [&, i](language_service_i *from) {
                ++heard[i];
                QCOMPARE(static_cast<void *>(from), service);
                QCOMPARE(from->get_language(), host.language());
                for (int gone : std::exchange(leaving, {}))
                    listeners[gone].reset();
            });
        registry->add_listener(listeners[0].get()); // a second registration is not a second listener
        host.set_language(1);
        QCOMPARE(heard, (QList<int>{1, 1, 1}));
        QCOMPARE(host.listeners(),
                 (QList<listener_i *>{listeners[0].get(), listeners[1].get(), listeners[2].get()}));
        leaving = {0, 1, 2};
        host.set_language(3);
        QCOMPARE(heard, (QList<int>{2, 1, 1}));
        QVERIFY(host.listeners().isEmpty());
    }

    void factories_and_failed_load()
    {
        control_centre_c host;
        QString error;
        QVERIFY(!host.load_module(QStringLiteral("/nonexistent/libvorla_connect.so"), &error));
        QVERIFY(error.contains(QLatin1String("/nonexistent/libvorla_connect.so")));
        QVERIFY(!host.module_loaded());
        host.unload_module();
        QCOMPARE(host.calls(), QStringList());

        static int made = 0;
        host.host_face()->register_kernel_factory(nullptr, 7);
        host.host_face()->register_kernel_factory(
            []() -> product_kernel_i * {
                ++made;
                return nullptr;
            },
            vorla_connect_product_id);
        QCOMPARE(host.product_ids(), QList<int>{vorla_connect_product_id});
        host.create_kernel(vorla_connect_product_id);
        host.create_kernel(7);
        QCOMPARE(made, 1);
    }

    void texts_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("expected");
        QTest::newRow("Chinese") << 1 << 550 << QString::fromUtf8("已配对");
        QTest::newRow("German") << 3 << 540 << "JA";
        QTest::newRow("language without table") << 7 << 541 << "NO";
        QTest::newRow("unknown id") << 1 << 999 << QString();
    }

    void texts()
    {
        QFETCH(int, language);
        QFETCH(int, id);
        QFETCH(QString, expected);
        // The way the module reaches a text: host, control centre, provider.
        control_centre_c host;
        host.set_language(language);
        QCOMPARE(host.host_face()->get_ctrl_center()->get_text_provider()->get_text(id, 0), expected);
        // Every text the module asks for exists in every language.
        for (auto [first, last] : std::initializer_list<std::pair<int, int>>{{1, 1}, {358, 366}, {531, 554}})
            for (int i = first; i <= last; ++i)
                QVERIFY2(!host.text_provider()->get_text(i, 0).trimmed().isEmpty(),
                         qPrintable(QString::number(i)));
    }

    void shared_block_message_data()
    {
        // Null bytes: no segment under the key at all. A code of -1: the block is refused.
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("argument");
        const QByteArray remove_abc = QByteArray::fromHex("0000000300000006006100620063");
        QTest::newRow("remove abc") << remove_abc << 3 << "abc";
        QTest::newRow("null id") << QByteArray::fromHex("00000001ffffffff") << 1 << QString();
        QTest::newRow("no segment") << QByteArray() << -1 << QString();
        QTest::newRow("byte left over") << remove_abc + '\0' << -1 << QString();
    }

    void shared_block_message()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, code);
        QFETCH(QString, argument);
        // Written as the module does: a segment of exactly the block's size, kept
        // attached by the writer while the host reads it.
        QString key = QStringLiteral("VORLATEST_%1_%2")
                          .arg(QCoreApplication::applicationPid())
                          .arg(QTest::currentDataTag());
        key.remove(' ');
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

    void host_event_record()
    {
        for (int code : {26, 0x01020304, -2}) {
            QByteArray record = control_centre_c::host_event_record(code);
            QCOMPARE(record.size(), 16);
            QCOMPARE(qFromUnaligned<qint32>(record.constData() + 2), code);
            QCOMPARE(record.remove(2, 4), QByteArray(12, '\0'));
        }
    }
};

QTEST_GUILESS_MAIN(tst_host_c)
#include "tst_host_c.moc"
