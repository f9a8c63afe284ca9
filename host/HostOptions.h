#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

// The host's command line, for scripted runs.  The password never travels on the
// command line: it comes from the environment variable SUP_PASSWORD.
struct HostOptions
{
    QString server;        // --server HOST
    int port = 0;          // --port N (0: not given)
    QString branch;        // --branch
    QString operatorCode;  // --operator
    QString database;      // --database sqlite:PATH | postgres:...
    bool tls = false;      // --tls: the server speaks TLS; its certificate is verified
    QString caFile;        // --ca-file FILE: trust the CA certificates of FILE (implies --tls)
    // --lookups server|direct: where the package's look-ups run (Corvane::Lookups);
    // "" when not given (direct with a database, else through the server).
    QString lookups;
    QString password;      // $SUP_PASSWORD
    bool passwordGiven = false;
    QString module;        // --module SUP05200: opened at start
    QString screenshot;    // --screenshot FILE: save the main window once settled, then quit
    // --click NAME (repeatable): before the picture, click the button of that name in the
    // dialog waiting for the user (e.g. sbtConfirma to confirm the filter at start).
    QStringList clicks;

    // True when every field of the login is known, so no login dialog is needed.
    bool canLogInDirectly() const;

    // Reads arguments (the program name first) and the environment; false with a
    // reason for an unknown option, a missing value or a bad port.
    bool parse(const QStringList &arguments, const QProcessEnvironment &environment, QString *error);
    static QString usage();
};
