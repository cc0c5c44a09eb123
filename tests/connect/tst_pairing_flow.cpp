// The pairing flow of the kernel and its dialog. The flow blocks in the dialog's
// modal run, so a polling timer plays the user: each tick that finds the dialog
// open takes the next scripted step.
#include "common/clog.h"
#include "common/global_func_c.h"
#include "connect/app_pairing_fm_c.h"
#include "connect/client_store_c.h"
#include "connect/mobile_app_fm_c.h"
#include "connect/mobile_device_fm_c.h"
#include "host/control_centre_c.h"
#include "host/shared_block.h"
#include "module/module_host.h"
#include "module/vorla_connect_kernel_c.h"
#include "pages/connect_c.h"
#include "tests/module/recording_fakes.h"

#include <QtTest>
#include <QtWidgets>

#include <functional>
#include <memory>

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

QString client_group(const QString &id, const QString &name, int friend_state, bool connected)
{
    return QStringLiteral("[%1]\nID=%1\nName=%2\nModel=Model %1\nCONNECTED=%3\nFriend=%4\n")
        .arg(id, name, connected ? QStringLiteral("true") : QStringLiteral("false"),
             QString::number(friend_state));
}

void write_clients(const QString &contents)
{
    QFile file(client_store_c::default_path());
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(contents.toUtf8()) >= 0);
}

void send_event(product_kernel_i &kernel, int code)
{
    kernel.on_host_event(control_centre_c::host_event_record(code).constData());
}

const QString log_prefix = QStringLiteral("Vorla Connect : ");
} // namespace

Q_DECLARE_METATYPE(QList<step_t>)

class tst_pairing_flow : public QObject
{
    Q_OBJECT
    QTemporaryDir log_dir;
    qint64 log_start = 0;
    std::unique_ptr<control_centre_c> host;
    QStringList journal;
    recording_client_c client{&journal};
    QWidget container;
    std::unique_ptr<vorla_connect_kernel_c> kernel;

