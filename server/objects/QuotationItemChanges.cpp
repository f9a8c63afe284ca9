#include "QuotationItemChanges.h"

#include "Codes.h"
#include "Database.h"
#include "ItemValidation.h"
#include "ServerError.h"
#include "ServerText.h"

#include <QSet>
#include <QSqlQuery>

#include <algorithm>
#include <cmath>

namespace {

// Widths of the columns the delta writes.
constexpr int kJustWidth = 100;      // DSJUSTOPER
constexpr int kTextWidth = 500;      // DSALTERITMCOT
constexpr int kScopeWidth = 100;     // HISTITCOLE.DSABRANGENCIA

// History kinds (HISTITCOLE.IDTIPALTER).
const QString kHistInsert = QStringLiteral("I");
const QString kHistPrice = QStringLiteral("P");
const QString kHistBrand = QStringLiteral("M");
const QString kHistPriceBrand = QStringLiteral("B");
const QString kHistRemove = QStringLiteral("E");

// Rows of values as one JSON array text, for the statements that take every row of a
// kind at once (one round trip whatever the number of rows).  Built by hand: the arrays
// hold up to a few hundred thousand rows.
class JsonRows
{
public:
    void beginRow()
    {
        m_text += m_rows++ == 0 ? QLatin1String("[") : QLatin1String(",[");
        m_first = true;
    }
    void endRow() { m_text += QLatin1Char(']'); }
    void add(const QString &text)
    {
        separate();
        m_text += QLatin1Char('"');
        const auto special = [](QChar c) { return c == QLatin1Char('"') || c == QLatin1Char('\\') || c.unicode() < 0x20; };
        if (std::none_of(text.begin(), text.end(), special)) {
            m_text += text;
        } else {
            for (const QChar c : text) {
                if (!special(c))
                    m_text += c;
                else if (c.unicode() >= 0x20)
                    m_text += QLatin1Char('\\') + QString(c);
                else
                    m_text += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
            }
        }
        m_text += QLatin1Char('"');
    }
    // Empty text is stored as null, as the columns hold it.
    void addTextOrNull(const QString &text)
    {
        if (text.isEmpty())
            addNull();
        else
            add(text);
    }
    void add(double value)
    {
        separate();
        m_text += QString::number(value, 'g', QLocale::FloatingPointShortest);
    }
    void addNull()
    {
        separate();
        m_text += QLatin1String("null");
    }
    void add(const QuotationItemChanges::Key &key)
    {
        add(key.region);
        add(key.supplier);
        add(key.product);
        add(key.brand);
    }
    bool isEmpty() const { return m_rows == 0; }
    int rows() const { return m_rows; }
    QString text() const { return QLatin1Char('[') + m_text + QLatin1Char(']'); }

private:
    void separate()
    {
        if (!m_first)
            m_text += QLatin1Char(',');
        m_first = false;
    }
    QString m_text;
    int m_rows = 0;
    bool m_first = true;
};

QString valueText(const QVariant &v)
{
    return v.isValid() && !v.isNull() ? v.toString() : QString();
}

QString storedCode(const QVariant &v, int width)
{
    const QString text = valueText(v);
    return text.trimmed().isEmpty() ? QString() : padCode(text, width);
}

// Prices travel as doubles both ways; a stored price equals the one a client loaded
// unless another writer changed it, so only representation noise is tolerated.
bool samePrice(double a, double b)
{
    return std::fabs(a - b) <= 1e-9 * std::max({1.0, std::fabs(a), std::fabs(b)});
}

// A price as the workspace writes it in change texts (the platform's shortest form).
QString priceText(double value)
{
    return QVariant(value).toString();
}

QString flag(const QString &value)
{
    return value.trimmed().toUpper() == QLatin1String("S") ? QStringLiteral("S") : QStringLiteral("N");
}

} // namespace

QString QuotationItemChanges::Key::text() const
{
    return region + QChar(0x1f) + supplier + QChar(0x1f) + product + QChar(0x1f) + brand;
}

QString QuotationItemChanges::Key::pairText() const
{
    return product + QChar(0x1f) + brand;
}

