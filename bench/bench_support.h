// How the benchmarks measure against their floors: each side runs once to
// warm caches, then both run in turns (the floor first, so that both see the
// same system load) and each keeps its best time.
#ifndef VORLA_BENCH_SUPPORT_H
#define VORLA_BENCH_SUPPORT_H

#include <QString>

#include <algorithm>
#include <cstdlib>
#include <limits>

struct best_times_t
{
    qint64 measured = std::numeric_limits<qint64>::max();
    qint64 floor = std::numeric_limits<qint64>::max();

    QString ratio_text(double goal) const
    {
        return QStringLiteral("ratio: %1 (goal <= %2)")
            .arg(QString::number(double(measured) / double(floor), 'f', 2))
            .arg(goal);
    }
};

// Positional argument `index` as a count of at least 1; `fallback` without it.
inline int count_argument(int argc, char *argv[], int index, int fallback)
{
    return argc > index ? std::max(1, std::atoi(argv[index])) : fallback;
}

// `measured` and `floor` return nanoseconds.
template <typename Measured, typename Floor>
best_times_t best_in_turns(int rounds, Measured measured, Floor floor)
{
    measured();
    floor();
    best_times_t best;
    for (int round = 0; round < rounds; ++round) {
        best.floor = std::min(best.floor, floor());
        best.measured = std::min(best.measured, measured());
    }
    return best;
}

#endif
