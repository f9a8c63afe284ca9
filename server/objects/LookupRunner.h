#pragma once

#include "DataPacket.h"

#include <QString>
#include <QVariantMap>

class Database;
class SqlTexts;

// Runs the package's own SQL texts for a client without database access (the host in
// server mode): by name only, never SQL a client sent; in the section of this server's
// engine; read-only (SQLite's query_only pragma, a PostgreSQL READ ONLY transaction), so
// not even a text that tried to write could; and with a row limit.  The packet is the one
// the query component builds in direct mode (SqlTextRunner), so a look-up gives the same
// rows either way.
class LookupRunner
{
public:
    // The most rows a look-up returns; a text with more is refused, never cut short,
    // since a cut list would look complete.
    static constexpr int kRowLimit = 100000;

    // The rows of the package's text textName (":/sql/<textName>.sql") with params by name
    // (without ':', any case; a parameter the text has but params lacks is null).  An
    // unknown name is refused with ServerError "arguments"; a failing text, a write or too
    // many rows with ServerError "server" (details in the log).
    static DataPacket run(Database &db, const QString &textName, const QVariantMap &params,
                          int rowLimit = kRowLimit);

    // The same for texts already read; what names them in messages and in the log.
    static DataPacket runTexts(Database &db, const SqlTexts &texts, const QString &what, const QVariantMap &params,
                               int rowLimit = kRowLimit);
};
