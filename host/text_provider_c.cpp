#include "text_provider_c.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtDebug>

#include <algorithm>

// The tables live in a static library; without this call the linker drops the
// unreferenced resource object and ":/host_texts" stays empty.
static void init_host_texts()
{
    Q_INIT_RESOURCE(texts);
}

text_provider_c::text_provider_c(const QString &table_dir)
{
    init_host_texts();
    const QDir dir(table_dir);
    const QStringList files = dir.entryList({QStringLiteral("*.json")}, QDir::Files, QDir::Name);
    for (const QString &name : files)
        load_table(dir.filePath(name));
    if (!tables.contains(fallback_language))
        qWarning() << "text_provider_c: no English text table in" << table_dir;
}

void *text_provider_c::query_interface(const interface_id_t *id)
{
    if (same_interface_id(id, iid_interface_i))
        return static_cast<interface_i *>(this);
    return nullptr;
}

QString text_provider_c::get_text(int id, int variant)
{
    Q_UNUSED(variant) // the module always asks for variant 0
    return text(id, current_language);
}

QString text_provider_c::text(int id, int language) const
{
    const auto table = tables.constFind(language);
    if (table != tables.cend()) {
        const auto found = table->constFind(id);
        if (found != table->cend())
            return *found;
    }
    return tables.value(fallback_language).value(id);
}

QList<int> text_provider_c::ids() const
{
    QList<int> result = tables.value(fallback_language).keys();
    std::sort(result.begin(), result.end());
    return result;
}

bool text_provider_c::load_table(const QString &file_path)
{
    QFile file(file_path);
    if (!file.open(QIODevice::ReadOnly)) {
        qWarning() << "text_provider_c: cannot read" << file_path << file.errorString();
        return false;
    }
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &error);
    const QJsonObject root = document.object();
    const QJsonValue language = root.value(QLatin1String("language"));
    if (error.error != QJsonParseError::NoError || !language.isDouble()) {
        qWarning() << "text_provider_c: not a text table:" << file_path << error.errorString();
        return false;
    }
    const int language_id = language.toInt();
    QHash<int, QString> &table = tables[language_id];
    const QJsonObject texts = root.value(QLatin1String("texts")).toObject();
    for (auto it = texts.constBegin(); it != texts.constEnd(); ++it) {
        bool is_number = false;
        const int id = it.key().toInt(&is_number);
        if (is_number && it.value().isString())
            table.insert(id, it.value().toString());
        else
            qWarning() << "text_provider_c: skipping entry" << it.key() << "in" << file_path;
    }
    language_names.insert(language_id,
                          root.value(QLatin1String("name")).toString(QString::number(language_id)));
    return true;
}
