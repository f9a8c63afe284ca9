#pragma once

#include <QString>

// Who a connection runs as, known after a successful login.
struct Session
{
    QString operatorCode;  // CDOPERADOR, padded to 12
    QString operatorName;  // NMOPERADOR
    QString branch;        // CDFILIAL the operator logged in at
    QString client;        // free text the client sent ("sup-host 0.1", "sup-call")
    bool loggedIn = false;
};
