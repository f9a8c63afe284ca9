#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class ServerFixture;

// The rows the products page tests work on, written into the fixture server's database:
// master data of their own (regions 901.., suppliers, products under the tree code 0199
// and brands 9000n) where every item validates (supplier active and without
// qualification, serving every region and registered and qualified for every product;
// every product/brand registered, qualified and with an EAN code, negotiated by COMP01
// and by the central branch 0001), and quotations of COMP01 over them (numbers from
// 8000000001 up, removed by removeQuotations()).
class ProductsPageData
{
public:
    static constexpr int kRegions = 3;
    static constexpr int kSuppliers = 3;
    static constexpr int kProducts = 4;
    static constexpr int kBrands = 4;

    explicit ProductsPageData(ServerFixture &server) : m_server(server) {}

    // Writes the master data once per database.
    bool ensureMasterData(QString *error);

    QString region(int i) const;        // "901", "902", ...
    QString regionName(int i) const;
    QString supplier(int i) const;      // stored width (21)
    QString supplierName(int i) const;  // trade name
    QString product(int i) const;       // CDPRODUTO
    QString tree(int i) const;          // CDARVPROD, "0199001", ...
    QString productName(int i) const;
    QString brand(int i) const;         // "90001", ...
    QString brandName(int i) const;

    // One quotation item by indexes into the master data.
    struct Item
    {
        int region = 0;
        int supplier = 0;
        int product = 0;
        int brand = 0;
        double price = 0;
        QString justification;          // DSJUSTOPER; empty: none
        bool priceAltered = false;      // IDPRECALT 'S'
        bool keyedWhileEditing = false; // IDITMCOTPREC 'S'
        double discount = 0;            // VRPERDESITM
        double economic = 0;            // VRPRECECOITM
        double economicPI = 0;          // VRPRECOITMPI
        double quantity = 0;            // QTACMPITMCOL
    };

    // A quotation of branch 0001 for COMP01 holding the items; its regions and the
    // suppliers of each region are those of the items.  IDTIPCOLREG origin ('L' loaded
    // from a list).  The number in number.
    bool createQuotation(const QList<Item> &items, QString *number, QString *error,
                         const QString &situation = QStringLiteral("A"),
                         const QString &origin = QStringLiteral("L"));
    // Puts an item of a quotation into a new price list; its number in list.
    bool putInPriceList(const QString &number, const Item &item, QString *list, QString *error);
    // The same for an item given by its codes (any quotation of branch 0001).
    bool putInPriceList(const QString &number, const QStringList &itemKey, double price, QString *list,
                        QString *error);
    // Removes every quotation and price list created here.
    void removeQuotations();

private:
    bool exec(const QString &sql, const QVariantMap &params, QString *error);

    ServerFixture &m_server;
    QStringList m_quotations;
    QStringList m_lists;
};
