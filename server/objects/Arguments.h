#pragma once

#include <QDate>
#include <QString>
#include <QVariant>

struct CallContext;

// Reading method arguments the way the package sends them: codes at their stored
// width, selection lists ("_code_code_" from the list search, or a single plain code),
// the all-mark "T", and blank meaning "all" where a method says so.
namespace Arguments {

// The text of the argument named name; "" for null.
QString text(const CallContext &ctx, const QString &name);

// The code of the argument padded to its stored width (padCode).
QString code(const CallContext &ctx, const QString &name, int width);

// As code(), but an empty code is refused with an "arguments" error naming what: the key
// of the argument's name in the message table ("Nome_Filial", ...).
QString requiredCode(const CallContext &ctx, const QString &name, int width, const QString &what);

// True when the value is the all-mark "T" (any case, blanks around ignored).
bool isAllMark(const QVariant &value);

// A selection list in canonical form: every code padded to width, each between
// underscores ("_001_007_").  Empty when the list holds no code.
QString canonicalList(const QVariant &list, int width);

// The date of the argument (a date or a date-time); invalid for null.
QDate date(const CallContext &ctx, const QString &name);

} // namespace Arguments
