#pragma once

#include <QString>

struct PriceSheet;

// Writes a supplier price sheet as an XLSX workbook: the header block with the branch,
// quotation, validity, buyer and supplier, one line per item with its region, product,
// unit, brand and quantity to buy, and the unit price (pre-filled with the current price
// when there is one) and observation cells for the supplier.  The sheet is protected:
// every cell is locked but the price and observation cells; prices carry a number format
// with five decimals; the hidden last column holds each line's key (PriceSheetKey).
class PriceSheetWriter
{
public:
    // False with the reason in error when the file cannot be written.
    static bool writeXlsx(const PriceSheet &sheet, const QString &path, QString *error);
};
