#pragma once

#include "DataPacket.h"

#include <QString>
#include <QStringList>
#include <QVariantList>

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

    // The rows of one of the package's own SQL texts (":/sql/<textName>.sql"), run
    // read-only by the server in the section of its engine, with the parameters by name
    // (values: null, text, number, boolean, date, date-time).  An unknown text is refused
    // ("arguments"); more rows than the server's limit is an error, never a cut list.
    DataPacket getConsulta(const QString &textName, const QStringList &paramNames, const QVariantList &paramValues);

private:
    NetConnection &m_connection;
};
