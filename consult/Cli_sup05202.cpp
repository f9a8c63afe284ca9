// The consultation sheet: creation and activation, the region list, the sheet built as a
// decision cube over the server's records, the drawing rules of its cells, the details
// and history of the selected cell, the jump back to the workspace, find and export.
#include "Cli_sup05202.h"

#include "Cli_sup05217.h"
#include "ClientDataSet.h"
#include "Consiste.h"
#include "Corvane.h"
#include "CsvWriter.h"
#include "DBGrid.h"
#include "DBNavigator.h"
#include "DataSource.h"
#include "DecisionCube_Sup05200.h"
#include "DecisionCubeModel.h"
#include "DecisionGrid.h"
#include "DecisionGridDelegate.h"
#include "Field.h"
#include "NumberEdit.h"
#include "NumberFormat.h"
#include "PageControl.h"
#include "ProtocolContract.h"
#include "QuotationContext.h"
#include "SheetKeys.h"
#include "ShowAvi.h"
#include "SupResources.h"
#include "TMessages.h"
#include "ToolButtonAction.h"
#include "UserInterface.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QSaveFile>
#include <QScopeGuard>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QPointer<TfrmGridCotaPrecConsul> s_form;

const QString kPriceMask = QStringLiteral("#,##0.00000");
const QString kQuantityMask = QStringLiteral("#,##0.000");
const QString kDiscountMask = QStringLiteral("#0.00 %");
// The text of a cell without a quotation: four blanks, a hyphen, five blanks.
const QString kEmptyCell = QStringLiteral("    -     ");
const QColor kInactiveCaption(191, 205, 219);
const QColor kAlternative(Qt::yellow);
const int kProductNameWidth = 30;
const int kProductColumnWidth = 33;

QString snapshot(const QString &text)
{
    return text.left(25);
}

} // namespace

// --- creation ----------------------------------------------------------------------------------

TfrmGridCotaPrecConsul::TfrmGridCotaPrecConsul(QuotationContext &context, ConsultWorkspaceLink link, QWidget *parent)
    : TfrmPadraoGrid(parent)
    , m_context(context)
    , m_link(std::move(link))
{
    setObjectName(QStringLiteral("frmGridCotaPrecConsul"));
    setProperty("screenCode", QStringLiteral("SUP05202"));
    supInitResources();
    msgPadrao->load(QStringLiteral("Cli_sup05202"));
    setWindowTitle(msg(QStringLiteral("Titulo")));
    setWindowFlag(Qt::Window, true);

    createData();
    createPages();
    createDetailPanels();
    createHistoryPanel();

    // Printing has no place in the consultation.
    sbtImprimir->setEnabled(false);
    sbtImprimir->hide();
    mnuImprimir->setEnabled(false);
    mnuListagem->menuAction()->setEnabled(false);
    mnuListagem->menuAction()->setVisible(false);

    // The history toggle: a button that stays down, and its menu item after a separator.
    mnuRegistro->addSeparator();
    mnuHistorico = mnuRegistro->addAction(msg(QStringLiteral("Mnu_Historico")));
    mnuHistorico->setObjectName(QStringLiteral("mnuHistorico"));
    connect(mnuHistorico, &QAction::triggered, this, Consiste::guarded([this] { mnuHistoricoClick(); }));
    sbtHistorico = new QToolButton(panMenu);
    sbtHistorico->setObjectName(QStringLiteral("sbtHistorico"));
    sbtHistorico->setCheckable(true);
    sbtHistorico->setText(QString(msg(QStringLiteral("HAB_HIST"))).replace(QLatin1String("%S"), QString()));
    sbtHistorico->setToolTip(sbtHistorico->text());
    connect(sbtHistorico, &QToolButton::clicked, this, Consiste::guarded([this] { sbtHistoricoClick(); }));
    addToToolbar(nullptr);
    addToToolbar(sbtHistorico);
    ToolButtonAction *exportar = addCommand(QStringLiteral("sbtExportar"), QStringLiteral("mnuExportar"),
                                            msg(QStringLiteral("Cap_Exportar")), msg(QStringLiteral("Hint_Exportar")),
                                            mnuRegistro, [this] { sbtExportarClick(); });
    sbtExportar = exportar->button();

    pgcPadrao->setActivePage(tshPadrao);
    // The user's page changes; the program's own run the handler where they happen.
    pgcPadrao->onChange = [this] { pgcPadraoChange(); };
    pgcPadraoChange();
}

TfrmGridCotaPrecConsul::~TfrmGridCotaPrecConsul() = default;

QString TfrmGridCotaPrecConsul::msg(const QString &key) const
{
    return msgPadrao->Msg(key);
}

