#include "connect/client_store_c.h"

#include "common/global_func_c.h"

#include <QDataStream>

#include <new>

client_store_c::client_store_c() : client_store_c(default_path()) {}

client_store_c::client_store_c(const QString &path) : file(path), settings(file.path(), QSettings::IniFormat)
{}

QString client_store_c::default_path()
{
    return global_func_c::shared()->settings_directory() + QStringLiteral("APP_Clients");
}

QStringList client_store_c::groups() const
{
    // The store decodes the whole file on first use (see value()); a file it
    // cannot decode lists no clients.
    try {
        return settings.childGroups();
    } catch (const std::bad_alloc &) {
        return QStringList();
    }
}

QVariant client_store_c::value(const QString &key, const QVariant &fallback) const
{
    // A damaged file can hold a serialised value that claims gigabytes; the
    // store throws while decoding it, and the value then counts as missing.
    try {
        return settings.value(key, fallback);
    } catch (const std::bad_alloc &) {
        return fallback;
    }
}

QString client_store_c::server_name() const
{
    return value(QStringLiteral("Server"), default_server_name()).toString();
}

QString client_store_c::text(const QString &group, const QString &key) const
{
    return value(group + QLatin1Char('/') + key, QStringLiteral("N/A")).toString();
}

bool client_store_c::connected(const QString &group, bool when_missing) const
{
    return value(group + QStringLiteral("/CONNECTED"), when_missing).toBool();
}

int client_store_c::friend_state(const QString &group) const
{
    return value(group + QStringLiteral("/Friend"), 0).toInt();
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
