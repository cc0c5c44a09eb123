#include "common/global_func_c.h"

#include "common/clog.h"
#include "common/settings_file_c.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSharedMemory>
#include <QStandardPaths>
#include <QXmlStreamReader>
#include <QtEndian>

#include <cstring>

namespace {
// Created at library load, before init_module runs.
const QSharedPointer<global_func_c> s_shared(new global_func_c);

// qUncompress allocates whatever the 4-byte length header claims. A catalogue
// is a few hundred kilobytes, so a larger claim is a corrupt file.
const quint32 maximum_catalogue_size = 16 * 1024 * 1024;

const int test_value_count = 10;
} // namespace

QSharedPointer<global_func_c> global_func_c::shared()
{
    return s_shared;
}

void global_func_c::initialise()
{
    read_catalogue(catalogue_file());
    read_test_values(test_value_file());
}

// Catalogue

void global_func_c::read_catalogue(const QString &path)
{
    QFile file(path);
    if (!file.exists()) {
        clear_catalogue();
        write_log(path + " not exist", true);
        return;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        clear_catalogue();
        write_log(path + " cannot be opened: " + file.errorString(), true);
        return;
    }
    parse_catalogue(file.readAll());
}

namespace {
// The catalogue's XML; empty, with a log line, when the bytes are not one.
QByteArray uncompressed_catalogue(const QByteArray &compressed)
{
    if (compressed.size() < 4) {
        write_log(QStringLiteral("Catalogue is empty or not compressed."), true);
        return QByteArray();
    }
    const quint32 claimed = qFromBigEndian<quint32>(compressed.constData());
    if (claimed > maximum_catalogue_size) {
        write_log(QStringLiteral("Catalogue claims %1 bytes; not a catalogue.").arg(claimed), true);
        return QByteArray();
    }
    const QByteArray xml_data = qUncompress(compressed);
    if (xml_data.isEmpty())
        write_log(QStringLiteral("Catalogue cannot be uncompressed."), true);
    return xml_data;
}

// Hands the attributes of each child element called `name` to `read`, and
// skips every other child.
template <typename Read>
void read_children(QXmlStreamReader &xml, QLatin1String name, Read read)
{
    while (xml.readNextStartElement()) {
        if (xml.name() == name)
            read(xml.attributes());
        xml.skipCurrentElement();
    }
}
} // namespace

void global_func_c::parse_catalogue(const QByteArray &compressed)
{
    clear_catalogue();
    const QByteArray xml_data = uncompressed_catalogue(compressed);
    if (xml_data.isEmpty())
        return;
    const auto read_language = [this](const QXmlStreamAttributes &attributes) {
        // Without an "id" the language counts as language 0.
        const int id = attributes.value(QLatin1String("id")).toInt();
        language_names.insert(id, attributes.value(QLatin1String("name")).toString());
        language_files.insert(id, attributes.value(QLatin1String("file")).toString());
    };
    const auto read_product = [this](const QXmlStreamAttributes &attributes) {
        alias_names.insert(attributes.value(QLatin1String("type")).toInt(),
                           attributes.value(QLatin1String("alias_name")).toString());
    };
    // The root element's children are visited in document order; only the
    // LANGUAGES and PRODUCTS sections matter to this module. An XML error ends
    // every loop, leaving what was read so far.
    QXmlStreamReader xml(xml_data);
    if (xml.readNextStartElement()) {
        while (xml.readNextStartElement()) {
            if (xml.name() == QLatin1String("LANGUAGES"))
                read_children(xml, QLatin1String("LANGUAGE"), read_language);
            else if (xml.name() == QLatin1String("PRODUCTS"))
                read_children(xml, QLatin1String("PRODUCT"), read_product);
            else
                xml.skipCurrentElement();
        }
    }
    if (xml.hasError())
        write_log(
            QStringLiteral("Catalogue XML error at line %1: %2").arg(xml.lineNumber()).arg(xml.errorString()),
            true);
}

QString global_func_c::alias_name(int type) const
{
    return alias_names.value(type);
}

QString global_func_c::language_name(int id) const
{
    return language_names.value(id);
}

QString global_func_c::language_file(int id) const
{
    return language_files.value(id);
}

QList<int> global_func_c::language_ids() const
{
    return language_names.keys();
}

void global_func_c::clear_catalogue()
{
    alias_names.clear();
    language_names.clear();
    language_files.clear();
}

// Test values

void global_func_c::read_test_values(const QString &path)
{
    // Installations rarely carry the file; skipping the settings store then
    // keeps it off the start-up path.
    if (!QFileInfo::exists(path)) {
        test_values.fill(0);
        return;
    }
    const settings_file_c settings(path);
    for (int i = 0; i < test_value_count; ++i)
        test_values[i] = settings.value(QString::number(i), QStringLiteral("0")).toInt();
}

int global_func_c::test_value(int index) const
{
    return index >= 0 && index < test_value_count ? test_values[index] : 0;
}

// Paths

QString global_func_c::application_directory()
{
    return QCoreApplication::applicationDirPath() + "/";
}

QString global_func_c::catalogue_file()
{
    return application_directory() + "settings.xml";
}

QString global_func_c::data_directory()
{
    return application_directory() + "data/";
}

QString global_func_c::language_directory(int product_type) const
{
    return data_directory() + alias_name(product_type) + "/" + "language/";
}

QString global_func_c::translation_file(int language) const
{
    return language_directory(4) + language_file(language) + ".qm";
}

QString global_func_c::user_root()
{
    const QString location = QStandardPaths::standardLocations(QStandardPaths::AppDataLocation).value(0);
    QDir dir(location);
    // cdUp refuses while the data location does not exist yet, which would move
    // the whole user data area once the folder appears; the parent is the same.
    if (!dir.cdUp())
        dir.setPath(QDir::cleanPath(location + QStringLiteral("/..")));
    return dir.path() + "/" + "MIRVEK/";
}

QString global_func_c::user_data_directory() const
{
    return user_root() + alias_name(1) + "/";
}

QString global_func_c::settings_directory() const
{
    return user_data_directory() + "setting/";
}

QString global_func_c::icon_directory() const
{
    return user_data_directory() + "game/";
}

QString global_func_c::log_directory() const
{
    return user_data_directory() + "log/" + "vorla_connect" + "/";
}

QString global_func_c::test_value_file() const
{
    return user_data_directory() + "test_value.ini";
}

QString global_func_c::share_memory_key_prefix() const
{
    return "VORLA" + alias_name(4);
}

void global_func_c::write_share_memory(QSharedMemory *segment, QBuffer *buffer)
{
    if (segment == nullptr || buffer == nullptr)
        return;
    if (segment->isAttached())
        segment->detach();
    const QByteArray &bytes = buffer->data();
    if (!segment->create(bytes.size(), QSharedMemory::ReadWrite)) {
        write_log(QStringLiteral("Key: ") + segment->key() + QStringLiteral(" Error: ") +
                      segment->errorString(),
                  true);
        return;
    }
    segment->lock();
    std::memcpy(segment->data(), bytes.constData(), static_cast<size_t>(bytes.size()));
    segment->unlock();
}