void TfrmGridCotaPrecConsul::createData()
{
    cdsServRegiao = new ClientDataSet(this);
    cdsServRegiao->setObjectName(QStringLiteral("cdsServRegiao"));
    for (const FieldDef &def : Protocol::packetLayout(QStringLiteral("ServRegiao")))
        cdsServRegiao->addFieldDef(def.name, def.type, def.size, def.required);
    cdsServRegiao->afterOpen = [this](ClientDataSet &ds) {
        // Retira_LogChanges: the list is read-only.
        ds.setLogChanges(false);
        if (Field *code = ds.findField(QStringLiteral("CDREGIAO"))) {
            code->setDisplayLabel(msg(QStringLiteral("Col_CDREGIAO")));
            // cdsServRegiaoCDREGIAOGetText: the all-regions row shows no code.
            code->onGetText = [](const Field &f, bool) {
                return f.asString().compare(SheetKeys::kAllRegionsCode, Qt::CaseInsensitive) == 0 ? QString()
                                                                                                  : f.asString();
            };
        }
        if (Field *name = ds.findField(QStringLiteral("NMREGIAO")))
            name->setDisplayLabel(msg(QStringLiteral("Col_NMREGIAO")));
        if (Field *number = ds.findField(QStringLiteral("NRCOLEPRECO")))
            number->setVisible(false);
    };
    dtsPadrao->setDataSet(cdsServRegiao);
    decCotacao = new DecisionCubeModel(this);
    decCotacao->setObjectName(QStringLiteral("decCotacao"));
}

void TfrmGridCotaPrecConsul::createPages()
{
    pgcPadrao->setCaption(tshPadrao, msg(QStringLiteral("Pag_Regiao")));
    dbgPadrao->setColumns({DBGridColumn(QStringLiteral("CDREGIAO"), {}, 47), DBGridColumn(QStringLiteral("NMREGIAO"))});
    dbgPadrao->setReadOnly(true);

    tshProdCot = new QWidget(pgcPadrao);
    tshProdCot->setObjectName(QStringLiteral("tshProdCot"));
    auto *layout = new QVBoxLayout(tshProdCot);
    layout->setContentsMargins(2, 2, 2, 2);
    degCotacao = new DecisionGrid(tshProdCot);
    degCotacao->setObjectName(QStringLiteral("degCotacao"));
    degCotacao->setCubeModel(decCotacao);
    degCotacao->setRowHeight(17);
    degCotacao->horizontalHeader()->setDefaultSectionSize(130);
    degCotacao->setDataColor(degCotacao->palette().color(QPalette::ToolTipBase));
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixed.setFamilies({QStringLiteral("Courier New"), fixed.family()});
    fixed.setPointSize(degCotacao->font().pointSize() > 0 ? degCotacao->font().pointSize() : 9);
    degCotacao->setRowHeaderFont(fixed);
    // 33 columns of product name and a brand name of up to 20, never cut.
    degCotacao->setRowHeaderWidth(qMax(335, QFontMetrics(fixed).horizontalAdvance(QString(53, QLatin1Char('M'))) + 8));
    degCotacao->setCaption(msg(QStringLiteral("captionFR")));
    layout->addWidget(degCotacao, 1);
    pgcPadrao->addPage(tshProdCot, msg(QStringLiteral("Pag_ProdCot")));

    connect(degCotacao, &DecisionGrid::currentCellChanged, this,
            [this](int column, int row) { Consiste::runGuarded([=, this] { degCotacaoSelectCell(column, row); }); });
    connect(degCotacao, &DecisionGrid::cellActivated, this,
            [this](int, int) { Consiste::runGuarded([this] { degCotacaoDblClick(); }); });
    connect(degCotacao, &DecisionGrid::keyReleased, this,
            [this](int key) { Consiste::runGuarded([=, this] { degCotacaoKeyUp(key); }); });
}

namespace {

NumberEdit *numberEdit(QWidget *parent, const char *name, int decimals)
{
    auto *e = new NumberEdit(parent);
    e->setObjectName(QLatin1String(name));
    e->setDecimals(decimals);
    e->setReadOnly(true);
    e->setFocusPolicy(Qt::NoFocus);
    return e;
}

QLineEdit *lineEdit(QWidget *parent, const char *name)
{
    auto *e = new QLineEdit(parent);
    e->setObjectName(QLatin1String(name));
    e->setReadOnly(true);
    e->setFocusPolicy(Qt::NoFocus);
    return e;
}

} // namespace

void TfrmGridCotaPrecConsul::createDetailPanels()
{
    auto *page = static_cast<QVBoxLayout *>(tshProdCot->layout());
    panDados = new QFrame(tshProdCot);
    panDados->setObjectName(QStringLiteral("panDados"));
    panDados->setFrameShape(QFrame::StyledPanel);
    auto *dados = new QHBoxLayout(panDados);
    dados->setContentsMargins(4, 2, 4, 2);
    auto labelled = [](QBoxLayout *into, QWidget *parent, const QString &caption, QWidget *edit) {
        auto *label = new QLabel(caption, parent);
        label->setBuddy(edit);
        into->addWidget(label);
        into->addWidget(edit, 1);
    };
    nedPrecoEcon = numberEdit(panDados, "nedPrecoEcon", 5);
    nedPrecoEconPI = numberEdit(panDados, "nedPrecoEconPI", 5);
    nedQtde = numberEdit(panDados, "nedQtde", 3);
    edtDesconto = lineEdit(panDados, "edtDesconto");
    nedDiferenca = numberEdit(panDados, "nedDiferenca", 5);
    labelled(dados, panDados, msg(QStringLiteral("Lbl_PrecoEcon")), nedPrecoEcon);
    labelled(dados, panDados, msg(QStringLiteral("Lbl_PrecoEconPI")), nedPrecoEconPI);
    labelled(dados, panDados, msg(QStringLiteral("Lbl_Qtde")), nedQtde);
    labelled(dados, panDados, msg(QStringLiteral("Lbl_Desconto")), edtDesconto);
    labelled(dados, panDados, msg(QStringLiteral("Lbl_Diferenca")), nedDiferenca);
    page->addWidget(panDados);

    Panel4 = new QFrame(tshProdCot);
    Panel4->setObjectName(QStringLiteral("Panel4"));
    Panel4->setFrameShape(QFrame::StyledPanel);
    auto *p4 = new QHBoxLayout(Panel4);
    p4->setContentsMargins(4, 2, 4, 2);
    edtProduto = lineEdit(Panel4, "edtProduto");
    edtUN = lineEdit(Panel4, "edtUN");
    edtNMMarca = lineEdit(Panel4, "edtNMMarca");
    labelled(p4, Panel4, msg(QStringLiteral("Lbl_Produto")), edtProduto);
    p4->setStretchFactor(edtProduto, 4);
    labelled(p4, Panel4, msg(QStringLiteral("Lbl_UN")), edtUN);
    labelled(p4, Panel4, msg(QStringLiteral("Lbl_Marca")), edtNMMarca);
    p4->setStretchFactor(edtNMMarca, 2);
    page->addWidget(Panel4);
}

