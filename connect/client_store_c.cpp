#include "connect/client_store_c.h"

#include "common/global_func_c.h"
#include "common/text_limits.h"

#include <QDataStream>

client_store_c::client_store_c() : client_store_c(default_path()) {}

client_store_c::client_store_c(const QString &path) : file(path) {}

QString client_store_c::default_path()
{
    return global_func_c::shared()->settings_directory() + QStringLiteral("APP_Clients");
}

QStringList client_store_c::groups() const
{
    return file.child_groups();
}

QString client_store_c::server_name() const
{
    return text_limits::capped_name(file.value(QStringLiteral("Server"), default_server_name()).toString());
}

QString client_store_c::text(const QString &group, const QString &key) const
{
    // Another program writes the file; its texts are names, ids and models.
    return text_limits::capped_name(
        file.value(group + QLatin1Char('/') + key, QStringLiteral("N/A")).toString());
}

bool client_store_c::connected(const QString &group, bool when_missing) const
{
    return file.value(group + QStringLiteral("/CONNECTED"), when_missing).toBool();
}

int client_store_c::friend_state(const QString &group) const
{
    return file.value(group + QStringLiteral("/Friend"), 0).toInt();
}

QByteArray client_command_block(qint32 command, const QString &argument)
{
    QByteArray bytes;
    QDataStream stream(&bytes, QIODevice::WriteOnly);
    stream.setVersion(QDataStream::Qt_5_4); // stream version 16
    stream.setByteOrder(QDataStream::BigEndian);
    stream << command << argument;
    return bytes;
}
