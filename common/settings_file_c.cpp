#include "common/settings_file_c.h"

#include <QDir>
#include <QFile>
#include <QTemporaryFile>

namespace {
const QByteArray serialised = QByteArrayLiteral("@Variant(");
} // namespace

settings_file_c::settings_file_c(const QString &path) : original(path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    const QByteArray text = file.readAll();
    if (!text.contains(serialised))
        return;
    // A copy that cannot be written reads as empty or short, never as the
    // serialised values themselves.
    copy = std::make_unique<QTemporaryFile>(QDir::tempPath() + QStringLiteral("/vorla_settings_XXXXXX.ini"));
    if (copy->open())
        copy->write(plain_text(text));
    copy->close();
}

settings_file_c::~settings_file_c() = default;

QString settings_file_c::path() const
{
    return copy != nullptr ? copy->fileName() : original;
}

QByteArray settings_file_c::plain_text(const QByteArray &text)
{
    QByteArray result;
    result.reserve(text.size() + 16);
    int from = 0;
    for (int at = text.indexOf(serialised); at >= 0; at = text.indexOf(serialised, at + 1)) {
        // The store decodes a value, or a list element, that starts with the
        // prefix; inside other text (an "@String(...)", an escaped "@@...")
        // it is text already.
        int before = at - 1;
        while (before >= 0 && (text.at(before) == ' ' || text.at(before) == '\t'))
            --before;
        if (before < 0 || text.at(before) == '=' || text.at(before) == ',' || text.at(before) == '"') {
            result.append(text.constData() + from, at - from);
            result.append('@');
            from = at;
        }
    }
    result.append(text.constData() + from, text.size() - from);
    return result;
}
