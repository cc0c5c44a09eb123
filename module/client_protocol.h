// The codes shared with the program that keeps "APP_Clients": the module sends
// commands in shared-memory blocks, that program writes the "Friend" states
// the module reads. Both sides use these names.
#ifndef VORLA_CLIENT_PROTOCOL_H
#define VORLA_CLIENT_PROTOCOL_H

#include <QtGlobal>

// Commands of a client command block.
enum client_command_t : qint32
{
    client_command_accept = 1,       // pairing accepted, or auto-pairing on
    client_command_refuse = 2,       // pairing denied, or auto-pairing off
    client_command_remove = 3,       // forget the phone
    client_command_rename_pc = 4,    // the argument is the PC's new name
    client_command_request_ended = 5 // the request ended without an answer
};

// "Friend" values of a client group.
enum client_friend_t : int
{
    client_known = 0,
    client_trusted = 1,
    client_pending = 2,
};

#endif
