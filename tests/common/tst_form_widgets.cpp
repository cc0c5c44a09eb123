#include "common/elide_check_box_c.h"
#include "common/elide_label_c.h"
#include "common/elide_push_button_c.h"
#include "common/elide_radio_button_c.h"
#include "common/form_base_c.h"
#include "host/control_centre_c.h"
#include "ui_elide_form.h"

#include <QtTest>
#include <QtWidgets>

#include <memory>

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

// The title counts how often the form translated its texts.
struct test_form_c : QWidget, form_base_c
{
    explicit test_form_c(ctrl_center_i *ctrl_center)
    {
        set_font(title, "DejaVu Sans", 15, 2, true, false);
        set_font(empty, "DejaVu Sans", 11);
        set_font(accept, "DejaVu Serif", 12, 1, false, true);
        set_font(nullptr, "DejaVu Sans", 9);
        set_font(check, "DejaVu Serif", 13, 0, true, true);
        set_font(check, "DejaVu Sans", 10, 3); // the later entry wins
        set_font(edit, "DejaVu Sans", 12);
        attach(ctrl_center);
    }
    void retranslate_texts() override { title->setText(QStringLiteral("Title %1").arg(++rounds)); }

    QLabel *title = new QLabel(this), *empty = new QLabel(this);
    QPushButton *accept = new QPushButton(QStringLiteral("Accept"), this);
    QCheckBox *check = new QCheckBox(QStringLiteral("Auto"), this);
    QLineEdit *edit = new QLineEdit(QStringLiteral("typed"), this);
    int rounds = 0;
};

// Family, pixel size, letter spacing, weight and italic.
QString shown(const QWidget *widget)
{
    const QFont font = widget->font();
    return QString::asprintf("%s %d %g %d %d", qPrintable(font.family()), font.pixelSize(),
                             font.letterSpacing(), font.weight(), font.italic());
}
} // namespace
Q_DECLARE_METATYPE(make_t)

class tst_form_widgets : public QObject
{
    Q_OBJECT

private slots:
    // Without an elide mode each widget is the plain one; the same mode twice
    // repaints once; the form sets the mode by the property's name.
    void elide_mode_data()
    {
        QTest::addColumn<make_t>("make");
        QTest::addColumn<QString>("in_form");
        QTest::addColumn<Qt::TextElideMode>("form_mode");
        QTest::newRow("label") << &make<elide_label_c, QLabel> << "label" << Qt::ElideRight;
        QTest::newRow("check box") << &make<elide_check_box_c, QCheckBox> << "check_box" << Qt::ElideMiddle;
        QTest::newRow("push button") << &make<elide_push_button_c, QPushButton> << "push_button"
                                     << Qt::ElideLeft;
        QTest::newRow("radio button")
            << &make<elide_radio_button_c, QRadioButton> << "radio_button" << Qt::ElideRight;
    }
    void elide_mode()
    {
        QFETCH(make_t, make);
        QFETCH(QString, in_form);
        QFETCH(Qt::TextElideMode, form_mode);
        QWidget form;
        Ui::elide_form().setupUi(&form);
        QCOMPARE(form.findChild<QWidget *>(in_form)->property("elide_mode").value<Qt::TextElideMode>(),
                 form_mode);

        QScopedPointer<QWidget> widget(make(true, long_text)), plain(make(false, long_text));
        QCOMPARE(image(widget.data()), image(plain.data()));
        QCOMPARE(widget->minimumSizeHint(), plain->minimumSizeHint());
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

    void label_shows_start_and_ellipsis_until_wide_enough()
    {
        const QString text = long_text.mid(1);
        elide_label_c label(text);
        label.resize(120, 30);
        label.set_elide_mode(Qt::ElideRight);
        QLabel plain;
        const auto shows = [&](const QString &expected) {
            plain.setText(expected);
            plain.resize(label.size());
            return image(&label) == image(&plain);
        };
        const QString cut = label.fontMetrics().elidedText(text, Qt::ElideRight, 120);
        QVERIFY2(cut.startsWith("Name") && cut.endsWith(QChar(0x2026)), qPrintable(cut));
        QVERIFY(shows(cut));
        label.resize(label.fontMetrics().horizontalAdvance(text) + 4, 30);
        QVERIFY(shows(text));
        // A new text at the same width is cut afresh.
        label.resize(120, 30);
        image(&label); // painted at this width with the old text
        label.setText("Other " + text);
        QVERIFY(shows(label.fontMetrics().elidedText(label.text(), Qt::ElideRight, 120)));
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

    // A form built while the host reports language 1, then switched. Both
    // Chinese scripts have a family of their own; other languages keep the form's.
    void form_follows_language_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("family");
        QTest::newRow("simplified Chinese") << 1 << "WenQuanYi Micro Hei";
        QTest::newRow("traditional Chinese") << 2 << "MVK Driver ZongYiEurostile W7";
        QTest::newRow("other") << 5 << QString();
        QTest::newRow("default") << 0 << QString();
    }
    void form_follows_language()
    {
        QFETCH(int, language);
        QFETCH(QString, family);
        control_centre_c host;
        host.set_language(1);
        auto form = std::make_unique<test_form_c>(host.ctrl_center());
        QCOMPARE(host.listeners(), QList<listener_i *>{form.get()});
        QCOMPARE(form->font_entries(1).size(), 6); // the null widget adds none
        host.set_language(language);
        const auto font = [&](const char *own, const char *rest) -> QString {
            return (family.isEmpty() ? own : family) + rest;
        };
        QCOMPARE(
            (QStringList{shown(form->title), shown(form->empty), shown(form->accept), shown(form->check)}),
            (QStringList{font("DejaVu Sans", " 15 2 75 0"), font("DejaVu Sans", " 11 0 50 0"),
                         font("DejaVu Serif", " 12 1 50 1"), font("DejaVu Sans", " 10 3 50 0")}));
        // Labels and buttons carry their latest text as tooltip; the edit is neither.
        QCOMPARE((QStringList{form->title->toolTip(), form->empty->toolTip(), form->accept->toolTip(),
                              form->check->toolTip(), form->edit->toolTip()}),
                 (QStringList{QStringLiteral("Title %1").arg(form->rounds), "", "Accept", "Auto", ""}));
        form.reset();
        QVERIFY(host.listeners().isEmpty());
    }
};

QTEST_MAIN(tst_form_widgets)
#include "tst_form_widgets.moc"
