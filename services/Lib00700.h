#pragma once

#include <QString>

class SuprimentosClient;

// Password confirmation of an operator (a manager, a buyer) inside the forms.
namespace Lib00700 {

// Asks the password of operatorCode through the user interface and has the application
// server verify it ("ConfSenha" on "Sup.rdmSuprimentos"); no client ever reads a
// password hash.  True when the password is confirmed; false when the user cancels or the
// server refuses it (the refusal is shown).  A failed call raises NetError.
bool CriaConfSenha(const QString &operatorCode, const QString &title, const QString &label);

// The same on the connection of client.  The server remembers a confirmed password in
// that connection's session, where the write it authorises (reopening a concluded
// quotation ...) demands it: confirm on the connection that will write.
bool CriaConfSenha(SuprimentosClient &client, const QString &operatorCode, const QString &title,
                   const QString &label);

} // namespace Lib00700
