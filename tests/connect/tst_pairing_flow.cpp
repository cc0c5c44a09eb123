// The pairing flow of the kernel and its dialog, then the phone feature end to
// end with the stand-in host keeping the client file. The flow blocks in the
// dialog's modal run, so a polling timer plays the user: each tick that finds
// the dialog open takes the next scripted step.
#include "connect/app_pairing_fm_c.h"
#include "host/client_store_keeper_c.h"
#include "host/main_window_c.h"
#include "phone_test_support.h"

#include <functional>

namespace {
using step_t = std::function<void(app_pairing_fm_c *)>;

// Plays the scripted steps against the open dialog and notes what each showed.
struct dialog_driver_c : QTimer
{
    explicit dialog_driver_c(QList<step_t> steps)
    {
        connect(this, &QTimer::timeout, [this, steps]() mutable {
            auto *dialog = qobject_cast<app_pairing_fm_c *>(QApplication::activeModalWidget());
            if (dialog == nullptr || !dialog->isVisible())
                return;
            seen << child<QLabel>(dialog, "lb_dev_name")->text() + '/' + dialog->client_id();
            if (!steps.isEmpty())
                return steps.takeFirst()(dialog);
            seen << QStringLiteral("unexpected dialog"); // never leave a test hanging in it
            dialog->reject();
        });
        start(5);
    }
    QStringList seen;
};

step_t press(const QString &button)
{
    return [button](app_pairing_fm_c *dialog) { dialog->findChild<QPushButton *>(button)->click(); };
}

// A key typed with the focus on a button ("" for the dialog itself), as a user would.
step_t type(Qt::Key key, const QString &button = QString())
{
    return [key, button](app_pairing_fm_c *dialog) {
        dialog->activateWindow();
        QWidget *target =
            button.isEmpty() ? static_cast<QWidget *>(dialog) : dialog->findChild<QPushButton *>(button);
        target->setFocus();
        QTest::keyClick(target, key);
    };
}

QByteArray phone(const QByteArray &id, const char *name, const char *friend_state, bool connected)
{
    return client_group(id, friend_state, connected ? "true" : "false", name,
                        QByteArray("Model " + id).constData());
}

// One request event on a shown page (-1: pages that only record, so no connect
// page): the dialogs it opens, the host calls ("pending" or the command sent, as
// "code id"), the log after "Prepare pairing window." and the phones then listed
// on the connect page (none: it was never built).
struct request_case
{
    QByteArray clients;
    int shown_page;
    QList<step_t> steps;
    QStringList seen, calls, lines, listed;
};

const QString log_prefix = QStringLiteral("Vorla Connect : ");
} // namespace

Q_DECLARE_METATYPE(request_case)

class tst_pairing_flow : public QObject
{
    Q_OBJECT
    QTemporaryDir log_dir;
    log_reader_c log;
    std::unique_ptr<control_centre_c> host;
    std::unique_ptr<main_window_c> window;
    QStringList journal, notes;
    recording_client_c client{&journal};
    QWidget container;
    std::unique_ptr<vorla_connect_kernel_c> kernel;

    // A step that rewrites the file and sends a host event while the dialog is open.
    step_t change(const QByteArray &clients, int event)
    {
        return [=](app_pairing_fm_c *) {
            write_store(clients);
            kernel->on_host_event(control_centre_c::host_event_record(event).constData());
        };
    }
    mobile_app_fm_c *form() const
    {
        if (window != nullptr)
            return window->page_container()->findChild<mobile_app_fm_c *>();
        const connect_c *page = kernel ? kernel->get_connect_page() : nullptr;
        return page ? qobject_cast<mobile_app_fm_c *>(page->get_form()) : nullptr;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(prepare_test_home());
        module_log().init(log_dir.path() + QLatin1Char('/'), QStringLiteral("pairing"));
    }
    void init()
    {
        QFile::remove(client_store_c::default_path());
        log.mark();
        host = installed_host();
        kernel = std::make_unique<vorla_connect_kernel_c>();
        kernel->initialise(&client, &container);
        journal.clear();
        if (!QByteArray(QTest::currentTestFunction()).startsWith("host_"))
            return;
        // The stand-in host keeps the file and runs its own kernel in its main
        // window; it owns that kernel and releases it with the window.
        host->keep_client_store(client_store_keeper_c::default_path());
        connect(host.get(), &control_centre_c::note_logged, this, [this](const QString &l) { notes << l; });
        QVERIFY(host->client_store()->seed_demo_phones());
        window = std::make_unique<main_window_c>(*host);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QVERIFY(host->run_kernel(new vorla_connect_kernel_c));
        QTRY_COMPARE(listed(form()).size(), 3);
        notes.clear();
    }
    void cleanup()
    {
        window.reset();
        kernel.reset();
        set_module_host(nullptr);
        host.reset();
        // Under Wine every suite shares the data folder: leave no pending request behind.
        QFile::remove(client_store_c::default_path());
    }

