#pragma once

#include <QEvent>
#include <QObject>
#include <QSqlDatabase>
#include <QString>
#include <QVariant>

#include <functional>

class NetConnection;

// The session of the logged operator, shared by the host and every module it loads (one
// copy in the process: this library is shared).  The host fills it at login; forms read
// it through these functions under their system names.
namespace Corvane {

// Where the query component runs the package's read-only look-ups:
//   Server     through the application server, which runs the package's own named texts
//              read-only on its database: the desktop needs nothing but the server's
//              address, and the session opens no database;
//   Direct     on the procurement database the session opens itself (LoginInfo::database);
//   Automatic  Direct when a database is given, else Server.
enum class Lookups { Automatic, Server, Direct };

// "server", "direct", "" or "auto" (Automatic); false for anything else.
bool parseLookups(const QString &text, Lookups *mode);
QString lookupsName(Lookups mode);
// Why a login cannot run its look-ups (direct ones without a database), or empty.
QString lookupsProblem(Lookups mode, const QString &database);

struct LoginInfo
{
    QString serverHost = QStringLiteral("127.0.0.1");
    int serverPort = 7205;
    QString branch;          // CDFILIAL
    QString operatorCode;    // CDOPERADOR as typed; padded to 12
    QString password;
    // The procurement database the query component reads: "sqlite:/path/file.db" or
    // "postgres:host=...;port=...;dbname=...;user=...;password=..."
    QString database;
    Lookups lookups = Lookups::Automatic;
};

// Logs in at the application server (raises NetError when refused or unreachable),
// keeps the credentials for the module's own connections, reads the operator's name and,
// for direct look-ups, opens the procurement database for queries (direct look-ups without
// a database: a session whose queries refuse to run).  Raises std::runtime_error when the
// database cannot be opened.
void openSession(const LoginInfo &login);
void closeSession();
bool sessionOpen();

QString Operador();       // logged operator code (12 characters)
QString NomeOperador();   // its name
QString FiliProc();       // logged branch (4 characters)
QString WebURL();         // application server host
int WebPort();            // application server port
// Display pictures of the installation: 0 is the mask of the product-tree code CDARVPROD.
QString DBPict(int kind);

// The procurement database of the session (the connection the query component uses in
// direct mode; not open in server mode).
QSqlDatabase database();

// How this session runs look-ups: Server or Direct (never Automatic once a session is
// open; Direct without a session, so a program without a login uses its own database).
Lookups lookupMode();
// The session's connection to "Sup.rdmSuprimentos" that look-ups run through in server
// mode; opened on first use, closed with the session.
NetConnection &lookupConnection();

// Opens another module of the host ("SUP07000", "SUP01802", "SUP01803") with its
// parameters.  The host installs the loader; without one the call raises.
void LoadBPL(const QString &module, const QVariantList &params);
using ModuleLoader = std::function<void(const QString &module, const QVariantList &params)>;
void setModuleLoader(ModuleLoader loader);

// The message hook: the host passes every application event to MsgEventForm; the active
// module form registers its handler while it is active and clears it when it leaves.
using MessageHandler = std::function<void(QObject *receiver, QEvent *event)>;
void setMsgEventForm(MessageHandler handler);
void clearMsgEventForm();
bool hasMsgEventForm();
void MsgEventForm(QObject *receiver, QEvent *event);

} // namespace Corvane

// The host's windows, set by the host when its main window is built and cleared before
// it goes (null in a program without them): module forms become child windows of the
// MDI area, and the main window owns what a module shows over it.
class QMdiArea;
class QWidget;

namespace Corvane {

void setMdiArea(QMdiArea *area);
QMdiArea *mdiArea();
void setMainWindow(QWidget *window);
QWidget *mainWindow();

} // namespace Corvane
