#include "common/form_base_c.h"
#include "host/control_centre_c.h"

#include <QtTest>
#include <QtWidgets>

#include <memory>

namespace {
class test_form_c : public QWidget, public form_base_c
{
public:
    explicit test_form_c(ctrl_center_i *ctrl_center)
    {
        set_font(title, "DejaVu Sans", 15, 2, true, false);
        set_font(empty, "DejaVu Sans", 11);
        set_font(accept, "DejaVu Serif", 12, 1, false, true);
        set_font(nullptr, "DejaVu Sans", 9);
        set_font(check, "DejaVu Serif", 13, 0, true, true);
        set_font(check, "DejaVu Sans", 10, 3);
        set_font(edit, "DejaVu Sans", 12);
        attach(ctrl_center);
    }

    void retranslate_texts() override { title->setText(QStringLiteral("Title %1").arg(++rounds)); }

    QLabel *title = new QLabel(this);
    QLabel *empty = new QLabel(this);
    QPushButton *accept = new QPushButton(QStringLiteral("Accept"), this);
    QCheckBox *check = new QCheckBox(QStringLiteral("Auto"), this);
    QLineEdit *edit = new QLineEdit(QStringLiteral("typed"), this);
    int rounds = 0;
};

struct font_t
{
    QWidget *widget;
    QString own_family;
    int pixel_size;
    int letter_spacing;
    bool bold;
    bool italic;
};
} // namespace

class tst_form_base_c : public QObject
{
    Q_OBJECT

private slots:
    // Built while the host reports language 1, then switched back to 0.
    void fonts_texts_and_registration()
    {
        control_centre_c host;
        host.set_language(1);
        auto form = std::make_unique<test_form_c>(host.ctrl_center());
        QCOMPARE(host.listeners(), QList<listener_i *>{form.get()});
        QCOMPARE(form->font_entries(1).size(), 6); // the null widget adds none
        const font_t expected[] = {
            {form->title, "DejaVu Sans", 15, 2, true, false},
            {form->empty, "DejaVu Sans", 11, 0, false, false},
            {form->accept, "DejaVu Serif", 12, 1, false, true},
            {form->check, "DejaVu Sans", 10, 3, false, false}, // the later entry
        };
        // Both Chinese scripts have a family of their own; every other language keeps the form's.
        const QMap<int, QString> language_family{{1, "WenQuanYi Micro Hei"},
                                                 {2, "MVK Driver ZongYiEurostile W7"}};
        for (const int language : {1, 2, 5, 0}) {
            host.set_language(language);
            for (const font_t &set : expected) {
                const QFont font = set.widget->font();
                QCOMPARE(font.family(), language_family.value(language, set.own_family));
                QCOMPARE(font.pixelSize(), set.pixel_size);
                QCOMPARE(font.letterSpacing(), qreal(set.letter_spacing));
                QCOMPARE(font.weight(), set.bold ? 75 : 50);
                QCOMPARE(font.italic(), set.italic);
            }
        }

        // Labels and buttons carry their latest text as tooltip; the edit is neither.
        QCOMPARE((QStringList{form->title->toolTip(), form->empty->toolTip(), form->accept->toolTip(),
                              form->check->toolTip(), form->edit->toolTip()}),
                 (QStringList{QStringLiteral("Title %1").arg(form->rounds), "", "Accept", "Auto", ""}));
        form.reset();
        QVERIFY(host.listeners().isEmpty());
    }
};

QTEST_MAIN(tst_form_base_c)
#include "tst_form_base_c.moc"
