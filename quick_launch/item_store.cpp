#include "quick_launch/item_store.h"

#include "common/durable_file_c.h"
#include "common/global_func_c.h"
#include "common/settings_file_c.h"
#include "common/text_limits.h"

#include <QFile>
#include <QHash>
#include <QRandomGenerator>
#include <QSettings>
#include <QTime>

#include <climits>
#include <set>
#include <tuple>

namespace {
QString item_path(const QString &file_name)
{
    return global_func_c::shared()->icon_directory() + file_name;
}

// Group names for the entries in list order. Order is not unique (it is never
// renumbered, and hidden catalogue entries all have -1), yet the settings store
// merges groups of the same name. The first entry with an Order keeps the plain
// number; later ones get "<Order>.<n>", n counting from 1 and zero-padded to
// the width of the largest n of that Order. Reading ignores group names, and
// because '.' sorts before every digit while "<Order>" is a prefix of the
// others, the text sort puts "7", "7.1", "7.2" next to each other and in list
// order, before "70". An Order never contains '.', so no name can clash.
QStringList group_names(const quick_launch_list_t &list)
{
    QHash<qint32, int> total;
    for (const quick_launch_item_t &item : list)
        ++total[item.Order];
    QHash<qint32, int> seen;
    QStringList names;
    names.reserve(list.size());
    for (const quick_launch_item_t &item : list) {
        const QString order = QString::number(item.Order);
        const int n = seen[item.Order]++;
        if (n == 0) {
            names.append(order);
        } else {
            const int width = QString::number(total.value(item.Order) - 1).size();
            names.append(order + QLatin1Char('.') + QStringLiteral("%1").arg(n, width, 10, QLatin1Char('0')));
        }
    }
    return names;
}
settings_file_c::state_t read_groups(quick_launch_list_t &list, const QString &path)
{
    const settings_file_c file(path);
    const QString missing_text = QStringLiteral("N/A");
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
    return file.state();
}
void write_groups(const quick_launch_list_t &list, QSettings &settings)
{
    const QStringList groups = group_names(list);
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
    for (const quick_launch_item_t &item : qAsConst(saved_list))
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
