// Read access to "APP_Clients", the paired-client file that another program of
// the installation keeps, and the command block that asks that program for a
// change. The module never writes the file.
#ifndef VORLA_CLIENT_STORE_C_H
#define VORLA_CLIENT_STORE_C_H

#include "common/settings_file_c.h"
#include "module/client_protocol.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// One snapshot of the file: each reader makes its own and drops it after
// reading, because the other program may rewrite the file at any time.
class client_store_c
{
public:
    // Opens the installation's file; a missing file reads as empty.
    client_store_c();
    explicit client_store_c(const QString &path);

    static QString default_path();
    static QString default_server_name() { return QStringLiteral("YOUR VORLA"); }

    // Client groups in the order the settings reader lists them.
    QStringList groups() const;
    // "Server", or "YOUR VORLA" when missing.
    QString server_name() const;
    // A text key of a group, "N/A" when missing.
    QString text(const QString &group, const QString &key) const;
    // "CONNECTED"; readers differ in what a missing value means.
    bool connected(const QString &group, bool when_missing) const;
    // "Friend", 0 when missing or not a number.
    int friend_state(const QString &group) const;

private:
    settings_file_c file;
};

// The bytes of a client command block: a Qt data stream of version 16,
// big-endian, holding the command as a 32-bit integer and then the argument.
QByteArray client_command_block(qint32 command, const QString &argument);

#endif
