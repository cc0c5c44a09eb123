#include "host/demo_tour.h"

#include "host/app_info_service_c.h"
#include "host/client_store_keeper_c.h"
#include "host/control_centre_c.h"
#include "host/demo_data.h"
#include "host/main_window_c.h"
#include "host/tour_c.h"

#include <QApplication>
#include <QDialog>
#include <QDrag>
#include <QDragMoveEvent>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHash>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>

#include <functional>
#include <memory>

namespace {
// Clicks the tab button at index as a user would, so that the window's own click
// handling runs too.
QString click_tab(main_window_c &window, int index)
{
    const QList<QPushButton *> buttons = window.tab_buttons();
    if (index >= buttons.size())
        return QStringLiteral("only %1 tab buttons").arg(buttons.size());
    QPushButton *button = buttons.at(index);
    button->click();
    if (!button->isChecked())
        return QStringLiteral("the tab button \"%1\" is not checked after its click").arg(button->text());
    return QString();
}

// Runs the event loop until done() holds or timeout_ms pass; tells whether it held.
bool wait_until(const std::function<bool()> &done, int timeout_ms)
{
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < timeout_ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

// The module's pairing dialog while it is open, found as a user would see it.
QDialog *open_pairing_dialog()
{
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget *window : windows) {
        auto *dialog = qobject_cast<QDialog *>(window);
        if (dialog != nullptr && dialog->isVisible() &&
            dialog->findChild<QPushButton *>(QStringLiteral("btn_yes")) != nullptr)
            return dialog;
    }
    return nullptr;
}

QString scroll_phones_to_end(main_window_c &window)
{
    auto *area = window.page_container()->findChild<QScrollArea *>(QStringLiteral("scrollArea"));
    if (area == nullptr)
        return QStringLiteral("no scroll area on the page");
    area->verticalScrollBar()->setValue(area->verticalScrollBar()->maximum());
    return QString();
}

QString press_in_pairing_dialog(const char *button)
{
    QDialog *dialog = open_pairing_dialog();
    if (dialog == nullptr)
        return QStringLiteral("no pairing dialog");
    dialog->findChild<QPushButton *>(QLatin1String(button))->click();
    return QString();
}

// Two phones ask at once: the first is accepted, the second dismissed with
// Escape, which must leave it unpaired.
void add_dismissed_request_steps(tour_c &tour, main_window_c &window, client_store_keeper_c *store)
{
    const QStringList names{QStringLiteral("Pixel 8"), QStringLiteral("Xperia 5 V")};
    // Requests are shown in the file's order, which depends on their random ids.
    auto accepted = std::make_shared<QString>();
    auto ids = std::make_shared<QHash<QString, QString>>();
    tour.add_step(QStringLiteral("two phones ask to pair"), [store, ids, names] {
        for (const QString &name : names)
            ids->insert(name, store->add_pairing_request(name, QStringLiteral("Model of ") + name));
        return ids->values().contains(QString()) ? QStringLiteral("a request was not written") : QString();
    });
    tour.add_step(QStringLiteral("press YES for the first"), [accepted, names] {
        QDialog *dialog = open_pairing_dialog();
        for (const QLabel *label : dialog != nullptr ? dialog->findChildren<QLabel *>() : QList<QLabel *>())
            if (names.contains(label->text()))
                *accepted = label->text();
        return accepted->isEmpty() ? QStringLiteral("no dialog shows either phone")
                                   : press_in_pairing_dialog("btn_yes");
    });
    tour.add_step(QStringLiteral("the second request is shown"), [] {
        return wait_until([] { return open_pairing_dialog() != nullptr; }, 5000)
                   ? QString()
                   : QStringLiteral("no pairing dialog for the second phone");
    });
    tour.add_screenshot(QStringLiteral("22_second_request.png"));
    tour.add_step(QStringLiteral("press Escape"), [] {
        QDialog *dialog = open_pairing_dialog();
        if (dialog == nullptr)
            return QStringLiteral("no pairing dialog");
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(dialog->focusWidget() != nullptr ? dialog->focusWidget() : dialog, &escape);
        return QString();
    });
    tour.add_step(QStringLiteral("only the accepted phone is paired"), [store, ids, accepted, names] {
        const QString dismissed = ids->value(names.at(names.at(0) == *accepted ? 1 : 0));
        if (!wait_until(
                [&] { return open_pairing_dialog() == nullptr && !store->client_ids().contains(dismissed); },
                5000))
            return QStringLiteral("the dismissed phone is still asking or in the file");
        return store->client_ids().contains(ids->value(*accepted))
                   ? QString()
                   : QStringLiteral("the accepted phone is not in the file");
    });
    tour.add_step(QStringLiteral("scroll to the end of the list"),
                  [&window] { return scroll_phones_to_end(window); });
    tour.add_screenshot(QStringLiteral("23_second_dismissed.png"));
}

// The phone page through the life of the paired-client file: the seeded phones,
// no file at all, a pairing request answered with YES, and the result.
void add_phone_steps(tour_c &tour, main_window_c &window, control_centre_c &host,
                     const std::function<std::function<QString()>(int)> &open_tab,
                     const std::function<std::function<QString()>(int)> &switch_language)
{
    client_store_keeper_c *store = host.client_store();
    auto paired_id = std::make_shared<QString>();
    tour.add_step(QStringLiteral("open the connect page"), open_tab(0));
    tour.add_screenshot(QStringLiteral("06_phones_seeded.png"));
    tour.add_step(QStringLiteral("delete the paired-client file"), [store] {
        return store->clear() ? QString() : QStringLiteral("there was no file to delete");
    });
    tour.add_screenshot(QStringLiteral("07_phones_empty.png"));
    tour.add_step(QStringLiteral("seed the demo phones again"), [store] {
        return store->seed_demo_phones() ? QString() : QStringLiteral("the phones were not written");
    });
    tour.add_step(QStringLiteral("a new phone asks to pair"), [store, paired_id] {
        *paired_id = store->add_pairing_request(QStringLiteral("OnePlus 11"), QStringLiteral("CPH2449"));
        return paired_id->isEmpty() ? QStringLiteral("the request was not written") : QString();
    });
    tour.add_step(QStringLiteral("the pairing dialog is open"), [] {
        return open_pairing_dialog() != nullptr ? QString() : QStringLiteral("no pairing dialog");
    });
    tour.add_screenshot(QStringLiteral("08_pairing_dialog.png"));
    tour.add_step(QStringLiteral("press YES"), [] { return press_in_pairing_dialog("btn_yes"); });
    tour.add_step(QStringLiteral("the new phone is in the file"), [store, paired_id] {
        const QStringList ids = store->client_ids();
        return ids.contains(*paired_id) ? QString() : QStringLiteral("the new phone is not in the file");
    });
    // Ids are random, so the new phone may be listed below the fold.
    tour.add_step(QStringLiteral("scroll to the end of the list"),
                  [&window] { return scroll_phones_to_end(window); });
    tour.add_screenshot(QStringLiteral("10_phone_paired.png"));
    add_dismissed_request_steps(tour, window, store);
    tour.add_step(QStringLiteral("switch to language 1"), switch_language(1));
    tour.add_screenshot(QStringLiteral("09_zh_phones.png"));
    tour.add_step(QStringLiteral("switch back to language 0"), switch_language(0));
}

// The visible modal window (the module's popup frame or a file browser) whose
// children include a widget of this object name.
QWidget *modal_with(const char *child_name)
{
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget *window : windows)
        if (window->isVisible() && window->isModal() &&
            window->findChild<QWidget *>(QLatin1String(child_name)) != nullptr)
            return window;
    return nullptr;
}