// --- reading the delta ---------------------------------------------------------------------------

QuotationItemChanges::QuotationItemChanges(const DataPacket &delta)
{
    if (!delta.isDelta() && !delta.isEmpty())
        throw ServerError::arguments(ServerText::message(QStringLiteral("Delta_Invalido"), {QStringLiteral("2")}));
    const auto required = [&](const char *name) {
        const int at = delta.fieldIndex(QLatin1String(name));
        if (at < 0)
            throw ServerError::arguments(ServerText::message(QStringLiteral("Itens_Sem_Campo_Delta"), {QLatin1String(name)}));
        return at;
    };
    if (delta.changes().isEmpty())
        return;
    const int branchAt = required("CDFILIAL"), numberAt = required("NRCOLEPRECO"), regionAt = required("CDREGIAO"),
              supplierAt = required("CDFORNECED"), productAt = required("CDPRODUTO"), brandAt = required("CDMARCA"),
              priceAt = required("VRPRECUNIITM");
    const int justAt = delta.fieldIndex(QStringLiteral("DSJUSTOPER"));
    const int textAt = delta.fieldIndex(QStringLiteral("DSALTERITMCOT"));
    const int cotPrecAt = delta.fieldIndex(QStringLiteral("IDITMCOTPREC"));
    const int treeAt = delta.fieldIndex(QStringLiteral("CDARVPROD"));

    const auto keyOf = [&](const QVariantList &values) {
        return Key{storedCode(values.value(regionAt), 3), storedCode(values.value(supplierAt), 21),
                   storedCode(values.value(productAt), 10), storedCode(values.value(brandAt), 5)};
    };
    m_rows.reserve(delta.changes().size());
    for (const DeltaRow &change : delta.changes()) {
        Row row;
        row.kind = change.kind;
        const QVariantList &values = change.kind == RowChange::Delete ? change.oldValues : change.newValues;
        const QString branch = storedCode(values.value(branchAt), 4);
        const QString number = storedCode(values.value(numberAt), 10);
        if (m_rows.empty()) {
            m_branch = branch;
            m_number = number;
        }
        if (change.kind != RowChange::Insert) {
            row.oldKey = keyOf(change.oldValues);
            row.oldPrice = change.oldValues.value(priceAt).toDouble();
            if (justAt >= 0)
                row.oldJust = valueText(change.oldValues.value(justAt));
        }
        if (change.kind != RowChange::Delete) {
            row.newKey = keyOf(change.newValues);
            const QVariant price = change.newValues.value(priceAt);
            row.newPrice = price.isValid() && !price.isNull() ? price.toDouble() : 0.0;
            if (justAt >= 0)
                row.newJust = valueText(change.newValues.value(justAt));
            if (textAt >= 0)
                row.newText = change.newValues.value(textAt);
            if (cotPrecAt >= 0)
                row.newCotPrec = valueText(change.newValues.value(cotPrecAt)).trimmed().toUpper();
            row.justChanged = change.kind == RowChange::Insert || row.newJust != row.oldJust;
        }
        if (treeAt >= 0) {
            row.oldTreeCode = valueText(change.oldValues.value(treeAt)).trimmed();
            row.newTreeCode = valueText(change.newValues.value(treeAt)).trimmed();
        }
        const Key &key = change.kind == RowChange::Delete ? row.oldKey : row.newKey;

        // Every row is an item of the same quotation, with its whole key.
        if (branch.isEmpty() || number.isEmpty() || branch != m_branch || number != m_number)
            throw ServerError::arguments(ServerText::message(QStringLiteral("Item_Outra_Cotacao"),
                                                             {number.trimmed(), m_number.trimmed()}));
        if (key.region.isEmpty() || key.supplier.isEmpty() || key.product.isEmpty() || key.brand.isEmpty()
            || (change.kind == RowChange::Modify
                && (row.oldKey.product.isEmpty() || row.oldKey.brand.isEmpty())))
            throw ServerError::arguments(ServerText::message(QStringLiteral("Item_Sem_Chave"), {rowItemText(row, key)}));
        if (change.kind == RowChange::Modify) {
            // An item stays in its quotation, region and supplier: only product and
            // brand may change.
            if (storedCode(change.oldValues.value(branchAt), 4) != branch
                || storedCode(change.oldValues.value(numberAt), 10) != number
                || row.oldKey.region != row.newKey.region || row.oldKey.supplier != row.newKey.supplier)
                throw ServerError::arguments(ServerText::message(QStringLiteral("Item_Muda_Regiao"),
                                                                 {rowItemText(row, row.oldKey)}));
        }
        if (change.kind != RowChange::Delete) {
            if (!std::isfinite(row.newPrice) || row.newPrice < 0)
                throw ServerError::arguments(ServerText::message(QStringLiteral("Item_Preco_Negativo"),
                                                                 {rowItemText(row, key)}));
            if (row.newJust.size() > kJustWidth)
                throw ServerError::arguments(ServerText::message(QStringLiteral("Item_Campo_Longo"),
                                                                 {QStringLiteral("DSJUSTOPER"), QString::number(kJustWidth),
                                                                  rowItemText(row, key)}));
            if (valueText(row.newText).size() > kTextWidth)
                throw ServerError::arguments(ServerText::message(QStringLiteral("Item_Campo_Longo"),
                                                                 {QStringLiteral("DSALTERITMCOT"), QString::number(kTextWidth),
                                                                  rowItemText(row, key)}));
        }
        m_rows.push_back(std::move(row));
    }
}

