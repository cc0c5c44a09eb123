#include "common/settings_file_c.h"

#include "common/durable_file_c.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryFile>
#include <QVector>

namespace {
bool is_blank(char c)
{
    return c == ' ' || c == '\t';
}
bool is_break(char c)
{
    return c == '\n' || c == '\r';
}

struct line_t
{
    int start = 0;
    int end = 0;
    int equals = -1; // the first '=' outside quotes
};

// The next logical line from `pos` up to `end`, split as the store splits
// them: quotes keep a line open across breaks, a backslash hides the next
// character (a CR LF pair as one), and a ';' outside quotes ends the line, or
// makes a comment of it when it comes first. An empty result ends the text.
line_t next_line(const QByteArray &text, int &pos, int end)
{
    line_t line;
    line.start = pos;
    while (line.start < end && (is_blank(text.at(line.start)) || is_break(text.at(line.start))))
        ++line.start;
    bool quoted = false;
    int i = line.start;
    while (i < end) {
        const char c = text.at(i++);
        if (c == '=') {
            if (!quoted && line.equals < 0)
                line.equals = i - 1;
        } else if (is_break(c)) {
            if (i == line.start + 1)
                ++line.start;
            else if (!quoted) {
                --i;
                break;
            }
        } else if (c == '\\') {
            if (i < end) {
                const char hidden = text.at(i++);
                if (i < end && is_break(hidden) && is_break(text.at(i)) && text.at(i) != hidden)
                    ++i;
            }
        } else if (c == '"') {
            quoted = !quoted;
        } else if (c == ';') {
            if (i == line.start + 1) {
                while (i < end && !is_break(text.at(i)))
                    ++i;
                line.start = i;
            } else if (!quoted) {
                --i;
                break;
            }
        }
    }
    pos = i;
    line.end = i;
    return line;
}

// Where the store starts reading the value in [from, to) and each element
// after an unquoted comma: past the blanks. Inside a value, quotes and
// backslashes count afresh from its start.
void value_starts(const QByteArray &text, int from, int to, QVector<int> &starts)
{
    const auto past_blanks = [&](int i) {
        while (i < to && is_blank(text.at(i)))
            ++i;
        return i;
    };
    int i = past_blanks(from);
    starts.append(i);
    bool quoted = false;
    while (i < to) {
        const char c = text.at(i++);
        if (c == '\\') {
            ++i;
        } else if (c == '"') {
            quoted = !quoted;
        } else if (c == ',' && !quoted) {
            i = past_blanks(i);
            starts.append(i);
        }
    }
}
} // namespace

settings_file_c::settings_file_c(const QString &path)
    : copy(QDir::tempPath() + QStringLiteral("/vorla_settings_XXXXXX.ini"))
{
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return;
    m_state = state_t::unreadable;
    QFile file(path);
    // Sizes come from the open file: the keeper may replace it meanwhile.
    if (!info.isFile() || !file.open(QIODevice::ReadOnly) || file.size() > max_size)
        return;
    const QByteArray raw = file.readAll();
    if (file.error() != QFileDevice::NoError || raw.size() != file.size())
        return;
    const QByteArray text = plain_text(raw);
    // A copy that cannot be written whole reads as empty, never as the
    // unmarked text.
    if (!copy.open() || copy.write(text) != text.size() || !copy.flush())
        return;
    m_state = state_t::read;
    copy.close();
    store = std::make_unique<QSettings>(copy.fileName(), QSettings::IniFormat);
}

settings_file_c::~settings_file_c() = default;

QStringList settings_file_c::children(const QString &group, QStringList (QSettings::*list)() const) const
{
    if (store == nullptr)
        return QStringList();
    store->beginGroup(group);
    const QStringList names = (store.get()->*list)();
    store->endGroup();
    return names;
}

QStringList settings_file_c::child_groups(const QString &group) const
{
    return children(group, &QSettings::childGroups);
}

QStringList settings_file_c::child_keys(const QString &group) const
{
    return children(group, &QSettings::childKeys);
}

QStringList settings_file_c::all_keys() const
{
    return store != nullptr ? store->allKeys() : QStringList();
}

bool settings_file_c::parses() const
{
    // Sections are parsed when first used; list them before asking.
    return store != nullptr && (store->childGroups(), store->status() == QSettings::NoError);
}

QVariant settings_file_c::value(const QString &key, const QVariant &fallback) const
{
    const QVariant read = store != nullptr ? store->value(key) : QVariant();
    return read.isValid() ? unmarked(read) : fallback;
}

