#pragma once

#include "ServerError.h"
#include "Session.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QVariant>

#include <functional>

class Database;

// The declared type of a method argument.  A call whose argument does not match gets an
// "arguments" error naming the position and the expected type.  Null is accepted for
// every type except where `nullable` is false; Variant accepts anything.
enum class ArgType { Variant, String, Integer, Float, Boolean, Date, DateTime, Packet, Array };

struct ArgSpec
{
    QString name;          // for error messages and docs ("P_CDFILIAL")
    ArgType type = ArgType::Variant;
    bool byRef = false;    // its value after the call travels back in "refs"
    bool nullable = true;
};

// What a method sees: the session, its worker's database and the arguments, which it
// may change in place (by-reference arguments).
struct CallContext
{
    const Session &session;
    Database &db;
    QVariantList &args;
};

using MethodFn = std::function<QVariant(CallContext &)>;

struct MethodDecl
{
    QString object;        // "Sup05200.rdmGridCotaPrec"
    QString name;          // "GetColetaPr"
    QList<ArgSpec> args;
    MethodFn fn;
    // Positions of arguments that carry the logged operator; each must equal the
    // session's operator (after padding), else the call is refused with "auth".
    QList<int> operatorArgs;
};

// The registry of server objects and their methods.  Filled once at start, then read
// concurrently by every worker (no writes after start).
class MethodTable
{
public:
    void add(MethodDecl decl);
    bool hasObject(const QString &object) const;
    const MethodDecl *find(const QString &object, const QString &method) const;
    QList<const MethodDecl *> methods() const;

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

inline const QString kGridCotaPrecObject = QStringLiteral("Sup05200.rdmGridCotaPrec");
inline const QString kSuprimentosObject = QStringLiteral("Sup.rdmSuprimentos");