bool QuotationItemChanges::readQuotation(Database &db, const QString &branch, const QString &number,
                                         Quotation *quotation)
{
    bool found = false;
    db.readNamed(QStringLiteral("ItemsQuotation"),
                 {{QStringLiteral("P_CDFILIAL"), branch}, {QStringLiteral("P_NRCOLEPRECO"), number}}, [&](QSqlQuery &q) {
                     if (!q.next())
                         return;
                     found = true;
                     *quotation = {branch,
                                   number,
                                   q.value(0).toString(),
                                   q.value(1).toString().trimmed().toUpper(),
                                   q.value(2).toString().trimmed().toUpper(),
                                   Database::toDate(q.value(3))};
                 });
    return found;
}

// --- texts ---------------------------------------------------------------------------------------

// "produto P, marca B, região R, fornecedor F": the product as the buyer types it when
// the row carries its tree code.
QString QuotationItemChanges::itemText(const Key &key, const QString &treeCode) const
{
    return ServerText::message(QStringLiteral("Item_Texto"),
                               {treeCode.isEmpty() ? key.product.trimmed() : treeCode, key.brand.trimmed(),
                                key.region.trimmed(), key.supplier.trimmed()});
}

QString QuotationItemChanges::rowItemText(const Row &row, const Key &key) const
{
    return itemText(key, row.kind != RowChange::Delete && key == row.newKey ? row.newTreeCode : row.oldTreeCode);
}

// --- apply ---------------------------------------------------------------------------------------

void QuotationItemChanges::apply(Database &db, const Quotation &quotation, const QString &centralBranch,
                                 const Options &options)
{
    if (m_rows.empty())
        return;
    m_options = options;
    load(db, quotation, options.allRegions || options.allSuppliers);
    checkOldValues();
    validate(db, centralBranch, quotation.collection);
    simulate(db, quotation);
    write(db, quotation);
}

void QuotationItemChanges::addLoaded(const Key &key, double price, const QString &just, const QString &text,
                                     const QString &cotPrec, const QString &precAlt)
{
    if (m_at.contains(key.text()))
        return;
    Item item;
    item.existed = item.exists = true;
    item.original = item.key = key;
    item.storedPrice = item.price = price;
    item.storedJust = item.just = just;
    item.storedText = item.text = text;
    item.storedCotPrec = item.cotPrec = cotPrec;
    item.storedPrecAlt = precAlt;
    const int index = int(m_items.size());
    m_items.push_back(std::move(item));
    m_at.insert(key.text(), index);
    m_byPair[key.pairText()].append(index);
}

