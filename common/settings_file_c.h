// The settings store decodes serialised values ("@Variant(...)") with Qt's
// type loaders while it parses a file, and some of those loaders do not
// survive the sizes a damaged file can claim. None of the files the module
// reads holds such values (its keys are texts, numbers and flags), so readers
// open a private copy in which they are plain text instead.
#ifndef VORLA_SETTINGS_FILE_C_H
#define VORLA_SETTINGS_FILE_C_H

#include <QString>

#include <memory>

class QTemporaryFile;

class settings_file_c
{
public:
    explicit settings_file_c(const QString &path);
    ~settings_file_c();
    settings_file_c(const settings_file_c &) = delete;
    settings_file_c &operator=(const settings_file_c &) = delete;

    // What to open with QSettings: the file itself, or the copy when the file
    // holds serialised values.
    QString path() const;
    bool holds_serialised_values() const { return copy != nullptr; }

    // The text with each serialised value escaped as Qt escapes a text that
    // starts with '@'; the prefix inside other text stays as it is.
    static QByteArray plain_text(const QByteArray &text);

private:
    QString original;
    std::unique_ptr<QTemporaryFile> copy;
};

#endif
