#pragma once

#include "ProtocolContract.h"
#include "ServerError.h"
#include "Session.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>

class Database;
class LoginThrottle;

// What a method sees: the session (which it may change: ConfSenha records a
// confirmation there), its worker's database, the method's contract and the arguments,
// which it reads and changes (by-reference arguments) by name.
struct CallContext
{
    Session &session;
    Database &db;
    const MethodContract &method;
    QVariantList &args;
    // The server's count of wrong passwords (null outside a server): a method that checks
    // a password counts its failures with the logins'.
    LoginThrottle *passwords = nullptr;
    // The reply waits this long on the connection's timer (a refused password), never
    // on the worker.
    int replyDelayMs = 0;

    // The argument named name; a name the method's contract does not declare is a
    // programming error of the method and throws std::logic_error.
    const QVariant &arg(const QString &name) const;
    QVariant &arg(const QString &name);
};

using MethodFn = std::function<QVariant(CallContext &)>;

// A method of the contract with the server's implementation.
struct MethodDecl
{
    MethodContract contract;
    MethodFn fn;

    const QString &object() const { return contract.object; }
    const QString &name() const { return contract.name; }
};

// The registry of server objects and their methods.  Filled once at start, then read
// concurrently by every worker (no writes after start).
class MethodTable
{
public:
    // Registers the implementation of a method of the contract; a method the contract
    // does not declare, or one implemented twice, throws std::logic_error at start.
    void implement(const QString &object, const QString &method, MethodFn fn);
    // Registers a method declared outside the protocol contract (test objects).
    void add(MethodContract contract, MethodFn fn);
    bool hasObject(const QString &object) const;
    const MethodDecl *find(const QString &object, const QString &method) const;
    QList<const MethodDecl *> methods() const;
    // The methods of the contract without an implementation ("Object.Method").
    QStringList unimplemented() const;

    // Checks count and types; returns an empty string when the arguments fit, else the
    // message of the "arguments" error.  Integers are accepted for Float arguments.
    // Positions count from 0, as the keys of "refs" do.
    static QString checkArguments(const MethodDecl &decl, const QVariantList &args);

    // After a successful check: gives every argument its declared kind, so a method
    // reads a double for a Float argument sent as an integer, a QDate for a Date argument
    // sent as a date-time (and the reverse), and an invalid QVariant for null.
    static void normalizeArguments(const MethodDecl &decl, QVariantList &args);

    // How a value is named in argument errors ("text", "date", "null" ...).
    static QString valueTypeName(const QVariant &value);

private:
    QHash<QString, QHash<QString, MethodDecl>> m_objects;
};

// Registered by server/objects: every method of "Sup05200.rdmGridCotaPrec" and
// "Sup.rdmSuprimentos".
void registerServerObjects(MethodTable &table);

inline const QString &kGridCotaPrecObject = Protocol::kGridCotaPrec;
inline const QString &kSuprimentosObject = Protocol::kSuprimentos;
