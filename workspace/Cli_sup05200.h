#pragma once

#include "GridCotaPrecClient.h"
#include "PacketCache.h"
#include "ProductsPage.h"
#include "TfrmPadraoGrid.h"

#include <QColor>
#include <QDate>
#include <QPixmap>
#include <QPointer>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <memory>

class ClientDataSet;
class DataSource;
class DBGrid;
class DBLabel;
class DBMemo;
class Field;
class NetConnection;
class QuotationContext;
class DateEdit;
class MaskEdit;
class NumberEdit;
class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPlainTextEdit;
class QRadioButton;
class QStackedWidget;
class SpinEdit;
class TBtnPesquisa;
class ValidityWeek;
class QListWidget;
class QMdiSubWindow;
class QMenu;
class QAction;
class QToolButton;
class TADOIBQuery;
class TMessages;
class ToolButtonAction;

namespace Ui {
class TfrmGridCotaPrec;
}

// The quotation workspace "Planilha de Cotação de Preços" (screen code SUP05200): the
// package's only non-modal form, a child window of the host's MDI area.  It owns the
// quotation context (connections, typed clients, the quotation list, parameters, filter)
// that it hands to every dialog it creates; dialogs never reach the workspace itself.
//
// The class is spread over one source file per concern:
//   Cli_sup05200.cpp              creation, components, datasets and their display rules
//   Cli_sup05200_Activation.cpp   activation, deactivation, close, row and page changes
//   Cli_sup05200_Habilita.cpp     the enabling rule
//   Cli_sup05200_Cotacao.cpp      commands and checks of the quotation list
//   Cli_sup05200_Inclusao.cpp     the new quotation: its page, checks and confirmation
//   Cli_sup05200_Produtos.cpp     the products page: its three grids, their loading, packet
//                                 caches, positions, keys and the detail strip
//   Cli_sup05200_Itens.cpp        editing the product/brand rows and the page's commands
//   Cli_sup05200_ErrosCota.cpp    the server's validation of items and the error list
//   Cli_sup05200_Confirmacao.cpp  confirming the item prices, the zero-price check and the
//                                 exclusion of zero-priced items
//   Cli_sup05200_Messages.cpp     the message hook and the key rules
//   Cli_sup05200_Manutencao.cpp   the include and delete pop-ups of the products page:
//                                 the dialogs that add and remove suppliers and regions
//                                 and exclude products, and the page as they see it
class TfrmGridCotaPrec : public TfrmPadraoGrid, public ProductsPage
{
    Q_OBJECT

public:
    explicit TfrmGridCotaPrec(QWidget *parent = nullptr);
    ~TfrmGridCotaPrec() override;

    // --- context and connections ---------------------------------------------------------
    // What the dialogs get: connections, typed clients, shared datasets, filter.
    QuotationContext *context() const { return m_context; }
    // The context's connections: "Sup05200.rdmGridCotaPrec" (every quotation method) and
    // "Sup.rdmSuprimentos" (procurement parameters).
    NetConnection *netGridCotaPrec = nullptr;
    NetConnection *netSuprimentos = nullptr;

    // --- datasets ------------------------------------------------------------------------
    ClientDataSet *cdsColetapr = nullptr;      // the quotation list (dtsPadrao)
    ClientDataSet *cdsFornCotados = nullptr;   // suppliers quoted in the current quotation
    // Copy of cdsFornCotados taken when the supplier insertion opens: its price sources.
    ClientDataSet *cdsFornCotadosAux = nullptr;
    ClientDataSet *cdsParaSupri = nullptr;     // procurement parameters (one row)
    ClientDataSet *cdsGridRegiao = nullptr;    // products page: regions
    ClientDataSet *cdsGridFornecedor = nullptr; // products page: suppliers of the region
    ClientDataSet *cdsGridProdMarc = nullptr;  // products page: product/brand rows
    ClientDataSet *cdsErrosCota = nullptr;     // products page: inconsistencies reported
    // Copy of the product/brand rows taken when an edit or insertion starts: the pairs a
    // new row may not repeat.
    ClientDataSet *cdsVd_ChavePrim = nullptr;
    DataSource *dtsFornCotados = nullptr;
    DataSource *dtsParaSupri = nullptr;
    DataSource *dtsGridRegiao = nullptr;
    DataSource *dtsGridFornecedor = nullptr;
    DataSource *dtsGridProdMarc = nullptr;
    DataSource *dtsErrosCota = nullptr;

