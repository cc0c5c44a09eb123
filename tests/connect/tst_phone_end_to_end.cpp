// The phone feature end to end in one process: the stand-in host keeps the
// paired-client file and drives a kernel built from the module's own code, the
// user answers the pairing dialog, and the phone list follows the file.
#include "common/clog.h"
#include "common/global_func_c.h"
#include "connect/mobile_app_fm_c.h"
#include "connect/mobile_device_fm_c.h"
#include "host/client_store_keeper_c.h"
#include "host/control_centre_c.h"
#include "host/main_window_c.h"
#include "module/module_host.h"
#include "module/vorla_connect_kernel_c.h"

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include <memory>

namespace {
struct row_t
{
    QString id;
    bool paired;
    bool auto_pair;
    bool operator==(const row_t &other) const
    {
        return id == other.id && paired == other.paired && auto_pair == other.auto_pair;
    }
};
} // namespace

Q_DECLARE_METATYPE(row_t)

class tst_phone_end_to_end : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void pairing_answer_data();
    void pairing_answer();
    void remove_and_rename();

private:
    mobile_app_fm_c *form() const;
    QList<row_t> rows() const;
    // Presses the button of the pairing dialog as soon as one is open.
    void answer_dialog_with(const QString &button);

    QTemporaryDir log_dir;
    std::unique_ptr<control_centre_c> host;
    std::unique_ptr<main_window_c> window;
    client_store_keeper_c *store = nullptr;
    QTimer poll;
    QString pressed_in;
    QStringList notes;
};

void tst_phone_end_to_end::initTestCase()
{
    QVERIFY(QDir().mkpath(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)));
    global_func_c::shared()->initialise();
    module_log().init(log_dir.path() + QLatin1Char('/'), QStringLiteral("end_to_end"));
}

void tst_phone_end_to_end::init()
{
    QFile::remove(client_store_keeper_c::default_path());
    host = std::make_unique<control_centre_c>();
    set_module_host(host->host_face());
    host->keep_client_store(client_store_keeper_c::default_path());
    store = host->client_store();
    connect(host.get(), &control_centre_c::note_logged, this, [this](const QString &l) { notes.append(l); });
    QVERIFY(store->seed_demo_phones());
    window = std::make_unique<main_window_c>(*host);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    // The host owns the kernel from here and releases it with the window.
    QVERIFY(host->run_kernel(new vorla_connect_kernel_c));
    QTRY_COMPARE(rows().size(), 3);
    pressed_in.clear();
    notes.clear();
}

void tst_phone_end_to_end::cleanup()
{
    poll.stop();
    poll.disconnect();
    window.reset();
    set_module_host(nullptr);
    host.reset();
}

mobile_app_fm_c *tst_phone_end_to_end::form() const
{
    return window->page_container()->findChild<mobile_app_fm_c *>();
}

QList<row_t> tst_phone_end_to_end::rows() const
{
    QList<row_t> shown;
    if (form() == nullptr)
        return shown;
    for (const mobile_device_fm_c *row : form()->device_rows())
        shown.append({row->client_id(), row->is_paired(), row->is_auto_pair()});
    return shown;
}

void tst_phone_end_to_end::answer_dialog_with(const QString &button)
{
    poll.disconnect();
    connect(&poll, &QTimer::timeout, this, [this, button] {
        const QWidgetList windows = QApplication::topLevelWidgets();
        for (QWidget *candidate : windows) {
            auto *dialog = qobject_cast<QDialog *>(candidate);
            if (dialog == nullptr || !dialog->isVisible())
                continue;
            pressed_in = dialog->findChild<QLabel *>(QStringLiteral("lb_dev_name"))->text();
            poll.stop();
            dialog->findChild<QPushButton *>(button)->click();
            return;
        }
    });
    poll.start(5);
}

void tst_phone_end_to_end::pairing_answer_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("yes") << "btn_yes" << true;
    QTest::newRow("no") << "btn_no" << false;
    QTest::newRow("close") << "btn_close" << false;
}

void tst_phone_end_to_end::pairing_answer()
{
    QFETCH(QString, button);
    QFETCH(bool, accepted);
    const QList<row_t> before = rows();

    answer_dialog_with(button);
    const QString id = store->add_pairing_request(QStringLiteral("Test phone"), QStringLiteral("T-1"));
    QTRY_COMPARE(pressed_in, QStringLiteral("Test phone"));

    // The request itself is announced with 27 only; 26 follows the applied answer.
    QTRY_VERIFY(notes.contains("Host event 26"));
    QCOMPARE(notes.filter("Host event").first(), QStringLiteral("Host event 27"));
    QCOMPARE(QSettings(store->file_path(), QSettings::IniFormat).value(id + "/Friend").toInt(),
             accepted ? 1 : 0);
    QCOMPARE(host->calls().filter("message 12").size(), 1);
    // After the reload the rows are in file order.
    const row_t expected{id, accepted, accepted};
    QTRY_COMPARE(rows().size(), 4);
    QCOMPARE(rows().indexOf(expected), store->client_ids().indexOf(id));
    QList<row_t> others = rows();
    others.removeAll(expected);
    QCOMPARE(others, before);
}

void tst_phone_end_to_end::remove_and_rename()
{
    const QString trusted = rows().first().id;
    QVERIFY(rows().first().paired);
    form()->remove_client(trusted);
    QTRY_VERIFY(!store->client_ids().contains(trusted));
    QTRY_COMPARE(rows().size(), 2);
    const QList<row_t> left = rows();
    QVERIFY(std::none_of(left.begin(), left.end(), [&](const row_t &row) { return row.id == trusted; }));

    auto *name = form()->findChild<QLineEdit *>(QStringLiteral("edit_server_name"));
    QCOMPARE(name->text(), QStringLiteral("GAMING RIG"));
    form()->send_client_command(4, QStringLiteral("LIVING ROOM PC"));
    QTRY_COMPARE(QSettings(store->file_path(), QSettings::IniFormat).value("Server").toString(),
                 QStringLiteral("LIVING ROOM PC"));
    // The field shows what the file says after the reload, not what was typed.
    name->setText(QStringLiteral("typed"));
    QTRY_COMPARE(name->text(), QStringLiteral("LIVING ROOM PC"));

    // A trusted phone coming back online shows as paired once the file says so.
    const row_t offline = rows().last();
    QVERIFY(offline.auto_pair && !offline.paired);
    QVERIFY(store->set_connected(offline.id, true));
    QTRY_COMPARE(rows().last(), (row_t{offline.id, true, true}));
}

QTEST_MAIN(tst_phone_end_to_end)
#include "tst_phone_end_to_end.moc"
