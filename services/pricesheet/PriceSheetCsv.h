#pragma once

#include <QByteArray>
#include <QString>

struct PriceSheet;

// The CSV form of a supplier price sheet, for suppliers without a spreadsheet program that
// reads XLSX: the same header block, column titles and lines as the workbook, fields
// separated by semicolons, numbers with a decimal comma, UTF-8 with a byte-order mark, as
// spreadsheet programs set up for Brazil read and write it; texts are written by CsvWriter
// (quoted when needed, guarded against being taken for formulas).
class PriceSheetCsv
{
public:
    static QByteArray write(const PriceSheet &sheet);
    static bool writeFile(const PriceSheet &sheet, const QString &path, QString *error);

    // Reads a sheet back (with or without the byte-order mark); prices stay as the text
    // the supplier wrote (PriceCell::Text, or Number for what reads as a number).
    static bool read(const QByteArray &bytes, PriceSheet *sheet, QString *error);
    static bool readFile(const QString &path, PriceSheet *sheet, QString *error);

    // The records of a CSV text: fields split on semicolons, quotes resolved, line breaks
    // inside quoted fields kept.
    static QList<QStringList> records(const QString &text);
};
