// The control centre without the product module: its command line, listeners,
// kernel factories, host texts, what arrives from a kernel, and the components
// it makes for the module (the reset question, the popup frame, the badge).
#include "host/host_options.h"
#include "host/info_badge_c.h"
#include "host/kernel_client_c.h"
#include "module/host_text_ids.h"
#include "tests/host/host_test_support.h"

#include <cstring>
#include <utility>

namespace {
// Registers itself like a module form does and removes itself when it dies.
class test_listener_c final : public listener_i, public language_listener_i
{
public:
    using heard_t = std::function<void(language_service_i *)>;
    test_listener_c(listener_registry_i *registry, heard_t heard) : registry(registry), heard(heard)
    {
        registry->add_listener(this);
    }
    ~test_listener_c() { registry->remove_listener(this); }
    void *query_interface(const interface_id_t *id) override
    {
        return same_interface_id(id, iid_language_listener_i) ? static_cast<language_listener_i *>(this)
                                                              : nullptr;
    }
    void release() override {}
    void listener_notify(int) override {}
    void listener_refresh() override {}
    // A copy runs, since the call may destroy this listener.
    void language_changed(language_service_i *service, int) override { heard_t{heard}(service); }

private:
    listener_registry_i *registry;
    heard_t heard;
};

class answer_recorder_c final : public reset_to_default_fm_client_i
{
public:
    void *query_interface(const interface_id_t *) override { return nullptr; }
    void release() override {}
    void on_reset_answer(int answer) override { answers.append(answer); }
    QList<int> answers;
};

// The tool tip as a reader sees it.
QString shown_text(const QString &html)
{
    QTextDocument document;
    document.setHtml(html);
    return document.toPlainText().replace(QChar::LineSeparator, QLatin1Char('\n'));
}
} // namespace

class tst_host_c : public QObject
{
    Q_OBJECT

private slots:
    void option_parses_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("arguments");
        const QMap<QString, QStringList> given{{"module", {"--module", "/opt/x/libvorla_connect.so"}},
                                               {"user-data-home", {"--user-data-home=/tmp/home dir"}},
                                               {"language", {"--language", "1"}},
                                               {"seed-phones", {"--seed-phones"}},
                                               {"seed-games", {"--seed-games"}},
                                               {"seed-scan", {"--seed-scan"}},
                                               {"simulate-pairing", {"--simulate-pairing", "Anna's phone"}},
                                               {"tour", {"--tour", "out/tour"}}};
        // An option offered without a row here has no arguments and shows as not set.
        QStringList names = given.keys();
        for (const QCommandLineOption &option : host_options_t().all())
            names += option.names();
        names.removeDuplicates();
        for (const QString &name : std::as_const(names))
            QTest::newRow(qPrintable(name)) << name << given.value(name);
    }
    void option_parses()
    {
        QFETCH(QString, name);
        QFETCH(QStringList, arguments);
        const host_options_t options;
        QCommandLineParser parser;
        options.add_to(parser);
        QVERIFY2(parser.parse(QStringList{"control_centre"} + arguments), qPrintable(parser.errorText()));
        const message_log_t warnings;
        // The program asks for every option, set or not.
        for (const QCommandLineOption &option : options.all()) {
            const bool named = option.names().contains(name);
            QCOMPARE(parser.isSet(option), named);
            if (named && !option.valueName().isEmpty())
                QCOMPARE(parser.value(option), arguments.last().section('=', -1));
        }
        QCOMPARE(message_log_t::lines(), QStringList());
    }

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
        const QString missing = QStringLiteral("/nonexistent/libvorla_connect.so");
        QVERIFY(!host.load_module(missing, &error) && error.contains(missing) && !host.module_loaded());
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
        QTest::newRow("Chinese") << 1 << int(host_text_id::paired) << QString::fromUtf8("已配对");
        QTest::newRow("German") << 3 << int(host_text_id::yes) << "JA";
        QTest::newRow("language without table") << 7 << int(host_text_id::no) << "NO";
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
        using namespace host_text_id;
        for (auto [first, last] : std::initializer_list<std::pair<int, int>>{
                 {cancel, cancel}, {connect_tab, add_program}, {edit_title, done}})
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
        const QByteArray remove_abc = client_block(3, "abc");
        QTest::newRow("remove abc") << remove_abc << 3 << "abc";
        QTest::newRow("null id") << client_block(1, QString()) << 1 << QString();
        QTest::newRow("no segment") << QByteArray() << -1 << QString();
