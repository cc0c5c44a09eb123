// reload_clients with 200 listed phones against the floor of building the same
// 200 rows alone (construct, fill, place, show). Both sides drop the previous
// batch and let the event loop settle the new one, as the page does after
// host event 26; what remains is the file read and the form's bookkeeping.
#include "bench/bench_support.h"
#include "common/global_func_c.h"
#include "connect/client_store_c.h"
#include "connect/mobile_app_fm_c.h"
#include "connect/mobile_device_fm_c.h"
#include "host/control_centre_c.h"
#include "module/module_host.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTextStream>

#include <memory>
#include <vector>

namespace {
constexpr int phones = 200;
constexpr int rounds = 7;

bool write_store(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    for (int i = 0; i < phones; ++i) {
        const QByteArray id = "phone-" + QByteArray::number(i);
        file.write("[" + id + "]\nID=" + id + "\nName=Phone " + QByteArray::number(i) +
                   "\nModel=Model X\nCONNECTED=" + (i % 2 ? "true" : "false") +
                   "\nFriend=" + QByteArray::number(i % 2) + '\n');
    }
    return true;
}

qint64 time_reload(mobile_app_fm_c &form)
{
    QElapsedTimer timer;
    timer.start();
    form.reload_clients();
    QCoreApplication::processEvents();
    return timer.nsecsElapsed();
}

qint64 time_floor(QWidget &list, std::vector<std::unique_ptr<mobile_device_fm_c>> &rows)
{
    QElapsedTimer timer;
    timer.start();
    rows.clear();
    int y = 0;
    for (int i = 0; i < phones; ++i) {
        auto row = std::make_unique<mobile_device_fm_c>(nullptr, &list);
        row->set_info(QStringLiteral("phone-%1").arg(i), i, QStringLiteral("Phone %1").arg(i),
                      QStringLiteral("Model X"), i % 2 != 0, i % 2 != 0);
        row->move(0, y);
        row->show();
        y += row->height() + 3;
        rows.push_back(std::move(row));
    }
    QCoreApplication::processEvents();
    return timer.nsecsElapsed();
}
} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    global_func_c::shared()->initialise();
    QDir().mkpath(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
    control_centre_c host;
    set_module_host(host.host_face());
    const QString path = client_store_c::default_path();
    QDir().mkpath(QFileInfo(path).absolutePath());
    QTextStream out(stdout);
    if (!write_store(path)) {
        out << "cannot write " << path << '\n';
        return 1;
    }

    QWidget window;
    auto form = std::make_unique<mobile_app_fm_c>(nullptr, &window);
    QWidget floor_list;
    floor_list.resize(741, phones * 45);
    std::vector<std::unique_ptr<mobile_device_fm_c>> floor_rows;
    window.show();
    floor_list.show();
    const best_times_t best = best_in_turns(
        rounds, [&] { return time_reload(*form); }, [&] { return time_floor(floor_list, floor_rows); });
    out << "reload_clients (" << phones << " phones): " << best.measured / 1e6
        << " ms, floor (build the rows alone): " << best.floor / 1e6 << " ms, " << best.ratio_text(1.3)
        << '\n';

    floor_rows.clear();
    // The form leaves the host before the host is unset.
    form.reset();
    QFile::remove(path);
    set_module_host(nullptr);
    return 0;
}
