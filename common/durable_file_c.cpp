#include "common/durable_file_c.h"

#include <QDir>
#include <QFileInfo>

#include <atomic>

namespace {
// Icons are also written from the scan's worker thread.
std::atomic<durable_file_c::fault_t> injected_fault{nullptr};
} // namespace

durable_file_c::durable_file_c(const QString &path) : m_file(path) {}

durable_file_c::~durable_file_c()
{
    if (m_file.isOpen())
        m_file.cancelWriting();
}

void durable_file_c::inject_fault(fault_t fault)
{
    injected_fault = fault;
}

bool durable_file_c::fail(const QString &reason)
{
    if (!m_failed)
        m_error = reason;
    m_failed = true;
    if (m_file.isOpen())
        m_file.cancelWriting();
    return false;
}

bool durable_file_c::write(const QByteArray &contents)
{
    if (m_failed)
        return false;
    if (!m_file.isOpen()) {
        QDir().mkpath(QFileInfo(m_file.fileName()).absolutePath());
        if (!m_file.open(QIODevice::WriteOnly))
            return fail(m_file.errorString());
    }
    const fault_t fault = injected_fault;
    if (fault != nullptr && fault(m_file.fileName()))
        return fail(QStringLiteral("no space left on device (injected)"));
    if (m_file.write(contents) != contents.size() || !m_file.flush())
        return fail(m_file.errorString());
    return true;
}

bool durable_file_c::commit()
{
    if (m_failed)
        return false;
    // An empty file is opened here, so that it too replaces the old one.
    if (!m_file.isOpen() && !write(QByteArray()))
        return false;
    if (!m_file.commit()) {
        m_failed = true;
        m_error = m_file.errorString();
        return false;
    }
    return true;
}

bool durable_file_c::write_whole(const QString &path, const QByteArray &contents, QString *error)
{
    durable_file_c file(path);
    const bool written = file.write(contents) && file.commit();
    if (!written && error != nullptr)
        *error = file.error_string();
    return written;
}