    // Quotation-list fields.  Looked up by name on each use: a packet of another layout
    // rebuilds the fields, so they are never kept as pointers.
    Field *cdsColetaprField(const QString &name) const;

    // --- queries -------------------------------------------------------------------------
    TADOIBQuery *qryCentCmp = nullptr;       // central purchasing branch (CDFILIAL, NMFILIAL_CENTRAL)
    TADOIBQuery *qryGerente = nullptr;       // managers of a buyer
    TADOIBQuery *qryPesqGereComp = nullptr;  // buyers of a manager
    TADOIBQuery *qryOperRelacAux = nullptr;  // operators related to a buyer
    TADOIBQuery *qryVerComprador = nullptr;  // is an operator a buyer
    DataSource *dtsGerente = nullptr;
    DataSource *dtsPesqGereComp = nullptr;

    // The inclusion page's look-ups and searches.
    TADOIBQuery *qryComprador = nullptr;     // buyers (one, or all with P_TOPERADOR 'T')
    TADOIBQuery *qryRegiao = nullptr;        // regions
    TADOIBQuery *qryPesqForn = nullptr;      // active, qualified suppliers (cdsPesqForn)
    TADOIBQuery *qryVerificacoes = nullptr;  // the four verifications (cdsVerificacoes)
    TADOIBQuery *qryProduto = nullptr;       // products in tree order
    TADOIBQuery *qryVerProduto = nullptr;    // one product by code
    TADOIBQuery *qryVerProdComp = nullptr;   // does a buyer negotiate a product
    TADOIBQuery *qryProdNegComp = nullptr;   // how many buyers negotiate a product
    TADOIBQuery *qryQualifForn = nullptr;    // a supplier's situation when qualified
    TADOIBQuery *qryGridProduto = nullptr;   // products that can be quoted
    TADOIBQuery *qryPesqJust = nullptr;      // standard justifications
    DataSource *dtsGridProduto = nullptr;
    DataSource *dtsPesqJust = nullptr;
    ClientDataSet *cdsCompra = nullptr;      // purchases (GetCompra), loaded once
    ClientDataSet *cdsPesqMarca = nullptr;   // brands (getPesqMarca)
    DataSource *dtsComprador = nullptr;
    DataSource *dtsRegiao = nullptr;
    DataSource *dtsPesqForn = nullptr;
    DataSource *dtsVerificacoes = nullptr;
    DataSource *dtsProduto = nullptr;
    DataSource *dtsCompra = nullptr;
    DataSource *dtsPesqMarca__ = nullptr;

    // The central purchasing branch code read at the first activation ("" before).
    QString centralBranch() const;

