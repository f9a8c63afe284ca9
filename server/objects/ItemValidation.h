#pragma once

#include <QDate>
#include <QList>
#include <QString>

class Database;

// The eight checks a quotation item must pass before it is stored, as ValidaDados
// answers them to the workspace and SetItemCole applies them again to the rows it
// stores.  An item is looked at by its region, supplier, product and brand only.
class ItemValidation
{
public:
    // The checks, in the order of the positions of the flag string (IDERRO).
    enum Check {
        BrandQualification,   // the product's brand is not qualified, or no longer at the collection date
        ProductQualification, // the product is not qualified for the supplier, or no longer
        ServesRegion,         // the supplier does not serve the region
        RegionalBranch,       // no regional branch of the region negotiates the product
        CorporateBranch,      // the central (corporate) branch does not negotiate the product
        ProductRegistered,    // the product is not registered for the supplier
        BrandRegistered,      // the brand is not registered for the product
        EanRegistered,        // the product/brand has no EAN code
        CheckCount
    };

    // Codes at their stored width; an empty code matches nothing.
    struct Item
    {
        QString region;
        QString supplier;
        QString product;
        QString brand;
    };

    struct Failure
    {
        int index = 0;  // position of the item in the list checked
        QString flags;  // one 'S' (failed) or 'N' per check, in Check order
    };

    // The items that fail a check, in list order, under the rules of centralBranch at
    // the collection date.  Every item is looked at by one statement, whatever their
    // number.
    static QList<Failure> failures(Database &db, const QString &centralBranch, const QDate &collection,
                                   const QList<Item> &items);

    // The server's text of the check at a flag position (Check order).
    static QString checkText(int check);
};
