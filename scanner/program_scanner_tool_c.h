// Finds installed games and appends them to the quick-launch lists: fixed
// launcher places first, then the Steam client's applications, on a worker of
// the global thread pool: each is read from Steam's own files when they know
// it, else looked up through the downloader. At the end, entries whose files
// are gone are dropped and the others get their icons.
#ifndef VORLA_PROGRAM_SCANNER_TOOL_C_H
#define VORLA_PROGRAM_SCANNER_TOOL_C_H

#include "module/custom_event_c.h"
#include "module/module_interfaces.h"
#include "quick_launch/quick_launch_item_t.h"
#include "scanner/launcher_manifests.h"

#include <QObject>
#include <QSet>
#include <QStringList>

#include <memory>

struct steam_lookup_t;
namespace steam_local {
class steam_files_c;
}

// Lives on the GUI thread; the client, not owned, hears progress on the worker
// and the end (finished or cancelled) on the GUI thread, never both for one
// scan. The lists belong to the caller: they must outlive the scan and stay
// untouched until the end is reported, because the results are appended then.
// Entries keep their Windows paths ("C://...") as found, so that the item
// files read the same everywhere; only looking at a file maps the path
// (platform::local_path).
class program_scanner_tool_c : public QObject
{
public:
    explicit program_scanner_tool_c(program_scanner_tool_client_i *client);
    // Does not wait for a running lookup: it ends its download under way,
    // deletes the icons it made and reports nothing more.
    ~program_scanner_tool_c() override;

    // Scans into both lists. Without Steam applications, or with neither a
    // network nor Steam's appinfo.vdf, the scan ends, and on_scan_finished is
    // called, before this returns.
    void start_scan(quick_launch_list_t *game_list, quick_launch_list_t *program_list);
    // Reads the Steam key: keeps the Steam path, returns the number of ids.
    int steam_app_count();
    // Ends a running Steam lookup, and the download under way with it, then
    // reports on_scan_cancelled; nothing otherwise.
    void cancel();

    // Appends a launcher entry (by_hand_or_launcher) with a fresh ID; a null list: nothing.
    void add_found_entry(quick_launch_list_t *list, const QString &name, const QString &path);
    // An ID that no entry of either list has.
    int new_item_id() const;
    // Some entry of either list has this Game_Type and Platform_ID.
    bool has_platform_entry(int type, int platform_id) const;
    // Some entry of either list, hand-made ones too, has text as its Game_Path
    // or Scaned_Name, written with either separator, doubled ones, and for a
    // Windows path in any letter case; never for an empty text.
    bool has_scanned_entry(const QString &text) const;
    // A network interface is up, not a loopback one, and has an address.
    // Virtual so that tests and benchmarks can stand in for the machine's.
    virtual bool is_network_available() const;
    // Drops the non-Steam entries whose path is gone and makes the missing
    // icons of the others. Order values stay as they are.
    void prune_and_make_icons(quick_launch_list_t *list);
    enum class icon_saved_t
    {
        written,
        no_picture, // the file has no icon to take; png_path is untouched
        failed,     // the PNG could not be written whole; png_path is untouched
    };
    // Saves the largest size of the file's icon as a PNG, replacing png_path
    // whole or not at all; a failed write is logged. Off the GUI thread only
    // picture files (".ico", ".png") can be converted.
    static icon_saved_t save_file_icon(const QString &source, const QString &png_path);

protected:
    // The worker's end of a lookup.
    void customEvent(QEvent *event) override;

private:
    // Posted by the worker to the scanner.
    enum lookup_event_t : int
    {
        lookup_finished = custom_event_1000,
        lookup_cancelled = custom_event_1001,
    };

    // The places of the other launchers, fixed or listed by them.
    void add_launcher_entries();
    void start_steam_lookup(const QSet<int> &native_ids, const QStringList &not_installed, bool web);
    // Completes the lists and tells the client.
    void finish();
    static void run_steam_lookup(const std::shared_ptr<steam_lookup_t> &shared);
    void add_directory_entries(const QString &directory, const QString &skipped);
    // On Linux, the games of the Linux client's libraries, found by their
    // folders; returns their ids, which the Steam phase then leaves alone.
    QSet<int> add_native_steam_games(const steam_local::steam_files_c &files);
    // Adds the games that have no entry yet, as has_scanned_entry tells.
    void add_launcher_games(const launcher_games_t &games_found);
    // Leaves a running lookup to end on its own without reporting.
    void detach_lookup();

    quick_launch_list_t *games = nullptr;
    quick_launch_list_t *programs = nullptr;
    program_scanner_tool_client_i *client = nullptr;
    QStringList steam_app_ids;
    QString steam_path;
    // Shared with the worker while a lookup runs.
    std::shared_ptr<steam_lookup_t> lookup;
};

#endif
