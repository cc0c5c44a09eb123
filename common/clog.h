// The module's text log: a directory of dated files, the newest of which
// receives every message.
#ifndef VORLA_CLOG_H
#define VORLA_CLOG_H

#include <QFile>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTextStream>

// Writes messages into files named "yyyy_MM_dd_hh_mm_ss.txt" under
// base directory + "log/" + log name + "/". A file that grows past the maximum
// size is left behind and a new one started; a coarse 60-second timer deletes
// all but the newest files.
//
// The module has one instance (module_log()) and writes to it only through
// write_log(), which serialises writers. Other instances exist only in tests.
class QDateTime;

class CLog : public QObject
{
    Q_OBJECT

public:
    CLog();
    // Closes the current file.
    ~CLog() override;

    // Sets the directory to base_dir + "log/" + log_name + "/" (base_dir ends
    // with "/"), creates it, picks the current file and starts the clean-up
    // timer. Called once.
    void init(const QString &base_dir, const QString &log_name);

    // Appends the time stamp, the message and an empty line, and starts a new
    // file once the current one is larger than the maximum size. With echo, the
    // time stamp and the message also go to the debug output.
    void write(const QString &message, bool echo);
    // "yyyyMMdd_hh:mm:ss:" and the milliseconds without leading zeros, as
    // every log of the installation stamps its lines.
    static QString stamp(const QDateTime &at);

    // The log directory, ending with "/"; empty before init().
    QString directory() const { return folder; }
    // Path of the current file; empty before init().
    QString file_name() const { return file.fileName(); }

    // Deletes the oldest files so that the newest files_kept remain. Run by
    // the timer; deletion failures are ignored.
    void clean_up();

protected:
    // Every timer event of the object runs the clean-up.
    void timerEvent(QTimerEvent *event) override;

private:
    // Names of the regular files in the directory; ascending name order is age order.
    QStringList sorted_file_names() const;
    void select_file();
    void create_file();
    // Closes the current file and opens directory + name for appending.
    void open_file(const QString &name);

    QFile file;
    QTextStream stream;
    QString folder;
    qint64 maximum_size = 2000000; // bytes
    int files_kept = 5;
    int timer_id = 0;
};

// The module's log: a static object, constructed when the library loads and
// destroyed (closing its file) when it unloads.
CLog &module_log();

// The one way to log: writes the message to module_log() under a static mutex,
// so messages from any thread arrive whole. With echo the message also goes to
// the debug output, even before the log is started.
void write_log(const QString &message, bool echo);

#endif
