#pragma once

#include <QDateTime>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

// What a printed report says, without how it looks: a title and code, the company or
// branch it is about, the parameters it was asked with, a table (columns and rows, with
// group lines between them) and closing lines.  ReportRenderer lays it out on pages.
struct ReportColumn
{
    QString title;
    int width = 1;                               // share of the page width, relative to the others
    Qt::Alignment alignment = Qt::AlignLeft;
};

struct ReportRow
{
    enum class Kind {
        Detail, // one cell per column; long texts wrap inside their column
        Group   // one text across the whole width, in bold: the heading of the rows below it
    };
    Kind kind = Kind::Detail;
    QStringList cells;

    static ReportRow detail(const QStringList &cells) { return {Kind::Detail, cells}; }
    static ReportRow group(const QString &text) { return {Kind::Group, {text}}; }
};

struct ReportDocument
{
    QString title;                               // "Duplicação de Cotação"
    QString code;                                // the report's code, "SUP052"
    QString subject;                             // the branch (or company) the report is about
    QList<QPair<QString, QString>> parameters;   // label and value, on the first page
    QList<ReportColumn> columns;
    QList<ReportRow> rows;
    QString emptyText;                           // printed instead of the table when no row
    QStringList closing;                         // lines after the table ("3 cotações")
    QDateTime printedAt = QDateTime::currentDateTime();
};
