#include "HostOptions.h"

#include "Corvane.h"

#include <QCommandLineParser>

namespace {

const QString PasswordVariable = QStringLiteral("SUP_PASSWORD");

} // namespace

bool HostOptions::canLogInDirectly() const
{
    return !server.isEmpty() && port > 0 && !branch.isEmpty() && !operatorCode.isEmpty() && passwordGiven;
}

QString HostOptions::usage()
{
    return QStringLiteral(
        "Usage: sup-host [--server HOST] [--port N] [--branch CODE] [--operator CODE]\n"
        "                [--database sqlite:PATH|postgres:...] [--lookups server|direct]\n"
        "                [--module SUP05200] [--tls] [--ca-file FILE]\n"
        "                [--screenshot FILE [--click BUTTON]...]\n"
        "The password is read from the environment variable SUP_PASSWORD.\n");
}

bool HostOptions::parse(const QStringList &arguments, const QProcessEnvironment &environment, QString *error)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption serverOption(QStringLiteral("server"), QString(), QStringLiteral("host"));
    const QCommandLineOption portOption(QStringLiteral("port"), QString(), QStringLiteral("n"));
    const QCommandLineOption branchOption(QStringLiteral("branch"), QString(), QStringLiteral("code"));
    const QCommandLineOption operatorOption(QStringLiteral("operator"), QString(), QStringLiteral("code"));
    const QCommandLineOption databaseOption(QStringLiteral("database"), QString(), QStringLiteral("uri"));
    const QCommandLineOption lookupsOption(QStringLiteral("lookups"), QString(), QStringLiteral("mode"));
    const QCommandLineOption moduleOption(QStringLiteral("module"), QString(), QStringLiteral("code"));
    const QCommandLineOption screenshotOption(QStringLiteral("screenshot"), QString(), QStringLiteral("file"));
    const QCommandLineOption clickOption(QStringLiteral("click"), QString(), QStringLiteral("button"));
    const QCommandLineOption tlsOption(QStringLiteral("tls"));
    const QCommandLineOption caFileOption(QStringLiteral("ca-file"), QString(), QStringLiteral("file"));
    parser.addOptions({serverOption, portOption, branchOption, operatorOption, databaseOption,
                       lookupsOption, moduleOption, screenshotOption, clickOption, tlsOption, caFileOption});

    if (!parser.parse(arguments)) {
        *error = parser.errorText();
        return false;
    }
    if (!parser.positionalArguments().isEmpty()) {
        *error = QStringLiteral("Unexpected argument: %1").arg(parser.positionalArguments().first());
        return false;
    }
    server = parser.value(serverOption);
    branch = parser.value(branchOption);
    operatorCode = parser.value(operatorOption);
    database = parser.value(databaseOption);
    lookups = parser.value(lookupsOption).trimmed().toLower();
    Corvane::Lookups mode = Corvane::Lookups::Automatic;
    if (parser.isSet(lookupsOption) && (lookups.isEmpty() || !Corvane::parseLookups(lookups, &mode))) {
        *error = QStringLiteral("Invalid look-up mode: %1 (server or direct)").arg(parser.value(lookupsOption));
        return false;
    }
    module = parser.value(moduleOption).toUpper();
    screenshot = parser.value(screenshotOption);
    clicks = parser.values(clickOption);
    caFile = parser.value(caFileOption);
    tls = parser.isSet(tlsOption) || !caFile.isEmpty();
    if (parser.isSet(portOption)) {
        bool ok = false;
        port = parser.value(portOption).toInt(&ok);
        if (!ok || port <= 0 || port > 65535) {
            *error = QStringLiteral("Invalid port: %1").arg(parser.value(portOption));
            return false;
        }
    }
    passwordGiven = environment.contains(PasswordVariable);
    password = environment.value(PasswordVariable);
    return true;
}
