// Fuzzes the product catalogue reader: compressed bytes in, tables out, never a
// crash, a hang or a huge allocation.
//
// Random bytes almost never uncompress, so the custom mutator below mostly
// mutates the XML inside a valid compressed frame and compresses it again; some
// mutations go to the raw bytes to keep corrupt frames covered.

#include "common/global_func_c.h"

#include <QByteArray>
#include <QtEndian>
#include <QtGlobal>

#include <cstdint>
#include <cstring>

extern "C" size_t LLVMFuzzerMutate(uint8_t *data, size_t size, size_t max_size);

namespace {
void discard_message(QtMsgType, const QMessageLogContext &, const QString &) {}

// The XML inside a frame that uncompresses, otherwise the raw bytes as XML.
QByteArray inner_xml(const uint8_t *data, size_t size)
{
    if (size >= 4 && qFromBigEndian<quint32>(data) <= 1024 * 1024) {
        const QByteArray xml = qUncompress(data, int(size));
        if (!xml.isEmpty())
            return xml;
    }
    return QByteArray(reinterpret_cast<const char *>(data), int(size));
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    // The reader logs every rejected input; the fuzzer needs no output.
    qInstallMessageHandler(discard_message);
    return 0;
}

extern "C" size_t LLVMFuzzerCustomMutator(uint8_t *data, size_t size, size_t max_size, unsigned int seed)
{
    if (seed % 8 == 0)
        return LLVMFuzzerMutate(data, size, max_size);
    QByteArray xml = inner_xml(data, size);
    const int xml_size = xml.size();
    xml.resize(qMax(2 * xml_size, 4096));
    xml.resize(
        int(LLVMFuzzerMutate(reinterpret_cast<uint8_t *>(xml.data()), size_t(xml_size), size_t(xml.size()))));
    const QByteArray compressed = qCompress(xml);
    if (size_t(compressed.size()) > max_size)
        return LLVMFuzzerMutate(data, size, max_size);
    std::memcpy(data, compressed.constData(), size_t(compressed.size()));
    return size_t(compressed.size());
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    global_func_c catalogue;
    catalogue.parse_catalogue(QByteArray::fromRawData(reinterpret_cast<const char *>(data), int(size)));
    // Read every entry back, so that a broken table shows up here.
    for (int id : catalogue.language_ids())
        (void)(catalogue.language_name(id).size() + catalogue.language_file(id).size());
    (void)catalogue.alias_name(1).size();
    return 0;
}
