#include "PriceSheetCheck.h"

#include "PriceSheet.h"

#include <QDateTime>
#include <QSet>

#include <cmath>

namespace {

double fiveDecimals(double value)
{
    return std::round(value * 100000.0) / 100000.0;
}

bool samePrice(double a, double b)
{
    return std::fabs(fiveDecimals(a) - fiveDecimals(b)) < 0.000005;
}

QString text(const QVariant &v)
{
    return v.isValid() && !v.isNull() ? v.toString() : QString();
}

QVariant textOrNull(const QString &t)
{
    return t.isEmpty() ? QVariant() : QVariant(t);
}

} // namespace

PriceSheetCheck::PriceSheetCheck(const QString &branch, const QString &number, const QString &supplier,
                                 DataPacket items)
    : m_branch(branch.trimmed()), m_number(number.trimmed()), m_supplier(supplier.trimmed()), m_items(std::move(items))
{
    m_region = m_items.fieldIndex(QStringLiteral("CDREGIAO"));
    m_supplierAt = m_items.fieldIndex(QStringLiteral("CDFORNECED"));
    m_product = m_items.fieldIndex(QStringLiteral("CDPRODUTO"));
    m_brand = m_items.fieldIndex(QStringLiteral("CDMARCA"));
    m_tree = m_items.fieldIndex(QStringLiteral("CDARVPROD"));
    m_name = m_items.fieldIndex(QStringLiteral("NMPRODUTO"));
    m_price = m_items.fieldIndex(QStringLiteral("VRPRECUNIITM"));
    m_just = m_items.fieldIndex(QStringLiteral("DSJUSTOPER"));
    m_text = m_items.fieldIndex(QStringLiteral("DSALTERITMCOT"));
    m_changed = m_items.fieldIndex(QStringLiteral("DTHRALTE"));
    m_origin = m_items.fieldIndex(QStringLiteral("IDTIPCOLREG"));
    for (int r = 0; r < m_items.rowCount(); ++r)
        m_byKey.insert(itemKey(r), r);
}

QString PriceSheetCheck::itemKey(int row) const
{
    return PriceSheetKey{m_branch, m_number, text(value(row, m_region)), text(value(row, m_supplierAt)),
                         text(value(row, m_product)), text(value(row, m_brand)), {}}
        .itemText();
}

QList<PriceSheetEntry> PriceSheetCheck::check(const PriceSheet &sheet) const
{
    using E = PriceSheetEntry;
    QList<E> entries;
    entries.reserve(sheet.rows.size());
    QSet<int> seen;
    const bool otherQuotation = !sheet.number.trimmed().isEmpty() && sheet.number.trimmed() != m_number;
    for (const PriceSheetRow &row : sheet.rows) {
        E e;
        e.line = row.line;
        e.region = row.region;
        e.treeCode = row.treeCode;
        e.productName = row.productName;
        e.brand = row.brand;
        const auto refuse = [&](E::Reason reason, const QString &detail = {}) {
            e.status = E::Refused;
            e.reason = reason;
            e.detail = detail;
            entries.append(e);
        };
        const std::optional<PriceSheetKey> key = PriceSheetKey::parse(row.key);
        if (otherQuotation) {
            refuse(E::OtherQuotation, sheet.number.trimmed());
            continue;
        }
        if (!key) {
            refuse(E::BadKey);
            continue;
        }
        if (key->branch != m_branch || key->number != m_number) {
            refuse(E::OtherQuotation, key->number);
            continue;
        }
        if (key->supplier != m_supplier) {
            refuse(E::OtherSupplier, key->supplier);
            continue;
        }
        const int item = m_byKey.value(key->itemText(), -1);
        if (item < 0) {
            refuse(E::UnknownItem);
            continue;
        }
        e.item = item;
        e.oldPrice = value(item, m_price).toDouble();
        e.treeCode = text(value(item, m_tree)).trimmed();
        e.product = text(value(item, m_product)).trimmed();
        e.region = text(value(item, m_region)).trimmed();
        e.brand = text(value(item, m_brand)).trimmed();
        e.productName = text(value(item, m_name)).trimmed();
        if (seen.contains(item)) {
            refuse(E::Repeated);
            continue;
        }
        seen.insert(item);

        double price = 0;
        switch (row.price.kind) {
        case PriceCell::Empty:
            entries.append(e);
            continue;
        case PriceCell::Formula:
            refuse(E::FormulaPrice, row.price.text);
            continue;
        case PriceCell::Error:
            refuse(E::ErrorCell, row.price.text);
            continue;
        case PriceCell::Text:
            if (const auto parsed = parsePriceText(row.price.text)) {
                price = *parsed;
                break;
            }
            refuse(E::NotANumber, row.price.text.trimmed());
            continue;
        case PriceCell::Number:
            price = row.price.value;
            break;
        }
        if (!std::isfinite(price)) {
            refuse(E::NotANumber, row.price.text.trimmed());
            continue;
        }
        e.newPrice = fiveDecimals(price);
        if (price < 0) {
            refuse(E::NegativePrice);
            continue;
        }
        if (samePrice(*e.newPrice, e.oldPrice)) {
            entries.append(e);
            continue;
        }
        const QString stamp = PriceSheetKey::stampOf(e.oldPrice, value(item, m_changed).toDateTime());
        if (stamp != key->stamp) {
            bool ok = false;
            const double written = key->stamp.section(QLatin1Char('@'), 0, 0).toDouble(&ok);
            if (ok && samePrice(*e.newPrice, written)) {
                entries.append(e);   // the price the sheet was written with, left as it was
                continue;
            }
            refuse(E::ChangedOnServer, QString::number(e.oldPrice, 'f', 5));
            continue;
        }
        e.status = E::Accepted;
        entries.append(e);
    }
    return entries;
}

