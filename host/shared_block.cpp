#include "host/shared_block.h"

#include <QSharedMemory>

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
    const QByteArray copy(static_cast<const char *>(segment.constData()), segment.size());
    if (locked)
        segment.unlock();
    segment.detach();
    if (bytes != nullptr)
        *bytes = copy;
    return true;
}
