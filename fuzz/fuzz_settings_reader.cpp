// Differential fuzzing of settings_file_c against the store's own INI reader
// (QSettings): both read the same file, and any difference in the groups (at
// every depth), the keys, the values (text or text list) or in whether every
// line parsed aborts.

#include "common/settings_file_c.h"

#include <QByteArray>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>
#include <memory>

namespace {
void discard_message(QtMsgType, const QMessageLogContext &, const QString &) {}

std::unique_ptr<QTemporaryDir> work_dir;
int serial = 0;

bool starts_with_at(const QVariant &text)
{
    const QStringList texts =
        text.type() == QVariant::StringList ? text.toStringList() : QStringList{text.toString()};
    for (const QString &element : texts)
        if (element.startsWith(QLatin1Char('@')))
            return true;
    return false;
}

QString joined(const QString &group, const QString &name)
{
    return group.isEmpty() ? name : group + QLatin1Char('/') + name;
}

void compare_group(QSettings &store, const settings_file_c &file, const QString &group)
{
    store.beginGroup(group);
    const QStringList keys = store.childKeys();
    const QStringList groups = store.childGroups();
    store.endGroup();
    if (keys != file.child_keys(group) || groups != file.child_groups(group))
        abort();
    // Each level adds a name without '/', so this ends with the keys.
    for (const QString &name : groups)
        if (!name.isEmpty())
            compare_group(store, file, joined(group, name));
}

void compare(const QString &path)
{
    const settings_file_c file(path);
    if (file.state() != settings_file_c::state_t::read)
        abort();
    // The store decodes a value starting with '@' as a serialised Qt type
    // while it parses the file, through loaders that do not survive what a
    // damaged file can claim (which is why the reader exists), and the reader
    // leaves such values text by design: those inputs are not compared. The
    // store decodes every value it parses, even one under a key no lookup
    // reaches, so every key is checked as all_keys() lists it.
    const QStringList keys = file.all_keys();
    for (const QString &key : keys)
        if (starts_with_at(file.text(key)))
            return;

    QSettings store(path, QSettings::IniFormat);
    // Listing all keys first parses every section; the store otherwise parses
    // sections one by one as lookups need them, and some lookups miss keys
    // of sections not yet parsed.
    if (store.allKeys() != keys)
        abort();
    if (file.parses() != (store.status() == QSettings::NoError))
        abort();
    compare_group(store, file, QString());
    for (const QString &key : keys) {
        const QVariant expected = store.value(key);
        const QVariant read = file.value(key);
        if (expected.type() != read.type() || expected != read)
            abort();
    }
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    qInstallMessageHandler(discard_message);
    work_dir = std::make_unique<QTemporaryDir>();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // A new name each time: the store caches parsed files by name, size and
    // modification time.
    const QString path = work_dir->filePath(QStringLiteral("input_%1.ini").arg(++serial));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) ||
            file.write(reinterpret_cast<const char *>(data), qint64(size)) != qint64(size))
            return 0;
    }
    compare(path);
    QFile::remove(path);
    return 0;
}
