// One quick-launch entry and the ordered lists of them, held by value.
#ifndef VORLA_QUICK_LAUNCH_ITEM_T_H
#define VORLA_QUICK_LAUNCH_ITEM_T_H

#include <QList>
#include <QString>

struct quick_launch_item_t
{
    // Unique among the entries of both lists; also names the icon file.
    qint32 ID = -1;
    // The entry's position in its list as of the last save; until then a new
    // entry has the number of entries before it (a hidden catalogue entry -1).
    qint32 Order = -1;
    // How the entry was found; the item files store the number.
    enum : qint32
    {
        by_hand_or_launcher = 0,
        steam_application = 1,
    };
    qint32 Game_Type = by_hand_or_launcher;
    // The Steam application id for a Steam entry, otherwise 0.
    qint32 Platform_ID = 0;
    // Found by the scanner but not a game: kept in the list, never shown.
    bool IS_DLC = false;
    QString Game_Name;
    QString Game_Path;
    // How the scanner recognises an entry it added before; empty for hand-made ones.
    QString Scaned_Name;
};

using quick_launch_list_t = QList<quick_launch_item_t>;

#endif
