#pragma once

#include "ConsultWorkspaceLink.h"
#include "DataPacket.h"
#include "DecisionDrawCell.h"
#include "TfrmPadraoGrid.h"

#include <QString>

#include <vector>

class ClientDataSet;
class DecisionCubeModel;
class DecisionGrid;
class MaskEdit;
class NumberEdit;
class QAction;
class QFrame;
class QGroupBox;
class QLineEdit;
class QToolButton;
class QuotationContext;

// The consultation sheet "Planilha de Cotação de Preços - Consulta" (screen code
// SUP05202): the workspace's current quotation as a read-only cross table of products and
// brands (rows) against regions and suppliers (columns), each cell the quoted unit price,
// with the selected cell's details, an optional price history, the lowest price of each
// row marked, a find command and the export of the sheet as shown.  Double click or
// Enter on a cell closes the sheet and puts the workspace on that item.
//
// The first page lists the quotation's regions behind the row "XXX" (all regions); the
// products page shows the sheet of the region chosen there.
class TfrmGridCotaPrecConsul : public TfrmPadraoGrid
{
    Q_OBJECT

public:
    TfrmGridCotaPrecConsul(QuotationContext &context, ConsultWorkspaceLink link, QWidget *parent = nullptr);
    ~TfrmGridCotaPrecConsul() override;

    // --- components ------------------------------------------------------------------------
    QWidget *tshProdCot = nullptr;
    DecisionGrid *degCotacao = nullptr;
    DecisionCubeModel *decCotacao = nullptr;
    ClientDataSet *cdsServRegiao = nullptr;
    QToolButton *sbtHistorico = nullptr;
    QAction *mnuHistorico = nullptr;
    QToolButton *sbtExportar = nullptr;
    QFrame *panDados = nullptr;
    NumberEdit *nedPrecoEcon = nullptr, *nedPrecoEconPI = nullptr, *nedQtde = nullptr, *nedDiferenca = nullptr;
    QLineEdit *edtDesconto = nullptr;
    QFrame *Panel4 = nullptr;
    QLineEdit *edtProduto = nullptr, *edtUN = nullptr, *edtNMMarca = nullptr;
    QFrame *panHistorico = nullptr;
    QGroupBox *grbUltCot = nullptr, *grbMinPrNorm = nullptr, *grbMinPrAlter = nullptr;
    NumberEdit *nedPrUn_UltCot = nullptr, *nedPrEco_UltCot = nullptr, *nedVariacao = nullptr;
    QLineEdit *edtValIni_UltCot = nullptr, *edtValFin_UltCot = nullptr, *edtSemIni_UltCot = nullptr,
              *edtSemFin_UltCot = nullptr;
    QLineEdit *edtFornMarc_Normal = nullptr;
    NumberEdit *nedPrUn_FornN = nullptr, *nedPrEco_FornN = nullptr;
    QLineEdit *edtValIni_MinPrFN = nullptr, *edtValFin_MinPrFN = nullptr, *edtSemIni_MinPrFN = nullptr,
              *edtSemFin_MinPrFN = nullptr;
    QLineEdit *edtFornMarc_Altern = nullptr;
    NumberEdit *nedPrUn_FornA = nullptr, *nedPrEco_FornA = nullptr;
    QLineEdit *edtValIni_MinPrFA = nullptr, *edtValFin_MinPrFA = nullptr, *edtSemIni_MinPrFA = nullptr,
              *edtSemFin_MinPrFA = nullptr;

    // --- the selected cell (kept between openings) --------------------------------------------
    QString stCdRegiao, stNmRegiao, stCdForneced, stNmForneced, stCdProduto, stNmProduto, stCdMarca, stNmMarca,
        stCdArvProd;
    int ActiveRow = -1;

    // --- lifecycle ----------------------------------------------------------------------------
    // Set by CriaGridCotaPrecConsul: the next activation reloads the region list and sheet.
    void setActivate() { boAtivar = true; }
    void FormActivate();

    // --- operations -----------------------------------------------------------------------------
    void MontaDecisionCube();
    void PreencheAltCotacao(bool force);
    void Historico();
    void LocalizaCelula();
    // The header coordinates of a data cell's three dimensions (region, supplier, product)
    // and their values.
    struct CellIndex
    {
        QString region, supplier, product;
        int regionColumn = -1, regionRow = -2;
        int supplierColumn = -1, supplierRow = -1;
        int productColumn = -1, productRow = -1;
    };
    CellIndex CalcIndex(int column, int row) const;
    // The lowest price above zero of a sheet row; 0 when the row has none.
    double lowestPrice(int row) const;
    // The sheet as shown, as CSV text (";" between fields, decimal comma).
    QString sheetAsCsv() const;

    // --- handlers ---------------------------------------------------------------------------------
    void pgcPadraoChange();
    void degCotacaoDecisionDrawCell(DecisionDrawCell &cell);
    void degCotacaoSelectCell(int column, int row);
    void degCotacaoDblClick();
    void degCotacaoKeyUp(int key);
    void sbtHistoricoClick();
    void mnuHistoricoClick();
    void sbtExportarClick();
    void sbtProcurarClick() override;
    void dtsPadraoStateChange() override;

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void createPages();
    void createDetailPanels();
    void createHistoryPanel();
    void createData();
    QString msg(const QString &key) const;
    void loadRegions(const QString &allRegionsName);
    bool regionListStale() const;
    // The packet record of a data cell; -1 for an empty cell.
    int recordOf(int column, int row) const;
    QVariant sheetValue(int record, const QString &field) const;
    void computeRowMinima();

    QuotationContext &m_context;
    ConsultWorkspaceLink m_link;
    DataPacket m_sheet;                 // the sheet's records: cube data and cell details
    std::vector<double> m_rowMinimum;   // per sheet row
    bool boAtivar = false;
    bool boHistInicial = true;
    QString stProdAnterior;
    // The snapshots of the selected cell's details.
    QString m_snapPreco, m_snapEcon, m_snapEconPI, m_snapQtde, m_snapUN, m_snapDesconto;
};

// Creates the sheet once (it is kept and reused), marks it for reloading and shows it
// modally over owner.  The sheet belongs to the quotation context it was created with.
void CriaGridCotaPrecConsul(QuotationContext &context, const ConsultWorkspaceLink &link, QWidget *owner = nullptr);
// The sheet when it has been created, else nullptr.
TfrmGridCotaPrecConsul *frmGridCotaPrecConsul();
// Destroys the kept sheet (when the workspace closes).
void LiberaGridCotaPrecConsul();
