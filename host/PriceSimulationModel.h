#pragma once

#include "DataPacket.h"

#include <QAbstractTableModel>
#include <QStringList>

#include <optional>
#include <vector>

// The prices of one product across the regions and suppliers of a quotation, side by
// side (layout "SimulacaoItem"): a first row with the quantity to buy in each region, then
// one row per supplier and brand with its price in each region and its total cost, the
// price of each region times the region's quantity to buy.  The lowest price of each region
// is marked, and so is the cheapest complete choice: the lowest total among the rows that
// quote every region with something to buy.
//
// Columns: supplier, brand, payment terms, one per region (code order), total.
class PriceSimulationModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Role {
        BestRole = Qt::UserRole + 1, // bool: the lowest price of its region / the cheapest total
        CurrentItemRole,             // bool: the row of the item the module was opened for
        ValueRole,                   // double: the number shown (price, quantity, total)
    };
    enum FixedColumn { SupplierColumn = 0, BrandColumn = 1, PaymentColumn = 2, FirstRegionColumn = 3 };

    explicit PriceSimulationModel(QObject *parent = nullptr);

    void setPacket(const DataPacket &packet);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    int regionCount() const { return int(m_regions.size()); }
    int totalColumn() const { return FirstRegionColumn + regionCount(); }
    // The model row of a supplier and brand (-1 when absent); row 0 is the quantities.
    int rowOf(const QString &supplier, const QString &brand) const;
    // The row with the cheapest complete total, if any row quotes every region to buy.
    std::optional<int> cheapestRow() const;
    // What buying each region at its lowest price costs.
    double bestSplitTotal() const;
    QString productName() const { return m_product; }

private:
    struct Region
    {
        QString code;
        QString name;
        double quantity = 0;
    };
    struct Offer
    {
        QString supplier;
        QString supplierName;
        QString brand;
        QString brandName;
        QString payment;
        std::vector<std::optional<double>> prices; // per region; none when not quoted there
        std::vector<bool> best;
        bool current = false;
        double total = 0;
        bool complete = true;
    };

    QVariant quantityRow(int column, int role) const;
    QVariant offerRow(const Offer &offer, int row, int column, int role) const;

    std::vector<Region> m_regions;
    std::vector<Offer> m_offers;
    std::optional<int> m_cheapest; // index into m_offers
    QString m_product;
};
