#include "host/client_store_keeper_c.h"

#include "common/global_func_c.h"
#include "common/settings_file_c.h"
#include "host/shared_block.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QRandomGenerator>
#include <QSettings>

namespace {
const QString friend_key = QStringLiteral("Friend");
const QString connected_key = QStringLiteral("CONNECTED");
const QString server_key = QStringLiteral("Server");
// A change takes milliseconds; a keeper that waits longer is stuck or gone
// (QLockFile takes a lock back from a process that died).
const int lock_wait_ms = 10000;

struct demo_phone_t
{
    const char *id;
    const char *name;
    const char *model;
    int friend_state;
    bool connected;
};

// One of each state the phone list tells apart.
const demo_phone_t demo_phones[] = {
    {"3C5A0B7E91D24F60", "Pixel 7 Pro", "Google Pixel 7 Pro", client_trusted, true},
    {"7D19E4C2A0B35F81", "Anna's iPhone", "iPhone 14", client_known, false},
    {"B2F08D6C51E7493A", "Galaxy S23", "Samsung SM-S911B", client_trusted, false},
};

QString quoted(const QString &text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}

bool has_group(QSettings &settings, const QString &id)
{
    return !id.isEmpty() && settings.childGroups().contains(id);
}

QString fresh_client_id(const QStringList &taken)
{
    QString id;
    do {
        const quint64 value = QRandomGenerator::global()->generate64();
        id = QStringLiteral("%1").arg(value, 16, 16, QLatin1Char('0')).toUpper();
    } while (taken.contains(id));
    return id;
}

// What each client command does to the file, as an edit for rewrite().

auto set_friend_state(const QString &id, int wanted)
{
    return [id, wanted](QSettings &settings, QString *note) {
        if (!has_group(settings, id)) {
            *note = QStringLiteral("unknown client");
            return false;
        }
        const QString key = id + QLatin1Char('/') + friend_key;
        if (settings.contains(key) && settings.value(key).toInt() == wanted) {
            *note = QStringLiteral("already Friend %1").arg(wanted);
            return false;
        }
        settings.setValue(key, wanted);
        *note = QStringLiteral("Friend %1").arg(wanted);
        return true;
    };
}

auto remove_client(const QString &id)
{
    return [id](QSettings &settings, QString *note) {
        if (!has_group(settings, id)) {
            *note = QStringLiteral("unknown client");
            return false;
        }
        settings.remove(id);
        *note = QStringLiteral("removed");
        return true;
    };
}

auto rename_pc(const QString &name)
{
    return [name](QSettings &settings, QString *note) {
        // The form never sends an empty name; one that did would blank the PC on every phone.
        if (name.isEmpty()) {
            *note = QStringLiteral("empty name refused");
            return false;
        }
        if (settings.contains(server_key) && settings.value(server_key).toString() == name) {
            *note = QStringLiteral("name unchanged");
            return false;
        }
        settings.setValue(server_key, name);
        *note = QStringLiteral("Server = ") + quoted(name);
        return true;
    };
}

auto end_request(const QString &id)
{
    return [id](QSettings &settings, QString *note) {
        if (!has_group(settings, id)) {
            *note = QStringLiteral("unknown client");
            return false;
        }
        // A phone accepted or denied meanwhile keeps its place.
        if (settings.value(id + QLatin1Char('/') + friend_key).toInt() != client_pending) {
            *note = QStringLiteral("no longer pending, kept");
            return false;
        }
        settings.remove(id);
        *note = QStringLiteral("pending request removed");
        return true;
    };
}
} // namespace

client_store_keeper_c::client_store_keeper_c(const QString &file_path, QObject *parent)
    : QObject(parent), path(file_path)
{}

QString client_store_keeper_c::default_path()
{
    return global_func_c::shared()->settings_directory() + QStringLiteral("APP_Clients");
}

bool client_store_keeper_c::exists() const
{
    return QFileInfo::exists(path);
}

bool client_store_keeper_c::apply_shared_block(const QString &key)
{
    QByteArray block;
    QString error;
    if (!read_shared_block(key, &block, &error)) {
        emit logged(QStringLiteral("APP_Clients: no block under %1 (%2); nothing changed").arg(key, error));
        return false;
    }
    return apply_block(block);
}

bool client_store_keeper_c::apply_block(const QByteArray &block)
{
    client_command_c command;
    QString error;
    if (!client_command_c::decode(block, &command, &error)) {
        emit logged(QStringLiteral("APP_Clients: block of %1 bytes refused (%2); nothing changed")
                        .arg(block.size())
                        .arg(error));
        return false;
    }
    return apply_command(command);
}

bool client_store_keeper_c::apply_command(const client_command_c &command)
{
    const edit_t edit = edit_for(command);
    if (!edit) {
        emit logged(QStringLiteral("APP_Clients: %1 refused; nothing changed").arg(command.describe()));
        return false;
    }
    return rewrite(command.describe(), edit);
}

client_store_keeper_c::edit_t client_store_keeper_c::edit_for(const client_command_c &command)
{
    const QString &argument = command.argument;
    switch (command.code) {
    case client_command_accept:
        return set_friend_state(argument, client_trusted);
    case client_command_refuse:
        return set_friend_state(argument, client_known);
    case client_command_remove:
        return remove_client(argument);
    case client_command_rename_pc:
        return rename_pc(argument);
    case client_command_request_ended:
        return end_request(argument);
    default:
        return nullptr;
    }
}

