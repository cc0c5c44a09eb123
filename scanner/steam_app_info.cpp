#include "scanner/steam_app_info.h"

#include "common/text_limits.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QVariant>

namespace {
// Steam names an application's icon file by its 40-digit hash.
const int client_icon_length = 40;

// As text, the way the service's values were always read: the number 1 reads "1".
QString text_of(const QJsonObject &object, const QString &key)
{
    return object.value(key).toVariant().toString();
}
} // namespace

steam_app_answer_t read_steam_app_answer(const QByteArray &answer, const QString &app_id)
{
    steam_app_answer_t result;
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(answer, &error);
    if (error.error != QJsonParseError::NoError) {
        result.json_error = error.errorString();
        return result;
    }
    const QJsonObject top = document.object();
    // The public service says {"status": "success", "data": {...}}; older
    // services of the same kind say {"success": 1, "apps": {...}}.
    QString list_key;
    if (text_of(top, QStringLiteral("status")) == QLatin1String("success"))
        list_key = QStringLiteral("data");
    else if (text_of(top, QStringLiteral("success")) == QLatin1String("1"))
        list_key = QStringLiteral("apps");
    else
        return result;
    const QJsonObject common =
        top.value(list_key).toObject().value(app_id).toObject().value(QStringLiteral("common")).toObject();
    result.has_record = true;
    result.record.name = text_limits::capped_name(text_of(common, QStringLiteral("name")));
    result.record.app_id = app_id;
    const QString icon = text_of(common, QStringLiteral("clienticon"));
    if (text_limits::is_hex_digits(icon, client_icon_length))
        result.record.client_icon = icon;
    else
        result.client_icon_refused = !icon.isEmpty();
    // Real answers say "game" and "Game".
    result.record.not_a_game = text_of(common, QStringLiteral("type")).toLower() != QLatin1String("game");
    return result;
}
