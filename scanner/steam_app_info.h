// Reading one answer of the Steam application-information service, kept apart
// from the scanner so that it can be tested and fuzzed on plain bytes.
#ifndef VORLA_STEAM_APP_INFO_H
#define VORLA_STEAM_APP_INFO_H

#include <QByteArray>
#include <QString>

// One Steam application as the service describes it.
struct steam_app_record
{
    // At most text_limits::name_length units.
    QString name;
    QString app_id;
    // Exactly 40 hexadecimal digits, or empty.
    QString client_icon;
    // The answer's "type", lower-cased, is not "game" (DLC, tool, missing...).
    bool not_a_game = false;
};

struct steam_app_answer_t
{
    // Empty when the answer is JSON; otherwise the parser's message.
    QString json_error;
    // The answer reports success ("status" "success", or "success" read as
    // text "1"); only then record is filled.
    bool has_record = false;
    steam_app_record record;
    // The answer named an icon that is not 40 hexadecimal digits; client_icon is empty.
    bool client_icon_refused = false;
};

// Reads the answer for application app_id, a JSON object in one of two shapes:
// "status" "success" with "data" -> app_id -> "common", or "success" 1 with
// "apps" -> app_id -> "common"; "common" holds "type", "name" and "clienticon".
// Missing parts read as empty; values of other JSON types read as their text.
// The name is cut to text_limits::name_length. The icon names a file in
// Steam's icon folder, so anything but 40 hexadecimal digits is refused.
steam_app_answer_t read_steam_app_answer(const QByteArray &answer, const QString &app_id);

#endif