namespace {
// Whether the file the store wrote holds every value it was given: the store
// writes through a QSaveFile whose commit() also succeeds after a failed
// flush, so a full disk can leave a scratch file cut short.
bool holds_all(const QSettings &written, const settings_file_c &read)
{
    const QStringList keys = written.allKeys();
    if (read.state() != settings_file_c::state_t::read || read.all_keys().size() != keys.size())
        return false;
    for (const QString &key : keys) {
        const QVariant want = written.value(key);
        const QVariant got = read.value(key);
        const bool same = want.type() == QVariant::StringList ? got.toStringList() == want.toStringList()
                                                              : got.toString() == want.toString();
        if (!same)
            return false;
    }
    return true;
}
} // namespace

settings_file_c::edit_result_t settings_file_c::render(const QString &path,
                                                       const std::function<bool(QSettings &)> &change,
                                                       start_t start, QByteArray *contents, QString *error)
{
    const auto fail = [error](const QString &reason) {
        if (error != nullptr)
            *error = reason;
        return edit_result_t::failed;
    };
    // Beside the target: a temporary directory may be full or missing, and the
    // target's own folder must take the new file anyway.
    const QFileInfo target(path);
    QDir().mkpath(target.absolutePath());
    QTemporaryFile scratch(target.absolutePath() + QStringLiteral("/.") + target.fileName() +
                           QStringLiteral(".XXXXXX"));
    if (!scratch.open())
        return fail(QStringLiteral("cannot create a scratch file: ") + scratch.errorString());
    scratch.close();
    QSettings settings(scratch.fileName(), QSettings::IniFormat);
    if (start == start_t::with_values) {
        const settings_file_c current(path);
        if (current.state() == state_t::unreadable)
            return fail(QStringLiteral("the file exists but cannot be read, so it is kept as it is"));
        for (const QString &key : current.all_keys()) {
            const QVariant value = current.value(key);
            if (!key.isEmpty() && value.isValid())
                settings.setValue(key, value);
        }
    }
    if (!change(settings))
        return edit_result_t::declined;
    settings.sync();
    const settings_file_c written(scratch.fileName());
    if (settings.status() != QSettings::NoError || !holds_all(settings, written))
        return fail(QStringLiteral("cannot write the new content (disk full?)"));
    QFile file(scratch.fileName());
    if (!file.open(QIODevice::ReadOnly))
        return fail(file.errorString());
    *contents = file.readAll();
    return edit_result_t::written;
}

settings_file_c::edit_result_t settings_file_c::edit(const QString &path,
                                                     const std::function<bool(QSettings &)> &change,
                                                     start_t start, QString *error)
{
    QByteArray contents;
    const edit_result_t rendered = render(path, change, start, &contents, error);
    if (rendered != edit_result_t::written)
        return rendered;
    if (!durable_file_c::write_whole(path, contents, error))
        return edit_result_t::failed;
    return edit_result_t::written;
}

QByteArray settings_file_c::plain_text(const QByteArray &text)
{
    // The store first cuts the text into sections at lines starting with '['
    // (after a UTF-8 byte order mark), then reads each section's lines on
    // their own, the first section from the very start of the text.
    QVector<QPair<int, int>> sections;
    int section_start = 0;
    int pos = text.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    for (line_t line = next_line(text, pos, text.size()); line.end > line.start;
         line = next_line(text, pos, text.size())) {
        if (text.at(line.start) == '[') {
            sections.append({section_start, line.start});
            section_start = pos;
        }
    }
    sections.append({section_start, text.size()});

    QVector<int> starts;
    for (const auto &section : qAsConst(sections)) {
        pos = section.first;
        for (line_t line = next_line(text, pos, section.second); line.end > line.start;
             line = next_line(text, pos, section.second)) {
            if (line.equals >= 0)
                value_starts(text, line.equals + 1, line.end, starts);
        }
    }

    QByteArray result;
    result.reserve(text.size() + 2 * starts.size());
    int from = 0;
    for (const int at : qAsConst(starts)) {
        result.append(text.constData() + from, at - from);
        result.append("@@", 2);
        from = at;
    }
    result.append(text.constData() + from, text.size() - from);
    return result;
}

QVariant settings_file_c::unmarked(const QVariant &read)
{
    // After the mark, the text forms the store writes itself; any other
    // serialised Qt type stays the text it is.
    const auto value_of = [](QString text) -> QVariant {
        if (text.startsWith(QLatin1Char('@')))
            text.remove(0, 1);
        if (!text.startsWith(QLatin1Char('@')))
            return text;
        if (text.startsWith(QLatin1String("@@")))
            return text.mid(1);
        if (text.endsWith(QLatin1Char(')'))) {
            if (text.startsWith(QLatin1String("@String(")))
                return text.mid(8, text.size() - 9);
            if (text.startsWith(QLatin1String("@ByteArray(")))
                return text.midRef(11, text.size() - 12).toLatin1();
            if (text == QLatin1String("@Invalid()"))
                return QVariant();
        }
        return text;
    };
    if (read.type() != QVariant::StringList)
        return value_of(read.toString());
    QStringList list = read.toStringList();
    for (QString &element : list)
        element = value_of(element).toString();
    return list;
}
