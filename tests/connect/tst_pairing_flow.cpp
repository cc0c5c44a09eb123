// The pairing flow of the kernel and its dialog. The flow blocks in the dialog's
// modal run, so a polling timer plays the user: each tick that finds the dialog
// open takes the next scripted step.
#include "connect/app_pairing_fm_c.h"
#include "module/vorla_connect_kernel_c.h"
#include "pages/connect_c.h"
#include "pages/quick_launch_settings_c.h"
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
            seen << dialog->findChild<QLabel *>(QStringLiteral("lb_dev_name"))->text() + '/' +
                        dialog->client_id();
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

void send_event(product_kernel_i &kernel, int code)
{
    kernel.on_host_event(control_centre_c::host_event_record(code).constData());
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
    QStringList journal;
    recording_client_c client{&journal};
    QWidget container;
    std::unique_ptr<vorla_connect_kernel_c> kernel;

    // A step that rewrites the file and sends a host event while the dialog is open.
    step_t change(const QByteArray &clients, int event)
    {
        return [=](app_pairing_fm_c *) {
            write_store(clients);
            send_event(*kernel, event);
        };
    }
    mobile_app_fm_c *form() const
    {
        const connect_c *page = kernel ? kernel->get_connect_page() : nullptr;
        return page ? qobject_cast<mobile_app_fm_c *>(page->get_form()) : nullptr;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(prepare_test_home());
        module_log().init(log_dir.path() + QLatin1Char('/'), QStringLiteral("pairing"));
        host = installed_host();
    }
    void init()
    {
        QFile::remove(client_store_c::default_path());
        log.mark();
        kernel.reset();
        kernel = std::make_unique<vorla_connect_kernel_c>();
        kernel->initialise(&client, &container);
        journal.clear();
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
        // Meanwhile "a" was taken in and "b" asks: the run starts over once the dialog closes.
        row("request during dialog", alpha, connect,
            {change(phone("a", "Alpha", "1", true) + phone("b", "Beta", "2", true),
                    host_event_pairing_requested),
             press("btn_yes"), press("btn_no")},
            {"Alpha/a", "Alpha/a", "Beta/b"}, {"pending", "1 a", "pending", "2 b"},
            alpha_lines + QStringList{"Prepare pairing window.", "Pairing window already showing.", accept,
                                      "Prepare another pairing window.", "Client's count = 2.",
                                      "Client 1, ID = b, Name = Beta, Model = Model b.", deny},
            {"a", "b"});
        // Every request starts unanswered: a dismissed phone is never paired, and
        // neither Return nor Enter answers for the user.
        const QByteArray two = phone("a", "Alpha", "2", true) + phone("b", "Beta", "2", true);
        const QStringList two_lines{"Client's count = 2.", "Client 0, ID = a, Name = Alpha, Model = Model a.",
                                    "Client 1, ID = b, Name = Beta, Model = Model b."};
        row("yes, then escape", two, connect, {press("btn_yes"), type(Qt::Key_Escape)}, {"Alpha/a", "Beta/b"},
            {"pending", "1 a", "5 b"}, two_lines + QStringList{accept, gone}, {"a"});
        row("no, then escape", two, connect, {press("btn_no"), type(Qt::Key_Escape)}, {"Alpha/a", "Beta/b"},
            {"pending", "2 a", "5 b"}, two_lines + QStringList{deny, gone}, {"a"});
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
                page < 0 ? QStringList() : QStringList{"b"});
        // The host may end the kernel while its dialog runs; nothing follows.
        row("kernel released", alpha, connect, {[this](app_pairing_fm_c *) { kernel.reset(); }}, {"Alpha/a"},
            {"pending"}, alpha_lines, {});
    }
    void requests()
    {
        QFETCH(request_case, request);
        write_store(request.clients);
        if (request.shown_page < 0) {
            kernel = std::make_unique<vorla_connect_kernel_c>();
            kernel->adopt_pages(&client, &container, new recording_page_c(connect_c::page_id, &journal),
                                new recording_page_c(quick_launch_settings_c::page_id, &journal));
            journal.clear();
        } else if (request.shown_page != 0) {
            kernel->show_page(request.shown_page);
        }
        if (form() != nullptr) // its first load must not undo what the answers add
            QTRY_VERIFY(!form()->device_rows().isEmpty());

        dialog_driver_c driver(request.steps);
        send_event(*kernel, host_event_pairing_requested);
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
        QStringList ids;
        for (const mobile_device_fm_c *row : rows_of(form()))
            ids << row->client_id();
        QCOMPARE(ids, request.listed);
    }
};

QTEST_MAIN(tst_pairing_flow)
#include "tst_pairing_flow.moc"
