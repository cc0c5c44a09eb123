#include "common/settings_file_c.h"

#include "common/durable_file_c.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryFile>
#include <QTextCodec>
#include <QVector>

#include <algorithm>
#include <cstring>

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

// The next logical line from `pos`, split as the store splits them: quotes
// keep a line open across breaks, a backslash hides the next character (a
// CR LF pair as one), and a ';' outside quotes ends the line, or makes a
// comment of it when it comes first (blanks after a comment go with it). An
// empty result ends the text.
line_t next_line(const QByteArray &text, int &pos)
{
    const int end = text.size();
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
                while (i < end && (is_blank(text.at(i)) || is_break(text.at(i))))
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

// Key and section names: '\' is the group separator, "%XX" and "%UXXXX" are
// characters by their hex code, and a '%' without a code stays as it is.
// Bytes stand for themselves (Latin-1).
void append_key(const QByteArray &text, int from, int to, QString &key)
{
    key.reserve(key.size() + (to - from));
    for (int i = from; i < to;) {
        const char c = text.at(i);
        if (c == '\\') {
            key += QLatin1Char('/');
            ++i;
            continue;
        }
        if (c == '%' && i + 1 < to) {
            const bool wide = text.at(i + 1) == 'U';
            const int digits = wide ? i + 2 : i + 1;
            const int count = wide ? 4 : 2;
            bool ok = false;
            // toInt() as the store uses it, with its tolerance for signs,
            // blanks and "0x".
            const int code = digits + count <= to ? text.mid(digits, count).toInt(&ok, 16) : 0;
            if (ok) {
                key += QChar(code);
                i = digits + count;
                continue;
            }
        }
        key += QLatin1Char(c);
        ++i;
    }
}

// The characters that end a run of plain text in a value.
bool is_special(char c)
{
    return c == '\\' || c == '"' || c == ',';
}

int hex_digit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The character a one-letter escape stands for; NUL for none.
char simple_escape(char c)
{
    static const char pairs[] = "a\ab\bf\fn\nr\rt\tv\v\"\"?\?''\\\\";
    for (const char *p = pairs; *p != '\0'; p += 2)
        if (*p == c)
            return p[1];
    return '\0';
}

// Trailing blanks go, back to `keep` at most.
void chop_blanks(QString &text, int keep)
{
    int n = text.size();
    while (n > keep && (text.at(n - 1) == QLatin1Char(' ') || text.at(n - 1) == QLatin1Char('\t')))
        --n;
    text.truncate(n);
}

// A value in [from, to): quotes keep blanks and commas, C-style backslash
// escapes (octal and \x codes of any length, keeping the low 16 bits), a
// backslash before a line break joins the lines, and any other escaped
// character is dropped. Unquoted commas make a list; blanks around an
// element go unless quoted, though never those before the end of an escape
// (that is how the store trims). Without `codec` bytes
// are Latin-1; the codec decodes each run between quotes, backslashes and
// commas on its own, as the store does.
class value_reader_c
{
public:
    value_reader_c(const QByteArray &text, int from, int to, QTextCodec *codec)
        : text(text), at(from), to(to), codec(codec)
    {}

    QVariant read()
    {
        skip_blanks();
        while (at < to) {
            const char c = text.at(at);
            if (c == '\\')
                read_escape();
            else if (c == '"')
                read_quote();
            else if (c == ',' && !in_quotes)
                end_element();
            else
                read_run();
        }
        if (!was_quoted)
            chop_blanks(current, keep);
        if (!is_list)
            return current;
        list.append(current);
        return list;
    }

private:
    void skip_blanks()
    {
        while (at < to && is_blank(text.at(at)))
            ++at;
    }

    void read_escape()
    {
        // A backslash at the very end escapes nothing but still keeps the
        // blanks before it.
        if (++at == to) {
            keep = current.size();
            return;
        }
        const char escaped = text.at(at++);
        if (const char plain = simple_escape(escaped)) {
            current += QLatin1Char(plain);
        } else if (escaped == 'x') {
            if (at < to && hex_digit(text.at(at)) >= 0)
                append_code(16, 0);
        } else if (escaped >= '0' && escaped <= '7') {
            append_code(8, uint(escaped - '0'));
        } else if (is_break(escaped)) {
            if (at < to && is_break(text.at(at)) && text.at(at) != escaped)
                ++at;
        }
        keep = current.size();
    }

    void append_code(int base, uint code)
    {
        int digit;
        while (at < to && (digit = hex_digit(text.at(at))) >= 0 && digit < base) {
            code = code * uint(base) + uint(digit);
            ++at;
        }
        current += QChar(ushort(code));
    }

    void read_quote()
    {
        ++at;
        was_quoted = true;
        in_quotes = !in_quotes;
        if (!in_quotes)
            skip_blanks();
    }

    void end_element()
    {
        if (!was_quoted)
            chop_blanks(current, keep);
        list.append(current);
        current.clear();
        is_list = true;
        was_quoted = false;
        keep = 0;
        ++at;
        skip_blanks();
    }

    // Plain text up to the next quote, backslash or comma.
    void read_run()
    {
        int run_end = at + 1;
        while (run_end < to && !is_special(text.at(run_end)))
            ++run_end;
        if (codec != nullptr)
            current += codec->toUnicode(text.constData() + at, run_end - at);
        else
            current += QLatin1String(text.constData() + at, run_end - at);
        at = run_end;
    }

    const QByteArray &text;
    int at;
    const int to;
    QTextCodec *const codec;
    QString current;
    QStringList list;
    bool is_list = false;
    bool in_quotes = false;
    bool was_quoted = false; // keeps the current element's trailing blanks
    int keep = 0;            // nor are blanks up to the last escape trimmed
};

// The text cut into sections at lines starting with '[' (after a UTF-8 byte
// order mark), each named by its group with a '/' at the end ("" for the
// keys outside any group). The first section starts at the very start of
// the text, mark included; a section that comes back continues the first
// one, after a line break. `parses` turns false for a name without ']'.
// On Windows the store compares keys and groups without letter case, keeps
// the first spelling of each and lists names sorted by that spelling.
#ifdef Q_OS_WIN
const bool case_folded = true;
#else
const bool case_folded = false;
#endif

QString folded(const QString &key)
{
    return case_folded ? key.toLower() : key;
}

QMap<QString, QByteArray> sections_of(const QByteArray &text, bool &parses, QHash<QString, QString> &spelling)
{
    QMap<QString, QByteArray> sections;
    QString section;
    int section_start = 0;
    const auto close_section = [&](int end) {
        const QString name = folded(section);
        if (case_folded && !spelling.contains(name))
            spelling.insert(name, section);
        QByteArray &lines = sections[name];
        if (!lines.isEmpty())
            lines += '\n';
        lines.append(text.constData() + section_start, end - section_start);
    };
    int pos = text.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    for (line_t line = next_line(text, pos); line.end > line.start; line = next_line(text, pos)) {
        if (text.at(line.start) != '[')
            continue;
        close_section(line.start);
        const char *name_start = text.constData() + line.start + 1;
        const int line_rest = line.end - line.start - 1;
        const auto *close = static_cast<const char *>(std::memchr(name_start, ']', size_t(line_rest)));
        if (close == nullptr)
            parses = false;
        const QByteArray name =
            QByteArray(name_start, close != nullptr ? int(close - name_start) : line_rest).trimmed();
        section.clear();
        // "[General]" holds the keys outside any group, and "[%General]" the
        // group named "General".
        if (name.compare("general", Qt::CaseInsensitive) != 0) {
            if (name.compare("%general", Qt::CaseInsensitive) == 0)
                section = QString::fromLatin1(name.mid(1));
            else
                append_key(name, 0, name.size(), section);
            section += QLatin1Char('/');
        }
        section_start = pos;
    }
    close_section(text.size());
    return sections;
}

// The store's own text forms; any other value starting with '@' stays text.
QVariant text_form(const QString &text)
{
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
}

// "/a//b/" as "a/b", as the store reads keys and groups it is asked for.
QString normalised(const QString &key)
{
    if (!key.startsWith(QLatin1Char('/')) && !key.endsWith(QLatin1Char('/')) &&
        !key.contains(QLatin1String("//")))
        return key;
    return key.split(QLatin1Char('/'), Qt::SkipEmptyParts).join(QLatin1Char('/'));
}
} // namespace