// The stored items the rows may reach: with replication every item of the quotation
// holding a product and brand a row names (old or new), else the rows' own keys.
void QuotationItemChanges::load(Database &db, const Quotation &quotation, bool replicate)
{
    JsonRows wanted;
    QSet<QString> seen;
    for (const Row &row : m_rows) {
        for (const Key *key : {&row.oldKey, &row.newKey}) {
            if (key->product.isEmpty())
                continue;
            const QString id = replicate ? key->pairText() : key->text();
            if (seen.contains(id))
                continue;
            seen.insert(id);
            wanted.beginRow();
            if (replicate) {
                wanted.add(key->product);
                wanted.add(key->brand);
            } else {
                wanted.add(*key);
            }
            wanted.endRow();
        }
    }
    db.readNamed(replicate ? QStringLiteral("ItemsOfPairs") : QStringLiteral("ItemsOfKeys"),
                 {{replicate ? QStringLiteral("P_PARES") : QStringLiteral("P_CHAVES"), wanted.text()},
                  {QStringLiteral("P_CDFILIAL"), quotation.branch},
                  {QStringLiteral("P_NRCOLEPRECO"), quotation.number}},
                 [this](QSqlQuery &q) {
                     while (q.next()) {
                         addLoaded({q.value(0).toString(), q.value(1).toString(), q.value(2).toString(),
                                    q.value(3).toString()},
                                   q.value(4).toDouble(), valueText(q.value(5)), valueText(q.value(6)),
                                   valueText(q.value(7)), valueText(q.value(8)));
                     }
                 });
}

// Each row against the items as stored before the call: someone else may have changed
// or removed the item the client loaded.  (An inclusion's key is checked when it is
// applied, after the deletions of the same call.)
void QuotationItemChanges::checkOldValues() const
{
    for (const Row &row : m_rows) {
        if (row.kind == RowChange::Insert)
            continue;
        const auto found = m_at.constFind(row.oldKey.text());
        if (found == m_at.constEnd())
            throw ServerError::conflict(ServerText::message(QStringLiteral("Item_Excluido"),
                                                            {rowItemText(row, row.oldKey)}));
        const Item &stored = m_items.at(*found);
        QStringList changed;
        // A deletion is decided on the price the client saw; a modification is checked
        // on the fields it changes.
        const bool priceChecked = row.kind == RowChange::Delete || !samePrice(row.newPrice, row.oldPrice);
        if (priceChecked && !samePrice(stored.storedPrice, row.oldPrice))
            changed << QStringLiteral("VRPRECUNIITM");
        if (row.kind == RowChange::Modify && row.justChanged && stored.storedJust != row.oldJust)
            changed << QStringLiteral("DSJUSTOPER");
        if (!changed.isEmpty())
            throw ServerError::conflict(ServerText::message(QStringLiteral("Item_Alterado"),
                                                            {rowItemText(row, row.oldKey), changed.join(QStringLiteral(", "))}));
    }
}

// The item checks of ValidaDados on the items the rows include or modify (their new
// product and brand).
void QuotationItemChanges::validate(Database &db, const QString &centralBranch, const QDate &collection) const
{
    QList<ItemValidation::Item> items;
    QList<const Row *> rows;
    for (const Row &row : m_rows) {
        if (row.kind == RowChange::Delete)
            continue;
        items.append({row.newKey.region, row.newKey.supplier, row.newKey.product, row.newKey.brand});
        rows.append(&row);
    }
    const QList<ItemValidation::Failure> failures = ItemValidation::failures(db, centralBranch, collection, items);
    if (failures.isEmpty())
        return;
    const ItemValidation::Failure &first = failures.first();
    QStringList checks;
    for (int i = 0; i < first.flags.size(); ++i) {
        if (first.flags.at(i) == QLatin1Char('S'))
            checks << ItemValidation::checkText(i);
    }
    const Row &row = *rows.at(first.index);
    throw ServerError::failure(ServerText::message(QStringLiteral("Itens_Inconsistentes"),
                                                   {QString::number(failures.size()), rowItemText(row, row.newKey),
                                                    checks.join(QLatin1Char(' '))}));
}

