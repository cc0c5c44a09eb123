// The two item files that keep the quick-launch lists between runs, and the
// icon files that go with their entries. Both live in the icon directory.
// A file is replaced whole or not at all; a file that exists but cannot be read
// is never taken for a missing one.
#ifndef VORLA_ITEM_STORE_H
#define VORLA_ITEM_STORE_H

#include "common/settings_file_c.h"
#include "quick_launch/quick_launch_item_t.h"

#include <QString>

#include <functional>

// File names of the games list and the programs list in the icon directory.
inline const QString games_file_name = QStringLiteral("games_info.ini");
inline const QString programs_file_name = QStringLiteral("programs_info.ini");

// Full path of an entry's icon: the icon directory + ID in decimal + ".png".
QString icon_file(int id);

// Appends the entries of the named item file to list. A missing file adds
// nothing; a group whose "ID" or "Order" is not a base-10 integer is skipped;
// missing keys take their defaults. Entries come sorted by Order, those with
// equal Orders in file order. Tells whether the file was read, is missing or
// could not be read (then nothing is added).
settings_file_c::state_t read_item_file(quick_launch_list_t &list, const QString &file_name);

// Replaces the named item file by the list's entries, creating the icon
// directory when needed. The file exists afterwards even for an empty list.
// It reads back in list order when the Orders are the positions
// (number_by_position).
// False, with *error set, when the old file was left as it was.
bool write_item_file(const quick_launch_list_t &list, const QString &file_name, QString *error = nullptr);

// Both item files or neither: both new contents are on the disk before either
// replaces its old file.
bool write_item_files(const quick_launch_list_t &games, const quick_launch_list_t &programs,
                      QString *error = nullptr);

// Gives every entry its position as Order, hidden entries included, so that
// the saved list reads back in the same order.
void number_by_position(quick_launch_list_t &list);

// True when both lists have the same length and, position by position, the
// same Game_Name, Game_Path, ID and Order. The scanner's bookkeeping
// (Game_Type, Platform_ID, IS_DLC, Scaned_Name) does not count as a change.
bool same_items(const quick_launch_list_t &a, const quick_launch_list_t &b);

// Deletes the icons of the entries of list that the named item file does not
// hold (matched by ID, Game_Type and Platform_ID). Without the file every
// entry counts as unsaved; a file that cannot be read deletes nothing.
void discard_unsaved_icons(const quick_launch_list_t &list, const QString &file_name);

// A new entry ID for which taken() is false. Draws are seeded from the clock's
// milliseconds, as entries have always been numbered; should every such draw
// be taken, an unseeded draw ends the search.
int draw_item_id(const std::function<bool(int)> &taken);

#endif
