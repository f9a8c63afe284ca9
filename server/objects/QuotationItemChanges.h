#pragma once

#include "DataPacket.h"

#include <QDate>
#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>
#include <QVariant>

#include <vector>

class Database;

// Stores the item delta of the product/brand grid (SetItemCole's second argument) in the
// items of one quotation, with its replication to other regions and suppliers, its
// markers and its price history.  Used inside the caller's transaction: every check
// runs before anything is written, and a refusal throws (ServerError), so the caller's
// rollback leaves the quotation as it was.
//
// How a delta is applied:
//  - Deletions first, then modifications, then inclusions, each in delta order, so that a
//    row deleted and included again, or a brand freed by one row and taken by another,
//    goes through.
//  - Each row of the delta is checked against the items as stored before the call: a
//    modification needs its item (old key) with the old values of the price and the
//    justification where the row changes them, a deletion its item with the old price.
//    An inclusion needs its key free when it is applied.  Otherwise "conflict", naming
//    the item.
//  - With all regions and/or all suppliers, each row also reaches the items of the same
//    product and brand (the row's old ones) in the other regions of its supplier, the
//    other suppliers of its region, or every region and supplier, where they exist.
//    Those items take the row's new price, brand and justification without an old-value
//    check.  A deletion reaches them as a deletion.  An inclusion reaches the items that
//    already hold the new product and brand, as a price change; it creates none.  A
//    brand change skips an item whose region and supplier already hold the new brand.
//  - Where two rows reach the same item, the later row wins.  Each item changed by the
//    call is written once, and gets one history row from what was stored before the call
//    to what the call leaves, with the justification and change text of the row that
//    reached it last.
class QuotationItemChanges
{
public:
    // Codes at their stored width.
    struct Key
    {
        QString region;
        QString supplier;
        QString product;
        QString brand;

        QString text() const;      // unique text of the whole key
        QString pairText() const;  // unique text of product and brand
        bool operator==(const Key &) const = default;
    };

    // What the call passes beside the delta.
    struct Options
    {
        bool allRegions = false;
        bool allSuppliers = false;
        QString scopeText;          // written with every history row (cut to its column)
        QString operatorCode;       // stored code
        QDateTime moment;           // wall clock of the change
    };

    // The quotation as stored, read at the start of the call.
    struct Quotation
    {
        QString branch;
        QString number;
        QString buyer;
        QString situation;
        QString origin;
        QDate collection;
    };

    // Reads the rows of the delta; a row that is not an item row of one quotation (key
    // fields missing, another quotation than the first row's, a region or supplier
    // changed, a negative or missing price, a text too long) throws "arguments".
    explicit QuotationItemChanges(const DataPacket &delta);

    bool isEmpty() const { return m_rows.empty(); }
    QString branch() const { return m_branch; }
    QString number() const { return m_number; }

    // The quotation's header as stored, or false when there is none.
    static bool readQuotation(Database &db, const QString &branch, const QString &number, Quotation *quotation);

    // Checks and stores the rows in quotation (see the class comment).  centralBranch
    // gives the rules of the item checks.
    void apply(Database &db, const Quotation &quotation, const QString &centralBranch, const Options &options);

    // After apply(): items written (updated, included, deleted) and history rows.
    int itemsWritten() const { return m_itemsWritten; }
    int historyRows() const { return m_historyRows; }

private:
    struct Row
    {
        RowChange kind = RowChange::Modify;
        Key oldKey;          // modify, delete
        Key newKey;          // modify, insert
        double oldPrice = 0;
        double newPrice = 0;
        QString oldJust;     // empty for null
        QString newJust;
        bool justChanged = false;
        QVariant newText;    // DSALTERITMCOT as sent (null when absent)
        QString newCotPrec;  // IDITMCOTPREC as sent, empty when absent
        QString oldTreeCode; // CDARVPROD of the old and new product, for texts
        QString newTreeCode;
    };

    struct Item
    {
        // As stored before the call.
        bool existed = false;
        Key original;
        double storedPrice = 0;
        QString storedJust;
        QString storedText;
        QString storedCotPrec;
        QString storedPrecAlt;
        // As the call leaves it.
        bool exists = false;
        Key key;
        double price = 0;
        QString just;
        QString text;
        QString cotPrec;
        bool textFromRow = false;     // the last row to reach it was its own (direct) row
        bool cotPrecFromRow = false;
        bool touched = false;         // reached by a row
        int moved = -1;               // order of the first key change, -1 when none
        QString precAlt;              // IDPRECALT written
    };

    void load(Database &db, const Quotation &quotation, bool replicate);
    void addLoaded(const Key &key, double price, const QString &just, const QString &text, const QString &cotPrec,
                   const QString &precAlt);
    void checkOldValues() const;
    void validate(Database &db, const QString &centralBranch, const QDate &collection) const;
    void simulate(Database &db, const Quotation &quotation);
    void write(Database &db, const Quotation &quotation);

    QList<int> targets(const Row &row, const Key &from, int self) const;
    void touch(Item &item);
    void remove(int index);
    bool move(int index, const Key &to);
    QString itemText(const Key &key, const QString &treeCode = {}) const;
    QString rowItemText(const Row &row, const Key &key) const;

    std::vector<Row> m_rows;
    QString m_branch;
    QString m_number;
    Options m_options;

    std::vector<Item> m_items;
    QHash<QString, int> m_at;                // key text -> existing item
    QHash<QString, QList<int>> m_byPair;     // product/brand text -> existing items
    int m_moves = 0;
    int m_itemsWritten = 0;
    int m_historyRows = 0;
};