QWidget *games_list_of(main_window_c &window)
{
    return window.page_container()->findChild<QWidget *>(QStringLiteral("wg_game_list"));
}

// Sends a drag event of this type to target, as the window system would during a drag.
void send_drag_event(QWidget *target, QEvent::Type type, const QPoint &at)
{
    QMimeData mime;
    if (type == QEvent::Drop) {
        QDropEvent drop(at, Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &drop);
    } else if (type == QEvent::DragEnter) {
        QDragEnterEvent enter(at, Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &enter);
    } else {
        QDragMoveEvent move(at, Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &move);
    }
}

// A game added by hand: the add dialog, its file browser, and the new row.
void add_manual_add_steps(tour_c &tour, main_window_c &window)
{
    tour.add_step(QStringLiteral("press MANUALLY ADD GAME"), [&window] {
        QWidget *list = games_list_of(window);
        auto *button =
            list != nullptr ? list->findChild<QPushButton *>(QStringLiteral("btn_manually_add")) : nullptr;
        if (button == nullptr)
            return QStringLiteral("no add button on the games list");
        // The dialog runs modally; the tour goes on inside its loop.
        QTimer::singleShot(0, button, &QPushButton::click);
        return QString();
    });
    tour.add_step(QStringLiteral("press the browse button"), [] {
        QWidget *frame = modal_with("btn_browser");
        if (frame == nullptr)
            return QStringLiteral("the add dialog is not open");
        QTimer::singleShot(0, frame->findChild<QPushButton *>(QStringLiteral("btn_browser")),
                           &QPushButton::click);
        return QString();
    });
    tour.add_step(QStringLiteral("go to the demo game's folder"), [&window] {
        auto *files = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (files == nullptr)
            return QStringLiteral("the file browser is not open");
        files->setDirectory(demo_data::games_folder() + QStringLiteral("/Moonlit Harbor"));
        // As if typed: the folder's listing may still be loading.
        if (auto *name = files->findChild<QLineEdit *>(QStringLiteral("fileNameEdit")))
            name->setText(QStringLiteral("harbor.exe"));
        // Small enough to be seen whole over the window in the screenshot.
        files->resize(640, 400);
        files->move(window.mapToGlobal(window.rect().center()) - files->rect().center());
        return QString();
    });
    tour.add_screenshot(QStringLiteral("11_file_browser.png"));
    tour.add_step(QStringLiteral("choose harbor.exe"), [] {
        auto *files = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (files == nullptr)
            return QStringLiteral("the file browser is not open");
        QMetaObject::invokeMethod(files, "accept");
        return QString();
    });
    tour.add_screenshot(QStringLiteral("12_add_dialog.png"));
    tour.add_step(QStringLiteral("press OK"), [] {
        QWidget *frame = modal_with("btn_browser");
        if (frame == nullptr)
            return QStringLiteral("the add dialog is not open");
        if (frame->findChild<QLineEdit *>(QStringLiteral("edit_name"))->text() != QLatin1String("harbor"))
            return QStringLiteral("the chosen file did not name the game");
        frame->findChild<QPushButton *>(QStringLiteral("btn_ok"))->click();
        return QString();
    });
    tour.add_step(QStringLiteral("the game is the list's last row"), [&window] {
        const QList<QWidget *> names =
            games_list_of(window)->findChildren<QWidget *>(QStringLiteral("lb_name"));
        for (QWidget *name : names)
            if (qobject_cast<QLabel *>(name) != nullptr && static_cast<QLabel *>(name)->text() == "harbor")
                return QString();
        return QStringLiteral("no row shows harbor");
    });
    tour.add_screenshot(QStringLiteral("13_game_added.png"));
}