void TfrmGridCotaPrecConsul::createHistoryPanel()
{
    auto *page = static_cast<QVBoxLayout *>(tshProdCot->layout());
    panHistorico = new QFrame(tshProdCot);
    panHistorico->setObjectName(QStringLiteral("panHistorico"));
    auto *row = new QHBoxLayout(panHistorico);
    row->setContentsMargins(0, 0, 0, 0);

    // One group: optional supplier, unit and economic price, validity dates and weeks.
    auto group = [&](const char *name, QLineEdit **supplier, const char *supplierName, NumberEdit **unit,
                     const char *unitName, NumberEdit **economic, const char *economicName, QLineEdit **first,
                     const char *firstName, QLineEdit **last, const char *lastName, QLineEdit **firstWeek,
                     const char *firstWeekName, QLineEdit **lastWeek, const char *lastWeekName) {
        auto *box = new QGroupBox(msg(QLatin1String(name)), panHistorico);
        box->setObjectName(QLatin1String(name));
        auto *grid = new QGridLayout(box);
        grid->setContentsMargins(4, 2, 4, 2);
        int r = 0;
        if (supplier) {
            *supplier = lineEdit(box, supplierName);
            grid->addWidget(new QLabel(msg(QStringLiteral("Lbl_Fornecedor")), box), r, 0);
            grid->addWidget(*supplier, r++, 1, 1, 3);
        }
        *unit = numberEdit(box, unitName, 5);
        *economic = numberEdit(box, economicName, 5);
        grid->addWidget(new QLabel(msg(QStringLiteral("Lbl_PrUn")), box), r, 0);
        grid->addWidget(*unit, r, 1);
        grid->addWidget(new QLabel(msg(QStringLiteral("Lbl_PrEco")), box), r, 2);
        grid->addWidget(*economic, r++, 3);
        *first = lineEdit(box, firstName);
        *last = lineEdit(box, lastName);
        grid->addWidget(new QLabel(msg(QStringLiteral("Lbl_Validade")), box), r, 0);
        grid->addWidget(*first, r, 1);
        grid->addWidget(new QLabel(msg(QStringLiteral("Lbl_A")), box), r, 2, Qt::AlignCenter);
        grid->addWidget(*last, r++, 3);
        *firstWeek = lineEdit(box, firstWeekName);
        *lastWeek = lineEdit(box, lastWeekName);
        grid->addWidget(new QLabel(msg(QStringLiteral("Lbl_Semana")), box), r, 0);
        grid->addWidget(*firstWeek, r, 1);
        grid->addWidget(new QLabel(msg(QStringLiteral("Lbl_A")), box), r, 2, Qt::AlignCenter);
        grid->addWidget(*lastWeek, r++, 3);
        row->addWidget(box, 1);
        return std::pair{box, grid};
    };
    auto [ult, ultGrid] = group("grbUltCot", nullptr, nullptr, &nedPrUn_UltCot, "nedPrUn_UltCot", &nedPrEco_UltCot,
                                "nedPrEco_UltCot", &edtValIni_UltCot, "edtValIni_UltCot", &edtValFin_UltCot,
                                "edtValFin_UltCot", &edtSemIni_UltCot, "edtSemIni_UltCot", &edtSemFin_UltCot,
                                "edtSemFin_UltCot");
    grbUltCot = ult;
    nedVariacao = numberEdit(ult, "nedVariacao", 2);
    ultGrid->addWidget(new QLabel(msg(QStringLiteral("Lbl_Variacao")), ult), 3, 0);
    ultGrid->addWidget(nedVariacao, 3, 1);
    grbMinPrNorm = group("grbMinPrNorm", &edtFornMarc_Normal, "edtFornMarc_Normal", &nedPrUn_FornN, "nedPrUn_FornN",
                         &nedPrEco_FornN, "nedPrEco_FornN", &edtValIni_MinPrFN, "edtValIni_MinPrFN", &edtValFin_MinPrFN,
                         "edtValFin_MinPrFN", &edtSemIni_MinPrFN, "edtSemIni_MinPrFN", &edtSemFin_MinPrFN,
                         "edtSemFin_MinPrFN")
                       .first;
    grbMinPrAlter = group("grbMinPrAlter", &edtFornMarc_Altern, "edtFornMarc_Altern", &nedPrUn_FornA, "nedPrUn_FornA",
                          &nedPrEco_FornA, "nedPrEco_FornA", &edtValIni_MinPrFA, "edtValIni_MinPrFA", &edtValFin_MinPrFA,
                          "edtValFin_MinPrFA", &edtSemIni_MinPrFA, "edtSemIni_MinPrFA", &edtSemFin_MinPrFA,
                          "edtSemFin_MinPrFA")
                        .first;
    for (NumberEdit *price : {nedPrUn_UltCot, nedPrEco_UltCot, nedPrUn_FornN, nedPrEco_FornN, nedPrUn_FornA, nedPrEco_FornA})
        price->setThousandsSeparator(true);
    page->addWidget(panHistorico);
    panHistorico->hide();
}

