// The components the host makes for the module: the reset question and the
// information badge, as the module gets them through create_component.
#include "host/control_centre_c.h"
#include "host/info_badge_c.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTextDocument>
#include <QToolTip>
#include <QtTest>

#include <utility>

namespace {
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

Q_DECLARE_METATYPE(const interface_id_t *)

class tst_host_components : public QObject
{
    Q_OBJECT

private slots:
    void create_component_data();
    void create_component();
    void reset_answers_data();
    void reset_answers();
    void badge_tip_data();
    void badge_tip();
    void badge_follows_and_outlives_holder();

private:
    control_centre_c host;
};

void tst_host_components::create_component_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<const interface_id_t *>("id");
    QTest::addColumn<bool>("made");
    QTest::newRow("reset popup") << int(component_reset_popup) << &iid_reset_popup_i << true;
    QTest::newRow("reset popup, root id") << int(component_reset_popup) << &iid_interface_i << true;
    QTest::newRow("reset popup, badge id") << int(component_reset_popup) << &iid_info_badge_i << false;
    QTest::newRow("info badge") << int(component_info_badge) << &iid_info_badge_i << true;
    QTest::newRow("info badge, frame id") << int(component_info_badge) << &iid_popup_frame_i << false;
    QTest::newRow("progress") << int(component_progress) << &iid_progress_i << true;
}

void tst_host_components::create_component()
{
    QFETCH(int, kind);
    QFETCH(const interface_id_t *, id);
    QFETCH(bool, made);
    auto *face = static_cast<interface_i *>(host.create_component(kind, id));
    QCOMPARE(face != nullptr, made);
    if (face == nullptr)
        return;
    QCOMPARE(face->query_interface(id), static_cast<void *>(face));
    face->release();
}

void tst_host_components::reset_answers_data()
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

void tst_host_components::reset_answers()
{
    QFETCH(QString, act);
    QFETCH(QList<int>, answers);
    QPointer<QWidget> window = new QWidget;
    window->resize(400, 300);
    auto *anchor = new QPushButton(QStringLiteral("Reset"), window);
    anchor->setGeometry(20, 40, 80, 24);
    window->show();
    const int anchor_bottom = anchor->mapToGlobal(QPoint(0, anchor->height())).y();
    auto *popup =
        static_cast<reset_popup_i *>(host.create_component(component_reset_popup, &iid_reset_popup_i));
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
    QTest::qWait(1);
    QCOMPARE(client.answers, answers);
    QCOMPARE(shown, act != QLatin1String("no client"));
    QVERIFY(!shown || on_window_below_anchor);
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
    if (popup != nullptr)
        popup->release();
    delete window;
}

void tst_host_components::badge_tip_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");
    QTest::newRow("plain") << "Auto-pairing"
                           << "Known phones connect by themselves."
                           << "Auto-pairing\nKnown phones connect by themselves.";
    QTest::newRow("markup stays text") << "<b>Games</b>"
                                       << "a < b && c > d"
                                       << "<b>Games</b>\na < b && c > d";
    QTest::newRow("lines kept") << "Lists"
                                << "first\nsecond"
                                << "Lists\nfirst\nsecond";
    QTest::newRow("text only") << QString() << "&amp; as typed"
                               << "&amp; as typed";
}

void tst_host_components::badge_tip()
{
    QFETCH(QString, title);
    QFETCH(QString, text);
    QFETCH(QString, shown);
    QWidget holder;
    auto *face = static_cast<info_badge_i *>(host.create_component(component_info_badge, &iid_info_badge_i));
    face->set_title(title);
    face->place_in(&holder);
    face->set_text(text);
    holder.show();

    auto *badge = holder.findChild<QAbstractButton *>(QStringLiteral("info_badge"));
    QVERIFY(badge != nullptr && badge->isVisible());
    QCOMPARE(badge->parentWidget(), &holder);
    QCOMPARE(shown_text(badge->toolTip()), shown);
    QVERIFY(badge->accessibleName().endsWith(title));
    QCOMPARE(badge->accessibleDescription(), text);
    badge->click();
    QVERIFY(QToolTip::isVisible());
    QCOMPARE(QToolTip::text(), badge->toolTip());
    QToolTip::hideText();
    face->release();
    QVERIFY(holder.findChild<QAbstractButton *>() == nullptr);
}

void tst_host_components::badge_follows_and_outlives_holder()
{
    auto *face = static_cast<info_badge_c *>(
        static_cast<info_badge_i *>(host.create_component(component_info_badge, &iid_info_badge_i)));
    face->set_title(QStringLiteral("Title"));
    QWidget first;
    auto *row = new QHBoxLayout(&first);
    row->addWidget(new QWidget);
    face->place_in(&first);
    QCOMPARE(row->count(), 2);
    QPointer<QAbstractButton> badge = face->badge();
    {
        QWidget second;
        face->place_in(&second);
        QCOMPARE(badge->parentWidget(), &second);
        QCOMPARE(row->count(), 1);
    }
    // The holder took the badge along; releasing must not delete it again.
    QVERIFY(badge == nullptr && face->badge() == nullptr);
    face->release();
}

QTEST_MAIN(tst_host_components)
#include "tst_host_components.moc"