    // --- pages and controls ------------------------------------------------------------
    QWidget *tshIncCotacao = nullptr;   // "Inclusão de Cotação", reached only through include
    QWidget *tshCotacao = nullptr;      // "Cotação"
    // The inclusion page: one inner page (tshPrincipal) of a page control without tabs.
    QStackedWidget *pgcIncCotacao = nullptr;
    QWidget *tshPrincipal = nullptr;
    MaskEdit *medCdComprador = nullptr;
    TBtnPesquisa *btnComprador = nullptr;
    QLineEdit *edtNmComprador = nullptr;
    DateEdit *depColeta = nullptr;
    QRadioButton *rbtTodosDestino = nullptr, *rbtListaDestino = nullptr;
    QToolButton *sbtRegiao_Inc = nullptr;
    SpinEdit *speInicial_Inc = nullptr, *speFinal_Inc = nullptr;
    DateEdit *depDtInicial_Inc = nullptr, *depDtFinal_Inc = nullptr;
    QLineEdit *edtNmSemInicial_Inc = nullptr, *edtNmSemFinal_Inc = nullptr;
    QRadioButton *rbtProdTodos = nullptr, *rbtProdComprar = nullptr;
    QRadioButton *rbtTForn = nullptr, *rbtListForn = nullptr;
    QToolButton *sbtPesqForn = nullptr;
    MaskEdit *medCdProdIni = nullptr, *medCdProdFin = nullptr;
    TBtnPesquisa *btnProdIni = nullptr, *btnProdFin = nullptr;
    QLineEdit *edtNmProdIni = nullptr, *edtNmProdFin = nullptr;
    QRadioButton *rbtTMarca = nullptr, *rbtListMarca = nullptr;
    QToolButton *sbtMarca = nullptr;
    QRadioButton *rbtTVerif = nullptr, *rbtListVerif = nullptr;
    QToolButton *sbtVerif = nullptr;
    QCheckBox *chkCargObs = nullptr, *chkCarrega = nullptr, *chkDisMontLis = nullptr;
    MaskEdit *medCompra = nullptr;
    TBtnPesquisa *btnCompra = nullptr;
    QLineEdit *edtNmCompra = nullptr;
    QPlainTextEdit *memDsObsCotPrec = nullptr;
    QWidget *tshProdCotGrid = nullptr;  // "Produtos Cotados"
    DBGrid *dbgCotacao = nullptr;
    DBGrid *dbgForns = nullptr;
    QGroupBox *grbObs = nullptr;
    DBMemo *dbmObsCotPrec = nullptr;
    DBGrid *dbgGridRegiao = nullptr;
    DBGrid *dbgGridFornecedor = nullptr;
    DBGrid *dbgGridProdMarc = nullptr;
    QListWidget *lsbErrosCota = nullptr;
    QFrame *panDados = nullptr;            // the current product/brand row's figures
    NumberEdit *nedQtde = nullptr;         // quantity to buy
    NumberEdit *nedPrecoEcon = nullptr;    // economic price
    QLineEdit *edtDesconto = nullptr;      // discount "12,50 %"
    NumberEdit *nedDiferenca = nullptr;    // price less the discount
    NumberEdit *nedPrecoEconPI = nullptr;  // economic price PI, red below zero
    QLineEdit *edtQtdeDisp = nullptr;      // quantity available
    DBLabel *dbtNome = nullptr;
    DBLabel *dbtDtColeta = nullptr;
    DBLabel *dbtNmComprador = nullptr;
    QFrame *panDatVal = nullptr;
    DBLabel *dbtValidade = nullptr;
    DBLabel *dbtEntraLista = nullptr;
    QFrame *panCentCmp = nullptr;
    QLineEdit *edtCentCmp = nullptr;
    TMessages *msgGridCotaPrec = nullptr; // this form's message table (msgPadrao)