// --- activation ----------------------------------------------------------------------------------

void TfrmGridCotaPrecConsul::showEvent(QShowEvent *event)
{
    TfrmPadraoGrid::showEvent(event);
    Consiste::runGuarded([this] { FormActivate(); });
}

bool TfrmGridCotaPrecConsul::regionListStale() const
{
    if (!cdsServRegiao->active() || cdsServRegiao->isEmpty())
        return true;
    return cdsServRegiao->valueAt(0, cdsServRegiao->fieldByName(QStringLiteral("NRCOLEPRECO"))->index()).toString()
           != m_context.currentNumber();
}

void TfrmGridCotaPrecConsul::loadRegions(const QString &allRegionsName)
{
    const DataPacket packet =
        m_context.gridCotaPrec().getServRegiao(m_context.currentBranch(), m_context.currentNumber(), allRegionsName);
    cdsServRegiao->close();
    cdsServRegiao->setData(packet);
}

void TfrmGridCotaPrecConsul::FormActivate()
{
    stProdAnterior.clear();
    update();
    if (!boAtivar)
        return;
    boAtivar = false;
    if (regionListStale()) {
        ShowAviGuard avi(window(), ShowAviKind::Receiving, msg(QStringLiteral("Get_Regiao")));
        loadRegions(msg(QStringLiteral("P_Todas")));
    }
    cdsServRegiao->locate(QStringLiteral("CDREGIAO"), SheetKeys::kAllRegionsCode, LocateOption::CaseInsensitive);
    pgcPadrao->setActivePage(tshProdCot);
    pgcPadraoChange();
    LocalizaCelula();
}

void TfrmGridCotaPrecConsul::closeEvent(QCloseEvent *event)
{
    // Closing hides the sheet: it is kept for the next opening, which reloads everything.
    pgcPadrao->setActivePage(tshPadrao);
    cdsServRegiao->close();
    m_sheet = DataPacket();
    decCotacao->clear();
    m_rowMinimum.clear();
    event->accept();
}

// --- pages -------------------------------------------------------------------------------------

void TfrmGridCotaPrecConsul::pgcPadraoChange()
{
    const bool products = pgcPadrao->activePage() == tshProdCot;
    mnuHistorico->setEnabled(products);
    sbtHistorico->setEnabled(products);
    sbtExportar->setEnabled(products && decCotacao->rowCount() > 0);
    dbnPadrao->setEnabled(!products);
    if (!products) {
        if (regionListStale() && m_context.hasQuotation()) {
            const QString region = cdsServRegiao->active() && !cdsServRegiao->isEmpty()
                                       ? cdsServRegiao->fieldByName(QStringLiteral("CDREGIAO"))->asString()
                                       : QString();
            {
                ShowAviGuard avi(window(), ShowAviKind::Receiving, msg(QStringLiteral("Get_Regiao")));
                loadRegions(msg(QStringLiteral("P_Todas")));
            }
            cdsServRegiao->locate(QStringLiteral("CDREGIAO"), region, LocateOption::CaseInsensitive);
        }
        return;
    }
    const auto focusGrid = [this] {
        stProdAnterior.clear();
        degCotacao->repaintAll();
        if (degCotacao->isVisible() && degCotacao->isEnabled())
            degCotacao->setFocus();
    };
    try {
        MontaDecisionCube();
    } catch (...) {
        focusGrid();
        throw;
    }
    focusGrid();
    sbtExportar->setEnabled(decCotacao->rowCount() > 0);
}

void TfrmGridCotaPrecConsul::MontaDecisionCube()
{
    try {
        if (regionListStale()) {
            ShowAviGuard avi(window(), ShowAviKind::Receiving, msg(QStringLiteral("Get_Regiao")));
            loadRegions(msg(QStringLiteral("P_Todas")));
            cdsServRegiao->locate(QStringLiteral("CDREGIAO"), SheetKeys::kAllRegionsCode);
        }
        stProdAnterior.clear();
        PreencheAltCotacao(true);
        pgcPadrao->setActivePage(tshProdCot);
        if (panHistorico->isVisible()) {
            QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
            Historico();
            update();
        }
    } catch (...) {
        pgcPadrao->setActivePage(tshPadrao);
        mnuHistorico->setEnabled(false);
        sbtHistorico->setEnabled(false);
        sbtExportar->setEnabled(false);
        dbnPadrao->setEnabled(true);
        throw;
    }
}

