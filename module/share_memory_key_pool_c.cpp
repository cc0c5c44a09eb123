#include "module/share_memory_key_pool_c.h"

#include "common/clog.h"

#include <QSharedMemory>

#include <algorithm>
#include <utility>

share_memory_key_pool_c::share_memory_key_pool_c(clock_t new_clock) : clock(std::move(new_clock))
{
    started.start();
}

// Each entry detaches its segment; the system drops a segment once no reader holds it.
share_memory_key_pool_c::~share_memory_key_pool_c() = default;

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
    const auto expired = [time](const entry_t &entry) { return time - entry.made > keep_alive_ms; };
    entries.erase(std::remove_if(entries.begin(), entries.end(), expired), entries.end());
}

quint32 share_memory_key_pool_c::take_number()
{
    // Past the last number the count starts over at 0.
    if (counter > last_number) {
        counter = 1;
        return 0;
    }
    return counter++;
}

QSharedMemory *share_memory_key_pool_c::new_segment(const QString &prefix)
{
    release_expired();
    if (prefix.isEmpty())
        return nullptr;

    auto segment = std::make_unique<QSharedMemory>();
    // Every number may be taken only when the system refuses shared memory
    // altogether; one full round of numbers is enough to know.
    for (quint32 attempt = 0; attempt <= last_number; ++attempt) {
        const QString key = prefix + QLatin1Char('_') + QString::number(take_number());
        segment->setKey(key);
        // A one-byte segment only tests that the key is free; it goes at once.
        bool created = segment->create(1, QSharedMemory::ReadWrite);
        if (!created && segment->error() == QSharedMemory::AlreadyExists && reclaim_orphan(key))
            created = segment->create(1, QSharedMemory::ReadWrite);
        segment->detach();
        if (created) {
            QSharedMemory *made = segment.get();
            entries.push_back({std::move(segment), now()});
            return made;
        }
        write_log(key + QStringLiteral(" create_share_memory_key fail"), true);
    }
    write_log(QStringLiteral("Shared memory: no free key for %1 after %2 attempts, giving up")
                  .arg(prefix)
                  .arg(last_number + 1),
              true);
    return nullptr;
}
