// share_data of a 64-byte block (free key, segment, copy) against the floor of a
// bare QSharedMemory create and copy of the same block. Both sides also pay for
// dropping their segments, as a kernel does when it ends.
#include "module/vorla_connect_kernel_c.h"

#include <QApplication>
#include <QBuffer>
#include <QElapsedTimer>
#include <QSharedMemory>
#include <QTextStream>

#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

namespace {
constexpr int blocks_per_round = 200;
constexpr int rounds = 15;

qint64 time_share_data(QBuffer &buffer)
{
    QElapsedTimer timer;
    timer.start();
    auto *kernel = new vorla_connect_kernel_c;
    for (int i = 0; i < blocks_per_round; ++i)
        kernel->share_data(&buffer);
    kernel->release();
    return timer.nsecsElapsed();
}

qint64 time_floor(const QByteArray &block, int round)
{
    QElapsedTimer timer;
    timer.start();
    std::vector<std::unique_ptr<QSharedMemory>> segments;
    segments.reserve(blocks_per_round);
    for (int i = 0; i < blocks_per_round; ++i) {
        auto segment = std::make_unique<QSharedMemory>(QStringLiteral("VORLAFLOOR_%1_%2").arg(round).arg(i));
        if (segment->create(block.size())) {
            segment->lock();
            std::memcpy(segment->data(), block.constData(), static_cast<size_t>(block.size()));
            segment->unlock();
        }
        segments.push_back(std::move(segment));
    }
    segments.clear();
    return timer.nsecsElapsed();
}
} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QByteArray block(64, 'x');
    QBuffer buffer;
    buffer.setData(block);

    qint64 best_share = std::numeric_limits<qint64>::max();
    qint64 best_floor = std::numeric_limits<qint64>::max();
    // Interleaved so that both see the same system load.
    for (int round = 0; round < rounds; ++round) {
        best_floor = std::min(best_floor, time_floor(block, round));
        best_share = std::min(best_share, time_share_data(buffer));
    }
    QTextStream out(stdout);
    out << "share_data: " << best_share / 1000.0 / blocks_per_round
        << " us/block, floor (create + copy): " << best_floor / 1000.0 / blocks_per_round
        << " us/block, ratio: " << QString::number(double(best_share) / double(best_floor), 'f', 2)
        << " (goal <= 1.5)\n";
    return 0;
}
