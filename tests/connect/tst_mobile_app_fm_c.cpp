#include "module/host_text_ids.h"
#include "phone_test_support.h"

namespace {
// "id|number|name|model|paired|auto", plus a note when the numbers do not count up.
QStringList described(const mobile_app_fm_c &form)
{
    QStringList described;
    for (const mobile_device_fm_c *row : form.device_rows()) {
        described << QStringLiteral("%1|%2|%3|%4|%5|%6")
                         .arg(row->client_id(), QString::number(row->position()),
                              child<QLabel>(row, "lb_device")->text(), child<QLabel>(row, "lb_model")->text(),
                              row->is_paired() ? "paired" : "-", row->is_auto_pair() ? "auto" : "-");
        if (row->position() != described.size())
            described << QStringLiteral("misnumbered");
    }
    return described;
}

const QString placeholder = QStringLiteral("|1|N/A|N/A|-|-");
} // namespace

class tst_mobile_app_fm_c : public QObject
{
    Q_OBJECT
    std::unique_ptr<control_centre_c> host;
    QStringList journal;
    recording_client_c client{&journal};
    vorla_connect_kernel_c kernel;

    // A form on the kernel, filled by its first timer tick.
    std::unique_ptr<mobile_app_fm_c> loaded_form(QWidget *parent = nullptr, bool shown = true)
    {
        auto form = std::make_unique<mobile_app_fm_c>(&kernel, parent);
        if (shown) // so that clicks land on laid-out switches
            (parent != nullptr ? parent : form.get())->show();
        if (!QTest::qWaitFor([&form] { return !form->device_rows().isEmpty(); }))
            QTest::qFail("the first timer tick never loaded the list", __FILE__, __LINE__);
        return form;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(prepare_test_home());
        host = installed_host();
        adopt_recording_pages(kernel, &client, nullptr, &journal);
    }
    void init()
    {
        QFile::remove(client_store_c::default_path());
        journal.clear();
    }

    // Each row loads the list, then takes one action: "remove <id>", "add <id>
    // [paired]" or "switch <id>"; a command 0 means nothing is sent.
    void list_and_actions_data()
    {
        QTest::addColumn<QByteArray>("store");
        QTest::addColumn<QString>("action");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<int>("command");
        const QByteArray pending = client_group("P", "2", "true", "Phone", "M1");
        const auto row = [](const char *tag, const QByteArray &store, const char *action,
                            const QStringList &rows, int command = 0) {
            QTest::newRow(tag) << store << QString::fromLatin1(action) << rows << command;
        };
        row("pending group takes no number",
            client_group("A", "1", "true", "Pixel", "P7") + client_group("B", "2", "true") +
                client_group("C", "0", "true", "Galaxy"),
            "", {"A|1|Pixel|P7|paired|auto", "C|2|Galaxy|N/A|-|-"});
        row("no file", {}, "", {placeholder});
        // A removed row leaves and the command goes out at once, before the file changes.
        row("remove last phone", client_group("abc", "1", "true"), "remove abc", {placeholder},
            client_command_remove);
        // A pairing decision adds its row without a reload.
        row("add replaces placeholder", pending, "add P paired", {"P|1|Phone|M1|paired|auto"});
        row("add appends", client_group("A", "1") + pending, "add P",
            {"A|1|N/A|N/A|-|auto", "P|2|Phone|M1|-|-"});
        // The paired state only changes with the next reload.
        row("switch on", client_group("A", "0"), "switch A", {"A|1|N/A|N/A|-|auto"}, client_command_accept);
        row("switch off", client_group("A", "1", "true"), "switch A", {"A|1|N/A|N/A|paired|-"},
            client_command_refuse);
    }
    void list_and_actions()
    {
        QFETCH(QByteArray, store);
        QFETCH(QString, action);
        QFETCH(QStringList, rows);
        QFETCH(int, command);
        if (!store.isEmpty())
            write_store(store);
        const auto form = loaded_form();
        const QString verb = action.section(' ', 0, 0), id = action.section(' ', 1, 1);
        mobile_device_fm_c *target = nullptr;
        for (mobile_device_fm_c *row : form->device_rows())
            target = !id.isEmpty() && row->client_id() == id ? row : target;
        if (verb == QLatin1String("add"))
            form->add_client_row(id, action.endsWith(QLatin1String("paired")));
        else if (target != nullptr)
            QTest::mouseClick(child(target, verb == QLatin1String("remove") ? "btn_remove" : "cb_auto_pair"),
                              Qt::LeftButton);
        QCOMPARE(described(*form), rows);
        QVERIFY(child<QWidget>(form.get(), "wg_dev_list")->isVisible());
        QCOMPARE(sent_blocks(journal),
                 command == 0 ? QList<QByteArray>() : QList{client_command_block(command, id)});
        QCOMPARE(child<QLineEdit>(form.get(), "edit_server_name")->text(), QStringLiteral("YOUR VORLA"));
        // The placeholder names no phone, so nothing on it may act.
        const mobile_device_fm_c *first = form->device_rows().constFirst();
        for (const char *name : {"cb_auto_pair", "btn_remove"})
            QCOMPARE(child(first, name)->isEnabled(), !first->client_id().isEmpty());
    }

