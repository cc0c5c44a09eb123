#include "module/share_memory_key_pool_c.h"

#include "common/clog.h"

#include <QSharedMemory>

#include <algorithm>

share_memory_key_pool_c::share_memory_key_pool_c(clock_t new_clock) : clock(std::move(new_clock))
{
    started.start();
}

share_memory_key_pool_c::~share_memory_key_pool_c()
{
    // Deleting detaches; the system drops each segment once no reader holds it.
    for (const auto &entry : std::as_const(entries))
        delete entry.first;
}

namespace {
// System V segments outlive a process that ends without detaching (a crash);
// nobody is attached to such a leftover. Attaching and detaching again
// removes a segment that has no other users, as Windows does on its own.
bool reclaim_orphan(const QString &key)
{
    QSharedMemory probe(key);
    return probe.attach(QSharedMemory::ReadOnly) && probe.detach();
}
} // namespace

quint32 share_memory_key_pool_c::now() const
{
    return clock ? clock() : static_cast<quint32>(started.elapsed());
}

void share_memory_key_pool_c::release_expired()
{
    const quint32 time = now();
    auto expired = [time](const std::pair<QSharedMemory *, quint32> &entry) {
        if (time - entry.second <= keep_alive_ms)
            return false;
        delete entry.first;
        return true;
    };
    entries.erase(std::remove_if(entries.begin(), entries.end(), expired), entries.end());
}

QSharedMemory *share_memory_key_pool_c::new_segment(const QString &prefix)
{
    release_expired();
    if (prefix.isEmpty())
        return nullptr;

    auto *segment = new QSharedMemory;
    // Every number may be taken only when the system refuses shared memory
    // altogether; one full round of numbers is enough to know.
    for (quint32 attempt = 0; attempt <= last_number; ++attempt) {
        quint32 number = counter;
        if (counter > last_number) {
            number = 0;
            counter = 1;
        } else {
            ++counter;
        }
        const QString key = prefix + QLatin1Char('_') + QString::number(number);
        segment->setKey(key);
        // A one-byte segment only tests that the key is free; it goes at once.
        bool created = segment->create(1, QSharedMemory::ReadWrite);
        if (!created && segment->error() == QSharedMemory::AlreadyExists && reclaim_orphan(key))
            created = segment->create(1, QSharedMemory::ReadWrite);
        segment->detach();
        if (created) {
            entries.append({segment, now()});
            return segment;
        }
        write_log(key + QStringLiteral(" create_share_memory_key fail"), true);
    }
    write_log(QStringLiteral("Shared memory: no free key for %1 after %2 attempts, giving up")
                  .arg(prefix)
                  .arg(last_number + 1),
              true);
    delete segment;
    return nullptr;
}
