// The host side of "APP_Clients": stands in for the installation's program that
// owns the paired-client file. It applies the module's client commands to the
// file and plays the phones (pairing requests, phones coming and going). The
// module only reads the file, so every write goes through here.
#ifndef VORLA_HOST_CLIENT_STORE_KEEPER_C_H
#define VORLA_HOST_CLIENT_STORE_KEEPER_C_H

#include "host/client_command_c.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

class QSettings;

class client_store_keeper_c : public QObject
{
    Q_OBJECT

public:
    explicit client_store_keeper_c(const QString &file_path, QObject *parent = nullptr);

    // Where the module reads the file: the settings directory of the user data.
    // The shared path rules must have read the catalogue first.
    static QString default_path();
    QString file_path() const { return path; }
    bool exists() const;

    // Module side; each returns true when the file was rewritten. A block that
    // does not decode is refused with a log line. A command for a client the
    // file does not hold changes nothing; so does one that would leave the file
    // as it is.
    bool apply_block(const QByteArray &block);
    // Reads the block the module left in shared memory under key, then applies it.
    bool apply_shared_block(const QString &key);
    bool apply_command(const client_command_c &command);

    // Phone side.

    // A phone nobody knows asks to pair: a new connected group waiting for the
    // user. Returns its id, or an empty string when the file could not be written.
    QString add_pairing_request(const QString &name, const QString &model);
    bool set_connected(const QString &client_id, bool connected);
    // The demo's phones, only into a file that does not exist yet: a user's own
    // list is never overwritten.
    bool seed_demo_phones();
    // Deletes the file, as on a fresh installation.
    bool clear();

    // Client ids in the order the module lists them, and what a menu shows of each.
    QStringList client_ids() const;
    QString client_name(const QString &client_id) const;
    bool is_connected(const QString &client_id) const;

    struct client_t
    {
        QString id;
        QString name; // the id when the group has no name
        bool connected = false;
    };
    // Every client as the three calls above tell it, from one read of the file.
    QList<client_t> clients() const;

signals:
    void logged(const QString &line);
    // The file was rewritten; the host reports that with host_event_clients_changed.
    void store_changed();
    // A pairing request was written; the host reports that with host_event_pairing_requested.
    void pairing_requested(const QString &client_id);

private:
    // Returns false when it changed nothing; *note then says why.
    using edit_t = std::function<bool(QSettings &settings, QString *note)>;
    // Runs edit on a scratch copy and replaces the file in one rename, so that a
    // reader never sees half a file. True when the file was replaced. A new
    // pairing request is announced as such, not as a change.
    bool rewrite(const QString &what, const edit_t &edit, bool announce = true);
    // The edit a command asks for; empty for a command the keeper does not know.
    static edit_t edit_for(const client_command_c &command);

    QString path;
};

#endif
