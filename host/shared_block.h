// Reading a block that the module left in named shared memory.
#ifndef VORLA_HOST_SHARED_BLOCK_H
#define VORLA_HOST_SHARED_BLOCK_H

#include <QByteArray>
#include <QString>

// Copies the block under key into *bytes: the whole segment, except on Windows,
// where the segment runs on to the end of its page. The segment is attached
// read-only and detached again before returning: the writer keeps it alive,
// the reader only takes a copy. A missing segment gives false and the reason.
bool read_shared_block(const QString &key, QByteArray *bytes, QString *error = nullptr);

#endif