    // --- commands --------------------------------------------------------------------
    QToolButton *sbtFiltro = nullptr, *sbtExclPrZero = nullptr, *sbtCopiarCota = nullptr,
                *sbtSimulacao = nullptr, *sbtAutoMelhor = nullptr, *sbtObs = nullptr,
                *sbtPlanilha = nullptr, *sbtGridCotaPrecConsul = nullptr,
                *sbtReajustPr = nullptr, *sbtQtComprar = nullptr,
                *sbtAtualizaFormPgto = nullptr, *sbtCopy = nullptr,
                *sbtAlteraValidade = nullptr;
    QAction *mnuFiltro = nullptr, *mnuExclPrZero = nullptr, *mnuCopiarCota = nullptr,
            *mnuSimulacao = nullptr, *mnuAutoMelhor = nullptr, *mnuObs = nullptr,
            *mnuPlanilha = nullptr, *mnuGridCotaPrecConsul = nullptr,
            *mnuReajustPr = nullptr, *mnuQtComprar = nullptr,
            *mnuAtualizaFormPgto = nullptr, *mnuCopiaJust = nullptr,
            *mnuAltValidade = nullptr;
    // Supplier price sheets: export of the sheets, import of the filled ones.
    QToolButton *sbtExportaPlanilha = nullptr, *sbtImportaPlanilha = nullptr;
    QAction *mnuExportaPlanilha = nullptr, *mnuImportaPlanilha = nullptr;
    QMenu *mnuFerramentas = nullptr;     // the quotation tools
    QMenu *mnuPaginas = nullptr;         // page switching
    QAction *mnuCotacao = nullptr;       // shows tshCotacao
    QAction *mnuPadrao = nullptr;        // shows tshProdCotGrid
    QAction *mnuIncCotacao = nullptr;    // stands for tshIncCotacao while it is shown
    QMenu *pmnIncluir = nullptr;         // include pop-up (products page)
    QMenu *pmnExcluir = nullptr;         // delete pop-up (products page)
    QAction *mnuInsProd = nullptr, *mnuInsMarca = nullptr;
    QAction *mnuInsForn = nullptr, *mnuInsRegiao = nullptr;
    QAction *mnuDelForn = nullptr, *mnuDelRegiao = nullptr, *mnuDelProd = nullptr;
    QMenu *pmnConsul = nullptr;          // context menu of the product/brand grid
    QAction *mnuConsul = nullptr;
    // Never shown: the Confirm button of the products page clicks one of its items.
    QMenu *pmnConfirmar = nullptr;
    QAction *mnuConfTodasReg = nullptr, *mnuConfRegSel = nullptr;

    // --- workspace state (read and reset by the dialogs) ------------------------------
    // The data source of the grid the user works in; nullptr on the inclusion page.
    DataSource *FonteAtual = nullptr;
    // Packet caches of the products page: the suppliers of a region by [quotation,
    // region], the product/brand rows of a supplier by [quotation, region, supplier].
    // Whoever changes the data behind them resets them.
    PacketCache CacheGridFornecedor;
    PacketCache CacheGridProdMarc;
    // The supplier and the product/brand pair ([CDPRODUTO, CDMARCA]) the user last moved
    // to; reselected whenever a grid is reloaded.  UltProdMarc is invalid until the user
    // lands on a row.
    QString UltFornecedor;
    QVariant UltProdMarc;
    // False while a reload moves the grids, so that only the user's moves are remembered.
    bool RegistraPosicao = true;
    // Insertions into cdsGridProdMarc are refused unless this form's own code starts them.
    bool PermiteInclusao = false;
    // [CDARVPROD, CDMARCA] of the row current when an insertion began.
    QVariant ProdMarcInclusao;

    // The inclusion page's choices: lists as the list search writes them, marks "T" for
    // "all".  They live as long as the form.
    QString ListaRegiao, ListaForn, ListaMarca, ListaVerif;
    QString TodasRegioes, TodosForn;

    // --- lifecycle -------------------------------------------------------------------
    // Creation: connects both connections, sets the marks, shows the quotation page and,
    // on a consultation start, loads OlColetaPr.  Raises what the connections raise.
    void FormCreate();
    // Activation registers OnMessage as the message hook; the first one also reads the
    // central branch and the procurement parameters.  Deactivation clears the hook.
    void FormActivate();
    void FormDeactivate();
    // Close: the workspace no longer exists for the package, the hook is cleared, the
    // connections are closed and the dialogs kept between openings are destroyed.
    void FormClose();

    // Every application event while the workspace is active: recomputes the enabling
    // rule and maps the period keys to a comma in floating-point fields.
    void OnMessage(QObject *receiver, QEvent *event);
    // Recomputes which commands, pages and grids are enabled.
    void Habilita();