void TfrmGridCotaPrecConsul::PreencheAltCotacao(bool force)
{
    Q_UNUSED(force) // every caller reloads
    QString region = SheetKeys::kAllRegionsArgument;
    if (cdsServRegiao->active() && !cdsServRegiao->isEmpty()) {
        const QString current = cdsServRegiao->fieldByName(QStringLiteral("CDREGIAO"))->asString();
        if (current.compare(SheetKeys::kAllRegionsCode, Qt::CaseInsensitive) != 0)
            region = current;
    }
    decCotacao->clear();
    m_sheet = DataPacket();
    m_rowMinimum.clear();
    DataPacket packet;
    {
        ShowAviGuard avi(window(), ShowAviKind::Receiving, msg(QStringLiteral("Get_Cotacao")));
        packet = m_context.gridCotaPrec().getStringList(m_context.currentBranch(), m_context.currentNumber(), region);
    }
    if (packet.rowCount() == 0)
        Consiste::MensErro(msg(QStringLiteral("Erro_PlanCota")));
    // The cube is never built over a single record: the record is given twice.
    if (packet.rowCount() == 1)
        packet.appendRow(packet.rows().constFirst());
    m_sheet = std::move(packet);

    DecisionCube &cube = decCotacao->cube();
    cube.setCapacity(DecisionCube_Sup05200::MemoryCapacity());
    cube.setRowSparsing(true);
    cube.setColumnSparsing(true);
    decCotacao->rebuild(m_sheet, {{QStringLiteral("COCREGIAO"), QStringLiteral("COCFORNECED")},
                                  {QStringLiteral("COCPRODUTO")},
                                  QStringLiteral("CONTA")});
    computeRowMinima();
    degCotacao->setDrawCellHandler([this](DecisionDrawCell &cell) { degCotacaoDecisionDrawCell(cell); });
    stProdAnterior.clear();
}

void TfrmGridCotaPrecConsul::computeRowMinima()
{
    const DecisionCube &cube = decCotacao->cube();
    const int price = m_sheet.fieldIndex(QStringLiteral("PRECOUNIT"));
    m_rowMinimum.assign(cube.rowCount(), 0.0);
    for (int r = 0; r < cube.rowCount(); ++r) {
        double lowest = 0;
        for (int c = 0; c < cube.columnCount(); ++c) {
            const int record = cube.sourceRow(r, c);
            if (record < 0)
                continue;
            const double value = m_sheet.rows().at(record).at(price).toDouble();
            if (value > 0 && (lowest == 0 || value < lowest))
                lowest = value;
        }
        m_rowMinimum[r] = lowest;
    }
}

double TfrmGridCotaPrecConsul::lowestPrice(int row) const
{
    return row >= 0 && row < int(m_rowMinimum.size()) ? m_rowMinimum[row] : 0.0;
}

// --- cells ---------------------------------------------------------------------------------------

int TfrmGridCotaPrecConsul::recordOf(int column, int row) const
{
    return decCotacao->cube().sourceRow(row, column);
}

QVariant TfrmGridCotaPrecConsul::sheetValue(int record, const QString &field) const
{
    if (record < 0 || record >= m_sheet.rowCount())
        return {};
    return m_sheet.value(record, field);
}

TfrmGridCotaPrecConsul::CellIndex TfrmGridCotaPrecConsul::CalcIndex(int column, int row) const
{
    CellIndex index;
    const int columnDims = decCotacao->cube().columnDimensionCount();
    const int rowDims = decCotacao->cube().rowDimensionCount();
    // A column dimension: the first non-empty header at or left of the column.
    auto columnHeader = [&](int dim, int *headerColumn, int *headerRow) {
        *headerRow = dim - columnDims;
        int c = column;
        while (c > -1 && degCotacao->cellValue(c, *headerRow).isEmpty())
            --c;
        *headerColumn = c;
        return degCotacao->cellValue(c, *headerRow);
    };
    index.region = columnHeader(0, &index.regionColumn, &index.regionRow);
    index.supplier = columnHeader(1, &index.supplierColumn, &index.supplierRow);
    index.productColumn = 0 - rowDims;
    int r = row;
    while (r > -1 && degCotacao->cellValue(index.productColumn, r).isEmpty())
        --r;
    index.productRow = r;
    index.product = degCotacao->cellValue(index.productColumn, r);
    return index;
}

