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

class tst_host_components : public QObject
{
    Q_OBJECT

private slots:
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
        QTest::qWait(1);
        QCOMPARE(client.answers, answers);
        QCOMPARE(shown, act != QLatin1String("no client"));
        QVERIFY(!shown || on_window_below_anchor);
        QCOMPARE(QApplication::activeModalWidget(), nullptr);
        if (popup != nullptr)
            popup->release();
        delete window;
    }

    void popup_frame_ends_without_its_content_data()
    {
        QTest::addColumn<bool>("release_frame");
        QTest::newRow("content deleted") << false;
        QTest::newRow("frame released") << true;
    }
    void popup_frame_ends_without_its_content()
    {
        QFETCH(bool, release_frame);
        auto *frame =
            static_cast<popup_frame_i *>(host.create_component(component_popup_frame, &iid_popup_frame_i));
        QPointer<QWidget> content = new QWidget;
        QTimer::singleShot(0, [&] {
            if (release_frame)
                frame->release();
            else
                delete content;
        });
        // A frame left open would hold the test in its loop.
        bool stuck = false;
        QTimer::singleShot(3000, [&] {
            stuck = QApplication::activeModalWidget() != nullptr;
            if (auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget()))
                dialog->reject();
        });
        QCOMPARE(frame->run_popup(content, nullptr, QStringLiteral("Title"), {}, {}, 0, 0), 0);
        QVERIFY(!stuck);
        QCOMPARE(content.isNull(), !release_frame);
        if (!release_frame)
            frame->release();
        delete content;
    }

    void badge_tip_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shown");
        const auto row = [](const char *tag, const QString &title, const QString &text,
                            const QString &shown) { QTest::newRow(tag) << title << text << shown; };
        row("markup stays text", "<b>Games</b>", "a < b && c > d", "<b>Games</b>\na < b && c > d");
        row("lines kept", "Lists", "first\nsecond", "Lists\nfirst\nsecond");
        row("text only", QString(), "&amp; as typed", "&amp; as typed");
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

QTEST_MAIN(tst_host_components)
#include "tst_host_components.moc"