    // Reloads the quotation list from the server (GetColetaPr) for a buyer list and the
    // marks: s2 all buyers, s3 all regions, s4 all suppliers, s5 all dates.
    void AtualizaCotacao(const QString &buyer, const QString &s2, const QString &s3,
                         const QString &s4, const QString &s5, const QDate &firstDate,
                         const QDate &lastDate);

    // --- checks --------------------------------------------------------------------------
    // The logged operator may handle the current quotation (buyer or related operator).
    void vd_OperSistema();
    // The buyer typed in the list belongs to the logged manager; copies its name.
    void Vd_GereComp(bool required);
    // A manager of the quotation's buyer confirms with the password, on the quotation
    // connection, at every reopening: the server accepts a confirmation for one write.
    void Vd_SenhaGer();
    bool managerPasswordConfirmed() const { return m_senhaGer == QLatin1String("S"); }

    // The buyer negotiates the product of the current item of cdsGridProdMarc.
    void vd_ProdComprador();
    // The current supplier of cdsGridFornecedor is active and qualified at the current
    // quotation's collection date.
    void vd_Fornecedor();

    // --- the products page (Cli_sup05200_Produtos.cpp) -----------------------------------
    // Loads the quotation's regions, which cascades: the first region's suppliers, the
    // first supplier's rows, then the remembered supplier and row are reselected.
    void GetGridRegiao(const QString &number) override;
    // Loads the suppliers of a region (from the cache after the first time) and
    // reselects the remembered supplier.
    void GetGridFornecedor(const QString &number, const QString &region) override;
    // Loads a supplier's product/brand rows (from the cache after the first time) and
    // reselects the remembered row: the pair, else the product.
    void GetGridProdMarc(const QString &number, const QString &region, const QString &supplier);
    // Reloads the current supplier's rows from the cache, as the server last sent them.
    void reloadCurrentProdMarc();
    void cdsGridRegiaoAfterScroll();
    void cdsGridFornecedorAfterScroll();
    void cdsGridProdMarcAfterScroll();
    void cdsGridProdMarcAfterOpen();
    // The detail strip of the current product/brand row.
    void showProductFigures();
    // The justification column takes a justification (editing on, search button) only on
    // a row whose stored, non-zero price or brand has just been changed.
    void applyJustificationRule();
    // The product grid can be edited: IDUTISTATCOT 'N', or 'S' on a quotation in progress.
    bool itemEditingAllowed() const;
    void dbgGridProdMarcEnter();
    void tshProdCotGridEnter();
    void dbgGridRegiaoKeyDown(int &key, Qt::KeyboardModifiers shift);
    void dbgGridFornecedorKeyDown(int &key, Qt::KeyboardModifiers shift);
    void dbgGridProdMarcKeyDown(int &key, Qt::KeyboardModifiers shift);
    void dbgGridProdMarcKeyPress(QChar &key);
    // Every grid of the page: a marked column takes no typing unless a row is inserted.
    void filterMarkedColumnKey(DBGrid *grid, QChar &key);
    // The pictures of the products page's grids (imgCotacao, imgPrecAlt, imgItmLisPrec).
    static QStringList productPagePictureNames();

    // --- the maintenance pop-ups (Cli_sup05200_Manutencao.cpp) ---------------------------------
    // The products page as the maintenance dialogs see it.
    ClientDataSet *gridRegiao() const override { return cdsGridRegiao; }
    ClientDataSet *gridFornecedor() const override { return cdsGridFornecedor; }
    ClientDataSet *gridProdMarc() const override { return cdsGridProdMarc; }
    ClientDataSet *fornCotadosAux() const override { return cdsFornCotadosAux; }
    void resetGridCaches() override;
    void resetProdMarcCache() override;
    bool confirmPriceListRemoval() override;
    // The pop-up items: each acts only on the products page, the supplier and region
    // items only without pending item changes, the product item only while browsing.
    void mnuInsFornClick();
    void mnuInsRegiaoClick();
    void mnuDelProdClick();
    void mnuDelFornClick();
    void mnuDelRegiaoClick();
    // Adds to cdsFornCotados the quotation's suppliers it lacks (GetDistForns).
    void mergeQuotedSuppliers();

