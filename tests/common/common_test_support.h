// Helpers the tests of the shared code and of the host use.
#ifndef VORLA_COMMON_TEST_SUPPORT_H
#define VORLA_COMMON_TEST_SUPPORT_H

#include <QFile>
#include <QStringList>
#include <QtGlobal>

// Collects the messages of the default category while it lives, those the
// program writes itself; Qt's own categories pass by.
class message_log_t
{
public:
    message_log_t()
    {
        lines().clear();
        previous =
            qInstallMessageHandler([](QtMsgType, const QMessageLogContext &context, const QString &text) {
                if (qstrcmp(context.category, "default") == 0)
                    lines().append(text);
            });
    }
    ~message_log_t() { qInstallMessageHandler(previous); }
    message_log_t(const message_log_t &) = delete;
    message_log_t &operator=(const message_log_t &) = delete;

    static QStringList &lines()
    {
        static QStringList all;
        return all;
    }

private:
    QtMessageHandler previous;
};

// The variable that names the temporary directory.
#ifdef Q_OS_WIN
inline const char temp_variable[] = "TMP";
#else
inline const char temp_variable[] = "TMPDIR";
#endif

inline bool write_file(const QString &path, const QByteArray &content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

#endif
