#pragma once

#include <QString>
#include <QStringList>

// Texts the server keeps as resources: SQL statements (one file per statement, with an
// optional PostgreSQL variant "<name>.postgres.sql") and the messages it answers with
// (lines "Key|Text" in :/server/messages.msg, the server objects' texts, and in
// :/server/dispatch.msg, the texts of the request dispatch).  Loaded once and cached.
class ServerText
{
public:
    // The statement ":/server/sql/<name>.sql", or its PostgreSQL variant when there is
    // one and postgres is true.  Throws ServerError("server") when it does not exist.
    static QString sql(const QString &name, bool postgres);

    // The message text of key, with %1, %2 ... replaced by args in order.  An unknown key
    // gives the key itself, so a missing text never hides what went wrong.
    static QString message(const QString &key, const QStringList &args = {});

    // A whole resource file as UTF-8 text; empty when it does not exist.
    static QString resource(const QString &path);
};