    void command_block_bytes()
    {
        QCOMPARE(client_command_block(3, QStringLiteral("abc")).toHex(), "0000000300000006006100620063");
        QCOMPARE(client_command_block(5, QString()).toHex(), "00000005ffffffff");
    }

    void requests_data()
    {
        QTest::addColumn<request_case>("request");
        const auto row = [](const char *tag, const QByteArray &clients, int shown_page,
                            const QList<step_t> &steps, const QStringList &seen, const QStringList &calls,
                            const QStringList &lines, const QStringList &listed) {
            QTest::newRow(tag) << request_case{clients, shown_page, steps, seen, calls, lines, listed};
        };
        const int connect = connect_c::page_id, quick_launch = quick_launch_settings_c::page_id;
        const QByteArray alpha = phone("a", "Alpha", "2", true);
        const QStringList alpha_lines{"Client's count = 1.",
                                      "Client 0, ID = a, Name = Alpha, Model = Model a."};
        const QString accept = QStringLiteral("User accept connect request.");
        const QString deny = QStringLiteral("User deny connect request.");
        const QString gone = QStringLiteral("Mobile phone disconnect.");
        const QByteArray a_offline = phone("a", "Alpha", "2", false) + phone("b", "B", "0", true);
        // Close counts as no; the quick-launch page is not taken away. The client
        // index counts every group, not only the pending ones.
        row("two phones",
            phone("a-1", "Alpha", "2", true) + phone("b-2", "Known", "1", true) +
                phone("c-3", "Gamma", "2", true),
            quick_launch, {press("btn_close"), press("btn_yes")}, {"Alpha/a-1", "Gamma/c-3"},
            {"pending", "2 a-1", "1 c-3"},
            {"Client's count = 3.", "Client 0, ID = a-1, Name = Alpha, Model = Model a-1.",
             "Client 2, ID = c-3, Name = Gamma, Model = Model c-3.", deny, accept},
            {});
        row("all pending offline",
            phone("a", "A", "1", true) + phone("b", "B", "2", false) + phone("c", "%1 C", "2", false), 0, {},
            {}, {"pending"},
            {"Client's count = 3.", "Client 1, ID = b, Name = B, Model = Model b.",
             "Client 2, ID = c, Name = %1 C, Model = Model c."},
            {});
        // Meanwhile "a" was taken in and "b" asks: the run starts over once the
        // dialog closes. A denied phone is listed, not paired.
        row("request during dialog", alpha, connect,
            {change(phone("a", "Alpha", "1", true) + phone("b", "Beta", "2", true),
                    host_event_pairing_requested),
             press("btn_yes"), press("btn_no")},
            {"Alpha/a", "Alpha/a", "Beta/b"}, {"pending", "1 a", "pending", "2 b"},
            alpha_lines + QStringList{"Prepare pairing window.", "Pairing window already showing.", accept,
                                      "Prepare another pairing window.", "Client's count = 2.",
                                      "Client 1, ID = b, Name = Beta, Model = Model b.", deny},
            {"a 1 1", "b 0 0"});
        // Every request starts unanswered: a dismissed phone is never paired, and
        // neither Return nor Enter answers for the user.
        const QByteArray two = phone("a", "Alpha", "2", true) + phone("b", "Beta", "2", true);
        const QStringList two_lines{"Client's count = 2.", "Client 0, ID = a, Name = Alpha, Model = Model a.",
                                    "Client 1, ID = b, Name = Beta, Model = Model b."};
        row("yes, then escape", two, connect, {press("btn_yes"), type(Qt::Key_Escape)}, {"Alpha/a", "Beta/b"},
            {"pending", "1 a", "5 b"}, two_lines + QStringList{accept, gone}, {"a 1 1"});
        row("no, then escape", two, connect, {press("btn_no"), type(Qt::Key_Escape)}, {"Alpha/a", "Beta/b"},
            {"pending", "2 a", "5 b"}, two_lines + QStringList{deny, gone}, {"a 0 0"});
        row("return and enter do nothing", alpha, quick_launch,
            {type(Qt::Key_Return, "btn_yes"), type(Qt::Key_Enter, "btn_no"), type(Qt::Key_Return),
             type(Qt::Key_Escape)},
            {"Alpha/a", "Alpha/a", "Alpha/a", "Alpha/a"}, {"pending", "5 a"}, alpha_lines + QStringList{gone},
            {});
        // A clients-changed event ends the dialog only when "a" itself went
        // offline; that answer adds no row.
        for (const int page : {connect, -1})
            row(page < 0 ? "phone went offline, no connect page" : "phone went offline", alpha, page,
                {change(a_offline, host_event_clients_changed), press("btn_yes")}, {"Alpha/a"},
                {"pending", "5 a"}, alpha_lines + QStringList{gone},
                page < 0 ? QStringList() : QStringList{"b 0 0"});
        // The host may end the kernel while its dialog runs; nothing follows.
        row("kernel released", alpha, connect, {[this](app_pairing_fm_c *) { kernel.reset(); }}, {"Alpha/a"},
            {"pending"}, alpha_lines, {});
        // The dialog dies with the host's main window: its request ends
        // unanswered and no other phone is asked.
        row("dialog destroyed", two, quick_launch, {[](app_pairing_fm_c *dialog) { delete dialog; }},
            {"Alpha/a"}, {"pending", "5 a"}, two_lines + QStringList{gone}, {});
    }
    void requests()
    {
        QFETCH(request_case, request);
        write_store(request.clients);
        if (request.shown_page < 0) {
            kernel = std::make_unique<vorla_connect_kernel_c>();
            adopt_recording_pages(*kernel, &client, &container, &journal);
            journal.clear();
        } else if (request.shown_page != 0) {
            kernel->show_page(request.shown_page);
        }
        if (form() != nullptr) // its first load must not undo what the answers add
            QTRY_VERIFY(!form()->device_rows().isEmpty());
        dialog_driver_c driver(request.steps);
        kernel->on_host_event(control_centre_c::host_event_record(host_event_pairing_requested).constData());
        QCOMPARE(driver.seen, request.seen);
        QVERIFY(!kernel || !kernel->pairing_requested());
        QList<QByteArray> expected;
        for (const QString &call : std::as_const(request.calls))
            expected << (call == QLatin1String("pending")
                             ? call.toUtf8()
                             : client_command_block(call.section(' ', 0, 0).toInt(), call.section(' ', 1)));
        QCOMPARE(sent_blocks(journal), expected);
        QCOMPARE(log.texts().filter(log_prefix).replaceInStrings(log_prefix, QString()),
                 QStringList{"Prepare pairing window."} + request.lines);
        QCOMPARE(listed(form()), request.listed);
    }

