// Measures write_log throughput against the least any logger needs for the same
// output: formatting the time stamp, appending the three lines to a QFile and
// flushing it, message by message. Prints both timings (best of several
// rounds, interleaved so both see the same disk) and their ratio.
//
// Usage: bench_write_log [messages per round, default 20000] [rounds, default 7]

#include "bench/bench_support.h"
#include "common/clog.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <limits>

namespace {
const double goal = 1.5;

void discard_message(QtMsgType, const QMessageLogContext &, const QString &) {}

qint64 time_write_log(int messages, const QString &message)
{
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < messages; ++i)
        write_log(message, false);
    return timer.nsecsElapsed();
}

qint64 time_floor(int messages, const QString &message, const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text))
        return 0;
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < messages; ++i) {
        const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd_hh:mm:ss:z"));
        file.write(QString(stamp + "\n" + message + "\n\n").toUtf8());
        file.flush();
    }
    return timer.nsecsElapsed();
}
} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv); // the log's clean-up timer needs an event dispatcher
    const int messages = count_argument(argc, argv, 1, 20000);
    const int rounds = count_argument(argc, argv, 2, 7);

    QTemporaryDir directory;
    if (!directory.isValid()) {
        std::fprintf(stderr, "bench_write_log: no temporary directory\n");
        return 1;
    }
    qInstallMessageHandler(discard_message); // the log announces every new file
    module_log().init(directory.path() + "/", QStringLiteral("bench"));
    const QString message = QStringLiteral("Vorla Connect : User accept connect request.");

    qint64 best_log = std::numeric_limits<qint64>::max();
    qint64 best_floor = std::numeric_limits<qint64>::max();
    for (int round = 0; round < rounds; ++round) {
        best_log = qMin(best_log, time_write_log(messages, message));
        const QString floor_file = directory.filePath(QStringLiteral("floor_%1.txt").arg(round));
        best_floor = qMin(best_floor, time_floor(messages, message, floor_file));
        QFile::remove(floor_file);
    }
    if (best_floor <= 0) {
        std::fprintf(stderr, "bench_write_log: cannot write the floor file\n");
        return 1;
    }

    const double ratio = double(best_log) / double(best_floor);
    std::printf("write_log: %d messages in %.1f ms (%.2f us/message), best of %d\n", messages, best_log / 1e6,
                best_log / 1e3 / messages, rounds);
    std::printf("floor (QFile append + flush): %.1f ms (%.2f us/message)\n", best_floor / 1e6,
                best_floor / 1e3 / messages);
    std::printf("write_log ratio: %.2f (goal <= %.1f)\n", ratio, goal);
    return 0;
}
