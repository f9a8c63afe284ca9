#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

// One argument typed on sup-call's command line.
struct CallArgument
{
    QVariant value;
    bool byRef = false;
};

// Reading arguments and printing values for sup-call.
//   s:TEXT  i:INTEGER  f:NUMBER  b:true|false  d:YYYY-MM-DD  t:YYYY-MM-DDTHH:MM:SS  null
//   ref:<any of these>  (by reference: its value after the call is printed)
// Without a prefix, "null", "true", "false", a date and a date-time are recognised; anything
// else is text (so codes such as "0001" stay text: numbers need i: or f:).
namespace CallArguments {

bool parse(const QString &text, CallArgument *argument, QString *error);

// A value as one line of text: text in double quotes, dates ISO, packets summarised.
QString formatValue(const QVariant &value);

// A data packet as an aligned table: a header of field names, one line per row (a delta
// adds the change kind first), then the row count.
QStringList formatPacket(const QVariant &packet);

} // namespace CallArguments
