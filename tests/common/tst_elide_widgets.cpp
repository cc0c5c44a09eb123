#include "common/elide_check_box_c.h"
#include "common/elide_label_c.h"
#include "common/elide_push_button_c.h"
#include "common/elide_radio_button_c.h"
#include "ui_elide_form.h"

#include <QtTest>

namespace {
const QString long_text = QStringLiteral("&Name far too long for the little space it is given");

// An eliding or a plain widget, at a size that cuts long_text.
template <class Elided, class Plain>
QWidget *make(bool elide, const QString &text)
{
    QWidget *widget = elide ? static_cast<QWidget *>(new Elided(text)) : new Plain(text);
    widget->resize(120, 30);
    return widget;
}
using make_t = QWidget *(*)(bool, const QString &);

QImage image(QWidget *widget)
{
    return widget->grab().toImage();
}

struct paint_counter_c : QObject
{
    int count = 0;
    bool eventFilter(QObject *, QEvent *event) override
    {
        count += event->type() == QEvent::Paint;
        return false;
    }
};
} // namespace
Q_DECLARE_METATYPE(make_t)

class tst_elide_widgets : public QObject
{
    Q_OBJECT

    static void add_kinds()
    {
        QTest::addColumn<make_t>("make");
        QTest::newRow("label") << &make<elide_label_c, QLabel>;
        QTest::newRow("check box") << &make<elide_check_box_c, QCheckBox>;
        QTest::newRow("push button") << &make<elide_push_button_c, QPushButton>;
        QTest::newRow("radio button") << &make<elide_radio_button_c, QRadioButton>;
    }

private slots:
    void elide_none_is_the_plain_widget_data() { add_kinds(); }
    void elide_none_is_the_plain_widget()
    {
        QFETCH(make_t, make);
        QScopedPointer<QWidget> elided(make(true, long_text)), plain(make(false, long_text));
        QCOMPARE(elided->property("elide_mode").value<Qt::TextElideMode>(), Qt::ElideNone);
        QCOMPARE(image(elided.data()), image(plain.data()));
        QCOMPARE(elided->minimumSizeHint(), plain->minimumSizeHint());
    }

    void label_shows_start_and_ellipsis_until_wide_enough()
    {
        const QString text = long_text.mid(1);
        elide_label_c label(text);
        label.resize(120, 30);
        label.set_elide_mode(Qt::ElideRight);
        const QString cut = label.fontMetrics().elidedText(text, Qt::ElideRight, 120);
        QVERIFY2(cut.startsWith("Name") && cut.endsWith(QChar(0x2026)), qPrintable(cut));
        QLabel plain(cut);
        plain.resize(label.size());
        QCOMPARE(image(&label), image(&plain));

        label.resize(label.fontMetrics().horizontalAdvance(text) + 4, 30);
        plain.setText(text);
        plain.resize(label.size());
        QCOMPARE(image(&label), image(&plain));

        // A new text at the same width is cut afresh.
        label.resize(120, 30);
        plain.resize(label.size());
        image(&label); // painted at this width with the old text
        const QString other = QStringLiteral("Other ") + text;
        label.setText(other);
        plain.setText(label.fontMetrics().elidedText(other, Qt::ElideRight, 120));
        QCOMPARE(image(&label), image(&plain));
    }

    void check_box_cuts_text_and_keeps_mnemonic()
    {
        elide_check_box_c box(long_text);
        box.resize(120, 30);
        box.set_elide_mode(Qt::ElideRight);
        QStyleOptionButton option;
        option.initFrom(&box);
        const int width = box.style()->subElementRect(QStyle::SE_CheckBoxContents, &option, &box).width() -
                          box.style()->pixelMetric(QStyle::PM_MenuButtonIndicator, &option, &box);
        const QString cut =
            box.fontMetrics().elidedText(long_text, Qt::ElideRight, width, Qt::TextShowMnemonic);
        QVERIFY2(cut.startsWith("&N") && cut.endsWith(QChar(0x2026)), qPrintable(cut));
        QScopedPointer<QWidget> plain(make<elide_check_box_c, QCheckBox>(false, cut));
        QScopedPointer<QWidget> no_underline(make<elide_check_box_c, QCheckBox>(false, cut.mid(1)));
        QCOMPARE(image(&box), image(plain.data()));
        QVERIFY(image(&box) != image(no_underline.data()));
    }

    void same_mode_twice_repaints_once_data() { add_kinds(); }
    void same_mode_twice_repaints_once()
    {
        QFETCH(make_t, make);
        QScopedPointer<QWidget> widget(make(true, long_text));
        widget->show();
        QVERIFY(QTest::qWaitForWindowExposed(widget.data()));
        QCoreApplication::processEvents();
        paint_counter_c counter;
        widget->installEventFilter(&counter);
        for (int i = 0; i < 2; ++i) {
            widget->setProperty("elide_mode", QVariant::fromValue(Qt::ElideRight));
            QCOMPARE(counter.count, 1);
        }
    }

    void form_sets_mode_by_property_name()
    {
        QWidget form;
        Ui::elide_form ui;
        ui.setupUi(&form);
        QCOMPARE((QList<Qt::TextElideMode>{ui.label->elide_mode(), ui.check_box->elide_mode(),
                                           ui.push_button->elide_mode(), ui.radio_button->elide_mode()}),
                 (QList<Qt::TextElideMode>{Qt::ElideRight, Qt::ElideMiddle, Qt::ElideLeft, Qt::ElideRight}));
    }
};

QTEST_MAIN(tst_elide_widgets)
#include "tst_elide_widgets.moc"
