#include "ServerOptions.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QSettings>

#include <memory>

namespace {

struct OptionSource
{
    const QCommandLineParser &parser;
    const QSettings *settings;

    bool has(const QString &key) const
    {
        return parser.isSet(key) || (settings && settings->contains(key));
    }
    QString value(const QString &key, const QString &fallback = {}) const
    {
        if (parser.isSet(key))
            return parser.value(key);
        if (settings && settings->contains(key))
            return settings->value(key).toString();
        return fallback;
    }
};

bool toNumber(const QString &text, qint64 min, qint64 max, qint64 *out)
{
    bool ok = false;
    const qint64 n = text.trimmed().toLongLong(&ok);
    if (!ok || n < min || n > max)
        return false;
    *out = n;
    return true;
}

// "--init-demo" takes an optional size; QCommandLineParser wants a value, so a bare
// "--init-demo" becomes "--init-demo=small".
QStringList expandDemoOption(const QStringList &arguments)
{
    QStringList out;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString &a = arguments.at(i);
        if (a == QLatin1String("--init-demo")) {
            const QString next = i + 1 < arguments.size() ? arguments.at(i + 1) : QString();
            if (next == QLatin1String("small") || next == QLatin1String("large")) {
                out << QStringLiteral("--init-demo=") + next;
                ++i;
            } else {
                out << QStringLiteral("--init-demo=small");
            }
        } else {
            out << a;
        }
    }
    return out;
}

} // namespace

