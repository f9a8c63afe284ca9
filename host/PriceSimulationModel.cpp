#include "PriceSimulationModel.h"

#include "HostMessages.h"
#include "NumberFormat.h"
#include "TMessages.h"

#include <QBrush>
#include <QColor>
#include <QFont>

#include <algorithm>
#include <map>

namespace {

const QString kPriceMask = QStringLiteral("#,##0.00000");
const QString kMoneyMask = QStringLiteral("#,##0.00");
const QString kQuantityMask = QStringLiteral("#,##0.00");
const QColor kBestColour(198, 239, 206);

QString text(const char *key)
{
    return hostMessages().Msg(QLatin1String(key));
}

} // namespace

PriceSimulationModel::PriceSimulationModel(QObject *parent)
    : QAbstractTableModel(parent)
{
}

void PriceSimulationModel::setPacket(const DataPacket &packet)
{
    beginResetModel();
    m_regions.clear();
    m_offers.clear();
    m_cheapest.reset();
    m_product.clear();

    auto str = [&packet](int row, const char *field) { return packet.value(row, QLatin1String(field)).toString(); };
    auto num = [&packet](int row, const char *field) { return packet.value(row, QLatin1String(field)).toDouble(); };

    // Regions in code order, each with its quantity to buy.
    std::map<QString, Region> regions;
    for (int r = 0; r < packet.rowCount(); ++r) {
        Region &region = regions[str(r, "CDREGIAO")];
        region.code = str(r, "CDREGIAO");
        region.name = str(r, "NMREGIAO").trimmed();
        region.quantity = std::max(region.quantity, num(r, "QTACMPITMCOL"));
        if (m_product.isEmpty())
            m_product = str(r, "NMPRODUTO").trimmed();
    }
    std::map<QString, int> regionIndex;
    for (auto &[code, region] : regions) {
        regionIndex[code] = int(m_regions.size());
        m_regions.push_back(region);
    }

    // One offer per supplier and brand, in supplier name and brand order.
    std::map<std::pair<QString, QString>, Offer> offers;
    for (int r = 0; r < packet.rowCount(); ++r) {
        const QString supplierName = str(r, "NMFANTFORN").trimmed();
        Offer &offer = offers[{supplierName + QLatin1Char('\x1f') + str(r, "CDFORNECED"), str(r, "CDMARCA")}];
        if (offer.prices.empty()) {
            offer.prices.resize(m_regions.size());
            offer.best.resize(m_regions.size(), false);
        }
        offer.supplier = str(r, "CDFORNECED");
        offer.supplierName = supplierName;
        offer.brand = str(r, "CDMARCA");
        offer.brandName = str(r, "NMMARCA").trimmed();
        if (offer.payment.isEmpty())
            offer.payment = str(r, "DSFORMPGTO").trimmed();
        const int region = regionIndex.at(str(r, "CDREGIAO"));
        const double price = num(r, "VRPRECUNIITM");
        if (price > 0)
            offer.prices[region] = price;
        offer.best[region] = str(r, "IDMELHORPR").trimmed().toUpper() == QLatin1String("S");
        offer.current = offer.current || str(r, "IDITEMATUAL").trimmed().toUpper() == QLatin1String("S");
    }
    for (auto &[key, offer] : offers) {
        for (size_t i = 0; i < m_regions.size(); ++i) {
            if (offer.prices[i])
                offer.total += *offer.prices[i] * m_regions[i].quantity;
            else if (m_regions[i].quantity > 0)
                offer.complete = false;
        }
        m_offers.push_back(offer);
    }
    for (int i = 0; i < int(m_offers.size()); ++i) {
        const Offer &offer = m_offers[size_t(i)];
        if (offer.complete && offer.total > 0 && (!m_cheapest || offer.total < m_offers[size_t(*m_cheapest)].total))
            m_cheapest = i;
    }
    endResetModel();
}

int PriceSimulationModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() || m_offers.empty() ? 0 : int(m_offers.size()) + 1;
}

int PriceSimulationModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : totalColumn() + 1;
}

int PriceSimulationModel::rowOf(const QString &supplier, const QString &brand) const
{
    for (int i = 0; i < int(m_offers.size()); ++i) {
        if (m_offers[size_t(i)].supplier == supplier && m_offers[size_t(i)].brand == brand)
            return i + 1;
    }
    return -1;
}

std::optional<int> PriceSimulationModel::cheapestRow() const
{
    if (!m_cheapest)
        return std::nullopt;
    return *m_cheapest + 1;
}

