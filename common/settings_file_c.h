// Settings files come from other programs and may be damaged. The store
// (QSettings) turns values that start with '@' into Qt types while it parses
// a file ("@Variant(...)" through Qt's data-stream loaders), and some of those
// loaders do not survive the sizes a damaged file can claim. None of the files
// the module reads holds Qt types (its keys are texts, numbers and flags), so
// this reader parses the INI text itself, in memory, the way the store does,
// and leaves every value text.
#ifndef VORLA_SETTINGS_FILE_C_H
#define VORLA_SETTINGS_FILE_C_H

#include <QByteArray>
#include <QHash>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>

class QSettings;

class settings_file_c
{
public:
    // A missing, unreadable or oversized file reads as empty; state() tells
    // which, so that nothing deletes or overwrites on the strength of a file
    // it could not read.
    explicit settings_file_c(const QString &path);
    settings_file_c(const settings_file_c &) = delete;
    settings_file_c &operator=(const settings_file_c &) = delete;

    // Names as the store lists them: sorted, each once.
    QStringList child_groups(const QString &group = QString()) const;
    QStringList child_keys(const QString &group = QString()) const;
    QStringList all_keys() const;
    // False when the file has lines the store could not read (or no file).
    bool parses() const;

    enum class state_t
    {
        read,       // the file was read (it may still hold lines that do not parse)
        missing,    // there is no file
        unreadable, // it exists but could not be read whole: no permission, I/O
                    // error, not a plain file, or larger than max_size
    };
    state_t state() const { return file_state; }
    // The value as text (or a text list for unquoted commas); `fallback` when
    // the key is missing. The text forms the store writes itself read as it
    // reads them: "@@x" as "@x", "@String(x)" as "x", "@ByteArray(x)" as
    // bytes, "@Invalid()" as no value; any other '@' form stays text.
    QVariant value(const QString &key, const QVariant &fallback = QVariant()) const;
    // The value of a key exactly as all_keys() lists it (value() tidies
    // slashes as the store does), as the file spells it: quotes and escapes
    // undone, no '@' form read. An invalid QVariant when the key is missing.
    QVariant text(const QString &key) const;

    enum class edit_result_t
    {
        written,
        declined, // `change` returned false; nothing was written
        failed,
    };
    enum class start_t
    {
        with_values, // keys of other programs survive
        empty,       // `change` writes the whole file
    };
    // Changes the settings file at `path` without the store ever parsing it:
    // its values go, as text, into a scratch file beside it, `change` edits
    // them there, and the scratch content, once read back whole, replaces
    // `path` in one step (durable_file_c), in the store's own format. A file
    // that exists but cannot be read is never replaced when its values are
    // to be kept.
    static edit_result_t edit(const QString &path, const std::function<bool(QSettings &)> &change,
                              start_t start = start_t::with_values, QString *error = nullptr);
    // The same edit without writing `path`: *contents receives what edit()
    // would write, so that several files can be replaced together.
    static edit_result_t render(const QString &path, const std::function<bool(QSettings &)> &change,
                                start_t start, QByteArray *contents, QString *error = nullptr);

    // Files above this size are not settings the module wrote or expects.
    static constexpr qint64 max_size = 64 * 1024 * 1024;

private:
    enum class child_t
    {
        groups,
        keys,
        all,
    };
    QStringList children(const QString &group, child_t kind) const;
    void parse(const QByteArray &text);

    state_t file_state = state_t::missing;
    bool all_lines_parse = false;
    // Full key as the file spells it (not normalised, as the store keeps it)
    // to a QString or QStringList.
    // On Windows the store folds the letter case of keys and groups: keys are
    // kept folded there, and spelling gives the first spelling of each.
    QMap<QString, QVariant> values;
    QHash<QString, QString> spelling;
};

#endif
