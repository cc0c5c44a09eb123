// A command for the paired-client file as the module hands it over: the bytes
// of a shared-memory block, a Qt data stream of version 16, big-endian, holding
// a qint32 command and a QString argument and nothing else.
#ifndef VORLA_HOST_CLIENT_COMMAND_C_H
#define VORLA_HOST_CLIENT_COMMAND_C_H

#include <QByteArray>
#include <QString>

class client_command_c
{
public:
    enum code_t : qint32
    {
        accept = 1,
        refuse = 2,
        remove = 3,
        rename_pc = 4,
        request_ended = 5,
    };
    static constexpr int stream_version = 16;

    client_command_c() = default;
    client_command_c(qint32 code, const QString &argument) : m_code(code), m_argument(argument) {}

    // Decodes one whole block. Blocks come from another process, so anything
    // short, malformed, longer than its two fields or with a command outside
    // 1..5 is refused: false, *command untouched, the reason in *error.
    static bool decode(const QByteArray &block, client_command_c *command, QString *error = nullptr);
    // "accept", "refuse", ...; empty for an unknown code.
    static QString name(qint32 code);

    qint32 code() const { return m_code; }
    // The client id, or the PC name for rename_pc. A null string stays null.
    const QString &argument() const { return m_argument; }
    // One line for people: remove "abc", or accept (null) for a null argument.
    QString describe() const;

private:
    qint32 m_code = 0;
    QString m_argument;
};

#endif