double PriceSimulationModel::bestSplitTotal() const
{
    double total = 0;
    for (size_t i = 0; i < m_regions.size(); ++i) {
        std::optional<double> lowest;
        for (const Offer &offer : m_offers) {
            if (offer.prices[i] && (!lowest || *offer.prices[i] < *lowest))
                lowest = offer.prices[i];
        }
        if (lowest)
            total += *lowest * m_regions[i].quantity;
    }
    return total;
}

QVariant PriceSimulationModel::quantityRow(int column, int role) const
{
    const bool region = column >= FirstRegionColumn && column < totalColumn();
    double value = 0;
    if (region) {
        value = m_regions[size_t(column - FirstRegionColumn)].quantity;
    } else if (column == totalColumn()) {
        for (const Region &r : m_regions)
            value += r.quantity;
    }
    switch (role) {
    case Qt::DisplayRole:
        if (column == SupplierColumn)
            return text("Sim_QtComprar");
        if (region || column == totalColumn())
            return NumberFormat::format(value, kQuantityMask);
        return {};
    case ValueRole:
        return region || column == totalColumn() ? QVariant(value) : QVariant();
    case Qt::FontRole: {
        QFont font;
        font.setItalic(true);
        return font;
    }
    case Qt::TextAlignmentRole:
        return column >= FirstRegionColumn ? QVariant(int(Qt::AlignRight | Qt::AlignVCenter)) : QVariant();
    default:
        return {};
    }
}

QVariant PriceSimulationModel::offerRow(const Offer &offer, int row, int column, int role) const
{
    const bool region = column >= FirstRegionColumn && column < totalColumn();
    const size_t r = region ? size_t(column - FirstRegionColumn) : 0;
    const bool cheapest = m_cheapest && *m_cheapest + 1 == row;
    const bool best = (region && offer.best[r] && offer.prices[r]) || (column == totalColumn() && cheapest);
    switch (role) {
    case Qt::DisplayRole:
        switch (column) {
        case SupplierColumn:
            return offer.supplierName.isEmpty() ? offer.supplier.trimmed() : offer.supplierName;
        case BrandColumn:
            return offer.brand.trimmed() + QStringLiteral(" - ") + offer.brandName;
        case PaymentColumn:
            return offer.payment;
        default:
            if (region)
                return offer.prices[r] ? NumberFormat::format(*offer.prices[r], kPriceMask) : QString();
            return NumberFormat::format(offer.total, kMoneyMask) + (offer.complete ? QString() : QStringLiteral(" *"));
        }
    case ValueRole:
        if (region)
            return offer.prices[r] ? QVariant(*offer.prices[r]) : QVariant();
        return column == totalColumn() ? QVariant(offer.total) : QVariant();
    case BestRole:
        return best;
    case CurrentItemRole:
        return offer.current;
    case Qt::BackgroundRole:
        return best ? QVariant(QBrush(kBestColour)) : QVariant();
    case Qt::FontRole:
        if (best || (offer.current && column <= BrandColumn)) {
            QFont font;
            font.setBold(true);
            return font;
        }
        return {};
    case Qt::TextAlignmentRole:
        return column >= FirstRegionColumn ? QVariant(int(Qt::AlignRight | Qt::AlignVCenter)) : QVariant();
    case Qt::ToolTipRole:
        if (region && offer.prices[r]) {
            const QString tip = text("Sim_CustoItem")
                                    .arg(NumberFormat::format(*offer.prices[r], kPriceMask),
                                         NumberFormat::format(m_regions[r].quantity, kQuantityMask),
                                         NumberFormat::format(*offer.prices[r] * m_regions[r].quantity, kMoneyMask));
            return best ? text("Sim_MelhorRegiao") + QStringLiteral("\n") + tip : tip;
        }
        if (column == totalColumn())
            return cheapest ? text("Sim_MelhorTotal") : offer.complete ? QVariant() : QVariant(text("Sim_Incompleto"));
        return {};
    default:
        return {};
    }
}

QVariant PriceSimulationModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount())
        return {};
    if (index.row() == 0)
        return quantityRow(index.column(), role);
    return offerRow(m_offers[size_t(index.row() - 1)], index.row(), index.column(), role);
}

QVariant PriceSimulationModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case SupplierColumn:
        return text("Sim_Fornecedor");
    case BrandColumn:
        return text("Sim_Marca");
    case PaymentColumn:
        return text("Sim_FormPgto");
    default:
        if (section >= FirstRegionColumn && section < totalColumn()) {
            const Region &r = m_regions[size_t(section - FirstRegionColumn)];
            return text("Sim_Regiao").arg(r.code.trimmed(), r.name);
        }
        if (section == totalColumn())
            return text("Sim_Total");
        return {};
    }
}
