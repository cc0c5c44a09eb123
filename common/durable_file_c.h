// Writes a file the user cares about whole or not at all. The new content
// goes to a temporary file beside the old one; every write and the final flush
// are checked, and only then does a rename replace the old file. QSaveFile
// alone is not enough: its commit() renames even when the flush inside it
// failed, so a full disk turns the old file into an empty one.
#ifndef VORLA_DURABLE_FILE_C_H
#define VORLA_DURABLE_FILE_C_H

#include <QByteArray>
#include <QSaveFile>
#include <QString>

class durable_file_c
{
public:
    explicit durable_file_c(const QString &path);
    ~durable_file_c();
    durable_file_c(const durable_file_c &) = delete;
    durable_file_c &operator=(const durable_file_c &) = delete;

    // The whole new content, written and flushed. False leaves the old file
    // as it is; so does destroying the object without commit().
    bool write(const QByteArray &contents);
    // Replaces the old file. Only after every write() succeeded.
    bool commit();
    QString error_string() const { return error; }

    // The whole content in one step; *error says why when it returns false.
    static bool write_whole(const QString &path, const QByteArray &contents, QString *error = nullptr);

    // Test seam: while set, every write to a path for which it returns true
    // fails as a full disk would.
    using fault_t = bool (*)(const QString &path);
    static void inject_fault(fault_t fault);

private:
    bool fail(const QString &reason);

    QSaveFile file;
    QString error;
    bool failed = false;
};

#endif