DataPacket PriceSheetCheck::validationItems(const QList<PriceSheetEntry> &entries) const
{
    DataPacket packet;
    packet.addField(QStringLiteral("VRPRECUNIITM"), FieldType::Float);
    packet.addField(QStringLiteral("CDREGIAO"), FieldType::String, 3);
    packet.addField(QStringLiteral("CDFORNECED"), FieldType::String, 21);
    packet.addField(QStringLiteral("CDPRODUTO"), FieldType::String, 10);
    packet.addField(QStringLiteral("CDMARCA"), FieldType::String, 5);
    for (const PriceSheetEntry &e : entries) {
        if (e.status != PriceSheetEntry::Accepted)
            continue;
        packet.appendRow({*e.newPrice, value(e.item, m_region), value(e.item, m_supplierAt), value(e.item, m_product),
                          value(e.item, m_brand)});
    }
    return packet;
}

void PriceSheetCheck::refuseFailing(QList<PriceSheetEntry> &entries, const DataPacket &errors)
{
    if (errors.rowCount() == 0)
        return;
    const int region = errors.fieldIndex(QStringLiteral("CDREGIAO"));
    const int product = errors.fieldIndex(QStringLiteral("CDPRODUTO"));
    const int brand = errors.fieldIndex(QStringLiteral("CDMARCA"));
    QSet<QString> failing;
    for (const QVariantList &row : errors.rows())
        failing.insert(text(row.value(region)).trimmed() + QLatin1Char('|') + text(row.value(product)).trimmed()
                       + QLatin1Char('|') + text(row.value(brand)).trimmed());
    for (PriceSheetEntry &e : entries) {
        if (e.status != PriceSheetEntry::Accepted)
            continue;
        if (failing.contains(e.region.trimmed() + QLatin1Char('|') + e.product + QLatin1Char('|') + e.brand.trimmed())) {
            e.status = PriceSheetEntry::Refused;
            e.reason = PriceSheetEntry::FailsChecks;
        }
    }
}

DataPacket PriceSheetCheck::itemDelta(const QList<PriceSheetEntry> &entries, const QString &justification,
                                      const ChangeText &changeText) const
{
    DataPacket delta;
    delta.setDelta(true);
    delta.addField(QStringLiteral("CDFILIAL"), FieldType::String, 4);
    delta.addField(QStringLiteral("NRCOLEPRECO"), FieldType::String, 10);
    delta.addField(QStringLiteral("CDREGIAO"), FieldType::String, 3);
    delta.addField(QStringLiteral("CDFORNECED"), FieldType::String, 21);
    delta.addField(QStringLiteral("CDPRODUTO"), FieldType::String, 10);
    delta.addField(QStringLiteral("CDARVPROD"), FieldType::String, 20);
    delta.addField(QStringLiteral("CDMARCA"), FieldType::String, 5);
    delta.addField(QStringLiteral("VRPRECUNIITM"), FieldType::Float);
    delta.addField(QStringLiteral("DSJUSTOPER"), FieldType::String, 100);
    delta.addField(QStringLiteral("DSALTERITMCOT"), FieldType::String, 500);
    for (const PriceSheetEntry &e : entries) {
        if (e.status != PriceSheetEntry::Accepted)
            continue;
        const int r = e.item;
        const QVariantList key = {m_branch, m_number, value(r, m_region), value(r, m_supplierAt), value(r, m_product),
                                  value(r, m_tree), value(r, m_brand)};
        DeltaRow change;
        change.kind = RowChange::Modify;
        change.oldValues = key;
        change.oldValues << e.oldPrice << textOrNull(text(value(r, m_just))) << textOrNull(text(value(r, m_text)));
        change.newValues = key;
        change.newValues << *e.newPrice << justification << changeText(e.oldPrice, *e.newPrice).left(500);
        delta.appendChange(std::move(change));
    }
    return delta;
}

QVariant PriceSheetCheck::headerDelta() const
{
    if (m_items.rowCount() == 0)
        return {};
    const QString origin = text(value(0, m_origin)).trimmed().toUpper();
    if (origin == QLatin1String("E"))
        return {};
    DataPacket delta;
    delta.setDelta(true);
    delta.addField(QStringLiteral("CDFILIAL"), FieldType::String, 4);
    delta.addField(QStringLiteral("NRCOLEPRECO"), FieldType::String, 10);
    delta.addField(QStringLiteral("IDTIPCOLREG"), FieldType::String, 1);
    delta.appendChange({RowChange::Modify, {m_branch, m_number, textOrNull(origin)}, {m_branch, m_number, QStringLiteral("E")}});
    return packetVariant(delta);
}

int PriceSheetCheck::count(const QList<PriceSheetEntry> &entries, PriceSheetEntry::Status status)
{
    return int(std::count_if(entries.begin(), entries.end(), [status](const PriceSheetEntry &e) { return e.status == status; }));
}
