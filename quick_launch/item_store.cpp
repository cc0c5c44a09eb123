#include "quick_launch/item_store.h"

#include "common/durable_file_c.h"
#include "common/global_func_c.h"
#include "common/settings_file_c.h"
#include "common/text_limits.h"

#include <QFile>
#include <QRandomGenerator>
#include <QSettings>
#include <QTime>

#include <algorithm>
#include <climits>
#include <set>
#include <tuple>
#include <utility>

namespace {
QString item_path(const QString &file_name)
{
    return global_func_c::shared()->icon_directory() + file_name;
}

// Group names for the entries in list order: the position, zero-padded to one
// width for the whole file, so that readers that list groups as text (the
// settings store among them) see the list order, and no two entries share a
// group even when they share an Order.
QStringList group_names(int count)
{
    const int width = QString::number(qMax(0, count - 1)).size();
    QStringList names;
    names.reserve(count);
    for (int i = 0; i < count; ++i)
        names.append(QStringLiteral("%1").arg(i, width, 10, QLatin1Char('0')));
    return names;
}
settings_file_c::state_t read_groups(quick_launch_list_t &list, const QString &path)
{
    const settings_file_c file(path);
    const QString missing_text = QStringLiteral("N/A");
    const int first = list.size();
    for (const QString &group : file.child_groups()) {
        const auto value = [&](const char *key, const QVariant &fallback) {
            return file.value(group + QLatin1Char('/') + QLatin1String(key), fallback);
        };
        bool id_ok = false;
        bool order_ok = false;
        quick_launch_item_t item;
        item.ID = value("ID", QStringLiteral("-1")).toString().toInt(&id_ok, 10);
        item.Order = value("Order", QStringLiteral("-1")).toString().toInt(&order_ok, 10);
        if (!id_ok || !order_ok)
            continue;
        item.Game_Type = value("Game_Type", QStringLiteral("0")).toInt();
        item.Platform_ID = value("Platform_ID", QStringLiteral("0")).toInt();
        item.IS_DLC = value("IS_DLC", false).toBool();
        // Cut as every other text from outside, so that a damaged file cannot
        // grow the next one beyond what this reader takes.
        item.Game_Name = text_limits::capped_name(value("Game_Name", missing_text).toString());
        item.Game_Path = text_limits::capped_path(value("Game_Path", missing_text).toString());
        // A path for launcher entries, a name for Steam ones.
        item.Scaned_Name = text_limits::capped_path(value("Scaned_Name", missing_text).toString());
        list.append(item);
    }
    // Group names of older files sort "10" before "2"; the Order key is what
    // counts. Equal Orders keep the file's order.
    std::stable_sort(
        list.begin() + first, list.end(),
        [](const quick_launch_item_t &a, const quick_launch_item_t &b) { return a.Order < b.Order; });
    return file.state();
}
void write_groups(const quick_launch_list_t &list, QSettings &settings)
{
    const QStringList groups = group_names(list.size());
    for (int i = 0; i < list.size(); ++i) {
        const quick_launch_item_t &item = list.at(i);
        settings.beginGroup(groups.at(i));
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
}
} // namespace

QString icon_file(int id)
{
    return global_func_c::shared()->icon_directory() + QString::number(id) + QStringLiteral(".png");
}

settings_file_c::state_t read_item_file(quick_launch_list_t &list, const QString &file_name)
{
    return read_groups(list, item_path(file_name));
}

namespace {
// The old file is never parsed (it may be damaged, see settings_file_c); an
// empty list still gives an (empty) file.
bool render_item_file(const quick_launch_list_t &list, const QString &file_name, QByteArray *contents,
                      QString *error)
{
    const auto result = settings_file_c::render(
        item_path(file_name),
        [&list](QSettings &settings) {
            write_groups(list, settings);
            return true;
        },
        settings_file_c::start_t::empty, contents, error);
    return result == settings_file_c::edit_result_t::written;
}
} // namespace

bool write_item_file(const quick_launch_list_t &list, const QString &file_name, QString *error)
{
    QByteArray contents;
    return render_item_file(list, file_name, &contents, error) &&
           durable_file_c::write_whole(item_path(file_name), contents, error);
}

bool write_item_files(const quick_launch_list_t &games, const quick_launch_list_t &programs, QString *error)
{
    QByteArray games_contents;
    QByteArray programs_contents;
    if (!render_item_file(games, games_file_name, &games_contents, error) ||
        !render_item_file(programs, programs_file_name, &programs_contents, error))
        return false;
    durable_file_c games_file(item_path(games_file_name));
    durable_file_c programs_file(item_path(programs_file_name));
    const bool written = games_file.write(games_contents) && programs_file.write(programs_contents) &&
                         games_file.commit() && programs_file.commit();
    if (!written && error != nullptr)
        *error =
            !games_file.error_string().isEmpty() ? games_file.error_string() : programs_file.error_string();
    return written;
}

void number_by_position(quick_launch_list_t &list)
{
    // Only entries that change: a list already numbered stays shared with its copies.
    for (int i = 0; i < list.size(); ++i)
        if (list.at(i).Order != i)
            list[i].Order = i;
}

bool same_items(const quick_launch_list_t &a, const quick_launch_list_t &b)
{
    if (a.size() != b.size())
        return false;
    for (int i = 0; i < a.size(); ++i) {
        const quick_launch_item_t &x = a.at(i);
        const quick_launch_item_t &y = b.at(i);
        if (x.Game_Name != y.Game_Name || x.Game_Path != y.Game_Path || x.ID != y.ID || x.Order != y.Order)
            return false;
    }
    return true;
}

void discard_unsaved_icons(const quick_launch_list_t &list, const QString &file_name)
{
    quick_launch_list_t saved_list;
    if (read_item_file(saved_list, file_name) == settings_file_c::state_t::unreadable)
        return;
    // A catalogue scan can leave thousands of entries; avoid a quadratic search.
    std::set<std::tuple<qint32, qint32, qint32>> saved;
    for (const quick_launch_item_t &item : std::as_const(saved_list))
        saved.emplace(item.ID, item.Game_Type, item.Platform_ID);
    for (const quick_launch_item_t &item : list) {
        if (saved.count({item.ID, item.Game_Type, item.Platform_ID}) != 0)
            continue;
        const QString icon = icon_file(item.ID);
        if (QFile::exists(icon))
            QFile::remove(icon);
    }
}

namespace {
// A thousand seeds give a thousand first draws; a few milliseconds of retries
// are enough to tell that the clock's draws are used up.
constexpr int max_seeded_tries = 4000;

int seeded_draw()
{
    QRandomGenerator generator(static_cast<quint32>(QTime::currentTime().msec()));
    return static_cast<int>(generator.generate() & 0x7fffffffu);
}
} // namespace

int draw_item_id(const std::function<bool(int)> &taken)
{
    int id = seeded_draw();
    for (int tries = 1; taken(id); ++tries)
        id = tries < max_seeded_tries ? seeded_draw()
                                      : static_cast<int>(QRandomGenerator::global()->bounded(INT_MAX));
    return id;
}