void TfrmGridCotaPrecConsul::degCotacaoDecisionDrawCell(DecisionDrawCell &cell)
{
    if (m_sheet.rowCount() == 0)
        return;
    switch (cell.kind) {
    case DecisionDrawCell::Kind::Data: {
        const int record = recordOf(cell.column, cell.row);
        if (record < 0) {
            cell.text = kEmptyCell;
            cell.background = kInactiveCaption;
            break;
        }
        const double price = sheetValue(record, QStringLiteral("PRECOUNIT")).toDouble();
        cell.text = NumberFormat::format(price, kPriceMask);
        cell.background = degCotacao->dataColor();
        if (sheetValue(record, QStringLiteral("IDCOTALTER")).toString() == QLatin1String("S"))
            cell.background = kAlternative;
        double shown = 0;
        NumberFormat::parse(cell.text, &shown);
        if (shown == 0)
            cell.background = kInactiveCaption;
        cell.emphasis = price > 0 && price == lowestPrice(cell.row);
        break;
    }
    case DecisionDrawCell::Kind::Caption:
        cell.text = cell.row == -1 ? msg(QStringLiteral("captionFR")) : QString();
        break;
    case DecisionDrawCell::Kind::RowHeader: {
        const SheetKeys::ProductParts parts = SheetKeys::productParts(cell.text);
        // The product name only on the first row of each product (and on the top row in
        // view, so that a scrolled sheet still names it).
        const QString previous =
            cell.row > 0 ? SheetKeys::productParts(degCotacao->cellValue(cell.column, cell.row - 1)).productCode : QString();
        const bool first = cell.row == 0 || previous != parts.productCode || degCotacao->rowAt(0) == cell.row;
        stProdAnterior = parts.productCode;
        cell.text = (first ? parts.productName.left(kProductNameWidth).leftJustified(kProductColumnWidth, QLatin1Char(' '))
                           : QString(kProductColumnWidth, QLatin1Char(' ')))
                    + parts.brandName;
        break;
    }
    case DecisionDrawCell::Kind::ColumnHeader:
        cell.text = cell.text.isEmpty() ? QString() : SheetKeys::nameOf(cell.text);
        break;
    }
}

void TfrmGridCotaPrecConsul::degCotacaoSelectCell(int column, int row)
{
    if (m_sheet.rowCount() == 0 || column < 0 || row < 0)
        return;
    const bool historyWanted = row != ActiveRow && panHistorico->isVisible();
    ActiveRow = row;

    const CellIndex index = CalcIndex(column, row);
    stCdForneced = SheetKeys::codeOf(index.supplier);
    stNmForneced = SheetKeys::nameOf(index.supplier);
    stCdRegiao = SheetKeys::codeOf(index.region);
    stNmRegiao = SheetKeys::nameOf(index.region);
    const SheetKeys::ProductParts parts = SheetKeys::productParts(index.product);
    stCdMarca = parts.brandCode;
    stNmMarca = parts.brandName;
    stCdProduto = parts.productCode;
    stNmProduto = parts.productName;

    const int record = recordOf(column, row);
    if (record >= 0) {
        auto text = [&](const char *field, const QString &mask) {
            return snapshot(NumberFormat::format(sheetValue(record, QLatin1String(field)).toDouble(), mask));
        };
        m_snapPreco = text("PRECOUNIT", kPriceMask);
        m_snapEcon = text("PRECOECON", kPriceMask);
        m_snapEconPI = text("PRECOECONPI", kPriceMask);
        m_snapQtde = text("QTDE", kQuantityMask);
        m_snapUN = snapshot(sheetValue(record, QStringLiteral("UN")).toString());
        m_snapDesconto = text("VRPERDESITM", kDiscountMask);
        stCdArvProd = snapshot(sheetValue(record, QStringLiteral("CDARVPROD")).toString());
    } else {
        m_snapPreco.clear();
        m_snapEcon.clear();
        m_snapEconPI.clear();
        m_snapQtde.clear();
        m_snapUN.clear();
        m_snapDesconto.clear();
        // The product's tree code from any record of the product.
        stCdArvProd.clear();
        const int at = m_sheet.fieldIndex(QStringLiteral("COCPRODUTO"));
        const int tree = m_sheet.fieldIndex(QStringLiteral("CDARVPROD"));
        for (const QVariantList &r : m_sheet.rows()) {
            if (r.at(at).toString().compare(index.product, Qt::CaseInsensitive) == 0) {
                stCdArvProd = r.at(tree).toString();
                break;
            }
        }
    }

    edtProduto->setText(Consiste::FormatMaskText(Corvane::DBPict(0), stCdArvProd) + QStringLiteral("  ") + stNmProduto);
    edtUN->setText(m_snapUN);
    edtNMMarca->setText(stNmMarca);
    edtDesconto->setText(m_snapDesconto.isEmpty() ? QStringLiteral("0") : m_snapDesconto);
    const double price = m_snapPreco.isEmpty() ? 0.0 : Consiste::FloatMaskOut(m_snapPreco);
    // The net price of this cell; without a discount it is the price itself (never the
    // net price of a cell selected before).
    double discount = 0;
    if (edtDesconto->text() != QLatin1String("0")) {
        const QString discountText = edtDesconto->text();
        const int percent = discountText.indexOf(QLatin1Char('%'));
        discount = Consiste::FloatMaskOut(percent < 0 ? discountText : discountText.left(percent - 1));
    }
    nedDiferenca->setValue(price - price * discount / 100);
    nedPrecoEcon->setValue(m_snapEcon.isEmpty() ? 0.0 : Consiste::FloatMaskOut(m_snapEcon));
    const double pi = m_snapEconPI.isEmpty() ? 0.0 : Consiste::FloatMaskOut(m_snapEconPI);
    nedPrecoEconPI->setValue(pi);
    QPalette palette = nedPrecoEconPI->palette();
    palette.setColor(QPalette::Text, pi < 0 ? QColor(255, 0, 0) : QColor(Qt::black));
    nedPrecoEconPI->setPalette(palette);
    nedQtde->setValue(m_snapQtde.isEmpty() ? 0.0 : Consiste::FloatMaskOut(m_snapQtde));

    if (historyWanted)
        Historico();
}