    // Rows in the list look exactly like a row on its own under the page's sheet.
    void rows_look_like_a_single_row()
    {
        write_store(client_group("A", "1", "true", "Pixel", "P7") +
                    client_group("B", "0", "false", "Galaxy", "S9"));
        const auto form = loaded_form();
        QTRY_COMPARE(form->device_rows().size(), 2);
        QWidget page;
        page.setStyleSheet(form->styleSheet());
        for (mobile_device_fm_c *row : form->device_rows()) {
            mobile_device_fm_c single(nullptr); // made without a parent, so that it keeps its own sheet
            single.setParent(&page);
            single.set_info(row->client_id(), row->position() - 1, child<QLabel>(row, "lb_device")->text(),
                            child<QLabel>(row, "lb_model")->text(), row->is_paired(), row->is_auto_pair());
            single.resize(row->size());
            page.resize(row->size());
            page.show();
            single.show();
            QVERIFY(row->isVisible() && single.isVisible());
            QCOMPARE(row->grab().toImage(), single.grab().toImage());
        }
    }

    // Before the host initialised the kernel the display still follows the user.
    void nothing_is_sent_without_a_client()
    {
        write_store(client_group("A", "1", "true") + client_group("C", "0"));
        vorla_connect_kernel_c bare_kernel;
        mobile_app_fm_c form(&bare_kernel);
        QTRY_COMPARE(form.device_rows().size(), 2);
        form.remove_client(QStringLiteral("A"));
        form.set_auto_pair(QStringLiteral("C"), true);
        QCOMPARE(form.device_rows().size(), 1);
        QCOMPARE(bare_kernel.key_pool().size(), 0);
    }

