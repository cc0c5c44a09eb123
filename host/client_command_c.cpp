#include "host/client_command_c.h"

#include <QDataStream>

bool client_command_c::decode(const QByteArray &block, client_command_c *command, QString *error)
{
    const auto fail = [error](const QString &reason) {
        if (error != nullptr)
            *error = reason;
        return false;
    };
    if (block.isEmpty())
        return fail(QStringLiteral("empty block"));

    QDataStream stream(block);
    stream.setVersion(stream_version);
    stream.setByteOrder(QDataStream::BigEndian);
    qint32 code = 0;
    QString argument;
    stream >> code >> argument;
    switch (stream.status()) {
    case QDataStream::Ok:
        break;
    case QDataStream::ReadPastEnd:
        return fail(QStringLiteral("truncated after %1 bytes").arg(block.size()));
    default:
        // The string's byte count was odd: no whole UTF-16 code units.
        return fail(QStringLiteral("malformed string"));
    }
    if (!stream.atEnd())
        return fail(QStringLiteral("%1 bytes left over").arg(block.size() - stream.device()->pos()));
    if (name(code).isEmpty())
        return fail(QStringLiteral("unknown command %1").arg(code));
    if (command != nullptr)
        *command = {code, argument};
    return true;
}

QString client_command_c::name(qint32 code)
{
    switch (code) {
    case client_command_accept:
        return QStringLiteral("accept");
    case client_command_refuse:
        return QStringLiteral("refuse");
    case client_command_remove:
        return QStringLiteral("remove");
    case client_command_rename_pc:
        return QStringLiteral("rename PC");
    case client_command_request_ended:
        return QStringLiteral("request ended");
    default:
        return QString();
    }
}

QString client_command_c::describe() const
{
    const QString shown_name = name(code).isEmpty() ? QStringLiteral("command %1").arg(code) : name(code);
    const QString shown_argument =
        argument.isNull() ? QStringLiteral("(null)") : QLatin1Char('"') + argument + QLatin1Char('"');
    return shown_name + QLatin1Char(' ') + shown_argument;
}