// The first game dragged below the third, with the dragged picture painted over
// the screenshot: the platform shows it in a window of its own.
void add_drag_steps(tour_c &tour, main_window_c &window)
{
    // Dragging needs a platform that runs drags; offscreen has none.
    if (QGuiApplication::platformName() == QLatin1String("offscreen"))
        return;
    auto drag_point = std::make_shared<QPoint>();
    tour.add_step(QStringLiteral("press on the first game and move"), [&window] {
        QWidget *holder = games_list_of(window);
        QWidget *area = holder->findChild<QWidget *>(QStringLiteral("wg_scroll_area"));
        QWidget *list = area->parentWidget()->parentWidget()->parentWidget()->parentWidget()->parentWidget();
        // Near the row's lower edge, so that the dragged picture leaves the drop line in sight.
        const QPoint press = area->mapTo(list, QPoint(160, 32));
        QTimer::singleShot(0, list, [list, press] {
            QMouseEvent down(QEvent::MouseButtonPress, press, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(list, &down);
            QMouseEvent move(QEvent::MouseMove, press + QPoint(0, 1), Qt::NoButton, Qt::LeftButton,
                             Qt::NoModifier);
            // Returns when the drag has ended.
            QCoreApplication::sendEvent(list, &move);
        });
        return QString();
    });
    tour.add_step(QStringLiteral("drag it below the third game"), [&window, drag_point] {
        QWidget *area = games_list_of(window)->findChild<QWidget *>(QStringLiteral("wg_scroll_area"));
        *drag_point = QPoint(160, 3 * 35 + 2);
        send_drag_event(area, QEvent::DragEnter, *drag_point);
        send_drag_event(area, QEvent::DragMove, *drag_point);
        return QString();
    });
    tour.add_screenshot(QStringLiteral("14_row_dragged.png"), [&window, drag_point](QPainter &painter) {
        QWidget *area = games_list_of(window)->findChild<QWidget *>(QStringLiteral("wg_scroll_area"));
        for (QDrag *drag : window.page_container()->findChildren<QDrag *>()) {
            const QPoint at = area->mapTo(&window, *drag_point);
            painter.drawPixmap(at - drag->hotSpot(), drag->pixmap());
            painter.drawPixmap(at - QPoint(16, 16),
                               QPixmap(QStringLiteral(":/graphics/common/cursor/closed_hand.png")));
        }
    });
    tour.add_step(QStringLiteral("drop it"), [&window, drag_point] {
        QWidget *area = games_list_of(window)->findChild<QWidget *>(QStringLiteral("wg_scroll_area"));
        if (window.page_container()->findChildren<QDrag *>().isEmpty())
            return QStringLiteral("no drag is running");
        send_drag_event(area, QEvent::Drop, *drag_point);
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QCoreApplication::sendEvent(area, &escape);
        return QString();
    });
    tour.add_screenshot(QStringLiteral("15_row_dropped.png"));
}

// The reset question answered with "keep", then the lists saved and read again
// by a new module instance.
void add_restart_steps(tour_c &tour, main_window_c &window, control_centre_c &host,
                       const std::function<std::function<QString()>(int)> &open_tab)
{
    tour.add_step(QStringLiteral("press the reset button"), [&window] {
        auto *reset = window.page_container()->findChild<QPushButton *>(QStringLiteral("btn_reset"));
        if (reset == nullptr)
            return QStringLiteral("no reset button");
        QTimer::singleShot(0, reset, &QPushButton::click);
        return QString();
    });
    tour.add_screenshot(QStringLiteral("16_reset_question.png"));
    tour.add_step(QStringLiteral("keep the lists"), [] {
        QWidget *question = modal_with("btn_cancel");
        if (question == nullptr)
            return QStringLiteral("the reset question is not open");
        question->findChild<QPushButton *>(QStringLiteral("btn_cancel"))->click();
        return QString();
    });
    tour.add_step(QStringLiteral("save the lists"), [&host] {
        return host.save_quick_launch_lists() == 1 ? QString() : QStringLiteral("no kernel wrote the lists");
    });
    tour.add_step(QStringLiteral("restart the module"), [&window, &host] {
        const QString path = host.module_path();
        host.unload_module();
        return window.load_module(path) ? QString() : QStringLiteral("the module did not load again");
    });
    tour.add_step(QStringLiteral("open the quick launch page"), open_tab(1));
    tour.add_screenshot(QStringLiteral("17_lists_after_restart.png"));
}

QDialog *scan_dialog_of(main_window_c &window)
{
    return window.findChild<QDialog *>(QStringLiteral("scanning_progress_fm_c"));
}

// A scan over the seeded installation: the dialog while the Steam applications
// are looked up, its last picture before it closes, and the lists it filled.
void add_scan_steps(tour_c &tour, main_window_c &window, app_info_service_c &service,
                    const std::function<std::function<QString()>(int)> &open_tab)
{
    tour.add_step(QStringLiteral("open the quick launch page"), open_tab(1));
    tour.add_step(QStringLiteral("offer scanning"), [&window] {
        window.set_scan_offered(true);
        return QString();
    });
    tour.add_screenshot(QStringLiteral("18_scan_offered.png"));
    tour.add_step(QStringLiteral("move the main window away from the screen's origin"), [&window] {
        window.move(window.screen()->availableGeometry().topLeft() + QPoint(600, 500));
        return QString();
    });
    tour.add_step(QStringLiteral("press SCAN"), [&window] {
        auto *scan = window.page_container()->findChild<QPushButton *>(QStringLiteral("btn_scan"));
        if (scan == nullptr || !scan->isVisible())
            return QStringLiteral("no scan button to press");
        QTimer::singleShot(0, scan, &QPushButton::click);
        return QString();
    });
    tour.add_step(QStringLiteral("wait for the second application"), [&window, &service, &tour] {
        if (!wait_until([&] { return scan_dialog_of(window) != nullptr && service.requests() >= 2; }, 20000))
            return QStringLiteral("the scan asked the service %1 times").arg(service.requests());
        // The dialog closes itself once the scan is done; its last picture is taken then.
        QDialog *dialog = scan_dialog_of(window);
        const QPoint off = dialog->frameGeometry().center() - window.frameGeometry().center();
        if (off.manhattanLength() > 2)
            return QStringLiteral("the dialog is %1, %2 pixels off the window's centre")
                .arg(off.x())
                .arg(off.y());
        QObject::connect(dialog, &QDialog::finished, &tour,
                         [&tour, dialog] { tour.save_shot(QStringLiteral("20_scan_finished.png"), dialog); });
        return QString();
    });
    tour.add_screenshot(QStringLiteral("19_scan_running.png"));
    tour.add_step(QStringLiteral("wait for the scan to end"), [&window] {
        return wait_until([&] { return !scan_dialog_of(window)->isVisible(); }, 60000)
                   ? QString()
                   : QStringLiteral("the scan did not end");
    });
    tour.add_step(QStringLiteral("scroll to the found games"), [&window] {
        QWidget *games = games_list_of(window);
        auto *area =
            games != nullptr ? games->findChild<QScrollArea *>(QStringLiteral("scrollArea")) : nullptr;
        if (area == nullptr)
            return QStringLiteral("no games list");
        area->verticalScrollBar()->setValue(area->verticalScrollBar()->maximum());
        return QString();
    });
    tour.add_screenshot(QStringLiteral("21_after_scan.png"));
}

} // namespace

