// Ids of the texts the module takes from the host's text provider (get_text
// with the id and variant 0). The texts belong to the host's text table; the
// module only names the ids it shows.
#ifndef VORLA_HOST_TEXT_IDS_H
#define VORLA_HOST_TEXT_IDS_H

namespace host_text_id {
constexpr int cancel = 1;

// Tab buttons of the two pages.
constexpr int connect_tab = 358;
constexpr int quick_launch_tab = 359;

// Quick-launch page.
constexpr int quick_launch_title = 359;
constexpr int quick_launch_about = 360;
constexpr int scan = 361;
constexpr int scan_info = 362;
constexpr int games_title = 363;
constexpr int programs_title = 364;
constexpr int add_game = 365;
constexpr int add_program = 366;

// Add/edit dialog and its file browser.
constexpr int edit_title = 531;
constexpr int edit_name = 532;
constexpr int edit_path = 533;
constexpr int executable_filter = 534;
constexpr int choose_executable = 535;
constexpr int edit_popup_title = 536;

// Pairing dialog.
constexpr int pairing_head = 537;
constexpr int pairing_question = 538;
constexpr int pairing_comment = 539;
constexpr int yes = 540;
constexpr int no = 541;

// Phone page and its rows.
constexpr int connect_title = 542;
constexpr int connect_intro = 543;
constexpr int column_device = 544;
constexpr int column_model = 545;
constexpr int column_status = 546;
constexpr int column_auto_pair = 547;
constexpr int column_remove = 548;
constexpr int not_paired = 549;
constexpr int paired = 550;

// Scan dialog.
constexpr int scanning = 551;
constexpr int scan_about_title = 552;
constexpr int scan_about_text = 553;
constexpr int done = 554;
} // namespace host_text_id

#endif
