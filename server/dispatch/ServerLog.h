#pragma once

#include <QLoggingCategory>
#include <QString>

// The server's log: one line per event, "time level category: text", to stderr and,
// when a file is set, appended to it.  Written from every worker thread at once.
Q_DECLARE_LOGGING_CATEGORY(lcServer)   // start, stop, configuration
Q_DECLARE_LOGGING_CATEGORY(lcNet)      // connections, refused frames, logins
Q_DECLARE_LOGGING_CATEGORY(lcCalls)    // one line per call: who, what, how long, outcome

class ServerLog
{
public:
    // level: "debug", "info", "warning" or "error"; false for an unknown level or a log
    // file that cannot be opened (the reason in *error).
    static bool install(const QString &level, const QString &filePath, QString *error);
    static void uninstall();
};