void add_demo_tour(tour_c &tour, main_window_c &window, control_centre_c &host, app_info_service_c &service,
                   bool with_scan)
{
    const auto open_tab = [&window](int index) {
        return [&window, index] { return click_tab(window, index); };
    };
    const auto switch_language = [&host](int language) {
        return [&host, language] {
            host.set_language(language);
            return QString();
        };
    };
    tour.add_screenshot(QStringLiteral("01_started.png"));
    tour.add_step(QStringLiteral("open the connect page"), open_tab(0));
    tour.add_screenshot(QStringLiteral("02_page_connect.png"));
    tour.add_step(QStringLiteral("open the quick launch page"), open_tab(1));
    tour.add_screenshot(QStringLiteral("03_page_quick_launch.png"));
    tour.add_step(QStringLiteral("switch to language 1"), switch_language(1));
    tour.add_step(QStringLiteral("open the connect page"), open_tab(0));
    tour.add_screenshot(QStringLiteral("04_zh_page_connect.png"));
    tour.add_step(QStringLiteral("open the quick launch page"), open_tab(1));
    tour.add_screenshot(QStringLiteral("05_zh_page_quick_launch.png"));
    tour.add_step(QStringLiteral("switch back to language 0"), switch_language(0));
    add_phone_steps(tour, window, host, open_tab, switch_language);
    tour.add_step(QStringLiteral("open the quick launch page"), open_tab(1));
    add_manual_add_steps(tour, window);
    add_drag_steps(tour, window);
    add_restart_steps(tour, window, host, open_tab);
    if (with_scan)
        add_scan_steps(tour, window, service, open_tab);
    tour.add_log_dump(QStringLiteral("host_log.txt"));
}