    // --- editing the product/brand rows (Cli_sup05200_Itens.cpp) --------------------------
    void cdsGridProdMarcBeforeEdit();
    void cdsGridProdMarcBeforeInsert();
    void cdsGridProdMarcAfterInsert();
    void cdsGridProdMarcBeforePost();
    void cdsGridProdMarcAfterPost();
    void cdsGridProdMarcAfterDelete();
    void dtsGridProdMarcStateChange();
    void dbgGridProdMarcColExit();
    void dbgGridProdMarcColEnter();
    void dbgGridProdMarcEditButtonClick();
    void dbgGridProdMarcDblClick();
    // The product of the row: required, known and quotable; copies code, name and unit.
    void Vd_GridProduto(bool required);
    // The brand of the row: required and known (getPesqMarca); copies its name.
    void Vd_Marca(bool required);
    // A new row may not repeat a product/brand pair of the supplier in the region.
    void Vd_ChavePrim();
    // Every altered row carries a justification when the parameters demand it.
    void Valida_Itens();
    void mnuInsProdClick();
    void mnuInsMarcaClick();
    void sbtCopyClick();
    // The products page's share of the commands.
    void confirmProducts();
    void cancelProducts();

    // --- the server's validation of items (Cli_sup05200_ErrosCota.cpp) --------------------
    // Validates the current product/brand row on the server; raises when it has
    // inconsistencies, which the error list then shows.
    void ValidaDados();
    // Shows the inconsistencies of the current row in lsbErrosCota.
    void PreencheErrosCota();
    // The texts of the flags 'S' of an IDERRO, in position order.
    QStringList errorTexts(const QString &flags) const;

    // --- confirming the item prices (Cli_sup05200_Confirmacao.cpp) --------------------------
    // The pending item changes stored for all regions or for the selected one, once the
    // server found every row of the supplier valid; then the zero-price check.
    void mnuConfTodasRegClick();
    void mnuConfRegSelClick();
    // Deletes the quotation's zero-priced items once the user agrees (also mnuExclPrZero).
    void sbtExclPrZeroClick();

    // --- the new quotation (Cli_sup05200_Inclusao.cpp) ------------------------------------
    // Shows the inclusion page with its defaults; the other pages and the record commands
    // are unreachable until it is confirmed or cancelled.
    void CriaInclusaoCotacao();
    // Hides the inclusion page and goes back to the quotation list.
    void Cancelar_InclusaoCotacao();
    // Checks the page, sends the new quotation (IncluirCotacao) and, on success, opens
    // the new quotation's products page.  A refusal opens the inclusion error list.
    void Confirmar_InclusaoCotacao();
    // Every check of the page, the one of the focused control first.
    void Validacao();
    void Vd_Comprador(bool required);
    void Vd_Data(bool required);
    void vd_Validade();
    void Vd_Produto(bool required, MaskEdit *edit);
    void Vd_Compra();
    // Why the server refused the inclusion the page describes (GetDetalhes).
    QString vd_InclusaoCotacao();
    // What IncluirCotacao is sent for what the page holds: the product bounds filled, the
    // weeks in two digits, the lists and the texts of the refusals.
    IncluirCotacaoArgs inclusionArgs() const;

    void rbtTodosDestinoClick();
    void rbtListaDestinoClick();
    void rbtTFornClick();
    void rbtListFornClick();
    void rbtTMarcaClick();
    void rbtListMarcaClick();
    void rbtTVerifClick();
    void rbtListVerifClick();
    void sbtRegiao_IncClick();
    void sbtPesqFornClick();
    void sbtMarcaClick();
    void sbtVerifClick();
    void speInicial_IncChange();
    void speFinal_IncChange();
    void depDtInicial_IncDateChange();
    void depDtFinal_IncDateChange();
    void depDtInicial_IncExit();
    void depDtFinal_IncExit();
    void depColetaExit();
    void medCdCompradorChange();

