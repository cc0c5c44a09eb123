// Showing 1000 quick-launch entries (item_list_fm_c::set_items into an empty
// list) against the floor of building the same 1000 rows (item_fm_c with
// set_row) into a plain vertical layout. What remains is the list's own work:
// copying the entries, the duplicate-id check, the spacer and numbering the
// rows. Best of several interleaved rounds.
//
// Usage: bench_set_items [entries, default 1000] [rounds, default 7]

#include "bench/bench_support.h"
#include "common/global_func_c.h"
#include "quick_launch/item_fm_c.h"
#include "quick_launch/item_list_fm_c.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTextStream>
#include <QVBoxLayout>

#include <memory>

namespace {
const double goal = 1.3;

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

qint64 time_list(const quick_launch_list_t &list, int &rows)
{
    QWidget holder;
    auto *view = new item_list_fm_c(nullptr, &holder);
    QElapsedTimer timer;
    timer.start();
    view->set_items(list);
    const qint64 elapsed = timer.nsecsElapsed();
    rows = view->rows().size();
    return elapsed;
}

qint64 time_floor(const quick_launch_list_t &list, int &rows)
{
    // Rows are polished by the style sheets of the widgets they go into, so the
    // floor's column carries the list's, and the rows are made inside a box
    // that carries the rows' shared one, as the list's rows container does.
    QWidget column;
    column.setStyleSheet(item_list_fm_c(nullptr, nullptr).styleSheet());
    auto *box = new QWidget(&column);
    box->setStyleSheet(item_fm_c::shared_style_sheet());
    auto *layout = new QVBoxLayout(box);
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < list.size(); ++i) {
        const quick_launch_item_t &item = list.at(i);
        auto *row = new item_fm_c(nullptr, nullptr, box);
        row->set_row(item.ID, i, item.Game_Name, item.Game_Path);
        layout->addWidget(row);
    }
    const qint64 elapsed = timer.nsecsElapsed();
    rows = layout->count();
    return elapsed;
}
} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const int entries = count_argument(argc, argv, 1, 1000);
    const int rounds = count_argument(argc, argv, 2, 7);
    global_func_c::shared()->initialise();
    QTextStream out(stdout);
    const quick_launch_list_t list = make_list(entries);

    int list_rows = 0;
    int floor_rows = 0;
    const best_times_t best = best_in_turns(
        rounds, [&] { return time_list(list, list_rows); }, [&] { return time_floor(list, floor_rows); });
    if (list_rows != entries || floor_rows != entries) {
        out << "bench_set_items: " << list_rows << " and " << floor_rows << " rows of " << entries << '\n';
        return 1;
    }
    out << "set_items (" << entries << " entries): " << best.measured / 1e6
        << " ms, floor (the same rows in a plain layout): " << best.floor / 1e6 << " ms, "
        << best.ratio_text(goal) << '\n';
    return 0;
}
