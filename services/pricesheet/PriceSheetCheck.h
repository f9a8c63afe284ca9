#pragma once

#include "DataPacket.h"

#include <QList>
#include <QString>
#include <QVariant>

#include <functional>
#include <optional>

struct PriceSheet;

// What reading a filled sheet back does with one of its lines.
struct PriceSheetEntry
{
    enum Status { Accepted, Unchanged, Refused };
    enum Reason {
        NoReason,
        OtherQuotation,   // detail: the sheet's quotation
        OtherSupplier,    // detail: the sheet's supplier
        UnknownItem,
        BadKey,
        Repeated,
        NotANumber,       // detail: the text
        FormulaPrice,
        ErrorCell,        // detail: the error code
        NegativePrice,
        ChangedOnServer,  // detail: the current price
        FailsChecks,
    };

    int line = 0;
    QString region;
    QString treeCode;
    QString product;                    // CDPRODUTO, known for an item of the quotation
    QString productName;
    QString brand;
    double oldPrice = 0;                // as stored now (0 for an unknown item)
    std::optional<double> newPrice;     // as the sheet brings it, five decimals
    Status status = Unchanged;
    Reason reason = NoReason;
    QString detail;
    int item = -1;                      // row of the supplier's items, -1 when unknown
};

// Checks the lines of a filled sheet against the supplier's items as the server holds
// them now (GetItensForn) and turns the accepted prices into the changes SetItemCole
// stores, as if the buyer had keyed them:
//  - a sheet of another quotation refuses all its lines, a line whose key names another
//    quotation or supplier, or no item of the quotation, is refused, as is a second line
//    of the same item;
//  - an empty price cell changes nothing; a formula, an error, a text that is not a
//    number or a negative price is refused;
//  - a price equal to the stored one, or to the one the sheet was written with, changes
//    nothing; any other price is refused when the item changed on the server since the
//    sheet was written (its price or last change differs from the line's stamp), so a
//    later change of another buyer is never overwritten unseen;
//  - every other price is accepted.
class PriceSheetCheck
{
public:
    // items: the layout "ItensForn" for branch, number and supplier.
    PriceSheetCheck(const QString &branch, const QString &number, const QString &supplier, DataPacket items);

    QList<PriceSheetEntry> check(const PriceSheet &sheet) const;

    // The accepted lines as ValidaDados takes them.
    DataPacket validationItems(const QList<PriceSheetEntry> &entries) const;
    // Refuses the accepted lines whose item the validation answered (layout "ErrosCota").
    static void refuseFailing(QList<PriceSheetEntry> &entries, const DataPacket &errors);

    using ChangeText = std::function<QString(double oldPrice, double newPrice)>;
    // The item delta of the accepted lines: each item from its values as stored now to the
    // new price, with the justification and the change text of its line.
    DataPacket itemDelta(const QList<PriceSheetEntry> &entries, const QString &justification,
                         const ChangeText &changeText) const;
    // The header delta that marks the quotation's prices as received by file (origin
    // "E"), or null when it already is or the supplier has no items.
    QVariant headerDelta() const;

    static int count(const QList<PriceSheetEntry> &entries, PriceSheetEntry::Status status);

private:
    QString itemKey(int row) const;
    QVariant value(int row, int field) const { return m_items.rows().at(row).value(field); }

    QString m_branch;
    QString m_number;
    QString m_supplier;
    DataPacket m_items;
    QHash<QString, int> m_byKey;
    int m_region, m_supplierAt, m_product, m_brand, m_tree, m_name, m_price, m_just, m_text, m_changed, m_origin;
};