    // --- handlers ----------------------------------------------------------------------
    void sbtIncluirClick() override;
    void sbtAlterarClick() override;
    void sbtExcluirClick() override;
    void sbtProcurarClick() override;
    void sbtImprimirClick() override;
    void sbtConfirmarClick() override;
    void sbtCancelarClick() override;
    void FormKeyDown(int &key, Qt::KeyboardModifiers shift) override;
    // The base form's state handler, then the enabling rule.
    void dtsPadraoStateChange() override;
    void sbtFiltroClick();
    // The quotation tools that open the copy and validity-change dialogs
    // (Cli_sup05200_Ferramentas.cpp).
    void sbtCopiarCotaClick();
    void sbtAlteraValidadeClick();
    // The consultation sheet over the current quotation, and the item it sends the
    // workspace back to (Cli_sup05200_Consulta.cpp).
    void sbtGridCotaPrecConsulClick();
    bool abreItemConsulta(const QString &region, const QString &supplier, const QString &product,
                          const QString &brand);
    // The tools of the current quotation and item (Cli_sup05200_Ferramentas.cpp).
    void sbtSimulacaoClick();
    void sbtAutoMelhorClick();
    void sbtObsClick();
    void sbtPlanilhaClick();
    void sbtQtComprarClick();
    void sbtReajustPrClick();
    void sbtAtualizaFormPgtoClick();
    void sbtVerificarClick();
    // Recomputes the quantities to buy of the quotation (CargAcomprar); a text the server
    // answers is raised as the error.
    void CarregarAComprar(const QString &centralBranch, const QString &number);
    // What the negotiation/simulation module "SUP01802" and the spreadsheet information
    // module "SUP01803" are opened with for the current item.
    QVariantList simulacaoParams() const;
    QVariantList planilhaParams() const;
    void sbtExportaPlanilhaClick();
    void sbtImportaPlanilhaClick();

    void cdsColetaprAfterScroll();
    void cdsColetaprBeforePost();
    void cdsColetaprAfterPost();
    void cdsColetaprBeforeDelete();
    void cdsColetaprAfterDelete();
    void pgcPadraoChange();
    void dbgCotacaoColEnter();
    void dbgCotacaoColExit();
    void dbgCotacaoEditButtonClick();
    void dbgCotacaoKeyDown(int &key, Qt::KeyboardModifiers shift);
    void dbgCotacaoCellClick(int column);
    void dbgFornsKeyDown(int &key, Qt::KeyboardModifiers shift);
    void dbmObsCotPrecEnter();

    // The window that frames the workspace: its MDI child window, or the form itself
    // when it runs outside a host.
    QWidget *frame();
    // Shows the workspace in front of the host's other child windows and activates it.
    void bringForward();
    bool isActiveForm() const { return m_active; }
    // Asked at every activation: true fills the host's area (set by the package, which
    // knows the screen: a 480-line screen).
    std::function<bool()> maximizeOnActivation;

    // The page showing: INC, COT or PROD.
    enum class Page { Inc, Cot, Prod };
    Page currentPage() const;

    // The pictures of the quotation grid (imgAlert, imgEmail, imgNet, imgChecked,
    // imgUnChecked), drawn once per process; olive (32896) is their transparent colour.
    static QPixmap picture(const QString &name);
    static QColor transparentColour();
    // The picture a cell of dbgCotacao shows for a value of its field; empty for none.
    static QString cotacaoPictureName(const QString &fieldName, const QString &value);

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    // Creation steps (Cli_sup05200.cpp).
    void createDataSets();
    void createQuotationFields();
    void createSupplierFields();
    void createProductPageFields();
    void createQueries();
    void createPages();
    void createProductsPage();
    void createProductsPageData();
    void wireProductsPageEvents();
    void createNavigatorPanels();
    void createCommands();
    void wireEvents();
    // The inclusion page (Cli_sup05200_Inclusao.cpp).
    void createInclusionPage();
    void createInclusionData();
    void wireInclusionEvents();
    void fail(QWidget *control, const QString &key);
    void validateDate(DateEdit *date);
    void openCompra();
    bool noFilterChosen() const;