    // Log messages written since the test began, without the prefix.
    QStringList log_messages() const
    {
        QFile log(module_log().file_name());
        if (!log.open(QIODevice::ReadOnly | QIODevice::Text) || !log.seek(log_start))
            return {};
        return QString::fromUtf8(log.readAll())
            .split('\n')
            .filter(log_prefix)
            .replaceInStrings(log_prefix, "");
    }
    // A step that rewrites the file and sends a host event while the dialog is open.
    step_t change(const QString &clients, int event)
    {
        return [=](app_pairing_fm_c *) {
            write_clients(clients);
            send_event(*kernel, event);
        };
    }

private slots:
    void initTestCase()
    {
        // The user root is found by going up from the application-data
        // directory, which only works once that directory exists; in a fresh
        // test home the file would move after the first write.
        QVERIFY(QDir().mkpath(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)));
        global_func_c::shared()->initialise();
        QVERIFY(QDir().mkpath(QFileInfo(client_store_c::default_path()).path()));
        module_log().init(log_dir.path() + QLatin1Char('/'), QStringLiteral("pairing"));
        host = std::make_unique<control_centre_c>();
        set_module_host(host->host_face());
    }
    void init()
    {
        QFile::remove(client_store_c::default_path());
        log_start = QFileInfo(module_log().file_name()).size();
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

    // One request event on a shown page (-1: pages that only record, so no
    // connect page): the dialogs it opens, the host calls ("pending" or the
    // command sent, as "code id"), the log after "Prepare pairing window." and
    // the phones then listed on the connect page (none: it was never built).
    void requests_data()
    {
        QTest::addColumn<QString>("clients");
        QTest::addColumn<int>("shown_page");
        QTest::addColumn<QList<step_t>>("steps");
        QTest::addColumn<QStringList>("seen");
        QTest::addColumn<QStringList>("calls");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QStringList>("listed");
        const auto row = [](const char *tag, const QString &clients, int shown_page,
                            const QList<step_t> &steps, const QStringList &seen, const QStringList &calls,
                            const QStringList &lines, const QStringList &listed) {
            QTest::newRow(tag) << clients << shown_page << steps << seen << calls << lines << listed;
        };
        const QString alpha = client_group("a", "Alpha", 2, true);
        const QStringList alpha_lines{"Client's count = 1.",
                                      "Client 0, ID = a, Name = Alpha, Model = Model a."};
        const QString accept = QStringLiteral("User accept connect request.");
        const QString deny = QStringLiteral("User deny connect request.");
        const QString a_offline = client_group("a", "Alpha", 2, false) + client_group("b", "B", 0, true);

        // Close counts as no; the quick-launch page is not taken away. The client
        // index counts every group, not only the pending ones.
        row("two phones",
            client_group("a-1", "Alpha", 2, true) + client_group("b-2", "Known", 1, true) +
                client_group("c-3", "Gamma", 2, true),
            9, {press("btn_close"), press("btn_yes")}, {"Alpha/a-1", "Gamma/c-3"},
            {"pending", "2 a-1", "1 c-3"},
            {"Client's count = 3.", "Client 0, ID = a-1, Name = Alpha, Model = Model a-1.",
             "Client 2, ID = c-3, Name = Gamma, Model = Model c-3.", deny, accept},
            {});
        row("all pending offline",
            client_group("a", "A", 1, true) + client_group("b", "B", 2, false) +
                client_group("c", "%1 C", 2, false),
            0, {}, {}, {"pending"},
            {"Client's count = 3.", "Client 1, ID = b, Name = B, Model = Model b.",
             "Client 2, ID = c, Name = %1 C, Model = Model c."},
            {});
        // Meanwhile "a" was taken in and "b" asks: the run starts over once the dialog closes.
        row("request during dialog", alpha, 8,
            {change(client_group("a", "Alpha", 1, true) + client_group("b", "Beta", 2, true), 27),
             press("btn_yes"), press("btn_no")},
            {"Alpha/a", "Alpha/a", "Beta/b"}, {"pending", "1 a", "pending", "2 b"},
            alpha_lines + QStringList{"Prepare pairing window.", "Pairing window already showing.", accept,
                                      "Prepare another pairing window.", "Client's count = 2.",
                                      "Client 1, ID = b, Name = Beta, Model = Model b.", deny},
            {"a", "b"});
        // Every request starts unanswered: a dismissed phone is never paired, and
        // neither Return nor Enter answers for the user.
        const QString two = client_group("a", "Alpha", 2, true) + client_group("b", "Beta", 2, true);
        const QStringList two_lines{"Client's count = 2.", "Client 0, ID = a, Name = Alpha, Model = Model a.",
                                    "Client 1, ID = b, Name = Beta, Model = Model b."};
        const QString gone = QStringLiteral("Mobile phone disconnect.");
        row("yes, then escape", two, 8, {press("btn_yes"), type(Qt::Key_Escape)}, {"Alpha/a", "Beta/b"},
            {"pending", "1 a", "5 b"}, two_lines + QStringList{accept, gone}, {"a"});
        row("no, then escape", two, 8, {press("btn_no"), type(Qt::Key_Escape)}, {"Alpha/a", "Beta/b"},
            {"pending", "2 a", "5 b"}, two_lines + QStringList{deny, gone}, {"a"});
        row("return and enter do nothing", alpha, 9,
            {type(Qt::Key_Return, "btn_yes"), type(Qt::Key_Enter, "btn_no"), type(Qt::Key_Return),
             type(Qt::Key_Escape)},
            {"Alpha/a", "Alpha/a", "Alpha/a", "Alpha/a"}, {"pending", "5 a"}, alpha_lines + QStringList{gone},
            {});
        // Event 26 ends the dialog only when "a" itself went offline; that answer adds no row.
        row("phone went offline", alpha, 8, {change(a_offline, 26), press("btn_yes")}, {"Alpha/a"},
            {"pending", "5 a"}, alpha_lines + QStringList{"Mobile phone disconnect."}, {"b"});
        row("phone went offline, no connect page", alpha, -1, {change(a_offline, 26), press("btn_yes")},
            {"Alpha/a"}, {"pending", "5 a"}, alpha_lines + QStringList{"Mobile phone disconnect."}, {});
        // The host may end the kernel while its dialog runs; nothing follows.
        row("kernel released", alpha, 8, {[this](app_pairing_fm_c *) { kernel.reset(); }}, {"Alpha/a"},
            {"pending"}, alpha_lines, {});
    }
    void requests()
    {
        QFETCH(QString, clients);
        QFETCH(int, shown_page);
        QFETCH(QList<step_t>, steps);
        QFETCH(QStringList, seen);
        QFETCH(QStringList, calls);
        QFETCH(QStringList, lines);
        QFETCH(QStringList, listed);
        write_clients(clients);
        if (shown_page < 0) {
            kernel = std::make_unique<vorla_connect_kernel_c>();
            kernel->adopt_pages(&client, &container, new recording_page_c(8, &journal),
                                new recording_page_c(9, &journal));
            journal.clear();
        } else if (shown_page != 0) {
            kernel->show_page(shown_page);
        }
        const auto form = [this]() -> mobile_app_fm_c * {
            const connect_c *page = kernel ? kernel->get_connect_page() : nullptr;
            return page ? qobject_cast<mobile_app_fm_c *>(page->get_form()) : nullptr;
        };
        if (form() != nullptr) // its first load must not undo what the answers add
            QTRY_VERIFY(!form()->device_rows().isEmpty());

        dialog_driver_c driver(steps);
        send_event(*kernel, 27);
        QCOMPARE(driver.seen, seen);
        QVERIFY(!kernel || !kernel->pairing_requested());
        // Each "message 12 <key>" call becomes the block it left in shared memory.
        QList<QByteArray> made, expected;
        for (const QString &call : qAsConst(journal)) {
            QByteArray bytes = call.toUtf8();
            if (call.startsWith(QLatin1String("message 12 ")))
                read_shared_block(call.mid(11), &bytes);
            made << bytes;
        }
        for (const QString &call : calls)
            expected << (call == QLatin1String("pending")
                             ? call.toUtf8()
                             : client_command_block(call.section(' ', 0, 0).toInt(), call.section(' ', 1)));
        QCOMPARE(made, expected);
        QCOMPARE(log_messages(), QStringList{"Prepare pairing window."} + lines);
        QStringList ids;
        for (const mobile_device_fm_c *row : form() ? form()->device_rows() : QList<mobile_device_fm_c *>())
            ids << row->client_id();
        QCOMPARE(ids, listed);
    }
};

QTEST_MAIN(tst_pairing_flow)
#include "tst_pairing_flow.moc"
