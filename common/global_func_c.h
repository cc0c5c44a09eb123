// Path rules of the installation and the lookup tables of the host's product
// catalogue.
#ifndef VORLA_GLOBAL_FUNC_C_H
#define VORLA_GLOBAL_FUNC_C_H

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QSharedPointer>
#include <QString>

#include <array>

class QBuffer;
class QSharedMemory;

// One shared instance serves the whole module (shared()); init_module fills it
// with initialise() before anything else runs. Every directory path returned
// ends with "/", so callers append file names directly. No path rule creates a
// directory. A lookup of an unknown key gives an empty string.
class global_func_c
{
public:
    // The module-wide instance, created when the library loads.
    static QSharedPointer<global_func_c> shared();

    // Reads the catalogue (catalogue_file()) and then the test values
    // (test_value_file(), which depends on the catalogue's alias name 1).
    void initialise();

    // Catalogue

    // Replaces the tables with those of the compressed catalogue at path. A
    // missing file is logged as path + " not exist" and leaves the tables empty.
    void read_catalogue(const QString &path);
    // Replaces the tables with those of the catalogue bytes: a 4-byte big-endian
    // length and a zlib stream (qCompress form) of the XML. Corrupt input gives
    // empty or partial tables.
    void parse_catalogue(const QByteArray &compressed);
    // Alias name of a product type ("alias_name" of the PRODUCT with that "type").
    QString alias_name(int type) const;
    // Name and translation file base name of a language id.
    QString language_name(int id) const;
    QString language_file(int id) const;
    // The catalogue's language ids, ascending.
    QList<int> language_ids() const;

    // Test values

    // Reads the keys "0" to "9" of the INI file at path; missing keys are 0.
    void read_test_values(const QString &path);
    // Test value 0 to 9; 0 for any other index.
    int test_value(int index) const;

    // Paths

    static QString application_directory();
    static QString catalogue_file();
    static QString data_directory();
    QString language_directory(int product_type) const;
    // The ".qm" file of a language, in the language directory of product type 4.
    QString translation_file(int language) const;
    // The parent of the first application-data location, + "/MIRVEK/".
    static QString user_root();
    // user_root() + alias name 1 + "/".
    QString user_data_directory() const;
    QString settings_directory() const;
    QString icon_directory() const;
    QString log_directory() const;
    QString test_value_file() const;
    // Start of every shared-memory key: "VORLA" + alias name 4.
    QString share_memory_key_prefix() const;

    // Shared memory

    // Creates the segment with the buffer's size and copies the buffer into it;
    // the segment stays attached. A failure is logged with the key and the
    // segment's error. Null arguments do nothing.
    static void write_share_memory(QSharedMemory *segment, QBuffer *buffer);

private:
    void clear_catalogue();

    QMap<int, QString> alias_names;
    QMap<int, QString> language_names;
    QMap<int, QString> language_files;
    std::array<int, 10> test_values{};
};

#endif