    // Quotation list (Cli_sup05200_Cotacao.cpp).
public:
    // A text of this form's message table.
    QString msg(const QString &key) const;
private:
    void sendHeaderDelta();
    bool usesSituation() const;        // IDUTISTATCOT = 'S'
    QString paraSupri(const QString &field) const;
    QString currentSituation() const;   // IDSITUCOLETA of the current quotation, upper case
    void checkSituationChange();
    void focusColumn(const QString &fieldName);
    bool isOperator(const QString &code) const;
    void togglePriceListFlag();
    bool priceListFlagAllowed() const;
    void loadConsultationPacket();
    void loadFornCotados();

    // Confirmation steps (Cli_sup05200_Confirmacao.cpp).
    void confirmItems(bool allRegions);
    // ValidaDados on every row of the supplier shown; the answer goes into cdsErrosCota.
    void validateSupplierItems();
    // SetItemCole of the pending changes; the logs are merged and the grids reloaded only
    // once the server stored them.  False when another user had changed the rows first.
    bool storeItemChanges(bool allRegions);
    // The header delta that goes with the items: null when nothing is left to send.
    QVariant headerDeltaToStore(bool withItems) const;
    void offerReloadAfterConflict(const QString &serverText);
    // Reloads the regions with both caches emptied and returns to the same region,
    // supplier and product/brand where they still exist.
    void reloadRegionsKeepingPosition();
    // GetVerPrZero: "" nothing to report, "1" no price at all, "2" some prices zero,
    // anything else an error text.
    QString zeroPriceState();
    void checkZeroPrices();

    // The quotation's origin "L" (or none) becomes "G" in the list.
    void markQuotationKeyed();
    // Reloads the current supplier's items with both caches emptied (products page only).
    void reloadSupplierItems();

    // Inserts a row into cdsGridProdMarc on behalf of this form's own commands.
    void insertProdMarcRow();
    // The value of a field before the pending changes, and now, as text.
    static QString oldText(const Field *field);
    static QString currentText(const Field *field);
    bool canTakeFocus(const QWidget *widget) const;
    QStringList currentItemKey() const;

    void followFrameActivation();
    void disconnectAll();
    void releaseReusedDialogs();

    std::unique_ptr<Ui::TfrmGridCotaPrec> m_ui;
    std::unique_ptr<ValidityWeek> m_validadeInicial;
    std::unique_ptr<ValidityWeek> m_validadeFinal;
    bool m_leavingField = false;
    QuotationContext *m_context = nullptr;
    QPointer<QMdiSubWindow> m_followedFrame;
    bool m_active = false;
    bool m_closed = false;
    bool m_firstActivation = true;
    bool m_situationChanged = false;
    QString m_senhaGer = QStringLiteral("N");
    bool m_inHabilita = false;
    bool m_built = false; // every component exists (the rule runs from then on)
};

// The package-level state of the workspace unit.
extern TfrmGridCotaPrec *frmGridCotaPrec; // the single workspace; null while none exists
extern bool boStCriado;                   // the workspace exists
extern bool boConsulta;                   // started on a packet of quotations
extern QVariant OlColetaPr;               // that packet (quotation-list layout)
extern int ActiveRow;                     // cell shared with the consultation sheet
extern int ActiveCol;
// The buyer's password was confirmed for the code now in the inclusion page: one flag for
// the whole package, cleared by every change of that code.
extern bool SenhaConfirmada;