#ifdef Q_OS_WIN
        // A segment runs on to the end of its page in zeros: a zero byte after
        // the block is that padding, anything else is refused.
        QTest::newRow("zero byte left over") << remove_abc + '\0' << 3 << "abc";
        QTest::newRow("byte left over") << remove_abc + 'x' << -1 << QString();
#else
        QTest::newRow("byte left over") << remove_abc + '\0' << -1 << QString();
#endif
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
                          .arg(QTest::currentDataTag())
                          .remove(' ');
        QSharedMemory writer(key);
        if (!bytes.isNull()) {
            QVERIFY2(writer.create(bytes.size()), qPrintable(writer.errorString()));
            std::memcpy(writer.data(), bytes.constData(), bytes.size());
        }
        kernel_client_c client;
        QSignalSpy decoded(&client, &kernel_client_c::client_command);
        client.face()->on_kernel_message(nullptr, kernel_message_shared_block, &key);
        QCOMPARE(client.messages(), (QList<QPair<int, QString>>{{kernel_message_shared_block, key}}));
        QCOMPARE(decoded.count(), code < 0 ? 0 : 1);
        const QVariantList got = decoded.value(0, {-1, QString()});
        QCOMPARE(got.at(0).toInt(), code);
        QCOMPARE(got.at(1).toString(), argument);
        QCOMPARE(got.at(1).toString().isNull(), argument.isNull());
    }

    void host_event_record()
    {
        for (int code : {int(host_event_clients_changed), 0x01020304, -2}) {
            QByteArray record = control_centre_c::host_event_record(code);
            QCOMPARE(qFromUnaligned<qint32>(record.constData() + 2), code);
            QCOMPARE(record.remove(2, 4), QByteArray(12, '\0'));
        }
    }

    void reset_answers_data()
    {
        // A button's name clicks it; anything else that names no act closes the box.
        QTest::addColumn<QString>("act");
        QTest::addColumn<QList<int>>("answers");
        QTest::newRow("reset") << "btn_reset" << QList<int>{1};
        QTest::newRow("cancel") << "btn_cancel" << QList<int>{0};
        QTest::newRow("escape") << "escape" << QList<int>{0};
        QTest::newRow("closed") << "close" << QList<int>{0};
        // Whoever asked goes with the window; neither may be touched afterwards.
        QTest::newRow("window dies") << "window dies" << QList<int>{};
        QTest::newRow("released while open") << "release" << QList<int>{};
        QTest::newRow("no client") << "no client" << QList<int>{};
    }
    void reset_answers()
    {
        QFETCH(QString, act);
        QFETCH(QList<int>, answers);
        QPointer<QWidget> window = new QWidget;
        auto *anchor = new QPushButton(window);
        window->show();
        const int anchor_bottom = anchor->mapToGlobal(QPoint(0, anchor->height())).y();
        // The root id stands for the whole component; another component's id gives nothing.
        QCOMPARE(host.create_component(component_reset_popup, &iid_info_badge_i), nullptr);
        auto *popup =
            static_cast<reset_popup_i *>(host.create_component(component_reset_popup, &iid_interface_i));
        QCOMPARE(popup->query_interface(&iid_reset_popup_i), static_cast<void *>(popup));
        answer_recorder_c client;
        bool shown = false;
        bool on_window_below_anchor = false;

        // Acts first and checks later: a failed check in here would leave the box open.
        QTimer::singleShot(0, [&] {
            auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            if (dialog == nullptr)
                return;
            shown = true;
            on_window_below_anchor =
                dialog->parentWidget() == window && dialog->geometry().top() >= anchor_bottom;
            if (act == QLatin1String("escape"))
                QTest::keyClick(dialog, Qt::Key_Escape);
            else if (act == QLatin1String("window dies"))
                delete window;
            else if (act == QLatin1String("release"))
                std::exchange(popup, nullptr)->release();
            else if (auto *button = dialog->findChild<QPushButton *>(act))
                button->click();
            else
                dialog->close();
        });
        popup->ask_reset(anchor, act == QLatin1String("no client") ? nullptr : &client);
        QCoreApplication::processEvents(); // the act runs also when no box came up
        QCOMPARE(client.answers, answers);
        QCOMPARE(shown, act != QLatin1String("no client"));
        QVERIFY(!shown || on_window_below_anchor);
        QCOMPARE(QApplication::activeModalWidget(), nullptr);
        if (popup != nullptr)
            popup->release();
        delete window;
    }

    // The frame ends with its content or its release, and styles its own
    // buttons only: a small button of the content keeps its size.
    void popup_frame_data()
    {
        QTest::addColumn<QString>("act");
        QTest::newRow("content deleted") << "delete content";
        QTest::newRow("frame released") << "release";
        QTest::newRow("closed") << "reject";
    }
    void popup_frame()
    {
        QFETCH(QString, act);
        auto *frame =
            static_cast<popup_frame_i *>(host.create_component(component_popup_frame, &iid_popup_frame_i));
        QPointer<QWidget> content = new QWidget;
        auto *browse = new QPushButton(QStringLiteral("..."), content);
        browse->setFixedSize(32, 32);
        QSize seen;
        QTimer::singleShot(0, [&] {
            seen = browse->size();
            if (act == QLatin1String("release"))
                frame->release();
            else if (act == QLatin1String("delete content"))
                delete content;
            else
                qobject_cast<QDialog *>(QApplication::activeModalWidget())->reject();
        });
        const modal_watchdog_c watchdog(3000);
        QCOMPARE(frame->run_popup(content, nullptr, QStringLiteral("Title"), {}, {}, 0, 0), 0);
        QVERIFY(!watchdog.stuck);
        QCOMPARE(seen, QSize(32, 32));
        QCOMPARE(content.isNull(), act == QLatin1String("delete content"));
        if (act != QLatin1String("release"))
            frame->release();
        delete content;
    }

    void badge_tip_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shown");
        const auto row = [](const char *tag, const char *title, const char *text, const char *shown) {
            QTest::newRow(tag) << QString::fromUtf8(title) << text << shown;
        };
        row("markup stays text", "<b>Games</b>", "a < b && c > d", "<b>Games</b>\na < b && c > d");
        row("lines kept", "Lists", "first\nsecond", "Lists\nfirst\nsecond");
        row("text only", nullptr, "&amp; as typed", "&amp; as typed");
    }
    void badge_tip()
    {
        QFETCH(QString, title);
        QFETCH(QString, text);
        QFETCH(QString, shown);
        QWidget holder;
        auto *row = new QHBoxLayout(&holder);
        row->addWidget(new QWidget);
        auto *face = static_cast<info_badge_c *>(
            static_cast<info_badge_i *>(host.create_component(component_info_badge, &iid_info_badge_i)));
        face->set_title(title);
        face->place_in(&holder);
        face->set_text(text);
        holder.show();

        QPointer<QAbstractButton> badge = face->badge();
        QVERIFY(badge != nullptr && badge->isVisible());
        QCOMPARE(row->count(), 2);
        QCOMPARE(shown_text(badge->toolTip()), shown);
        QVERIFY(badge->accessibleName().endsWith(title));
        QCOMPARE(badge->accessibleDescription(), text);
        badge->click();
        QVERIFY(QToolTip::isVisible());
        QCOMPARE(QToolTip::text(), badge->toolTip());
        QToolTip::hideText();
        {
            QWidget second;
            face->place_in(&second);
            QCOMPARE(badge->parentWidget(), &second);
            QCOMPARE(row->count(), 1);
        }
        // The holder took the badge along; the next placing makes a new one.
        QVERIFY(badge == nullptr && face->badge() == nullptr);
        face->place_in(&holder);
        QCOMPARE(shown_text(face->badge()->toolTip()), shown);
        face->release();
        QVERIFY(holder.findChild<QAbstractButton *>() == nullptr);
    }

private:
    control_centre_c host;
};

QTEST_MAIN(tst_host_c)
#include "tst_host_c.moc"