// --- the changes, in memory ----------------------------------------------------------------------

// The existing items a row reaches besides its own (self, -1 for none): the same product
// and brand (from) in the other regions of its supplier, the other suppliers of its
// region, or every region and supplier.
QList<int> QuotationItemChanges::targets(const Row &row, const Key &from, int self) const
{
    QList<int> out;
    if (!m_options.allRegions && !m_options.allSuppliers)
        return out;
    const Key &own = row.kind == RowChange::Delete ? row.oldKey : row.newKey;
    for (int index : m_byPair.value(from.pairText())) {
        if (index == self)
            continue;
        const Item &item = m_items.at(index);
        const bool sameRegion = item.key.region == own.region;
        const bool sameSupplier = item.key.supplier == own.supplier;
        if (sameRegion && sameSupplier)
            continue;
        if (!m_options.allSuppliers && !sameSupplier)
            continue;
        if (!m_options.allRegions && !sameRegion)
            continue;
        out.append(index);
    }
    return out;
}

void QuotationItemChanges::touch(Item &item)
{
    item.touched = true;
}

void QuotationItemChanges::remove(int index)
{
    Item &item = m_items[index];
    touch(item);
    item.exists = false;
    m_at.remove(item.key.text());
    m_byPair[item.key.pairText()].removeOne(index);
}

// Gives an item another product or brand; false when its region and supplier already
// hold that pair.
bool QuotationItemChanges::move(int index, const Key &to)
{
    Item &item = m_items[index];
    if (item.key == to)
        return true;
    if (m_at.contains(to.text()))
        return false;
    touch(item);
    m_at.remove(item.key.text());
    m_byPair[item.key.pairText()].removeOne(index);
    item.key = to;
    m_at.insert(to.text(), index);
    m_byPair[to.pairText()].append(index);
    if (item.moved < 0)
        item.moved = m_moves++;
    return true;
}

