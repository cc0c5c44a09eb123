#include "host/shared_block.h"

#include <QSharedMemory>
#include <QtEndian>

namespace {
#ifdef Q_OS_WIN
// Windows hands out whole pages: a segment made for a block of 30 bytes reads
// as 4096, the block followed by zeros. The block's own fields (a qint32 and a
// string's byte count, 0xffffffff for a null string) tell where it ends; only
// zeros may follow it, anything else is left for the decoder to refuse.
int block_length(const char *data, int size)
{
    const int head = 8;
    if (size < head)
        return size;
    const quint32 count = qFromBigEndian<quint32>(data + 4);
    const qint64 length = head + (count == 0xffffffffu ? 0 : qint64(count));
    if (length >= size)
        return size;
    for (qint64 i = length; i < size; ++i)
        if (data[i] != 0)
            return size;
    return static_cast<int>(length);
}
#else
int block_length(const char *, int size)
{
    return size;
}
#endif
} // namespace

bool read_shared_block(const QString &key, QByteArray *bytes, QString *error)
{
    QSharedMemory segment(key);
    if (!segment.attach(QSharedMemory::ReadOnly)) {
        if (error != nullptr)
            *error = segment.errorString();
        return false;
    }
    // The lock keeps a writer that reuses the key from changing the bytes mid-copy.
    const bool locked = segment.lock();
    const auto *data = static_cast<const char *>(segment.constData());
    const QByteArray copy(data, block_length(data, segment.size()));
    if (locked)
        segment.unlock();
    segment.detach();
    if (bytes != nullptr)
        *bytes = copy;
    return true;
}
