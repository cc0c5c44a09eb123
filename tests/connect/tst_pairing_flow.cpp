// The pairing flow of the kernel and its dialog. The flow blocks in the dialog's
// modal run, so a polling timer plays the user: each tick that finds the dialog
// open takes the next scripted step.
#include "common/clog.h"
#include "common/global_func_c.h"
#include "connect/app_pairing_fm_c.h"
#include "connect/client_store_c.h"
#include "host/control_centre_c.h"
#include "host/shared_block.h"
#include "module/module_host.h"
#include "module/vorla_connect_kernel_c.h"
#include "tests/module/recording_fakes.h"

#include <QLabel>
#include <QMainWindow>
#include <QPushButton>
#include <QtTest>

#include <functional>
#include <memory>

namespace {
using step_t = std::function<void(app_pairing_fm_c *)>;

// Plays the scripted steps against the open dialog and notes, per step, the
// name and identifier that the dialog showed.
class dialog_driver_c : public QObject
{
public:
    explicit dialog_driver_c(QList<step_t> steps) : steps(std::move(steps))
    {
        connect(&poll, &QTimer::timeout, this, &dialog_driver_c::tick);
        poll.start(5);
    }

    QStringList seen;

private:
    void tick()
    {
        app_pairing_fm_c *dialog = nullptr;
        const QWidgetList windows = QApplication::topLevelWidgets();
        for (QWidget *window : windows) {
            auto *candidate = qobject_cast<app_pairing_fm_c *>(window);
            if (candidate != nullptr && candidate->isVisible())
                dialog = candidate;
        }
        if (dialog == nullptr)
            return;
        seen << dialog->findChild<QLabel *>(QStringLiteral("lb_dev_name"))->text() + QLatin1Char('/') +
                    dialog->client_id();
        if (steps.isEmpty()) {
            // Never leave a test hanging in a dialog nobody expected.
            seen << QStringLiteral("unexpected dialog");
            dialog->reject();
            return;
        }
        steps.takeFirst()(dialog);
    }

    QList<step_t> steps;
    QTimer poll;
};

step_t press(const char *button)
{
    const QString name = QLatin1String(button);
    return [name](app_pairing_fm_c *dialog) { dialog->findChild<QPushButton *>(name)->click(); };
}

QString client_group(const QString &id, const QString &name, int friend_state, bool connected)
{
    return QStringLiteral("[%1]\nID=%1\nName=%2\nModel=Model %1\nCONNECTED=%3\nFriend=%4\n")
        .arg(id, name, connected ? QStringLiteral("true") : QStringLiteral("false"),
             QString::number(friend_state));
}

void write_clients(const QString &contents)
{
    const QString path = client_store_c::default_path();
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(contents.toUtf8());
}

const QString log_prefix = QStringLiteral("Vorla Connect : ");
} // namespace

Q_DECLARE_METATYPE(QList<step_t>)

class tst_pairing_flow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void command_block_bytes_data();
    void command_block_bytes();
    void answers_data();
    void answers();
    void runs_without_dialog_data();
    void runs_without_dialog();
    void no_client_shows_nothing();
    void request_during_dialog_runs_again();
    void store_change_during_dialog_data();
    void store_change_during_dialog();
    void dialog_texts_follow_language();
    void frame_and_drag();
    void request_runs_under_main_window();

private:
    void send_event(int code);
    // Log messages written since the test began, without the prefix.
    QStringList log_messages() const;
    // Decoded blocks behind the "message 12 <key>" journal lines.
    QList<QByteArray> sent_blocks() const;

    QTemporaryDir log_dir;
    qint64 log_start = 0;
    std::unique_ptr<control_centre_c> host;
    std::unique_ptr<vorla_connect_kernel_c> kernel;
    std::unique_ptr<recording_client_c> client;
    QWidget container;
    QStringList journal;
};

void tst_pairing_flow::initTestCase()
{
    // The user root is found by going up from the application-data directory,
    // which only works once that directory exists; in a fresh test home the
    // file would move after the first write.
    QVERIFY(QDir().mkpath(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)));
    global_func_c::shared()->initialise();
    QVERIFY(!global_func_c::shared()->share_memory_key_prefix().isEmpty());
    module_log().init(log_dir.path() + QLatin1Char('/'), QStringLiteral("pairing"));
}

void tst_pairing_flow::init()
{
    QFile::remove(client_store_c::default_path());
    log_start = QFileInfo(module_log().file_name()).size();
    host = std::make_unique<control_centre_c>();
    set_module_host(host->host_face());
    journal.clear();
    client = std::make_unique<recording_client_c>(&journal);
    kernel = std::make_unique<vorla_connect_kernel_c>();
    kernel->adopt_pages(client.get(), &container, new recording_page_c(8, &journal),
                        new recording_page_c(9, &journal));
    journal.clear();
}

