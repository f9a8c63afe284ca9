#pragma once

#include <QVariantList>
#include <QWidget>

#include <memory>

class ModuleConnection;
class ModuleParams;
class PriceSimulationModel;
class QLabel;
class QTableView;
class QToolButton;

// The negotiation and simulation module SUP01802, opened by the workspace for the current
// item with [CDFILIAL, NRCOLEPRECO, CDFORNECED, CDPRODUTO, CDARVPROD, CDMARCA, CDREGIAO,
// " "]: the product's prices from every supplier and region of the quotation side by
// side, with the quantities to buy, each supplier's total cost and the cheapest choice
// marked (PriceSimulationModel), read through the server (GetSimulacaoItem).  Shown in the
// host's MDI area like any module window.
class PriceSimulation : public QWidget
{
    Q_OBJECT

public:
    static constexpr int kParamCount = 8;

    // Raises ModuleError when params is not the module's array, and what the server
    // raises when the prices cannot be read; nothing is shown then.
    explicit PriceSimulation(const QVariantList &params, QWidget *parent = nullptr);
    ~PriceSimulation() override;

    // The check of the array the module is opened with.
    static ModuleParams check(const QVariantList &params);

    QLabel *lblCotacao = nullptr;
    QTableView *tblSimulacao = nullptr;
    QLabel *lblResumo = nullptr;
    QToolButton *sbtAtualizar = nullptr;
    QToolButton *sbtFechar = nullptr;
    PriceSimulationModel *model() const { return m_model; }

    // Reads the prices again (after a change in the workspace).
    void reload();

    // The size the module opens with in the host's area.
    QSize sizeHint() const override { return {1000, 380}; }

private:
    void showSummary();

    QVariantList m_params;
    std::unique_ptr<ModuleConnection> m_connection;
    PriceSimulationModel *m_model = nullptr;
};
