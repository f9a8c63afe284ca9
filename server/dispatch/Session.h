#pragma once

#include <QDateTime>
#include <QList>
#include <QString>

// A password confirmation the forms asked for (a manager's or a buyer's), verified by
// ConfSenha and remembered by the connection's session so that the write it authorises
// can demand it.  Used once; expires after Session::kConfirmationSeconds.
struct Confirmation
{
    QString operatorCode;  // whose password was confirmed, padded to 12
    QDateTime at;          // when (UTC)

    bool operator==(const Confirmation &) const = default;
};

// Who a connection runs as, known after a successful login, and the confirmations it
// holds.
struct Session
{
    QString operatorCode;  // CDOPERADOR, padded to 12
    QString operatorName;  // NMOPERADOR
    QString branch;        // CDFILIAL the operator logged in at
    QString client;        // free text the client sent ("sup-host 0.1", "sup-call")
    QString address;       // the client's IP address, known from the connection's start
    bool loggedIn = false;
    QString tokenHash;     // hash of the session token the session holds; empty: none
    QDateTime tokenTouched;  // when the token's last use was last written (UTC)
    QList<Confirmation> confirmations;

    static constexpr int kConfirmationSeconds = 300;

    bool operator==(const Session &) const = default;
};