void tst_pairing_flow::cleanup()
{
    kernel.reset();
    client.reset();
    set_module_host(nullptr);
    host.reset();
}

void tst_pairing_flow::send_event(int code)
{
    const QByteArray record = control_centre_c::host_event_record(code);
    kernel->on_host_event(record.constData());
}

QStringList tst_pairing_flow::log_messages() const
{
    QFile log(module_log().file_name());
    if (!log.open(QIODevice::ReadOnly | QIODevice::Text) || !log.seek(log_start))
        return {};
    QStringList messages;
    const QStringList lines = QString::fromUtf8(log.readAll()).split(QLatin1Char('\n'));
    for (const QString &line : lines) {
        if (line.startsWith(log_prefix))
            messages << line.mid(log_prefix.size());
    }
    return messages;
}

QList<QByteArray> tst_pairing_flow::sent_blocks() const
{
    QList<QByteArray> blocks;
    const QString message = QStringLiteral("message 12 ");
    for (const QString &line : journal) {
        if (!line.startsWith(message))
            continue;
        QByteArray bytes;
        const QString key = line.mid(message.size());
        if (!key.startsWith(global_func_c::shared()->share_memory_key_prefix() + QLatin1Char('_')) ||
            !read_shared_block(key, &bytes))
            bytes = "no block under " + key.toUtf8();
        blocks << bytes;
    }
    return blocks;
}

void tst_pairing_flow::command_block_bytes_data()
{
    QTest::addColumn<int>("command");
    QTest::addColumn<QString>("argument");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("remove abc") << 3 << QStringLiteral("abc")
                                << QByteArray::fromHex("00000003"
                                                       "00000006"
                                                       "006100620063");
    QTest::newRow("null argument") << 5 << QString()
                                   << QByteArray::fromHex("00000005"
                                                          "ffffffff");
}

void tst_pairing_flow::command_block_bytes()
{
    QFETCH(int, command);
    QFETCH(QString, argument);
    QFETCH(QByteArray, expected);
    QCOMPARE(client_command_block(command, argument).toHex(), expected.toHex());
}

// Two connected requests, each answered through a different button.
void tst_pairing_flow::answers_data()
{
    QTest::addColumn<QList<step_t>>("steps");
    QTest::addColumn<QList<int>>("codes");
    QTest::addColumn<QStringList>("answer_lines");
    const QString accept = QStringLiteral("User accept connect request.");
    const QString deny = QStringLiteral("User deny connect request.");
    QTest::newRow("yes, no") << QList<step_t>{press("btn_yes"), press("btn_no")} << QList<int>{1, 2}
                             << QStringList{accept, deny};
    QTest::newRow("close counts as no") << QList<step_t>{press("btn_close"), press("btn_yes")}
                                        << QList<int>{2, 1} << QStringList{deny, accept};
}

void tst_pairing_flow::answers()
{
    QFETCH(QList<step_t>, steps);
    QFETCH(QList<int>, codes);
    QFETCH(QStringList, answer_lines);
    write_clients(client_group(QStringLiteral("a-1"), QStringLiteral("Alpha"), 2, true) +
                  client_group(QStringLiteral("b-2"), QStringLiteral("Known"), 1, true) +
                  client_group(QStringLiteral("c-3"), QStringLiteral("Gamma"), 2, true));
    kernel->show_page(8);
    journal.clear();

    dialog_driver_c driver(steps);
    send_event(27);
    QCOMPARE(driver.seen, (QStringList{"Alpha/a-1", "Gamma/c-3"}));
    QVERIFY(!kernel->pairing_requested());

    QCOMPARE(journal.size(), 3);
    QCOMPARE(journal.first(), QStringLiteral("pending"));
    QCOMPARE(sent_blocks(), (QList<QByteArray>{client_command_block(codes[0], QStringLiteral("a-1")),
                                               client_command_block(codes[1], QStringLiteral("c-3"))}));
    QCOMPARE(log_messages(), (QStringList{"Prepare pairing window.", "Client's count = 3.",
                                          "Client 0, ID = a-1, Name = Alpha, Model = Model a-1.",
                                          "Client 2, ID = c-3, Name = Gamma, Model = Model c-3.",
                                          answer_lines[0], answer_lines[1]}));
}

