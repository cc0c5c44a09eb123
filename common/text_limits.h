// Limits for text that comes from outside the module (web answers, the
// registry, launcher folders, other programs' files, the user). Without them
// one oversized value ends up in an item file larger than its reader accepts,
// and the list is lost at the next start.
#ifndef VORLA_TEXT_LIMITS_H
#define VORLA_TEXT_LIMITS_H

#include <QString>

namespace text_limits {

// In UTF-16 code units, as QString counts.
constexpr int name_length = 256;
constexpr int path_length = 4096;

// The text cut to at most limit code units, never between the two halves of
// a surrogate pair (the cut then keeps one unit less).
inline QString capped(const QString &text, int limit)
{
    if (text.size() <= limit)
        return text;
    const int kept = limit > 0 && text.at(limit - 1).isHighSurrogate() ? limit - 1 : limit;
    return text.left(kept);
}

inline QString capped_name(const QString &text)
{
    return capped(text, name_length);
}

inline QString capped_path(const QString &text)
{
    return capped(text, path_length);
}

// A name that may be joined onto a folder with "/" and still name something
// inside it: not empty, not "." or "..", no separator of either system, no
// drive colon and no NUL (which would end the name early in a system call).
inline bool is_plain_file_name(const QString &name)
{
    if (name.isEmpty() || name.size() > name_length || name == QLatin1String(".") ||
        name == QLatin1String(".."))
        return false;
    for (const QChar c : name)
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c == QLatin1Char(':') || c.isNull())
            return false;
    return true;
}

// Exactly count hexadecimal digits, nothing else.
inline bool is_hex_digits(const QString &text, int count)
{
    if (text.size() != count)
        return false;
    for (const QChar c : text) {
        const ushort u = c.unicode();
        if (!((u >= '0' && u <= '9') || (u >= 'a' && u <= 'f') || (u >= 'A' && u <= 'F')))
            return false;
    }
    return true;
}

// Only decimal digits, at most count of them.
inline bool is_decimal_digits(const QString &text, int count)
{
    if (text.isEmpty() || text.size() > count)
        return false;
    for (const QChar c : text)
        if (c.unicode() < '0' || c.unicode() > '9')
            return false;
    return true;
}

} // namespace text_limits

#endif
