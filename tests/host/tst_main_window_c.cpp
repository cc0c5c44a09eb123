#include "host/control_centre_c.h"
#include "host/main_window_c.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QtTest>

class tst_main_window_c : public QObject
{
    Q_OBJECT

private slots:
    void language_menu_follows_the_host();
    void log_shows_calls_and_folds_repeats();
    void page_container_is_left_to_the_module();
    void host_images_are_linked_in();
};

namespace {
QMenu *menu_titled(QMainWindow &window, const QString &title)
{
    const QList<QAction *> actions = window.menuBar()->actions();
    for (QAction *action : actions) {
        if (action->menu() && action->text().remove(QLatin1Char('&')) == title)
            return action->menu();
    }
    return nullptr;
}

QStringList checked_languages(QMenu *menu)
{
    QStringList result;
    const QList<QAction *> actions = menu->actions();
    for (const QAction *action : actions) {
        if (action->isChecked())
            result.append(action->text());
    }
    return result;
}
} // namespace

void tst_main_window_c::language_menu_follows_the_host()
{
    control_centre_c host;
    main_window_c window(host);
    QMenu *menu = menu_titled(window, QStringLiteral("Language"));
    QVERIFY(menu);
    QStringList names;
    const QList<QAction *> actions = menu->actions();
    for (const QAction *action : actions)
        names.append(action->text());
    QCOMPARE(names, (QStringList{"English", QString::fromUtf8("简体中文"), "Deutsch"}));
    QCOMPARE(checked_languages(menu), QStringList{"English"});

    actions.at(2)->trigger();
    QCOMPARE(host.language(), 3);
    QCOMPARE(checked_languages(menu), QStringList{"Deutsch"});

    host.set_language(1);
    QCOMPARE(checked_languages(menu), QStringList{QString::fromUtf8("简体中文")});
    host.set_language(9); // not in the menu
    QCOMPARE(checked_languages(menu), QStringList());
}

void tst_main_window_c::log_shows_calls_and_folds_repeats()
{
    control_centre_c host;
    main_window_c window(host);
    QVERIFY(!window.load_module(QStringLiteral("/nonexistent/module.so")));
    for (int i = 0; i < 3; ++i)
        host.host_face()->get_ctrl_center();
    host.ctrl_center()->notify_modal_dialog(1, 1, 0);
    host.host_face()->get_ctrl_center();

    const QStringList lines = window.log_text().split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), 4);
    QVERIFY2(lines.at(0).contains(QLatin1String("host    Module not loaded: ")), qPrintable(lines.at(0)));
    QVERIFY2(lines.at(1).endsWith(QLatin1String("module  get_ctrl_center  (x3)")), qPrintable(lines.at(1)));
    QVERIFY(lines.at(2).endsWith(QLatin1String("module  notify_modal_dialog(1, 1, 0)")));
    QVERIFY(lines.at(3).endsWith(QLatin1String("module  get_ctrl_center")));
    QVERIFY(window.log_view()->isReadOnly());
}

void tst_main_window_c::page_container_is_left_to_the_module()
{
    control_centre_c host;
    main_window_c window(host);
    QWidget *container = window.page_container();
    QCOMPARE(container->layout(), nullptr);
    QVERIFY(container->minimumWidth() >= main_window_c::page_width);
    QVERIFY(container->minimumHeight() >= main_window_c::page_height);
}

void tst_main_window_c::host_images_are_linked_in()
{
    // The module's style sheets name pictures that only the host carries.
    QVERIFY(!QPixmap(QStringLiteral(":/graphics/common/progress/0.png")).isNull());
    QVERIFY(!QPixmap(QStringLiteral("://graphics/component/scroll_bar/up-arrow.png")).isNull());
}

QTEST_MAIN(tst_main_window_c)
#include "tst_main_window_c.moc"