    // The name goes out only when the user changed it: a name the field can only
    // show cut must not be written back cut. Each edit is followed by a second
    // visit without typing, which sends nothing more.
    void pc_name_sent_when_changed_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QString>("typed"); // null: the text is left as it is
        QTest::addColumn<int>("key");       // 0: the focus moves elsewhere
        QTest::addColumn<QString>("shown");
        QTest::addColumn<bool>("sent");
        const QByteArray long_name = "abcdefghijklmnopqrstuvwxyz0123";
        const QString cut = QString::fromLatin1(long_name.left(24));
        QTest::newRow("cleared") << QByteArray("Office") << "" << int(Qt::Key_Enter) << "YOUR VORLA" << true;
        QTest::newRow("typed past the limit")
            << QByteArray("Office") << QString::fromLatin1(long_name) << int(Qt::Key_Return) << cut << true;
        QTest::newRow("left alone") << QByteArray("Office") << QString() << 0 << "Office" << false;
        QTest::newRow("long name left alone") << long_name << QString() << 0 << cut << false;
        QTest::newRow("long name, Enter") << long_name << QString() << int(Qt::Key_Enter) << cut << false;
        QTest::newRow("typed back as it was")
            << QByteArray("Office") << "Office" << int(Qt::Key_Return) << "Office" << false;
    }
    void pc_name_sent_when_changed()
    {
        QFETCH(QByteArray, stored);
        QFETCH(QString, typed);
        QFETCH(int, key);
        QFETCH(QString, shown);
        QFETCH(bool, sent);
        write_store("Server=" + stored + '\n');
        QWidget window;
        QLineEdit other(&window);
        const auto form = loaded_form(&window);
        QApplication::setActiveWindow(&window);
        QVERIFY(QTest::qWaitForWindowActive(&window));
        auto *edit = child<QLineEdit>(form.get(), "edit_server_name");
        const int loaded_cursor = edit->cursorPosition();
        for (int visit = 0; visit < 2; ++visit) {
            edit->setFocus();
            QTRY_VERIFY(edit->hasFocus());
            if (visit == 0 && !typed.isNull()) {
                edit->clear();
                QTest::keyClicks(edit, typed);
            }
            key != 0 ? QTest::keyClick(edit, Qt::Key(key)) : other.setFocus();
            QTRY_VERIFY(!edit->hasFocus());
            QCOMPARE(edit->text(), shown);
            QCOMPARE(sent_blocks(journal), sent ? QList{client_command_block(client_command_rename_pc, shown)}
                                                : QList<QByteArray>());
            // Out of focus the field shows the start of the name, where a reader looks.
            QCOMPARE(edit->cursorPosition(), 0);
        }
        QCOMPARE(loaded_cursor, 0);
    }

    // Names are elided in the row, so every tooltip must carry the full current
    // text. A row without a form to tell only shows: clicks change nothing.
    void row_tooltips_follow_texts_data()
    {
        QTest::addColumn<QString>("change");
        for (const char *change : {"set_info", "set_paired", "set_position", "language", "clicks"})
            QTest::newRow(change) << QString::fromLatin1(change);
    }
    void row_tooltips_follow_texts()
    {
        QFETCH(QString, change);
        mobile_device_fm_c row(nullptr);
        row.resize(741, 42);
        row.set_info(QStringLiteral("abc"), 4, QString(80, 'n'), QString(80, 'm'), true, false);
        if (change == QLatin1String("set_paired"))
            row.set_paired(false);
        else if (change == QLatin1String("set_position"))
            row.set_position(11);
        else if (change == QLatin1String("language"))
            host->set_language(1);
        for (const char *name : {"cb_auto_pair", "btn_remove", "cb_pair"}) // the last is display only
            if (change == QLatin1String("clicks"))
                QTest::mouseClick(child(&row, name), Qt::LeftButton);
        const auto back_to_default = qScopeGuard([this] { host->set_language(0); });
        QStringList tips, texts;
        for (const char *name : {"lb_slot", "lb_device", "lb_model", "cb_pair"}) {
            tips << child(&row, name)->toolTip();
            texts << child(&row, name)->property("text").toString();
        }
        QCOMPARE(tips, texts);
        QCOMPARE(texts.last(), host_text(row.is_paired() ? host_text_id::paired : host_text_id::not_paired));
        QVERIFY(row.is_paired() == (change != QLatin1String("set_paired")) && journal.isEmpty());
    }

    // Texts of the other program's file are cut to the name limit, never
    // inside a surrogate pair ("\\xd83d\\xde00" is one).
    void store_caps_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<QString>("expected");
        const QByteArray pair = "\\xd83d\\xde00";
        QTest::newRow("server cut before a pair")
            << "Server" << QByteArray(255, 's') + pair + "tail" << QString(255, 's');
        QTest::newRow("name cut after a pair") << "A/Name" << QByteArray(254, 'n') + pair + "tail"
                                               << QString(254, 'n') + QString::fromUtf8("\xF0\x9F\x98\x80");
        QTest::newRow("model") << "A/Model" << QByteArray(100000, 'm') << QString(256, 'm');
        QTest::newRow("id") << "A/ID" << QByteArray(300, 'i') << QString(256, 'i');
    }
    void store_caps()
    {
        QFETCH(QString, key);
        QFETCH(QByteArray, value);
        QFETCH(QString, expected);
        const QByteArray line = key.section('/', -1).toLatin1() + '=' + value + '\n';
        write_store(key.contains('/') ? "[A]\nFriend=1\n" + line : line);
        const client_store_c store;
        QCOMPARE(key.contains('/') ? store.text("A", key.section('/', -1)) : store.server_name(), expected);
    }

    void hostile_store()
    {
        const QByteArray huge(100000, 'x');
        QByteArray many; // enough rows to renumber at scale; every third is pending
        for (int i = 0; i < 300; ++i)
            many += client_group("g" + QByteArray::number(i), i % 3 == 2 ? "2" : "0");
        const QByteArray stores[] = {
            "=\n[\n]]]\n[]\nFriend\n==x==\n\x01\x02\n[A]\nFriend=1\nCONNECTED=maybe\n[B\nID\n",
            "Server=\xff\xfe\xc3\n[\xff\xc0]\nID=\xc3\x28\nName=\xed\xa0\x80\nModel="
            "\xf8\x88\x80\x80\x80\nFriend="
            "\x80\n",
            "Server=" + huge + "\n[L]\nID=" + huge + "\nName=" + huge + "\nFriend=1\n",
            // Duplicate groups merge, the later value winning.
            "[D]\nID=D\nFriend=1\nCONNECTED=true\n[E]\nFriend=0\n[D]\nName=Twice\nFriend=0\n", many,
            // Serialised values that claim gigabytes, also spelled with a quote
            // and an escape (a text, a list and a polygon).
            "Server=@Variant(\\0\\0\\0\\n\\x7f\\xff\\xff\\xff)\n[V]\nID=V\nFriend=1\n"
            "Name=@Var\"iant(\\0\\0\\0\\n\\x7f\\xff\\xff\\xff)\"\nCONNECTED=\\x40Variant("
            "\\0\\0\\0\\t\\x7f\\xff\\xff\\xff)\nModel=x,@Variant(\\0\\0\\0G\\x7f\\xff\\xff\\xff)\n"};
        for (const QByteArray &store : stores) {
            write_store(store);
            const auto form = loaded_form(nullptr, false);
            const QList<mobile_device_fm_c *> &rows = form->device_rows();
            QVERIFY(store != many || rows.size() == 200);
            QVERIFY(child<QLineEdit>(form.get(), "edit_server_name")->text().size() <= 24);
            // The rules still hold: numbers count up, removals renumber, the last brings the placeholder.
            for (int round = 0; round < (rows.size() <= 3 ? 4 : 2); ++round) {
                QCOMPARE(described(*form).filter(QStringLiteral("misnumbered")), QStringList());
                form->remove_client(rows.constFirst()->client_id());
            }
            QVERIFY(rows.size() > 1 || rows.constFirst()->client_id().isEmpty());
        }
    }
};

QTEST_MAIN(tst_mobile_app_fm_c)
#include "tst_mobile_app_fm_c.moc"