QString client_store_keeper_c::add_pairing_request(const QString &name, const QString &model)
{
    QString id;
    const bool written = rewrite(
        QStringLiteral("phone %1 asks to pair").arg(quoted(name)),
        [&](QSettings &settings, QString *note) {
            // Picked under the lock: on Windows a read of the file outside it
            // keeps another keeper from replacing the file.
            id = fresh_client_id(settings.childGroups());
            settings.beginGroup(id);
            settings.setValue(QStringLiteral("ID"), id);
            settings.setValue(QStringLiteral("Name"), name);
            settings.setValue(QStringLiteral("Model"), model);
            settings.setValue(friend_key, client_pending);
            settings.setValue(connected_key, true);
            settings.endGroup();
            *note = QStringLiteral("pending as ") + id;
            return true;
        },
        false);
    if (!written)
        return QString();
    emit pairing_requested(id);
    return id;
}

bool client_store_keeper_c::set_connected(const QString &client_id, bool connected)
{
    const QString what =
        QStringLiteral("phone %1 %2").arg(client_id, connected ? "comes back" : "goes offline");
    return rewrite(what, [&](QSettings &settings, QString *note) {
        if (!has_group(settings, client_id)) {
            *note = QStringLiteral("unknown client");
            return false;
        }
        const QString key = client_id + QLatin1Char('/') + connected_key;
        if (settings.contains(key) && settings.value(key).toBool() == connected) {
            *note = QStringLiteral("unchanged");
            return false;
        }
        settings.setValue(key, connected);
        *note = QStringLiteral("CONNECTED %1").arg(connected ? "true" : "false");
        return true;
    });
}

bool client_store_keeper_c::seed_demo_phones()
{
    if (exists())
        return false;
    return rewrite(QStringLiteral("demo phones"), [](QSettings &settings, QString *note) {
        settings.setValue(server_key, QStringLiteral("GAMING RIG"));
        for (const demo_phone_t &phone : demo_phones) {
            settings.beginGroup(QLatin1String(phone.id));
            settings.setValue(QStringLiteral("ID"), QLatin1String(phone.id));
            settings.setValue(QStringLiteral("Name"), QString::fromUtf8(phone.name));
            settings.setValue(QStringLiteral("Model"), QString::fromUtf8(phone.model));
            settings.setValue(friend_key, phone.friend_state);
            settings.setValue(connected_key, phone.connected);
            settings.endGroup();
        }
        *note = QStringLiteral("%1 phones").arg(std::size(demo_phones));
        return true;
    });
}

bool client_store_keeper_c::clear()
{
    if (!exists())
        return false;
    if (!QFile::remove(path)) {
        emit logged(QStringLiteral("APP_Clients: cannot delete ") + path);
        return false;
    }
    emit logged(QStringLiteral("APP_Clients: deleted"));
    emit store_changed();
    return true;
}

QStringList client_store_keeper_c::client_ids() const
{
    return settings_file_c(path).child_groups();
}

QString client_store_keeper_c::client_name(const QString &client_id) const
{
    return settings_file_c(path).value(client_id + QStringLiteral("/Name"), client_id).toString();
}

bool client_store_keeper_c::is_connected(const QString &client_id) const
{
    return settings_file_c(path).value(client_id + QLatin1Char('/') + connected_key).toBool();
}

QList<client_store_keeper_c::client_t> client_store_keeper_c::clients() const
{
    const settings_file_c file(path);
    const QStringList ids = file.child_groups();
    QList<client_t> result;
    result.reserve(ids.size());
    for (const QString &id : ids)
        result.append({id, file.value(id + QStringLiteral("/Name"), id).toString(),
                       file.value(id + QLatin1Char('/') + connected_key).toBool()});
    return result;
}

bool client_store_keeper_c::rewrite(const QString &what, const edit_t &edit, bool announce)
{
    const auto fail = [&](const QString &reason) {
        emit logged(QStringLiteral("APP_Clients: %1 not applied: %2").arg(what, reason));
        return false;
    };
    // Another keeper on the same data home reads, changes and replaces the file
    // too; without the lock one of two concurrent changes would be lost.
    QDir().mkpath(QFileInfo(path).absolutePath());
    QLockFile lock(path + QStringLiteral(".lock"));
    if (!lock.tryLock(lock_wait_ms))
        return fail(QStringLiteral("another program holds %1.lock").arg(QFileInfo(path).fileName()));
    const settings_file_c current(path);
    if (current.state() == settings_file_c::state_t::read && !current.parses())
        return fail(QStringLiteral("the file does not parse"));
    QString note;
    QString error;
    switch (settings_file_c::edit(
        path, [&](QSettings &settings) { return edit(settings, &note); },
        settings_file_c::start_t::with_values, &error)) {
    case settings_file_c::edit_result_t::failed:
        return fail(error);
    case settings_file_c::edit_result_t::declined:
        emit logged(QStringLiteral("APP_Clients: %1: %2; nothing changed").arg(what, note));
        return false;
    case settings_file_c::edit_result_t::written:
        break;
    }
    emit logged(QStringLiteral("APP_Clients: %1: %2").arg(what, note));
    if (announce)
        emit store_changed();
    return true;
}
