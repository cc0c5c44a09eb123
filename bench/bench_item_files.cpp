// A save and a load of 1000 quick-launch entries (write_item_file, then
// read_item_file) against the floor of writing and reading the same INI
// content with the settings store alone: the same groups and keys set, synced,
// then listed and read back. What remains is the item store's own work (group
// names, number checks, defaults). Best of several interleaved rounds.
//
// Usage: bench_item_files [entries, default 1000] [rounds, default 7]

#include "bench/bench_support.h"
#include "common/global_func_c.h"
#include "quick_launch/item_store.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QSettings>
#include <QTextStream>

namespace {
const double goal = 1.3;

quick_launch_list_t make_list(int entries)
{
    quick_launch_list_t list;
    for (int i = 0; i < entries; ++i) {
        quick_launch_item_t item;
        item.ID = i;
        item.Order = i;
        item.Game_Type = i % 2;
        item.Platform_ID = i % 2 ? 1000 + i : 0;
        item.IS_DLC = i % 7 == 0;
        item.Game_Name = QStringLiteral("Game number %1").arg(i);
        item.Game_Path = QStringLiteral("C:/Program Files/Games/Game %1/bin/game.exe").arg(i);
        item.Scaned_Name = QStringLiteral("game_%1").arg(i);
        list.append(item);
    }
    return list;
}

qint64 time_store(const quick_launch_list_t &list, int &loaded)
{
    QElapsedTimer timer;
    timer.start();
    write_item_file(list, games_file_name);
    quick_launch_list_t read;
    read_item_file(read, games_file_name);
    const qint64 elapsed = timer.nsecsElapsed();
    loaded = read.size();
    return elapsed;
}

// The floor's two halves: the store alone writing and reading the same keys.
void write_bare(const quick_launch_list_t &list, const QString &path)
{
    QSettings settings(path, QSettings::IniFormat);
    settings.clear();
    for (const quick_launch_item_t &item : list) {
        settings.beginGroup(QString::number(item.Order));
        settings.setValue(QStringLiteral("ID"), item.ID);
        settings.setValue(QStringLiteral("Game_Name"), item.Game_Name);
        settings.setValue(QStringLiteral("Game_Path"), item.Game_Path);
        settings.setValue(QStringLiteral("Order"), item.Order);
        settings.setValue(QStringLiteral("Scaned_Name"), item.Scaned_Name);
        settings.setValue(QStringLiteral("Game_Type"), item.Game_Type);
        settings.setValue(QStringLiteral("Platform_ID"), item.Platform_ID);
        settings.setValue(QStringLiteral("IS_DLC"), item.IS_DLC);
        settings.endGroup();
    }
    settings.sync();
}

quick_launch_list_t read_bare(const QString &path)
{
    quick_launch_list_t read;
    QSettings settings(path, QSettings::IniFormat);
    const QStringList groups = settings.childGroups();
    for (const QString &group : groups) {
        settings.beginGroup(group);
        quick_launch_item_t item;
        item.ID = settings.value(QStringLiteral("ID")).toInt();
        item.Game_Name = settings.value(QStringLiteral("Game_Name")).toString();
        item.Game_Path = settings.value(QStringLiteral("Game_Path")).toString();
        item.Order = settings.value(QStringLiteral("Order")).toInt();
        item.Scaned_Name = settings.value(QStringLiteral("Scaned_Name")).toString();
        item.Game_Type = settings.value(QStringLiteral("Game_Type")).toInt();
        item.Platform_ID = settings.value(QStringLiteral("Platform_ID")).toInt();
        item.IS_DLC = settings.value(QStringLiteral("IS_DLC")).toBool();
        read.append(item);
        settings.endGroup();
    }
    return read;
}

qint64 time_floor(const quick_launch_list_t &list, const QString &path, int &loaded)
{
    QElapsedTimer timer;
    timer.start();
    write_bare(list, path);
    const quick_launch_list_t read = read_bare(path);
    const qint64 elapsed = timer.nsecsElapsed();
    loaded = read.size();
    return elapsed;
}
} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int entries = count_argument(argc, argv, 1, 1000);
    const int rounds = count_argument(argc, argv, 2, 7);
    global_func_c::shared()->initialise();
    QTextStream out(stdout);
    const QString directory = global_func_c::shared()->icon_directory();
    // Both sides write into the same directory, so they see the same disk.
    const QString floor_path = directory + QStringLiteral("bench_floor.ini");
    if (!QDir().mkpath(directory)) {
        out << "bench_item_files: cannot create " << directory << '\n';
        return 1;
    }
    const quick_launch_list_t list = make_list(entries);

    int store_loaded = 0;
    int floor_loaded = 0;
    const best_times_t best = best_in_turns(
        rounds, [&] { return time_store(list, store_loaded); },
        [&] { return time_floor(list, floor_path, floor_loaded); });
    if (store_loaded != entries || floor_loaded != entries) {
        out << "bench_item_files: loaded " << store_loaded << " and " << floor_loaded << " of " << entries
            << " entries\n";
        return 1;
    }
    out << "item files save + load (" << entries << " entries): " << best.measured / 1e6
        << " ms, floor (settings store alone): " << best.floor / 1e6 << " ms, " << best.ratio_text(goal)
        << '\n';

    QFile::remove(directory + games_file_name);
    QFile::remove(floor_path);
    return 0;
}
