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
    stream.setCodec("UTF-8");
}

CLog::~CLog()
{
    stream.setDevice(nullptr);
    file.close();
}

void CLog::init(const QString &base_dir, const QString &log_name)
{
    folder = base_dir + "log/" + log_name + "/";
    QDir().mkpath(folder);
    select_file();
    if (timer_id == 0)
        timer_id = startTimer(clean_up_interval, Qt::CoarseTimer);
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
    if (!file.isOpen())
        return;
    stream << stamp << "\n" << message << "\n\n";
    stream.flush();
    if (file.size() > maximum_size)
        create_file();
}

void CLog::clean_up()
{
    const QStringList names = sorted_file_names();
    for (int i = 0; i < names.size() - files_kept; ++i)
        QFile::remove(folder + names.at(i));
}

void CLog::timerEvent(QTimerEvent *)
{
    clean_up();
}

QStringList CLog::sorted_file_names() const
{
    QStringList names = QDir(folder).entryList(QDir::Files, QDir::Unsorted);
    names.sort(Qt::CaseSensitive);
    return names;
}

void CLog::select_file()
{
    const QStringList names = sorted_file_names();
    for (const QString &name : names) {
        open_file(name);
        if (file.size() < maximum_size) {
            stream.setDevice(&file);
            stream.flush();
            return;
        }
    }
    create_file();
}

void CLog::create_file()
{
    const QString name = QDateTime::currentDateTime().toString(QLatin1String(file_name_format)) + ".txt";
    open_file(name);
    stream.setDevice(&file);
    stream.flush();
    qDebug() << "void CLog::create_file()" << folder << name;
}

void CLog::open_file(const QString &name)
{
    stream.setDevice(nullptr);
    file.close();
    file.setFileName(folder + name);
    file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text);
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
