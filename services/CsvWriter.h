#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

// Text of a CSV file as the buyers' spreadsheets read it in pt-BR: fields separated by a
// semicolon, numbers with a decimal comma and no thousands separators, dates as
// dd/MM/yyyy, lines ended by CR LF.  A field holding a semicolon, a quote, a line break or
// blanks at its ends is quoted, its quotes doubled; a text that a spreadsheet would take
// for a formula (starting with =, +, -, @ or a tab) starts with an apostrophe, so opening
// the file never runs what someone typed into an observation.
class CsvWriter
{
public:
    static QString field(const QString &text);
    // The text quoted when it needs to be, without the apostrophe guard: for values a
    // program wrote as a spreadsheet would (a price typed as "-1,5" stays a number).
    static QString quoted(const QString &text);
    // A field read back from a file this writer made: the guarding apostrophe removed.
    static QString unguarded(const QString &text);
    static QString number(double value, int decimals);
    static QString date(const QDate &date);
    // One line of fields already made (field(), number(), date()), with its line end.
    static QString line(const QStringList &fields);
};