void QuotationItemChanges::simulate(Database &db, const Quotation &quotation)
{
    // Where an inclusion may go: the region and supplier take part in the quotation.
    QSet<QString> takingPart;
    const bool inserts = std::any_of(m_rows.begin(), m_rows.end(), [](const Row &r) { return r.kind == RowChange::Insert; });
    if (inserts) {
        db.readNamed(QStringLiteral("ItemsTakingPart"),
                     {{QStringLiteral("P_CDFILIAL"), quotation.branch}, {QStringLiteral("P_NRCOLEPRECO"), quotation.number}},
                     [&takingPart](QSqlQuery &q) {
                         while (q.next())
                             takingPart.insert(q.value(0).toString() + QChar(0x1f) + q.value(1).toString());
                     });
    }

    for (RowChange pass : {RowChange::Delete, RowChange::Modify, RowChange::Insert}) {
        for (const Row &row : m_rows) {
            if (row.kind != pass)
                continue;
            switch (row.kind) {
            case RowChange::Delete: {
                // Its item may already be gone with an earlier row's deletion.
                const int self = m_at.value(row.oldKey.text(), -1);
                const QList<int> reached = targets(row, row.oldKey, self);
                if (self >= 0)
                    remove(self);
                for (int index : reached)
                    remove(index);
                break;
            }
            case RowChange::Modify: {
                const int self = m_at.value(row.oldKey.text(), -1);
                if (self < 0)
                    break;
                const bool priceChanged = !samePrice(row.newPrice, row.oldPrice);
                const bool keyChanged = !(row.newKey == row.oldKey);
                const QList<int> reached = targets(row, row.oldKey, self);
                if (!move(self, row.newKey))
                    throw ServerError::failure(ServerText::message(QStringLiteral("Item_Ja_Existe"),
                                                                   {rowItemText(row, row.newKey)}));
                // Only what the row changed: a price another writer stored meanwhile
                // stays when the row changes the brand or the justification alone.
                Item &own = m_items[self];
                touch(own);
                if (priceChanged)
                    own.price = row.newPrice;
                if (row.justChanged)
                    own.just = row.newJust;
                own.text = valueText(row.newText);
                own.textFromRow = true;
                own.cotPrecFromRow = !row.newCotPrec.isEmpty();
                own.cotPrec = own.cotPrecFromRow ? flag(row.newCotPrec) : own.cotPrec;
                for (int index : reached) {
                    Item &item = m_items[index];
                    if (keyChanged) {
                        Key to = item.key;
                        to.product = row.newKey.product;
                        to.brand = row.newKey.brand;
                        if (!move(index, to))
                            continue;
                    }
                    touch(item);
                    if (priceChanged)
                        item.price = row.newPrice;
                    if (priceChanged || keyChanged || row.justChanged)
                        item.just = row.newJust;
                    item.textFromRow = false;
                    item.cotPrecFromRow = false;
                }
                break;
            }
            case RowChange::Insert: {
                if (m_at.contains(row.newKey.text()))
                    throw ServerError::conflict(ServerText::message(QStringLiteral("Item_Ja_Incluido"),
                                                                    {rowItemText(row, row.newKey)}));
                if (!takingPart.contains(row.newKey.region + QChar(0x1f) + row.newKey.supplier))
                    throw ServerError::failure(ServerText::message(QStringLiteral("Item_Forn_N_Regiao"),
                                                                   {rowItemText(row, row.newKey), quotation.number.trimmed()}));
                const QList<int> reached = targets(row, row.newKey, -1);
                Item item;
                item.exists = true;
                item.original = item.key = row.newKey;
                item.price = row.newPrice;
                item.just = row.newJust;
                item.text = valueText(row.newText);
                item.textFromRow = true;
                item.cotPrec = row.newCotPrec.isEmpty() ? QStringLiteral("N") : flag(row.newCotPrec);
                item.cotPrecFromRow = true;
                const int index = int(m_items.size());
                m_items.push_back(std::move(item));
                touch(m_items.back());
                m_at.insert(row.newKey.text(), index);
                m_byPair[row.newKey.pairText()].append(index);
                for (int target : reached) {
                    Item &other = m_items[target];
                    touch(other);
                    other.price = row.newPrice;
                    other.just = row.newJust;
                    other.textFromRow = false;
                    other.cotPrecFromRow = false;
                }
                break;
            }
            }
        }
    }
}

// --- writing -------------------------------------------------------------------------------------

