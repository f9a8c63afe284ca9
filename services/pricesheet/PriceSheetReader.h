#pragma once

#include <QString>

struct PriceSheet;

// Reads a filled supplier price sheet back: an XLSX workbook (its first worksheet, read
// with QuaZip and Qt's XML stream reader) or, for a ".csv" file, the CSV form
// (PriceSheetCsv).  The header values are taken by their labels, the item lines by their
// hidden keys; lines without a key (totals or notes a supplier added) are skipped, lines
// whose key cell holds something that is not a key are kept with an empty key so that
// they are refused rather than ignored.  Price cells keep what the supplier put there:
// a number, a text, a formula or an error (PriceCell).  Never throws: a file that is not
// a readable sheet gives false and the reason.
class PriceSheetReader
{
public:
    static bool read(const QString &path, PriceSheet *sheet, QString *error);
    static bool readXlsx(const QString &path, PriceSheet *sheet, QString *error);
    // The branch and supplier header lines show "code - name": splits them.
    static void splitCodeAndName(PriceSheet *sheet);
};