settings_file_c::settings_file_c(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return;
    file_state = state_t::unreadable;
    QFile file(path);
    // Sizes come from the open file: the keeper may replace it meanwhile.
    if (!info.isFile() || !file.open(QIODevice::ReadOnly) || file.size() > max_size)
        return;
    const QByteArray raw = file.readAll();
    if (file.error() != QFileDevice::NoError || raw.size() != file.size())
        return;
    file_state = state_t::read;
    parse(raw);
}

void settings_file_c::parse(const QByteArray &text)
{
    // A UTF-8 byte order mark makes the values UTF-8; without one, bytes
    // are Latin-1.
    QTextCodec *codec = text.startsWith("\xEF\xBB\xBF") ? QTextCodec::codecForName("UTF-8") : nullptr;
    bool parses = true;
    QHash<QString, QString> section_spelling;
    const QMap<QString, QByteArray> sections = sections_of(text, parses, section_spelling);
    // Sections in the order of their names: a key that two sections spell
    // (through '\' in a key name) takes the later section's value, and within
    // a section the last line's.
    for (auto it = sections.cbegin(); it != sections.cend(); ++it) {
        const QByteArray &lines = it.value();
        int at = 0;
        for (line_t line = next_line(lines, at); line.end > line.start; line = next_line(lines, at)) {
            if (line.equals < 0) {
                if (lines.at(line.start) != ';')
                    parses = false;
                continue;
            }
            int key_end = line.equals;
            while (key_end > line.start && is_blank(lines.at(key_end - 1)))
                --key_end;
            QString key = section_spelling.value(it.key(), it.key());
            append_key(lines, line.start, key_end, key);
            const QString name = folded(key);
            if (case_folded && !spelling.contains(name))
                spelling.insert(name, key);
            values.insert(name, value_reader_c(lines, line.equals + 1, line.end, codec).read());
        }
    }
    all_lines_parse = parses;
}

