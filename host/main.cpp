// sup-host: logs the operator in, shows the main window with its MDI area and opens
// modules on demand.  For scripted runs everything the login asks can come from the
// command line (the password from SUP_PASSWORD), --module opens a module at start and
// --screenshot saves the main window once it settled, then ends the program.
#include "HostApplication.h"
#include "HostOptions.h"
#include "LoginDialog.h"
#include "MainWindow.h"
#include "MessageHookFilter.h"
#include "ModuleLoader.h"
#include "ScreenshotTaker.h"

#include "Corvane.h"
#include "NetTransport.h"
#include "QtUserInterface.h"
#include "UserInterface.h"

#include <QFileInfo>
#include <QSettings>
#include <QTimer>

#include <cstdio>
#include <memory>

namespace {

Corvane::LoginInfo savedLogin()
{
    QSettings settings;
    Corvane::LoginInfo info;
    info.serverHost = settings.value(QStringLiteral("login/server"), info.serverHost).toString();
    info.serverPort = settings.value(QStringLiteral("login/port"), info.serverPort).toInt();
    info.branch = settings.value(QStringLiteral("login/branch")).toString();
    info.operatorCode = settings.value(QStringLiteral("login/operator")).toString();
    info.database = settings.value(QStringLiteral("login/database")).toString();
    Corvane::parseLookups(settings.value(QStringLiteral("login/lookups")).toString(), &info.lookups);
    return info;
}

// TLS to the server: as saved (or as the administrator set it for every user of the
// machine), with the command line over it.
NetTransportSettings transportFromOptions(const HostOptions &options)
{
    QSettings settings;
    NetTransportSettings transport;
    transport.tls = settings.value(QStringLiteral("login/tls"), false).toBool();
    transport.caFile = settings.value(QStringLiteral("login/ca-file")).toString();
    if (options.tls) {
        transport.tls = true;
        if (!options.caFile.isEmpty())
            transport.caFile = options.caFile;
    }
    return transport;
}

void saveTransport(const NetTransportSettings &transport)
{
    QSettings settings;
    settings.setValue(QStringLiteral("login/tls"), transport.tls);
    settings.setValue(QStringLiteral("login/ca-file"), transport.caFile);
}

void saveLogin(const Corvane::LoginInfo &info)
{
    QSettings settings;
    settings.setValue(QStringLiteral("login/server"), info.serverHost);
    settings.setValue(QStringLiteral("login/port"), info.serverPort);
    settings.setValue(QStringLiteral("login/branch"), info.branch);
    settings.setValue(QStringLiteral("login/operator"), info.operatorCode);
    settings.setValue(QStringLiteral("login/database"), info.database);
    settings.setValue(QStringLiteral("login/lookups"), info.lookups == Corvane::Lookups::Automatic
                                                           ? QString()
                                                           : Corvane::lookupsName(info.lookups));
}

Corvane::LoginInfo loginFromOptions(const HostOptions &options)
{
    Corvane::LoginInfo info = savedLogin();
    if (!options.server.isEmpty())
        info.serverHost = options.server;
    if (options.port > 0)
        info.serverPort = options.port;
    if (!options.branch.isEmpty())
        info.branch = options.branch;
    if (!options.operatorCode.isEmpty())
        info.operatorCode = options.operatorCode;
    if (!options.database.isEmpty())
        info.database = options.database;
    if (!options.lookups.isEmpty())
        Corvane::parseLookups(options.lookups, &info.lookups);
    info.password = options.password;
    return info;
}

} // namespace

int main(int argc, char **argv)
{
    HostApplication app(argc, argv);

    HostOptions options;
    QString error;
    if (!options.parse(app.arguments(), QProcessEnvironment::systemEnvironment(), &error)) {
        std::fprintf(stderr, "sup-host: %s\n%s", qPrintable(error), qPrintable(HostOptions::usage()));
        return 2;
    }

    QtUserInterface userInterface;
    setUserInterface(&userInterface);

    MessageHookFilter messageHook;
    app.installEventFilter(&messageHook);

    ModuleLoader loader(QCoreApplication::applicationDirPath());
    Corvane::LoginInfo login = loginFromOptions(options);
    const NetTransportSettings transport = transportFromOptions(options);
    NetTransport::setDefaults(transport);
    const QString lookupsProblem = Corvane::lookupsProblem(login.lookups, login.database);
    if (!lookupsProblem.isEmpty()) {
        std::fprintf(stderr, "sup-host: %s\n", qPrintable(lookupsProblem));
        return 2;
    }

    // A scripted run logs in directly and ends when the server refuses; otherwise the
    // login dialog asks (and shows why a try failed).
    bool loggedIn = false;
    if (options.canLogInDirectly()) {
        try {
            Corvane::openSession(login);
            loggedIn = true;
        } catch (const std::exception &e) {
            const QString reason = LoginDialog::failureText(login, e);
            if (!options.screenshot.isEmpty()) {
                std::fprintf(stderr, "sup-host: %s\n", qPrintable(reason));
                return 1;
            }
            std::fprintf(stderr, "sup-host: %s\n", qPrintable(reason));
        }
    }
    if (!loggedIn) {
        LoginDialog dialog;
        dialog.setLoginInfo(login);
        std::unique_ptr<ScreenshotTaker> loginShot;
        if (!options.screenshot.isEmpty()) {
            // Nothing was given to log in with: the picture shows the login dialog, which
            // the picture's taking then closes.
            loginShot = std::make_unique<ScreenshotTaker>(&dialog, options.screenshot);
            loginShot->setReady();
            loginShot->start();
        }
        if (dialog.exec() != QDialog::Accepted)
            return loginShot && QFileInfo::exists(options.screenshot) ? 0 : 1;
        login = dialog.loginInfo();
    }
    saveLogin(login);
    saveTransport(transport);
    // The session holds a token from now on; the password is not kept in the process.
    login.password.fill(QChar(u'\0'));
    login.password.clear();
    options.password.fill(QChar(u'\0'));
    options.password.clear();

    int result = 0;
    {
        MainWindow window(&loader);
        window.show();

        std::unique_ptr<ScreenshotTaker> shot;
        if (!options.screenshot.isEmpty()) {
            shot = std::make_unique<ScreenshotTaker>(&window, options.screenshot);
            shot->setClicks(options.clicks);
            QObject::connect(shot.get(), &ScreenshotTaker::finished, &app,
                             [](bool saved) { QCoreApplication::exit(saved ? 0 : 1); });
            shot->start();
        }
        QTimer::singleShot(0, &window, [&] {
            if (!options.module.isEmpty())
                window.openModule(options.module);
            if (shot)
                shot->setReady();
        });

        result = app.exec();
        window.close();
    }
    loader.unloadAll();
    Corvane::closeSession();
    setUserInterface(nullptr);
    return result;
}
