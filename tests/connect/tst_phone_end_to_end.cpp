// The phone feature end to end in one process: the stand-in host keeps the
// paired-client file and drives a kernel built from the module's own code, the
// user answers the pairing dialog, and the phone list follows the file.
#include "host/client_store_keeper_c.h"
#include "host/main_window_c.h"
#include "module/vorla_connect_kernel_c.h"
#include "phone_test_support.h"

class tst_phone_end_to_end : public QObject
{
    Q_OBJECT
    QTemporaryDir log_dir;
    std::unique_ptr<control_centre_c> host;
    std::unique_ptr<main_window_c> window;
    client_store_keeper_c *store = nullptr;
    QTimer poll;
    QStringList notes;

    mobile_app_fm_c *form() const { return window->page_container()->findChild<mobile_app_fm_c *>(); }
    // The listed phones as "id paired auto", each flag 0 or 1.
    QStringList rows() const
    {
        QStringList shown;
        for (const mobile_device_fm_c *row : rows_of(form()))
            shown << QStringLiteral("%1 %2 %3")
                         .arg(row->client_id())
                         .arg(row->is_paired())
                         .arg(row->is_auto_pair());
        return shown;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(prepare_test_home());
        module_log().init(log_dir.path() + QLatin1Char('/'), QStringLiteral("end_to_end"));
    }
    void init()
    {
        QFile::remove(client_store_keeper_c::default_path());
        host = installed_host();
        host->keep_client_store(client_store_keeper_c::default_path());
        store = host->client_store();
        connect(host.get(), &control_centre_c::note_logged, this,
                [this](const QString &l) { notes.append(l); });
        QVERIFY(store->seed_demo_phones());
        window = std::make_unique<main_window_c>(*host);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        // The host owns the kernel from here and releases it with the window.
        QVERIFY(host->run_kernel(new vorla_connect_kernel_c));
        QTRY_COMPARE(rows().size(), 3);
        notes.clear();
    }
    void cleanup()
    {
        poll.stop();
        poll.disconnect(); // its answer captured the finished test's locals
        window.reset();
        set_module_host(nullptr);
        host.reset();
    }

    void pairing_answer_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("yes") << "btn_yes" << true;
        QTest::newRow("no") << "btn_no" << false;
    }
    void pairing_answer()
    {
        QFETCH(QString, button);
        QFETCH(bool, accepted);
        QString asked_by;
        connect(&poll, &QTimer::timeout, this, [&] {
            if (auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
                asked_by = child<QLabel>(dialog, "lb_dev_name")->text();
                poll.stop();
                dialog->findChild<QPushButton *>(button)->click();
            }
        });
        poll.start(5);
        QStringList expected = rows();
        const QString id = store->add_pairing_request(QStringLiteral("Test phone"), QStringLiteral("T-1"));
        QTRY_COMPARE(asked_by, QStringLiteral("Test phone"));

        // The request itself is announced with 27 only; 26 follows the applied answer.
        QTRY_VERIFY(notes.contains("Host event 26"));
        QCOMPARE(notes.filter("Host event").first(), QStringLiteral("Host event 27"));
        QCOMPARE(host->calls().filter("message 12").size(), 1);
        // After the reload the rows are in file order.
        expected.insert(store->client_ids().indexOf(id), QStringLiteral("%1 %2 %2").arg(id).arg(accepted));
        QTRY_COMPARE(rows(), expected);
    }

    void remove_and_rename()
    {
        const QString trusted = rows().first().section(' ', 0, 0);
        QVERIFY(rows().first().endsWith(" 1 1"));
        form()->remove_client(trusted);
        QTRY_VERIFY(!store->client_ids().contains(trusted));
        QTRY_COMPARE(rows().size(), 2);
        QVERIFY(rows().filter(trusted).isEmpty());

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

QTEST_MAIN(tst_phone_end_to_end)
#include "tst_phone_end_to_end.moc"
