// A command for the paired-client file as the module hands it over: the bytes
// of a shared-memory block, a Qt data stream of version 16, big-endian, holding
// a qint32 command and a QString argument and nothing else.
#ifndef VORLA_HOST_CLIENT_COMMAND_C_H
#define VORLA_HOST_CLIENT_COMMAND_C_H

#include "module/client_protocol.h"

#include <QByteArray>
#include <QString>

struct client_command_c
{
    static constexpr int stream_version = 16;

    // A client_command_t when decoded.
    qint32 code = 0;
    // The client id, or the PC name for client_command_rename_pc. A null string stays null.
    QString argument;

    // Decodes one whole block. Blocks come from another process, so anything
    // short, malformed, longer than its two fields or with an unknown command
    // is refused: false, *command untouched, the reason in *error.
    static bool decode(const QByteArray &block, client_command_c *command, QString *error = nullptr);
    // "accept", "refuse", ...; empty for an unknown code.
    static QString name(qint32 code);

    // One line for people: remove "abc", or accept (null) for a null argument.
    QString describe() const;
};

#endif
