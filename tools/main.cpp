// sup-call: calls one method of the application server from a shell and prints the
// result and the by-reference arguments.  For administrators, scripts and monitoring.

#include "CallArguments.h"
#include "DataPacket.h"
#include "NetConnection.h"
#include "ProtocolContract.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QProcessEnvironment>

#include <cstdio>

namespace {

void printLine(const QString &line)
{
    std::printf("%s\n", qPrintable(line));
}

void printValue(const QString &label, const QVariant &value)
{
    if (isPacket(value)) {
        printLine(label + QStringLiteral(":"));
        for (const QString &line : CallArguments::formatPacket(value))
            printLine(QStringLiteral("  ") + line);
        return;
    }
    printLine(label + QStringLiteral(": ") + CallArguments::formatValue(value));
    // Packets inside an array (several results at once) are shown as tables too.
    if (value.typeId() == QMetaType::QVariantList) {
        const QVariantList items = value.toList();
        for (int i = 0; i < items.size(); ++i) {
            if (isPacket(items.at(i)))
                printValue(QStringLiteral("%1[%2]").arg(label).arg(i), items.at(i));
        }
    }
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("sup-call"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Calls one method of the application server.\n"
        "Arguments: s:TEXT i:INTEGER f:NUMBER b:true|false d:YYYY-MM-DD t:YYYY-MM-DDTHH:MM:SS null;\n"
        "prefix ref: for a by-reference argument. Unprefixed: null, true, false, dates, else text."));
    parser.addHelpOption();
    parser.addOptions({
        {QStringLiteral("host"), QStringLiteral("Server host (default localhost)."), QStringLiteral("HOST"), QStringLiteral("localhost")},
        {QStringLiteral("port"), QStringLiteral("Server port (default 7205)."), QStringLiteral("N"), QStringLiteral("7205")},
        {QStringLiteral("operator"), QStringLiteral("Operator code to log in with."), QStringLiteral("CODE")},
        {QStringLiteral("password"), QStringLiteral("Password (default: environment SUP_PASSWORD)."), QStringLiteral("PASSWORD")},
        {QStringLiteral("branch"), QStringLiteral("Branch code to log in at."), QStringLiteral("CODE")},
        {QStringLiteral("object"), QStringLiteral("Server object (default Sup05200.rdmGridCotaPrec)."), QStringLiteral("NAME"),
         QStringLiteral("Sup05200.rdmGridCotaPrec")},
        {QStringLiteral("timeout"), QStringLiteral("Seconds to wait for the answer (default 60; 0: no limit)."), QStringLiteral("S"),
         QStringLiteral("60")},
        {QStringLiteral("tls"), QStringLiteral("The server speaks TLS: verify its certificate against the system's "
                                               "certificate store.")},
        {QStringLiteral("ca-file"), QStringLiteral("The server speaks TLS: verify its certificate against the CA "
                                                   "certificates of the PEM file FILE only."), QStringLiteral("FILE")},
        {QStringLiteral("describe"), QStringLiteral("Print the method's arguments and result as the protocol contract declares them, "
                                                    "without calling the server.")},
    });
    parser.addPositionalArgument(QStringLiteral("METHOD"), QStringLiteral("Method to call."));
    parser.addPositionalArgument(QStringLiteral("ARG"), QStringLiteral("Arguments in order."), QStringLiteral("[ARG...]"));
    parser.process(app);

    const QStringList positional = parser.positionalArguments();
    if (positional.isEmpty()) {
        std::fprintf(stderr, "sup-call: no method given (see --help)\n");
        return 2;
    }
    const QString object = parser.value(QStringLiteral("object"));
    const MethodContract *contract = Protocol::find(object, positional.constFirst());
    if (parser.isSet(QStringLiteral("describe"))) {
        if (!contract) {
            std::fprintf(stderr, "sup-call: %s of %s is not in the protocol contract\n",
                         qPrintable(positional.constFirst()), qPrintable(object));
            return 2;
        }
        printLine(Protocol::referenceBlock(*contract));
        return 0;
    }
    QList<CallArgument> arguments;
    for (int i = 1; i < positional.size(); ++i) {
        CallArgument argument;
        QString error;
        if (!CallArguments::parse(positional.at(i), &argument, &error)) {
            std::fprintf(stderr, "sup-call: argument %d %s\n", i - 1, qPrintable(error));
            return 2;
        }
        arguments << argument;
    }
    bool ok = false;
    const int port = parser.value(QStringLiteral("port")).toInt(&ok);
    const int timeout = parser.value(QStringLiteral("timeout")).toInt();
    if (!ok || port <= 0 || port > 65535) {
        std::fprintf(stderr, "sup-call: --port expects a number from 1 to 65535\n");
        return 2;
    }

    NetCredentials credentials;
    credentials.operatorCode = parser.value(QStringLiteral("operator"));
    credentials.password = parser.isSet(QStringLiteral("password"))
        ? parser.value(QStringLiteral("password"))
        : QProcessEnvironment::systemEnvironment().value(QStringLiteral("SUP_PASSWORD"));
    credentials.branch = parser.value(QStringLiteral("branch"));
    credentials.client = QStringLiteral("sup-call");
    // One call and out: no session to come back to.
    credentials.useSessionToken = false;

    NetConnection connection;
    connection.setHost(parser.value(QStringLiteral("host")));
    connection.setPort(port);
    connection.setServerName(parser.value(QStringLiteral("object")));
    connection.setTimeoutMs(qMax(0, timeout) * 1000);
    connection.setCredentials(credentials);
    NetTransportSettings transport;
    transport.caFile = parser.value(QStringLiteral("ca-file"));
    transport.tls = parser.isSet(QStringLiteral("tls")) || !transport.caFile.isEmpty();
    connection.setTransport(transport);

    // The variables the by-reference arguments point at; sized once so they never move.
    QVariantList variables(arguments.size());
    QList<NetArg> netArgs;
    for (int i = 0; i < arguments.size(); ++i) {
        variables[i] = arguments.at(i).value;
        netArgs << (arguments.at(i).byRef ? NetArg::ref(variables[i]) : NetArg(arguments.at(i).value));
    }

    try {
        const QVariant result = connection.call(positional.constFirst(), netArgs);
        printValue(QStringLiteral("result"), result);
        for (int i = 0; i < arguments.size(); ++i) {
            if (arguments.at(i).byRef)
                printValue(QStringLiteral("ref %1").arg(i), variables.at(i));
        }
    } catch (const NetError &e) {
        std::fprintf(stderr, "error %s: %s\n", qPrintable(e.code()), qPrintable(e.message()));
        return e.code() == QLatin1String("network") || e.code() == QLatin1String("tls") ? 3 : 1;
    }
    connection.close();
    return 0;
}