void QuotationItemChanges::write(Database &db, const Quotation &quotation)
{
    std::vector<int> order;
    for (int i = 0; i < int(m_items.size()); ++i) {
        if (m_items.at(i).touched)
            order.push_back(i);
    }
    // In key order: the rows of a quotation are stored (and their history indexed) in that
    // order, so the statements below walk the pages one after the other.
    std::vector<QString> sortKey(m_items.size());
    for (int index : order)
        sortKey[index] = m_items.at(index).original.text();
    // An item deleted and one included again under its key: the deletion first.
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return sortKey[a] < sortKey[b]; });

    const QVariantMap quotationKey = {{QStringLiteral("P_CDFILIAL"), quotation.branch},
                                      {QStringLiteral("P_NRCOLEPRECO"), quotation.number}};
    const QString priceChange = ServerText::message(QStringLiteral("Hist_Preco"));
    const QString brandChange = ServerText::message(QStringLiteral("Hist_Marca"));
    const QString removal = ServerText::message(QStringLiteral("Hist_Exclusao"));

    JsonRows offLists;      // original keys leaving their price lists (deleted, or product/brand changed)
    JsonRows deleted;       // original keys
    JsonRows updated;       // changed in place
    JsonRows inserted;
    JsonRows history;
    std::vector<int> moves; // items whose product or brand changed, in the order they changed
    std::vector<int> leaving;

    const auto historyRow = [&](const Key &key, const QString &kind, const QVariant &oldPrice, const QVariant &newPrice,
                                const QString &oldBrand, const QString &newBrand, const QString &just,
                                const QString &text) {
        history.beginRow();
        history.add(key);
        history.add(kind);
        oldPrice.isValid() ? history.add(oldPrice.toDouble()) : history.addNull();
        newPrice.isValid() ? history.add(newPrice.toDouble()) : history.addNull();
        history.addTextOrNull(oldBrand);
        history.addTextOrNull(newBrand);
        history.addTextOrNull(just);
        history.addTextOrNull(text);
        history.endRow();
    };
    const auto itemRow = [&](JsonRows &rows, const Item &item, const QString &precAlt) {
        rows.beginRow();
        rows.add(item.key);
        rows.add(item.price);
        rows.add(precAlt);
        rows.add(item.cotPrec);
        rows.addTextOrNull(item.just);
        rows.addTextOrNull(item.text.left(kTextWidth));
        rows.endRow();
    };

    for (int index : order) {
        Item &item = m_items[index];
        if (item.existed && !item.exists) {
            leaving.push_back(index);
            offLists.beginRow();
            offLists.add(item.original);
            offLists.endRow();
            deleted.beginRow();
            deleted.add(item.original);
            deleted.endRow();
            historyRow(item.original, kHistRemove, item.storedPrice, {}, item.original.brand, {}, {}, removal);
            continue;
        }
        if (!item.exists)
            continue;
        if (!item.existed) {
            itemRow(inserted, item, QStringLiteral("N"));
            historyRow(item.key, kHistInsert, {}, item.price, {}, item.key.brand, item.just, item.text);
            continue;
        }
        const bool priceChanged = !samePrice(item.price, item.storedPrice);
        const bool brandChanged = item.key.brand != item.original.brand;
        const bool productChanged = item.key.product != item.original.product;
        // A replicated change describes itself as the workspace describes a stored row's
        // change: only over a price above zero.
        if (!item.textFromRow && (priceChanged || brandChanged || productChanged)) {
            QString text;
            if (item.storedPrice > 0 && priceChanged)
                text += priceChange.arg(priceText(item.storedPrice), priceText(item.price));
            if (item.storedPrice > 0 && brandChanged)
                text += brandChange.arg(item.original.brand.trimmed(), item.key.brand.trimmed());
            item.text = text.left(kTextWidth);
        }
        if (!item.cotPrecFromRow && priceChanged)
            item.cotPrec = QStringLiteral("S");
        const bool altered = item.storedPrice > 0 && (priceChanged || brandChanged || productChanged);
        item.precAlt = altered ? QStringLiteral("S")
                               : (item.storedPrecAlt.isEmpty() ? QStringLiteral("N") : item.storedPrecAlt);
        const bool unchanged = !priceChanged && !brandChanged && !productChanged && item.just == item.storedJust
                               && item.text == item.storedText && item.cotPrec == item.storedCotPrec;
        if (unchanged)
            continue;
        if (productChanged || brandChanged) {
            leaving.push_back(index);
            offLists.beginRow();
            offLists.add(item.original);
            offLists.endRow();
            moves.push_back(index);
        } else {
            itemRow(updated, item, item.precAlt);
        }
        if (productChanged) {
            // Another product is another item: the old one leaves, the new one comes.
            historyRow(item.original, kHistRemove, item.storedPrice, {}, item.original.brand, {}, item.just, item.text);
            historyRow(item.key, kHistInsert, {}, item.price, {}, item.key.brand, item.just, item.text);
        } else if (priceChanged || brandChanged) {
            const QString kind = priceChanged && brandChanged ? kHistPriceBrand : (priceChanged ? kHistPrice : kHistBrand);
            historyRow(item.key, kind, item.storedPrice, item.price, item.original.brand, item.key.brand, item.just,
                       item.text);
        }
    }

    // Confirmed prices of a concluded price list stay as they were confirmed.
    if (!offLists.isEmpty()) {
        QVariantMap params = quotationKey;
        params.insert(QStringLiteral("P_CHAVES"), offLists.text());
        QSqlQuery concluded = db.execNamed(QStringLiteral("ItemsInConcludedLists"), params);
        if (concluded.next()) {
            const Item &item = m_items.at(leaving.at(concluded.value(0).toInt()));
            throw ServerError::failure(ServerText::message(QStringLiteral("Item_Lista_Concluida"),
                                                           {itemText(item.original), concluded.value(1).toString().trimmed()}));
        }
        concluded.finish();
        db.runNamed(QStringLiteral("ItemsOffLists"), params);
    }
    const QVariantMap stamp = {{QStringLiteral("P_CDOPERADOR"), m_options.operatorCode},
                               {QStringLiteral("P_DTHRALTE"), m_options.moment}};
    if (!deleted.isEmpty()) {
        QVariantMap params = quotationKey;
        params.insert(QStringLiteral("P_CHAVES"), deleted.text());
        db.runNamed(QStringLiteral("ItemsDelete"), params);
    }
    if (!moves.empty()) {
        std::sort(moves.begin(), moves.end(), [&](int a, int b) { return m_items.at(a).moved < m_items.at(b).moved; });
        // Written in the order the keys changed, each into a key free at that moment; a
        // chain of changes that would need a key before it is freed is refused.
        QSet<QString> occupied;
        for (const Item &item : m_items) {
            if (item.existed)
                occupied.insert(item.original.text());
        }
        for (const Item &item : m_items) {
            if (item.existed && !item.exists)
                occupied.remove(item.original.text());
        }
        QSqlQuery move = db.prepare(ServerText::sql(QStringLiteral("ItemMove"), db.isPostgres()));
        for (int index : moves) {
            const Item &item = m_items.at(index);
            if (occupied.contains(item.key.text()))
                throw ServerError::failure(ServerText::message(QStringLiteral("Item_Ja_Existe"), {itemText(item.key)}));
            occupied.remove(item.original.text());
            occupied.insert(item.key.text());
            QVariantMap params = quotationKey;
            params.insert(stamp);
            params.insert(QStringLiteral("P_CDREGIAO"), item.original.region);
            params.insert(QStringLiteral("P_CDFORNECED"), item.original.supplier);
            params.insert(QStringLiteral("P_CDPRODUTO"), item.original.product);
            params.insert(QStringLiteral("P_CDMARCA"), item.original.brand);
            params.insert(QStringLiteral("P_CDPRODUTONOVO"), item.key.product);
            params.insert(QStringLiteral("P_CDMARCANOVA"), item.key.brand);
            params.insert(QStringLiteral("P_VRPRECUNIITM"), item.price);
            params.insert(QStringLiteral("P_IDPRECALT"), item.precAlt);
            params.insert(QStringLiteral("P_IDITMCOTPREC"), item.cotPrec);
            params.insert(QStringLiteral("P_DSJUSTOPER"),
                          item.just.isEmpty() ? QVariant(QMetaType(QMetaType::QString)) : QVariant(item.just));
            params.insert(QStringLiteral("P_DSALTERITMCOT"),
                          item.text.isEmpty() ? QVariant(QMetaType(QMetaType::QString)) : QVariant(item.text.left(kTextWidth)));
            db.run(move, params);
        }
    }
    if (!updated.isEmpty()) {
        QVariantMap params = quotationKey;
        params.insert(stamp);
        params.insert(QStringLiteral("P_ITENS"), updated.text());
        db.runNamed(QStringLiteral("ItemsUpdate"), params);
    }
    if (!inserted.isEmpty()) {
        QVariantMap params = quotationKey;
        params.insert(stamp);
        params.insert(QStringLiteral("P_ITENS"), inserted.text());
        db.runNamed(QStringLiteral("ItemsInsert"), params);
    }
    if (!history.isEmpty()) {
        QVariantMap params = quotationKey;
        params.insert(QStringLiteral("P_CDOPERADOR"), m_options.operatorCode);
        params.insert(QStringLiteral("P_DTHRALTER"), m_options.moment);
        params.insert(QStringLiteral("P_DSABRANGENCIA"), m_options.scopeText.left(kScopeWidth));
        params.insert(QStringLiteral("P_HIST"), history.text());
        db.runNamed(QStringLiteral("ItemsHistory"), params);
    }
    m_itemsWritten = deleted.rows() + int(moves.size()) + updated.rows() + inserted.rows();
    m_historyRows = history.rows();
}
