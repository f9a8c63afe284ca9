#pragma once

#include "DataPacket.h"

#include <QVariantList>
#include <QWidget>

#include <memory>

class ClientDataSet;
class DataSource;
class DBGrid;
class ModuleConnection;
class ModuleParams;
class QLabel;
class QToolButton;

// The spreadsheet information module SUP01803, opened by the workspace for the current
// item with [true, CDFILIAL, NRCOLEPRECO, CDFORNECED, CDPRODUTO, CDARVPROD, CDMARCA,
// CDREGIAO, ""]: the item's rows in the quotation (every region and supplier quoting the
// product and brand) and its price history in earlier quotations, read through the server
// (GetPlanilhaItem), in two grids; both can be saved as one CSV file.
class SpreadsheetInfo : public QWidget
{
    Q_OBJECT

public:
    static constexpr int kParamCount = 9;

    // Raises ModuleError when params is not the module's array, and what the server
    // raises when the rows cannot be read; nothing is shown then.
    explicit SpreadsheetInfo(const QVariantList &params, QWidget *parent = nullptr);
    ~SpreadsheetInfo() override;

    static ModuleParams check(const QVariantList &params);
    // The rows of a "PlanilhaItem" packet as CSV text: a title line, then the quotation's
    // rows and the history, as the packet orders them.
    static QString csv(const DataPacket &packet);

    QLabel *lblTitulo = nullptr;
    DBGrid *dbgItens = nullptr;
    DBGrid *dbgHistorico = nullptr;
    QToolButton *sbtSalvarCsv = nullptr;
    QToolButton *sbtFechar = nullptr;
    ClientDataSet *cdsItens = nullptr;     // rows of kind "C"
    ClientDataSet *cdsHistorico = nullptr; // rows of kind "H"

    void reload();
    // Asks for a file name and writes the CSV; false when nothing was written.
    bool sbtSalvarCsvClick();

    // The size the module opens with in the host's area.
    QSize sizeHint() const override { return {900, 460}; }

private:
    void presentFields(ClientDataSet &ds, bool history);

    QVariantList m_params;
    std::unique_ptr<ModuleConnection> m_connection;
    DataPacket m_packet;
    DataSource *m_dtsItens = nullptr;
    DataSource *m_dtsHistorico = nullptr;
};
