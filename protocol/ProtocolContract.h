#pragma once

#include "DataPacket.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

// The contract of the wire between the package (or any client) and sup-server: every
// server object's methods with their named, typed arguments and the field layout of the
// packets they return.  Both ends are built on it: the server registers its
// implementations against it and reads arguments by name; the typed clients of the
// package send arguments by name and get them ordered here.  A method's signature is
// written once, in the files of this library.

// The declared type of an argument.  A call whose argument does not match gets an
// "arguments" error naming the position and the expected type.  Variant accepts anything.
enum class ArgType { Variant, String, Integer, Float, Boolean, Date, DateTime, Packet, Array };

struct ArgDecl
{
    QString name;            // "CDFILIAL": the key a client and a method use
    ArgType type = ArgType::Variant;
    QString meaning;         // for the reference document ("central branch")
    bool byRef = false;      // its value after the call travels back in "refs"
    bool isOperator = false; // must be the session's operator, else "auth"
    bool nullable = true;    // null accepted (read as empty)
};

struct MethodContract
{
    QString object;          // "Sup05200.rdmGridCotaPrec"
    QString name;            // "GetColetaPr"
    QList<ArgDecl> args;     // in wire order
    QString resultPacket;    // name of the packet layout returned; empty when not a packet
    QString result;          // what the result is, for the reference document
    // The method only reads: a client may send it again when the connection dropped
    // before the answer.  A method that writes never is, since the server may have
    // stored it.  Set from Protocol::readOnlyMethods().
    bool readOnly = false;

    // Position of an argument on the wire; -1 when the method has no such argument.
    int indexOf(const QString &argName) const;
    const ArgDecl *arg(const QString &argName) const;
    QString qualifiedName() const { return object + QLatin1Char('.') + name; }
};

namespace Protocol {

inline const QString kGridCotaPrec = QStringLiteral("Sup05200.rdmGridCotaPrec");
inline const QString kSuprimentos = QStringLiteral("Sup.rdmSuprimentos");

// The methods that only read, by qualified name ("Sup05200.rdmGridCotaPrec.GetColetaPr").
const QStringList &readOnlyMethods();

// Every method of every server object, sorted by object then name.
const QList<MethodContract> &methods();
QStringList objects();

// nullptr when the object has no such method.
const MethodContract *find(const QString &object, const QString &method);
// As find(), for code that names a method it was built against: a name missing from
// the contract is a programming error and throws std::logic_error.
const MethodContract &method(const QString &object, const QString &method);

// The field layout of a packet a method returns (and a client dataset loads), by name
// ("Coletapr").  An unknown name throws std::logic_error.
const QList<FieldDef> &packetLayout(const QString &name);
QStringList packetLayoutNames();

// The positional argument list of the wire for a call given by name.  Every key of
// named must be an argument of the method (else std::invalid_argument naming it);
// arguments not given travel as null.
QVariantList positional(const MethodContract &method, const QVariantMap &named);
// The by-reference values of a reply ("refs", keyed by position) keyed by name.
QVariantMap namedRefs(const MethodContract &method, const QMap<qint64, QVariant> &refs);

// How a type is named in argument errors and in the reference ("text", "date" ...).
QString argTypeName(ArgType type);

// The reference block of a method as docs/server-methods.md carries it between the
// markers <!-- contract OBJECT.METHOD --> and <!-- /contract -->: the argument table
// and, for a packet, its fields.
QString referenceBlock(const MethodContract &method);

// document with every contract block rewritten from the contract.  problems receives a
// line for each method of the contract without a block and each block naming a method
// the contract does not have.
QString rewriteReference(const QString &document, QStringList *problems);

} // namespace Protocol
