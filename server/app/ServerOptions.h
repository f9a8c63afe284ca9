#pragma once

#include "Server.h"

#include <QString>
#include <QStringList>

// Everything sup-server is told at start: the command line over the configuration file
// (QSettings INI, same key names as the long options without "--").
struct ServerOptions
{
    ServerConfig server;
    QString logLevel = QStringLiteral("info");
    QString logFile;
    QString demoSize;          // "small", "large" or empty: no demo data
    QString backupFile;        // --backup FILE: copy the SQLite database there and exit

    // Reads arguments (argv as QCoreApplication::arguments() gives it); false with the
    // reason, or with the help text and *helpShown set.
    bool parse(const QStringList &arguments, QString *error, bool *helpShown = nullptr);

    static constexpr quint16 kDefaultPort = 7205;
};