// Runs in which no dialog opens: what reaches the log and the host.
void tst_pairing_flow::runs_without_dialog_data()
{
    QTest::addColumn<QString>("clients");
    QTest::addColumn<int>("shown_page");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QStringList>("calls");
    const QString none = QStringLiteral("Can't find any client from APP_Clients file.");
    QTest::newRow("no file") << QString() << 0 << QStringList{"Client's count = 0.", none} << QStringList{};
    QTest::newRow("only listed phones")
        << client_group("a", "A", 0, true) + client_group("b", "B", 1, true) + client_group("c", "C", 7, true)
        << 8 << QStringList{"Client's count = 3.", none} << QStringList{};
    // The index counts every group, not only the pending ones.
    QTest::newRow("third of three pending, offline")
        << client_group("a", "A", 0, true) + client_group("b", "B", 1, false) +
               client_group("c", "%1 phone", 2, false)
        << 9 << QStringList{"Client's count = 3.", "Client 2, ID = c, Name = %1 phone, Model = Model c."}
        << QStringList{"pending"};
    QTest::newRow("all pending offline")
        << client_group("a", "A", 2, false) + client_group("b", "B", 2, false) << 0
        << QStringList{"Client's count = 2.", "Client 0, ID = a, Name = A, Model = Model a.",
                       "Client 1, ID = b, Name = B, Model = Model b."}
        << QStringList{"pending"};
}

void tst_pairing_flow::runs_without_dialog()
{
    QFETCH(QString, clients);
    QFETCH(int, shown_page);
    QFETCH(QStringList, lines);
    QFETCH(QStringList, calls);
    if (!clients.isNull())
        write_clients(clients);
    if (shown_page != 0)
        kernel->show_page(shown_page);
    journal.clear();

    dialog_driver_c driver({});
    send_event(27);
    QCOMPARE(driver.seen, QStringList());
    // The quick-launch page is left alone, and the connect page is already in view.
    QCOMPARE(journal, calls);
    lines.prepend(QStringLiteral("Prepare pairing window."));
    QCOMPARE(log_messages(), lines);
}

void tst_pairing_flow::no_client_shows_nothing()
{
    write_clients(client_group("a", "A", 2, true));
    vorla_connect_kernel_c bare;
    dialog_driver_c driver({});
    const QByteArray record = control_centre_c::host_event_record(27);
    bare.on_host_event(record.constData());
    QCOMPARE(driver.seen, QStringList());
    QVERIFY(bare.pairing_requested());
    QCOMPARE(log_messages(), (QStringList{"Prepare pairing window.", "Pairing window already showing."}));
}

void tst_pairing_flow::request_during_dialog_runs_again()
{
    write_clients(client_group("a", "Alpha", 2, true));
    kernel->show_page(9);
    journal.clear();

    dialog_driver_c driver({[this](app_pairing_fm_c *) {
                                // Meanwhile the first phone was taken in and a second one asks.
                                write_clients(client_group("a", "Alpha", 1, true) +
                                              client_group("b", "Beta", 2, true));
                                send_event(27);
                                QVERIFY(kernel->pairing_requested());
                            },
                            press("btn_yes"), press("btn_no")});
    send_event(27);
    QCOMPARE(driver.seen, (QStringList{"Alpha/a", "Alpha/a", "Beta/b"}));
    QVERIFY(!kernel->pairing_requested());
    QCOMPARE(sent_blocks(), (QList<QByteArray>{client_command_block(1, "a"), client_command_block(2, "b")}));
    QCOMPARE(journal.filter(QStringLiteral("pending")).size(), 2);
    QCOMPARE(log_messages(),
             (QStringList{"Prepare pairing window.", "Client's count = 1.",
                          "Client 0, ID = a, Name = Alpha, Model = Model a.", "Prepare pairing window.",
                          "Pairing window already showing.", "User accept connect request.",
                          "Prepare another pairing window.", "Client's count = 2.",
                          "Client 1, ID = b, Name = Beta, Model = Model b.", "User deny connect request."}));
}

// Event 26 while the dialog shows "a": only "a" itself going offline ends it.
void tst_pairing_flow::store_change_during_dialog_data()
{
    QTest::addColumn<QString>("changed");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("answer_line");
    const QString accept = QStringLiteral("User accept connect request.");
    QTest::newRow("phone went offline")
        << client_group("a", "Alpha", 2, false) + client_group("b", "B", 0, true) << 5
        << QStringLiteral("Mobile phone disconnect.");
    QTest::newRow("still connected") << client_group("a", "Alpha", 2, true) << 1 << accept;
    QTest::newRow("CONNECTED removed") << QStringLiteral("[a]\nFriend=2\n") << 1 << accept;
    QTest::newRow("another phone offline")
        << client_group("a", "Alpha", 2, true) + client_group("b", "B", 2, false) << 1 << accept;
}