void TfrmGridCotaPrecConsul::LocalizaCelula()
{
    if (!m_link.currentItem)
        return;
    const ConsultWorkspaceLink::Item item = m_link.currentItem();
    if (item.product.isEmpty())
        return;
    const QString target = item.product + SheetKeys::kBrandSeparator + item.brand;
    const int rows = decCotacao->rowCount();
    for (int r = 0; r < rows; ++r) {
        const QString header = degCotacao->cellValue(-1, r);
        const int first = header.indexOf(SheetKeys::kCodeSeparator);
        if (first < 0)
            continue;
        QString rest = header.mid(first + SheetKeys::kCodeSeparator.size());
        const int next = rest.indexOf(SheetKeys::kCodeSeparator);
        if (next >= 0)
            rest.truncate(next);
        if (rest == target) {
            degCotacao->gotoCell(0, r);
            return;
        }
    }
}

// --- history -------------------------------------------------------------------------------------

void TfrmGridCotaPrecConsul::Historico()
{
    DataPacket history;
    try {
        ShowAviGuard avi(window(), ShowAviKind::Receiving, msg(QStringLiteral("Get_Historico")));
        history = m_context.gridCotaPrec().getHistorico(m_context.centralBranch(), m_context.currentNumber(),
                                                        stCdRegiao, stCdForneced, stCdProduto, stCdMarca);
    } catch (...) {
        update();
        throw;
    }
    if (history.rowCount() == 0)
        return;
    auto number = [&](const char *field) { return history.value(0, QLatin1String(field)).toDouble(); };
    auto dateOf = [&](const char *field) {
        const QVariant v = history.value(0, QLatin1String(field));
        return v.typeId() == QMetaType::QDateTime ? v.toDateTime().date() : v.toDate();
    };
    // One group: prices, then dates, weeks and supplier only where there is a price.
    auto fill = [&](NumberEdit *unit, NumberEdit *economic, const char *unitField, const char *economicField,
                    QLineEdit *first, QLineEdit *last, const char *firstField, const char *lastField, QLineEdit *firstWeek,
                    QLineEdit *lastWeek, QLineEdit *supplier, const char *supplierField) {
        unit->setValue(number(unitField));
        economic->setValue(number(economicField));
        if (number(unitField) != 0) {
            const QDate from = dateOf(firstField), to = dateOf(lastField);
            first->setText(NumberFormat::formatDate(from));
            last->setText(NumberFormat::formatDate(to));
            firstWeek->setText(from.isValid() ? QString::number(from.weekNumber()) : QString());
            lastWeek->setText(to.isValid() ? QString::number(to.weekNumber()) : QString());
            if (supplier)
                supplier->setText(history.value(0, QLatin1String(supplierField)).toString());
        } else {
            for (QLineEdit *e : {first, last, firstWeek, lastWeek})
                e->clear();
            if (supplier)
                supplier->clear();
        }
    };
    fill(nedPrUn_UltCot, nedPrEco_UltCot, "P_VRULTCOT_PRUN", "P_VRULTCOT_ECO", edtValIni_UltCot, edtValFin_UltCot,
         "P_DTINIVAL_ULTCOT", "P_DTFINVAL_ULTCOT", edtSemIni_UltCot, edtSemFin_UltCot, nullptr, nullptr);
    fill(nedPrUn_FornN, nedPrEco_FornN, "P_VRFNORM_PRUN", "P_VRFNORM_ECO", edtValIni_MinPrFN, edtValFin_MinPrFN,
         "P_DTINIVAL_MINPRFN", "P_DTFINVAL_MINPRFN", edtSemIni_MinPrFN, edtSemFin_MinPrFN, edtFornMarc_Normal,
         "P_NMFORN_NORM");
    fill(nedPrUn_FornA, nedPrEco_FornA, "P_VRFALTER_PRUN", "P_VRFALTER_ECO", edtValIni_MinPrFA, edtValFin_MinPrFA,
         "P_DTINIVAL_MINPRFA", "P_DTFINVAL_MINPRFA", edtSemIni_MinPrFA, edtSemFin_MinPrFA, edtFornMarc_Altern,
         "P_NMFORN_ALTER");
    nedVariacao->setValue(number("P_PERVARIACAO"));
    update();
}

void TfrmGridCotaPrecConsul::sbtHistoricoClick()
{
    const bool down = sbtHistorico->isChecked();
    panHistorico->setVisible(down);
    const QString text = msg(down ? QStringLiteral("DES_HIST") : QStringLiteral("HAB_HIST"));
    sbtHistorico->setToolTip(QString(text).replace(QLatin1String("%S"), QString()));
    sbtHistorico->setText(sbtHistorico->toolTip());
    mnuHistorico->setText(QString(text).replace(QLatin1String("%S"), QLatin1String("&")));
    boHistInicial = false;
    if (down) {
        QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        ActiveRow = degCotacao->currentRow();
        Historico();
        sbtHistorico->update();
    }
}