QStringList settings_file_c::children(const QString &group, child_t kind) const
{
    QString prefix = folded(normalised(group));
    if (!prefix.isEmpty())
        prefix += QLatin1Char('/');
    QStringList names;
    for (auto it = values.lowerBound(prefix); it != values.cend() && it.key().startsWith(prefix); ++it) {
        const QString &spelled = spelling.isEmpty() ? it.key() : spelling.value(it.key(), it.key());
        const QStringRef rest = spelled.midRef(prefix.size());
        const int slash = rest.indexOf(QLatin1Char('/'));
        if (kind == child_t::all || (kind == child_t::keys && slash < 0))
            names.append(rest.toString());
        else if (kind == child_t::groups && slash >= 0)
            names.append(rest.left(slash).toString());
    }
    // Keys come sorted from the map, unless folded; group names need not.
    if (kind == child_t::groups || case_folded) {
        std::sort(names.begin(), names.end());
        names.erase(std::unique(names.begin(), names.end()), names.end());
    }
    return names;
}

QStringList settings_file_c::child_groups(const QString &group) const
{
    return children(group, child_t::groups);
}

QStringList settings_file_c::child_keys(const QString &group) const
{
    return children(group, child_t::keys);
}

QStringList settings_file_c::all_keys() const
{
    return children(QString(), child_t::all);
}