void tst_pairing_flow::store_change_during_dialog()
{
    QFETCH(QString, changed);
    QFETCH(int, code);
    QFETCH(QString, answer_line);
    write_clients(client_group("a", "Alpha", 2, true));

    bool closed_by_event = false;
    dialog_driver_c driver({[&](app_pairing_fm_c *dialog) {
                                write_clients(changed);
                                send_event(26);
                                closed_by_event = !dialog->isVisible();
                            },
                            press("btn_yes")});
    send_event(27);
    QCOMPARE(closed_by_event, code == 5);
    QCOMPARE(driver.seen.size(), code == 5 ? 1 : 2);
    QCOMPARE(sent_blocks(), QList<QByteArray>{client_command_block(code, "a")});
    QCOMPARE(log_messages().last(), answer_line);
}

// Built in one language and switched to another, as the host does.
void tst_pairing_flow::dialog_texts_follow_language()
{
    app_pairing_fm_c dialog(kernel.get());
    host->set_language(1);
    const QList<std::pair<const char *, int>> texts{
        {"lb_head", 537}, {"lb_title", 538}, {"lb_comment", 539}, {"btn_yes", 540}, {"btn_no", 541}};
    for (const auto &[name, id] : texts) {
        const QString expected = host->text_provider()->get_text(id, 0);
        QVERIFY(!expected.isEmpty());
        QCOMPARE(dialog.findChild<QWidget *>(QLatin1String(name))->property("text").toString(), expected);
    }
    const QFont head = dialog.findChild<QLabel *>("lb_head")->font();
    QCOMPARE(head.family(), QStringLiteral("WenQuanYi Micro Hei"));
    QCOMPARE(head.pixelSize(), 16);
    host->set_language(0);
    QCOMPARE(dialog.findChild<QPushButton *>("btn_no")->font().family(), QStringLiteral("EurostileBla"));
    QCOMPARE(dialog.findChild<QPushButton *>("btn_no")->font().pixelSize(), 15);
    QCOMPARE(dialog.answer(), 5);
}

void tst_pairing_flow::frame_and_drag()
{
    app_pairing_fm_c dialog(kernel.get());
    auto *close = dialog.findChild<QPushButton *>("btn_close");
    QCOMPARE(close->parentWidget(), &dialog);
    QCOMPARE(close->geometry(), QRect(650, 8, 21, 21));
    QVERIFY(dialog.windowFlags() & Qt::FramelessWindowHint);
    QVERIFY(dialog.testAttribute(Qt::WA_TranslucentBackground));
    dialog.move(50, 60);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    dialog.resize(800, 600);
    QTRY_COMPARE(close->pos(), QPoint(770, 8));

    auto send = [&](QEvent::Type type, QPointF local, QPoint global, Qt::MouseButtons buttons) {
        QMouseEvent event(type, local, global, Qt::LeftButton, buttons, Qt::NoModifier);
        QApplication::sendEvent(&dialog, &event);
    };
    // A fractional press point is rounded, not truncated.
    send(QEvent::MouseButtonPress, QPointF(100.6, 20.2), dialog.pos() + QPoint(101, 20), Qt::LeftButton);
    send(QEvent::MouseMove, QPointF(), QPoint(500, 400), Qt::LeftButton);
    QTRY_COMPARE(dialog.pos(), QPoint(399, 380));
    send(QEvent::MouseButtonRelease, QPointF(), QPoint(500, 400), Qt::NoButton);
    send(QEvent::MouseMove, QPointF(), QPoint(700, 700), Qt::NoButton);
    QCOMPARE(dialog.pos(), QPoint(399, 380));
}

void tst_pairing_flow::request_runs_under_main_window()
{
    QMainWindow main;
    main.show();
    app_pairing_fm_c dialog(kernel.get());
    bool modal_under_main = false;
    QTimer::singleShot(0, &dialog, [&] {
        modal_under_main = dialog.parentWidget() == &main && dialog.isWindow() && dialog.isModal() &&
                           QApplication::activeModalWidget() == &dialog;
        dialog.phone_withdrawn();
    });
    dialog.show_request(QStringLiteral("Pixel"), QStringLiteral("id-7"));
    QVERIFY(modal_under_main);
    QCOMPARE(dialog.findChild<QLabel *>("lb_dev_name")->text(), QStringLiteral("Pixel"));
    QCOMPARE(dialog.client_id(), QStringLiteral("id-7"));
    QCOMPARE(dialog.answer(), 5);
}

QTEST_MAIN(tst_pairing_flow)
#include "tst_pairing_flow.moc"