bool ServerOptions::parse(const QStringList &arguments, QString *error, bool *helpShown)
{
    if (helpShown)
        *helpShown = false;
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("The procurement application server."));
    parser.addHelpOption();
    parser.addOptions({
        {QStringLiteral("config"), QStringLiteral("Read options from the INI file FILE."), QStringLiteral("FILE")},
        {QStringLiteral("listen"), QStringLiteral("Listen on address ADDR (default: 127.0.0.1, loopback only)."), QStringLiteral("ADDR")},
        {QStringLiteral("port"), QStringLiteral("Listen on port N (default 7205; 0: any free port)."), QStringLiteral("N")},
        {QStringLiteral("database"), QStringLiteral("sqlite:PATH, or postgres (with the --pg-* options)."), QStringLiteral("DB")},
        {QStringLiteral("pg-host"), QStringLiteral("PostgreSQL host or socket folder."), QStringLiteral("HOST")},
        {QStringLiteral("pg-port"), QStringLiteral("PostgreSQL port (default 5432)."), QStringLiteral("N")},
        {QStringLiteral("pg-db"), QStringLiteral("PostgreSQL database name."), QStringLiteral("NAME")},
        {QStringLiteral("pg-user"), QStringLiteral("PostgreSQL user."), QStringLiteral("USER")},
        {QStringLiteral("pg-password"), QStringLiteral("PostgreSQL password."), QStringLiteral("PASSWORD")},
        {QStringLiteral("max-frame"), QStringLiteral("Largest frame accepted, in bytes (default 64 MiB)."), QStringLiteral("BYTES")},
        {QStringLiteral("workers"), QStringLiteral("Worker threads, one database connection each (default 4)."), QStringLiteral("N")},
        {QStringLiteral("token-idle-minutes"), QStringLiteral("A session token unused this long is refused (default 480)."), QStringLiteral("N")},
        {QStringLiteral("login-delay-max-ms"), QStringLiteral("Longest delay after failed logins (default 30000)."), QStringLiteral("MS")},
        {QStringLiteral("log-level"), QStringLiteral("debug, info (default), warning or error."), QStringLiteral("LEVEL")},
        {QStringLiteral("log-file"), QStringLiteral("Also append the log to FILE."), QStringLiteral("FILE")},
        {QStringLiteral("init-demo"), QStringLiteral("Fill an empty database with demo data (small or large)."), QStringLiteral("SIZE")},
        {QStringLiteral("tls-cert"), QStringLiteral("Speak TLS with the certificate (and chain) of the PEM file FILE."), QStringLiteral("FILE")},
        {QStringLiteral("tls-key"), QStringLiteral("The private key (PEM) of the TLS certificate."), QStringLiteral("FILE")},
        {QStringLiteral("allow-plain"), QStringLiteral("Accept unencrypted connections on an address other than loopback.")},
        {QStringLiteral("backup"), QStringLiteral("Copy the SQLite database, consistently even while a server uses it, "
                                                  "to FILE and exit."), QStringLiteral("FILE")},
    });
    if (!parser.parse(expandDemoOption(arguments))) {
        *error = parser.errorText();
        return false;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        *error = parser.helpText();
        if (helpShown)
            *helpShown = true;
        return false;
    }
    if (!parser.positionalArguments().isEmpty()) {
        *error = QStringLiteral("unexpected argument \"%1\"").arg(parser.positionalArguments().constFirst());
        return false;
    }

    std::unique_ptr<QSettings> settings;
    if (parser.isSet(QStringLiteral("config"))) {
        const QString path = parser.value(QStringLiteral("config"));
        if (!QFileInfo(path).isReadable()) {
            *error = QStringLiteral("cannot read the configuration file %1").arg(path);
            return false;
        }
        settings = std::make_unique<QSettings>(path, QSettings::IniFormat);
        if (settings->status() != QSettings::NoError) {
            *error = QStringLiteral("the configuration file %1 is not a valid INI file").arg(path);
            return false;
        }
    }
    const OptionSource source{parser, settings.get()};

    if (source.has(QStringLiteral("listen"))) {
        const QString text = source.value(QStringLiteral("listen"));
        QHostAddress address;
        if (text == QLatin1String("localhost"))
            address = QHostAddress::LocalHost;
        else if (text == QLatin1String("any") || text == QLatin1String("*"))
            address = QHostAddress::Any;
        else if (!address.setAddress(text)) {
            *error = QStringLiteral("listen: \"%1\" is not an IP address").arg(text);
            return false;
        }
        server.address = address;
    }
    qint64 n = 0;
    if (source.has(QStringLiteral("port"))) {
        if (!toNumber(source.value(QStringLiteral("port")), 0, 65535, &n)) {
            *error = QStringLiteral("port: expected a number from 0 to 65535");
            return false;
        }
        server.port = quint16(n);
    } else {
        server.port = kDefaultPort;
    }
    if (source.has(QStringLiteral("max-frame"))) {
        if (!toNumber(source.value(QStringLiteral("max-frame")), 16, qint64(1) << 31, &n)) {
            *error = QStringLiteral("max-frame: expected a number of bytes from 16 to 2147483648");
            return false;
        }
        server.maxFrame = n;
    }
    if (source.has(QStringLiteral("workers"))) {
        if (!toNumber(source.value(QStringLiteral("workers")), 1, 256, &n)) {
            *error = QStringLiteral("workers: expected a number from 1 to 256");
            return false;
        }
        server.workers = int(n);
    }

    if (source.has(QStringLiteral("token-idle-minutes"))) {
        if (!toNumber(source.value(QStringLiteral("token-idle-minutes")), 1, 60 * 24 * 366, &n)) {
            *error = QStringLiteral("token-idle-minutes: expected a number from 1 to 527040");
            return false;
        }
        server.tokenIdleMinutes = int(n);
    }
    if (source.has(QStringLiteral("login-delay-max-ms"))) {
        if (!toNumber(source.value(QStringLiteral("login-delay-max-ms")), 0, 3600000, &n)) {
            *error = QStringLiteral("login-delay-max-ms: expected a number from 0 to 3600000");
            return false;
        }
        server.loginDelayMaxMs = int(n);
    }

    const QString database = source.value(QStringLiteral("database"), QStringLiteral("sqlite:sup.db"));
    DatabaseConfig &db = server.database;
    if (database.startsWith(QLatin1String("sqlite:"))) {
        db.engine = DatabaseConfig::Engine::SQLite;
        db.path = database.mid(7);
        if (db.path.isEmpty()) {
            *error = QStringLiteral("database: sqlite: needs a file path");
            return false;
        }
    } else if (database == QLatin1String("postgres") || database == QLatin1String("postgresql")) {
        db.engine = DatabaseConfig::Engine::PostgreSQL;
        db.host = source.value(QStringLiteral("pg-host"), QStringLiteral("localhost"));
        if (source.has(QStringLiteral("pg-port"))) {
            if (!toNumber(source.value(QStringLiteral("pg-port")), 1, 65535, &n)) {
                *error = QStringLiteral("pg-port: expected a number from 1 to 65535");
                return false;
            }
            db.port = int(n);
        }
        db.name = source.value(QStringLiteral("pg-db"), QStringLiteral("sup"));
        db.user = source.value(QStringLiteral("pg-user"));
        db.password = source.value(QStringLiteral("pg-password"));
    } else {
        *error = QStringLiteral("database: expected sqlite:PATH or postgres, got \"%1\"").arg(database);
        return false;
    }

    server.tlsCertificate = source.value(QStringLiteral("tls-cert"));
    server.tlsKey = source.value(QStringLiteral("tls-key"));
    if (server.tlsCertificate.isEmpty() != server.tlsKey.isEmpty()) {
        *error = QStringLiteral("tls-cert and tls-key go together: give both or neither");
        return false;
    }
    if (parser.isSet(QStringLiteral("allow-plain"))) {
        server.allowPlain = true;
    } else if (settings && settings->contains(QStringLiteral("allow-plain"))) {
        const QString flag = settings->value(QStringLiteral("allow-plain")).toString().trimmed().toLower();
        if (flag == u"true" || flag == u"yes" || flag == u"1")
            server.allowPlain = true;
        else if (flag != u"false" && flag != u"no" && flag != u"0") {
            *error = QStringLiteral("allow-plain: expected true or false, got \"%1\"").arg(flag);
            return false;
        }
    }
    backupFile = parser.value(QStringLiteral("backup"));
    if (parser.isSet(QStringLiteral("backup"))) {
        if (backupFile.isEmpty()) {
            *error = QStringLiteral("backup: needs a file name");
            return false;
        }
        if (db.engine != DatabaseConfig::Engine::SQLite) {
            *error = QStringLiteral("backup: only an SQLite database is copied by sup-server; "
                                    "back up PostgreSQL with pg_dump");
            return false;
        }
    }

    logLevel = source.value(QStringLiteral("log-level"), QStringLiteral("info"));
    logFile = source.value(QStringLiteral("log-file"));
    if (source.has(QStringLiteral("init-demo"))) {
        demoSize = source.value(QStringLiteral("init-demo")).toLower();
        if (demoSize.isEmpty() || demoSize == QLatin1String("true"))
            demoSize = QStringLiteral("small");
        if (demoSize != QLatin1String("small") && demoSize != QLatin1String("large")) {
            *error = QStringLiteral("init-demo: expected small or large, got \"%1\"").arg(demoSize);
            return false;
        }
    }
    return true;
}
