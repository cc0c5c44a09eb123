#include "common/durable_file_c.h"

#include <QDir>
#include <QFileInfo>

#include <atomic>

namespace {
// Icons are also written from the scan's worker thread.
std::atomic<durable_file_c::fault_t> injected_fault{nullptr};
} // namespace

durable_file_c::durable_file_c(const QString &path) : file(path) {}

durable_file_c::~durable_file_c()
{
    if (file.isOpen())
        file.cancelWriting();
}

void durable_file_c::inject_fault(fault_t fault)
{
    injected_fault = fault;
}

bool durable_file_c::fail(const QString &reason)
{
    if (!failed)
        error = reason;
    failed = true;
    if (file.isOpen())
        file.cancelWriting();
    return false;
}

bool durable_file_c::write(const QByteArray &contents)
{
    if (failed)
        return false;
    if (!file.isOpen()) {
        QDir().mkpath(QFileInfo(file.fileName()).absolutePath());
        if (!file.open(QIODevice::WriteOnly))
            return fail(file.errorString());
    }
    const fault_t fault = injected_fault;
    if (fault != nullptr && fault(file.fileName()))
        return fail(QStringLiteral("no space left on device (injected)"));
    if (file.write(contents) != contents.size() || !file.flush())
        return fail(file.errorString());
    return true;
}

bool durable_file_c::commit()
{
    if (failed)
        return false;
    // An empty file is opened here, so that it too replaces the old one.
    if (!file.isOpen() && !write(QByteArray()))
        return false;
    if (!file.commit()) {
        failed = true;
        error = file.errorString();
        return false;
    }
    return true;
}

bool durable_file_c::write_whole(const QString &path, const QByteArray &contents, QString *error)
{
    durable_file_c target(path);
    const bool written = target.write(contents) && target.commit();
    if (!written && error != nullptr)
        *error = target.error_string();
    return written;
}
