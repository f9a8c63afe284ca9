#pragma once

#include "ProductsPageData.h"

#include <QString>
#include <QVariantMap>

#include <memory>

class ServerFixture;
class TfrmGridCotaPrec;

// What the maintenance dialog tests share: a workspace logged in as the buyer and shown on
// a quotation's products page (over the products page test data), positioned on a region
// and supplier, and the database and server log read back.
class MaintenanceWorkspace
{
public:
    using Item = ProductsPageData::Item;

    explicit MaintenanceWorkspace(ServerFixture &server);
    ~MaintenanceWorkspace();

    ProductsPageData &data() { return m_data; }
    static Item item(int region, int supplier, int product, int brand, double price);

    // Creates the quotation, opens the workspace on its products page; null on failure.
    TfrmGridCotaPrec *open(const QList<Item> &items);
    // Opens the workspace on a demo quotation of the buyer in progress, with items, on its
    // products page; null on failure.
    TfrmGridCotaPrec *openDemo();
    TfrmGridCotaPrec *form() const { return m_form.get(); }
    QString number() const { return m_number; }
    // Closes the workspace and removes every quotation made.
    void close();

    // Moves the workspace's grids to a region and a supplier (by indexes of the data).
    bool moveTo(int region, int supplier);

    // Items of the quotation matching the extra condition ("" for all).
    qlonglong items(const QString &condition = QString(), const QVariantMap &params = {});
    // The price stored for one item, or -1.
    double price(int region, int supplier, int product, int brand);
    // Calls of a server method logged so far.
    int serverCalls(const QString &method) const;
    // The last lines the server logged (to explain a failure).
    QString serverLogTail(int lines = 6) const;
    // Saves a widget's picture under SUP_SCREENSHOT_DIR when that is set.
    static void screenshot(QWidget *widget, const QString &fileName);

private:
    TfrmGridCotaPrec *showOn(const QString &number);

    ServerFixture &m_server;
    ProductsPageData m_data;
    std::unique_ptr<TfrmGridCotaPrec> m_form;
    QString m_number;
};
