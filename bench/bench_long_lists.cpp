// Long lists under the stand-in host, each shown with 5000 entries against the
// floor of the same list with 1000 entries: a list whose cost grows with its
// length alone stays within 5 times its floor, so the goal of 6 leaves room
// for caches but not for work that grows with the square of the length.
//
// - the quick-launch list: set_items on a list in a shown window, then the
//   event loop settles it;
// - the module's phone page: reload_clients from a file of that many phones;
// - the host's phone menu: filled as it is before it opens.
//
// Usage: bench_long_lists [small, default 1000] [large, default 5000] [rounds, default 2]

#include "bench/bench_support.h"
#include "common/global_func_c.h"
#include "connect/client_store_c.h"
#include "connect/mobile_app_fm_c.h"
#include "host/control_centre_c.h"
#include "host/main_window_c.h"
#include "module/module_host.h"
#include "quick_launch/item_list_fm_c.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QStandardPaths>
#include <QTextStream>

namespace {
const double goal = 6;

quick_launch_list_t make_list(int entries)
{
    quick_launch_list_t list;
    for (int i = 0; i < entries; ++i) {
        quick_launch_item_t item;
        item.ID = 100000 + i;
        item.Order = i;
        item.Game_Name = QStringLiteral("Game number %1").arg(i);
        item.Game_Path = QStringLiteral("C:/Program Files/Games/Game %1/bin/game.exe").arg(i);
        list.append(item);
    }
    return list;
}

bool write_phones(const QString &path, int phones)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    for (int i = 0; i < phones; ++i) {
        const QByteArray id = "phone-" + QByteArray::number(i);
        file.write("[" + id + "]\nID=" + id + "\nName=Phone " + QByteArray::number(i) +
                   "\nModel=Model X\nCONNECTED=" + (i % 2 ? "true" : "false") +
                   "\nFriend=" + QByteArray::number(i % 2) + '\n');
    }
    return true;
}

qint64 time_quick_launch(const quick_launch_list_t &list)
{
    QWidget window;
    window.resize(420, 600);
    auto *view = new item_list_fm_c(nullptr, &window);
    window.show();
    QCoreApplication::processEvents();
    QElapsedTimer timer;
    timer.start();
    view->set_items(list);
    QCoreApplication::processEvents();
    const qint64 elapsed = timer.nsecsElapsed();
    return view->rows().size() == list.size() ? elapsed : -1;
}

qint64 time_phone_page(const QString &path, int phones)
{
    if (!write_phones(path, phones))
        return -1;
    QWidget window;
    auto *form = new mobile_app_fm_c(nullptr, &window);
    window.show();
    QCoreApplication::processEvents();
    QElapsedTimer timer;
    timer.start();
    form->reload_clients();
    QCoreApplication::processEvents();
    const qint64 elapsed = timer.nsecsElapsed();
    return form->device_rows().size() == phones ? elapsed : -1;
}

qint64 time_phone_menu(main_window_c &window, const QString &path, int phones)
{
    if (!write_phones(path, phones))
        return -1;
    QMenu *menu = nullptr;
    for (QAction *action : window.menuBar()->actions())
        if (action->text() == QStringLiteral("&Phones"))
            menu = action->menu();
    if (menu == nullptr)
        return -1;
    QElapsedTimer timer;
    timer.start();
    emit menu->aboutToShow();
    const qint64 elapsed = timer.nsecsElapsed();
    return menu->actions().size() > phones ? elapsed : -1;
}

template <typename Timed>
bool report(QTextStream &out, const char *what, int small, int large, int rounds, Timed timed)
{
    const best_times_t best = best_in_turns(
        rounds, [&] { return timed(large); }, [&] { return timed(small); });
    if (best.measured < 0 || best.floor < 0) {
        out << what << ": wrong number of rows\n";
        return false;
    }
    out << what << " (" << large << "): " << best.measured / 1e6 << " ms, floor (" << small
        << "): " << best.floor / 1e6 << " ms, per entry " << best.measured / 1e3 / large << " us, "
        << best.ratio_text(goal) << '\n';
    out.flush();
    return true;
}
} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const int small = count_argument(argc, argv, 1, 1000);
    const int large = count_argument(argc, argv, 2, 5000);
    const int rounds = count_argument(argc, argv, 3, 2);
    global_func_c::shared()->initialise();
    QDir().mkpath(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
    control_centre_c host;
    set_module_host(host.host_face());
    const QString path = client_store_c::default_path();
    QDir().mkpath(QFileInfo(path).absolutePath());
    host.keep_client_store(path);
    QTextStream out(stdout);

    bool fine = report(out, "quick-launch list", small, large, rounds,
                       [](int entries) { return time_quick_launch(make_list(entries)); });
    fine = report(out, "phone page", small, large, rounds,
                  [&](int phones) { return time_phone_page(path, phones); }) &&
           fine;
    {
        main_window_c window(host);
        fine = report(out, "host phone menu", small, large, rounds,
                      [&](int phones) { return time_phone_menu(window, path, phones); }) &&
               fine;
    }

    QFile::remove(path);
    set_module_host(nullptr);
    return fine ? 0 : 1;
}
