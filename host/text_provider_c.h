// The host's display texts, looked up by numeric id for the current language.
#ifndef VORLA_HOST_TEXT_PROVIDER_C_H
#define VORLA_HOST_TEXT_PROVIDER_C_H

#include "module/host_interfaces.h"

#include <QHash>
#include <QMap>
#include <QString>

// Text tables are JSON files, one per language:
//   { "language": 1, "name": "简体中文", "texts": { "1": "取消", ... } }
// The compiled-in tables lie under ":/host_texts". A text missing from the current
// language's table falls back to the English one (language 0); an unknown id gives "".
class text_provider_c : public text_provider_i
{
public:
    // Language ids of the text tables.
    static constexpr int fallback_language = 0; // English
    static constexpr int simplified_chinese = 1;

    // Loads every "*.json" table in table_dir; unreadable tables are skipped with a warning.
    explicit text_provider_c(const QString &table_dir = QStringLiteral(":/host_texts"));
    ~text_provider_c() = default;

    text_provider_c(const text_provider_c &) = delete;
    text_provider_c &operator=(const text_provider_c &) = delete;

    // interface_i
    void *query_interface(const interface_id_t *id) override;
    // The host owns the provider; a release from the module changes nothing.
    void release() override {}
    // text_provider_i
    QString get_text(int id, int variant) override;

    void set_language(int language) { current_language = language; }
    int language() const { return current_language; }

    QString text(int id, int language) const;
    // Language id -> the language's own name, for every loaded table.
    QMap<int, QString> languages() const { return language_names; }
    // Every id of the fallback table.
    QList<int> ids() const;

private:
    bool load_table(const QString &file_path);

    int current_language = fallback_language;
    QMap<int, QString> language_names;
    QHash<int, QHash<int, QString>> tables; // language -> id -> text
};

#endif