void TfrmGridCotaPrecConsul::mnuHistoricoClick()
{
    // The menu item offers to turn the history on while it reads as the message's caption.
    const QString turnOnCaption = QString(msg(QStringLiteral("HAB_HIST"))).replace(QLatin1String("%S"), QLatin1String("&"));
    const bool turnOn = boHistInicial || mnuHistorico->text() == turnOnCaption;
    sbtHistorico->setChecked(turnOn);
    sbtHistoricoClick();
}

void TfrmGridCotaPrecConsul::degCotacaoKeyUp(int key)
{
    if (key == Qt::Key_Space && sbtHistorico->isEnabled()) {
        sbtHistorico->setChecked(!sbtHistorico->isChecked());
        sbtHistoricoClick();
    }
}

// --- going to the workspace ------------------------------------------------------------------------

void TfrmGridCotaPrecConsul::degCotacaoDblClick()
{
    if (!m_link.openItem || stCdRegiao.isEmpty())
        return;
    if (m_link.openItem(stCdRegiao, stCdForneced, stCdProduto, stCdMarca))
        close();
}

// --- commands ----------------------------------------------------------------------------------------

void TfrmGridCotaPrecConsul::sbtProcurarClick()
{
    TfrmPadraoGrid::sbtProcurarClick();
    if (pgcPadrao->activePage() != tshProdCot)
        return;
    ProcurarCell(degCotacao, -1, true, this);
    stProdAnterior.clear();
}

void TfrmGridCotaPrecConsul::dtsPadraoStateChange()
{
    TfrmPadraoGrid::dtsPadraoStateChange();
    // Read-only: only the search stays, since it opens the find dialog.
    for (QToolButton *b : {sbtIncluir, sbtAlterar, sbtExcluir, sbtConfirmar, sbtCancelar, sbtImprimir})
        b->setEnabled(false);
    for (QAction *a : {mnuIncluir, mnuAlterar, mnuExcluir, mnuConfirmar, mnuCancelar, mnuImprimir})
        a->setEnabled(false);
    sbtProcurar->setEnabled(true);
    mnuProcurar->setEnabled(true);
}

namespace {

QString csvField(const QString &text)
{
    return CsvWriter::field(text.trimmed());
}

} // namespace

QString TfrmGridCotaPrecConsul::sheetAsCsv() const
{
    const DecisionGridDelegate *d = degCotacao->gridDelegate();
    const int columns = decCotacao->columnCount();
    const int rows = decCotacao->rowCount();
    QString out;
    // The header rows: the caption, then region (repeated over its suppliers) and supplier.
    for (int headerRow = -decCotacao->cube().columnDimensionCount(); headerRow < 0; ++headerRow) {
        QStringList line{csvField(headerRow == -1 ? msg(QStringLiteral("captionFR")) : QString())};
        QString run;
        for (int c = 0; c < columns; ++c) {
            const QString text = d->describeCell(c, headerRow, false).text;
            if (!text.isEmpty() || headerRow == -1)
                run = text;
            line << csvField(run);
        }
        out += line.join(QLatin1Char(';')) + QStringLiteral("\r\n");
    }
    for (int r = 0; r < rows; ++r) {
        const SheetKeys::ProductParts parts = SheetKeys::productParts(degCotacao->cellValue(-1, r));
        QStringList line{csvField(parts.productName + QStringLiteral(" - ") + parts.brandName)};
        for (int c = 0; c < columns; ++c) {
            const QString text = d->describeCell(c, r, false).text;
            line << csvField(text.trimmed() == QLatin1String("-") ? QString() : text);
        }
        out += line.join(QLatin1Char(';')) + QStringLiteral("\r\n");
    }
    return out;
}

void TfrmGridCotaPrecConsul::sbtExportarClick()
{
    if (decCotacao->rowCount() == 0)
        return;
    const std::optional<QString> name = ui()->askSaveFileName(
        msg(QStringLiteral("Exp_Titulo")), QStringLiteral("cotacao_%1.csv").arg(m_context.currentNumber()),
        msg(QStringLiteral("Exp_Filtro")));
    if (!name || name->isEmpty())
        return;
    QSaveFile file(*name);
    // UTF-8 with its byte-order mark, so that spreadsheets read the accents.
    const QByteArray bytes = QByteArray("\xEF\xBB\xBF") + sheetAsCsv().toUtf8();
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        Consiste::MensErro(QString(msg(QStringLiteral("Exp_Erro"))).replace(QLatin1String("%s"), *name));
}

// --- creation procedure ------------------------------------------------------------------------------

void CriaGridCotaPrecConsul(QuotationContext &context, const ConsultWorkspaceLink &link, QWidget *owner)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const auto restore = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
    if (!s_form) {
        s_form = new TfrmGridCotaPrecConsul(context, link, owner);
        s_form->setAttribute(Qt::WA_DeleteOnClose, false);
    }
    s_form->setActivate();
    s_form->update();
    s_form->setWindowModality(Qt::ApplicationModal);
    if (s_form->isVisible())
        s_form->FormActivate();
    else
        s_form->show();
    s_form->raise();
    s_form->activateWindow();
}

TfrmGridCotaPrecConsul *frmGridCotaPrecConsul()
{
    return s_form.data();
}

void LiberaGridCotaPrecConsul()
{
    delete s_form.data();
}
