#pragma once

#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

// The hidden key of one row of a supplier price sheet: the item it quotes and the stamp of
// the item as stored when the sheet was written (its price and last change), so that a
// filled sheet is stored only on the item it was written for, and only while nobody
// changed that item in between.  Written in the sheet as one text of fields joined by '|'.
struct PriceSheetKey
{
    QString branch;
    QString number;
    QString region;
    QString supplier;
    QString product;
    QString brand;
    QString stamp;

    // The stamp of an item: its stored price and the moment of its last change.
    static QString stampOf(double price, const QDateTime &lastChange);

    QString text() const;
    // Nothing when the text is not a key this system wrote.
    static std::optional<PriceSheetKey> parse(const QString &text);
    // The item's key without the stamp, codes trimmed, for look-ups.
    QString itemText() const;
};

// The contents of a cell the supplier fills, as read back.
struct PriceCell
{
    enum Kind { Empty, Number, Text, Formula, Error };
    Kind kind = Empty;
    double value = 0;   // Number
    QString text;       // Text (as typed), Formula (the formula), Error (the error code)
};

// One row of a supplier price sheet: one item (region, product and brand) of the
// quotation for the sheet's supplier.
struct PriceSheetRow
{
    QString key;             // PriceSheetKey::text(), hidden in the sheet
    QString region;
    QString regionName;
    QString treeCode;        // CDARVPROD, as buyers and suppliers know the product
    QString productName;
    QString unit;
    QString brand;
    QString brandName;
    double quantity = 0;     // quantity to buy
    PriceCell price;         // written: Number when there is a current price, else Empty
    QString observation;     // the supplier's remark
    int line = 0;            // sheet line, 1-based (filled when read)
};

// A supplier price sheet: the quotation and supplier it was written for, and its rows.
struct PriceSheet
{
    QString branch;
    QString branchName;
    QString number;
    QString validity;        // as shown: "dd/MM/yyyy a dd/MM/yyyy"
    QString buyer;
    QString supplier;
    QString supplierName;
    QList<PriceSheetRow> rows;

    // File name of the sheet: quotation number and supplier, safe on every file system.
    QString fileName(const QString &suffix) const;
};

// A price as the supplier wrote it in a text ("12,5", "1.234,56789", "12.5"): Brazilian
// decimal comma, dots as thousands separators when a comma is present; nothing when it
// is not a number.
std::optional<double> parsePriceText(const QString &text);
