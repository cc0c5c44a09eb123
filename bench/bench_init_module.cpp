// Cold start of the module: the first init_module call on a freshly loaded
// copy, against the one piece of work it cannot avoid, reading the packed
// catalogue (file read, decompression and parse) on its own.
#include "common/global_func_c.h"
#include "host/control_centre_c.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLibrary>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>

namespace {
constexpr int rounds = 40;

qint64 best_floor_ns(const QString &catalogue)
{
    qint64 best = std::numeric_limits<qint64>::max();
    for (int i = 0; i < rounds; ++i) {
        global_func_c tables;
        QElapsedTimer timer;
        timer.start();
        tables.read_catalogue(catalogue);
        best = std::min(best, timer.nsecsElapsed());
    }
    return best;
}

qint64 best_init_ns(const QTemporaryDir &dir)
{
    qint64 best = std::numeric_limits<qint64>::max();
    for (int i = 0; i < rounds; ++i) {
        const QString copy = dir.filePath(QStringLiteral("libvorla_connect_%1.so").arg(i));
        QFile::copy(QStringLiteral(VORLA_MODULE_FILE), copy);
        QLibrary library(copy);
        if (!library.load())
            return -1;
        auto init_module = reinterpret_cast<void (*)(module_host_i *)>(library.resolve("init_module"));
        auto exit_module = reinterpret_cast<void (*)()>(library.resolve("exit_module"));
        control_centre_c host;
        QElapsedTimer timer;
        timer.start();
        init_module(host.host_face());
        best = std::min(best, timer.nsecsElapsed());
        exit_module();
        library.unload();
        QFile::remove(copy);
    }
    return best;
}
} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QTextStream out(stdout);
    QTemporaryDir dir;
    const QString catalogue = QCoreApplication::applicationDirPath() + QStringLiteral("/settings.xml");

    const qint64 floor = best_floor_ns(catalogue);
    const qint64 measured = best_init_ns(dir);
    if (measured < 0) {
        out << "init_module: cannot load the module\n";
        return 1;
    }
    out << "init_module cold start: " << measured / 1000.0 << " us, catalogue alone: " << floor / 1000.0
        << " us, ratio: " << QString::number(double(measured) / double(floor), 'f', 2) << " (goal <= 1.2)\n";
    return 0;
}