bool settings_file_c::parses() const
{
    return file_state == state_t::read && all_lines_parse;
}

QVariant settings_file_c::text(const QString &key) const
{
    return values.value(folded(key));
}

QVariant settings_file_c::value(const QString &key, const QVariant &fallback) const
{
    const QVariant read = key.isEmpty() ? QVariant() : values.value(folded(normalised(key)));
    if (!read.isValid())
        return fallback;
    if (read.type() != QVariant::StringList)
        return text_form(read.toString());
    QStringList list = read.toStringList();
    for (QString &element : list)
        element = text_form(element).toString();
    return list;
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

// A temporary file keeps its handle until the object goes, and Windows
// cannot replace an open file, so only its unique name is kept; the store
// goes first, then the file.
struct scratch_t
{
    QString name;
    ~scratch_t()
    {
        if (!name.isEmpty())
            QFile::remove(name);
    }
};

// Beside the target: a temporary directory may be full or missing, and the
// target's own folder must take the new file anyway. Empty on failure.
QString reserve_scratch(const QString &path, QString *reason)
{
    const QFileInfo target(path);
    QDir().mkpath(target.absolutePath());
    QTemporaryFile reserved(target.absolutePath() + QStringLiteral("/.") + target.fileName() +
                            QStringLiteral(".XXXXXX"));
    reserved.setAutoRemove(false);
    if (!reserved.open()) {
        *reason = QStringLiteral("cannot create a scratch file: ") + reserved.errorString();
        return QString();
    }
    return reserved.fileName();
}

// False when the file exists but cannot be read: its values would be lost.
bool copy_values(const QString &path, QSettings &settings)
{
    const settings_file_c current(path);
    if (current.state() == settings_file_c::state_t::unreadable)
        return false;
    for (const QString &key : current.all_keys()) {
        const QVariant value = current.value(key);
        if (!key.isEmpty() && value.isValid())
            settings.setValue(key, value);
    }
    return true;
}

// The scratch file's content, once it is known to hold everything the store
// was given.
bool read_back(const QSettings &settings, const QString &scratch, QByteArray *contents, QString *reason)
{
    // Nothing is written that the reader would refuse at the next start.
    if (QFileInfo(scratch).size() > settings_file_c::max_size) {
        *reason =
            QStringLiteral("the new content would be larger than %1 bytes").arg(settings_file_c::max_size);
        return false;
    }
    const settings_file_c written(scratch);
    if (settings.status() != QSettings::NoError || !holds_all(settings, written)) {
        *reason = QStringLiteral("cannot write the new content (disk full?)");
        return false;
    }
    QFile file(scratch);
    if (!file.open(QIODevice::ReadOnly)) {
        *reason = file.errorString();
        return false;
    }
    *contents = file.readAll();
    return true;
}
} // namespace

settings_file_c::edit_result_t settings_file_c::render(const QString &path,
                                                       const std::function<bool(QSettings &)> &change,
                                                       start_t start, QByteArray *contents, QString *error)
{
    QString reason;
    const auto fail = [&] {
        if (error != nullptr)
            *error = reason;
        return edit_result_t::failed;
    };
    scratch_t scratch;
    scratch.name = reserve_scratch(path, &reason);
    if (scratch.name.isEmpty())
        return fail();
    QSettings settings(scratch.name, QSettings::IniFormat);
    if (start == start_t::with_values && !copy_values(path, settings)) {
        reason = QStringLiteral("the file exists but cannot be read, so it is kept as it is");
        return fail();
    }
    if (!change(settings))
        return edit_result_t::declined;
    settings.sync();
    if (!read_back(settings, scratch.name, contents, &reason))
        return fail();
    // The store keeps the files it parsed in a process-wide cache, keys and
    // values included, which may share text with the module's constants. An
    // empty file is not cached, and the module may be unloaded.
    settings.clear();
    settings.sync();
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
