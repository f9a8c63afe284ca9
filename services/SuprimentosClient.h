#pragma once

#include "DataPacket.h"

#include <QString>

class NetConnection;

// The typed client of the server object "Sup.rdmSuprimentos": one function per method of
// the protocol contract, arguments by name, on a connection it is given (it does not own
// it).  Failures raise what NetConnection raises; a packet reply goes through
// Consiste::CheckResultServ, so a refused or empty answer ends the operation as the forms
// expect.
class SuprimentosClient
{
public:
    explicit SuprimentosClient(NetConnection &connection) : m_connection(connection) {}

    NetConnection &connection() const { return m_connection; }

    // The procurement parameters of a central branch (one row).
    DataPacket getParaSupri(const QString &centralBranch);

    // Whether password is operatorCode's.  A confirmation is remembered by this
    // connection's server session, where the write it authorises looks for it: ask it on
    // the connection that will then write.
    bool confSenha(const QString &operatorCode, const QString &password);

private:
    NetConnection &m_connection;
};
