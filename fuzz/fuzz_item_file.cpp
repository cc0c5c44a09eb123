// Fuzzes the reading of the quick-launch item files: they live in the user's
// data directory, where anything may change them between runs. Any bytes must
// load as some entries without a crash, and what loads must survive a save and
// a second load entry for entry.

#include "quick_launch/item_store.h"

#include "common/global_func_c.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>
#include <memory>

namespace {
void discard_message(QtMsgType, const QMessageLogContext &, const QString &) {}

std::unique_ptr<QTemporaryDir> work_dir;
QString input_path;
} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    qInstallMessageHandler(discard_message);
    work_dir = std::make_unique<QTemporaryDir>();
    // The icon directory follows the data location; point it into the work
    // directory before anything asks for a path.
    qputenv("XDG_DATA_HOME", work_dir->path().toLocal8Bit());
    QDir().mkpath(global_func_c::shared()->icon_directory());
    input_path = global_func_c::shared()->icon_directory() + games_file_name;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    {
        QFile file(input_path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        file.write(reinterpret_cast<const char *>(data), qint64(size));
    }
    quick_launch_list_t loaded;
    read_item_file(loaded, games_file_name);

    write_item_file(loaded, programs_file_name);
    quick_launch_list_t reloaded;
    read_item_file(reloaded, programs_file_name);
    if (reloaded.size() != loaded.size())
        abort();
    return 0;
}
