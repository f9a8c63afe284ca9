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
    QString password;      // $SUP_PASSWORD
    bool passwordGiven = false;
    QString module;        // --module SUP05200: opened at start
    QString screenshot;    // --screenshot FILE: save the main window once settled, then quit

    // True when every field of the login is known, so no login dialog is needed.
    bool canLogInDirectly() const;

    // Reads arguments (the program name first) and the environment; false with a
    // reason for an unknown option, a missing value or a bad port.
    bool parse(const QStringList &arguments, const QProcessEnvironment &environment, QString *error);
    static QString usage();
};