    void host_pairing_answer_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("yes") << "btn_yes" << true;
        QTest::newRow("no") << "btn_no" << false;
    }
    void host_pairing_answer()
    {
        QFETCH(QString, button);
        QFETCH(bool, accepted);
        client_store_keeper_c *store = host->client_store();
        QStringList expected = listed(form());
        dialog_driver_c driver({press(button)});
        const QString id = store->add_pairing_request(QStringLiteral("Test phone"), QStringLiteral("T-1"));
        QTRY_COMPARE(driver.seen, QStringList{"Test phone/" + id});
        // The request itself is announced with 27 only; 26 follows the applied answer.
        QTRY_VERIFY(notes.contains("Host event 26"));
        QCOMPARE(notes.filter("Host event").first(), QStringLiteral("Host event 27"));
        QCOMPARE(host->calls().filter("message 12").size(), 1);
        // After the reload the rows are in file order.
        expected.insert(store->client_ids().indexOf(id), QStringLiteral("%1 %2 %2").arg(id).arg(accepted));
        QTRY_COMPARE(listed(form()), expected);
    }

    void host_remove_and_rename()
    {
        client_store_keeper_c *store = host->client_store();
        const QString trusted = listed(form()).first().section(' ', 0, 0);
        QVERIFY(listed(form()).first().endsWith(" 1 1"));
        form()->remove_client(trusted);
        QTRY_VERIFY(!store->client_ids().contains(trusted));
        QTRY_COMPARE(listed(form()).size(), 2);
        QVERIFY(listed(form()).filter(trusted).isEmpty());
        auto *name = child<QLineEdit>(form(), "edit_server_name");
        QCOMPARE(name->text(), QStringLiteral("GAMING RIG"));
        form()->send_client_command(client_command_rename_pc, QStringLiteral("LIVING ROOM PC"));
        QTRY_COMPARE(QSettings(store->file_path(), QSettings::IniFormat).value("Server").toString(),
                     QStringLiteral("LIVING ROOM PC"));
        // The field shows what the file says after the reload, not what was typed.
        name->setText(QStringLiteral("typed"));
        QTRY_COMPARE(name->text(), QStringLiteral("LIVING ROOM PC"));
    }
};

QTEST_MAIN(tst_pairing_flow)
#include "tst_pairing_flow.moc"
