#pragma once

#include "QuotationItemChanges.h"

#include <QString>

class Database;

// The rules every write to a quotation's items shares (quantities to buy, payment terms,
// readjustment, best prices, observations): the quotation exists, the operator may handle
// its buyer's quotations, and a concluded quotation's items stay as they are where the
// branch's quotations carry a situation.
namespace ItemWriteRules {

struct Target
{
    QuotationItemChanges::Quotation quotation;
    QString central;  // the quotation's central purchasing branch
};

// Empty when operatorCode (stored code) may change the items of the quotation, with target
// filled; else the refusal text.  Codes at their stored width.
QString refusal(Database &db, const QString &operatorCode, const QString &branch, const QString &number,
                Target *target);

// "1234,50000": a price as the change texts show it, five decimals and a comma.
QString priceText(double value);

} // namespace ItemWriteRules
