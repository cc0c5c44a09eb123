// Chooses free shared-memory keys and keeps each segment alive for a minute,
// long enough for the host to attach and read it.
#ifndef VORLA_SHARE_MEMORY_KEY_POOL_C_H
#define VORLA_SHARE_MEMORY_KEY_POOL_C_H

#include <QElapsedTimer>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

class QSharedMemory;

class share_memory_key_pool_c
{
public:
    // Milliseconds since the pool was built. Tests inject their own clock.
    using clock_t = std::function<quint32()>;

    // A segment is released by the first request more than this long after it
    // was made (60 seconds).
    static constexpr quint32 keep_alive_ms = 60000;
    static constexpr quint32 last_number = 10000;

    explicit share_memory_key_pool_c(clock_t clock = clock_t());
    ~share_memory_key_pool_c();
    share_memory_key_pool_c(const share_memory_key_pool_c &) = delete;
    share_memory_key_pool_c &operator=(const share_memory_key_pool_c &) = delete;

    // A new segment object whose key no existing segment uses, or null for an
    // empty prefix or when no number is free. The pool owns it; it is not
    // attached.
    QSharedMemory *new_segment(const QString &prefix);
    void release_expired();

    int size() const { return static_cast<int>(entries.size()); }
    quint32 next_number() const { return counter; }
    void set_next_number(quint32 number) { counter = number; }

private:
    // A segment and the time it was made; dropping the entry detaches it.
    struct entry_t
    {
        std::unique_ptr<QSharedMemory> segment;
        quint32 made = 0;
    };

    quint32 now() const;
    // The counter's number, which it then moves past.
    quint32 take_number();

    std::vector<entry_t> entries;
    quint32 counter = 0;
    QElapsedTimer started;
    clock_t clock;
};

#endif
