#include "common/clog.h"

#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QMutex>
#include <QMutexLocker>
#include <QTimerEvent>

namespace {
// Constructed at library load, in this order; the mutex outlives every writer
// that runs while the log exists.
QMutex s_log_mutex;
CLog s_log;

const char file_name_format[] = "yyyy_MM_dd_hh_mm_ss";
const char stamp_format[] = "yyyyMMdd_hh:mm:ss:";
const int clean_up_interval = 60000; // 60 seconds
} // namespace

CLog::CLog()
{
    m_stream.setCodec("UTF-8");
}

CLog::~CLog()
{
    m_stream.setDevice(nullptr);
    m_file.close();
}

void CLog::init(const QString &base_dir, const QString &log_name)
{
    m_directory = base_dir + "log/" + log_name + "/";
    QDir().mkpath(m_directory);
    select_file();
    if (m_timer_id == 0)
        m_timer_id = startTimer(clean_up_interval, Qt::CoarseTimer);
}

QString CLog::stamp(const QDateTime &at)
{
    // Qt 5.15 writes "z" zero-padded ("067" for 67 ms), so the count is
    // written by hand.
    return at.toString(QLatin1String(stamp_format)) + QString::number(at.time().msec());
}

void CLog::write(const QString &message, bool echo)
{
    const QString stamp = CLog::stamp(QDateTime::currentDateTime());
    if (echo) {
        qDebug().noquote() << stamp;
        qDebug().noquote().nospace() << message << "\n";
    }
    // Without an open file the stream has nowhere to go; keeping its buffer
    // would only grow it.
    if (!m_file.isOpen())
        return;
    m_stream << stamp << "\n" << message << "\n\n";
    m_stream.flush();
    if (m_file.size() > m_maximum_size)
        create_file();
}

void CLog::clean_up()
{
    const QStringList names = sorted_file_names();
    for (int i = 0; i < names.size() - m_files_kept; ++i)
        QFile::remove(m_directory + names.at(i));
}

void CLog::timerEvent(QTimerEvent *)
{
    clean_up();
}

QStringList CLog::sorted_file_names() const
{
    QStringList names = QDir(m_directory).entryList(QDir::Files, QDir::Unsorted);
    names.sort(Qt::CaseSensitive);
    return names;
}

void CLog::select_file()
{
    const QStringList names = sorted_file_names();
    for (const QString &name : names) {
        open_file(name);
        if (m_file.size() < m_maximum_size) {
            m_stream.setDevice(&m_file);
            m_stream.flush();
            return;
        }
    }
    create_file();
}

void CLog::create_file()
{
    const QString name = QDateTime::currentDateTime().toString(QLatin1String(file_name_format)) + ".txt";
    open_file(name);
    m_stream.setDevice(&m_file);
    m_stream.flush();
    qDebug() << "void CLog::create_file()" << m_directory << name;
}

void CLog::open_file(const QString &name)
{
    m_stream.setDevice(nullptr);
    m_file.close();
    m_file.setFileName(m_directory + name);
    m_file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text);
}

CLog &module_log()
{
    return s_log;
}

void write_log(const QString &message, bool echo)
{
    QMutexLocker locker(&s_log_mutex);
    module_log().write(QString(message), echo);
}
