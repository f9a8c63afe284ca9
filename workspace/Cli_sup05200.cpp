// The workspace's creation: components, datasets with their fields and display rules,
// queries, pages, panels and commands.
#include "Cli_sup05200.h"
#include "ui_Cli_sup05200.h"

#include "ClientDataSet.h"
#include "Consiste.h"
#include "Corvane.h"
#include "DBGrid.h"
#include "DBLabel.h"
#include "DBMemo.h"
#include "DBNavigator.h"
#include "DataSource.h"
#include "NetConnection.h"
#include "PageControl.h"
#include "ProtocolContract.h"
#include "QuotationContext.h"
#include "TADOIBQuery.h"
#include "TMessages.h"
#include "ToolButtonAction.h"
#include "ValidityWeek.h"

#include <QApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QSplitter>
#include <QToolButton>
#include <QVBoxLayout>

TfrmGridCotaPrec *frmGridCotaPrec = nullptr;
bool boStCriado = false;
bool boConsulta = false;
QVariant OlColetaPr;
int ActiveRow = 0;
int ActiveCol = 0;

namespace {

QString upperFlag(const Field &field)
{
    return field.asString().trimmed().toUpper();
}

} // namespace

TfrmGridCotaPrec::TfrmGridCotaPrec(QWidget *parent)
    : TfrmPadraoGrid(parent)
    , m_ui(std::make_unique<Ui::TfrmGridCotaPrec>())
{
    setObjectName(QStringLiteral("frmGridCotaPrec"));
    setProperty("screenCode", QStringLiteral("SUP05200"));
    resize(980, 600);

    msgPadrao->load(QStringLiteral("Cli_sup05200"));
    msgGridCotaPrec = msgPadrao;
    setWindowTitle(msg(QStringLiteral("Titulo")));

    m_context = new QuotationContext(this);
    netGridCotaPrec = m_context->netGridCotaPrec();
    netSuprimentos = m_context->netSuprimentos();

    createDataSets();
    createQueries();
    createInclusionData();
    createProductsPageData();
    createPages();
    createNavigatorPanels();
    createCommands();
    wireEvents();
    wireInclusionEvents();
    m_built = true;
    Habilita();
}

TfrmGridCotaPrec::~TfrmGridCotaPrec()
{
    // The datasets and data sources die with this form after its members are gone; none
    // of their last signals (state changes while closing) may reach the form's handlers.
    m_built = false;
    const QList<QObject *> children = findChildren<QObject *>();
    for (QObject *child : children)
        QObject::disconnect(child, nullptr, this, nullptr);
    // Destroyed without closing (the host ends with the workspace open): the hook must
    // not outlive the form.
    if (!m_closed && boStCriado && frmGridCotaPrec == this)
        boStCriado = false;
    if (m_active)
        Corvane::clearMsgEventForm();
    if (frmGridCotaPrec == this)
        frmGridCotaPrec = nullptr;
    // The datasets' handlers point into this form.
    for (ClientDataSet *ds : {cdsColetapr, cdsFornCotados, cdsGridRegiao, cdsGridFornecedor, cdsGridProdMarc}) {
        ds->afterScroll = nullptr;
        ds->afterOpen = nullptr;
    }
}

// --- datasets --------------------------------------------------------------------------------

void TfrmGridCotaPrec::createDataSets()
{
    auto dataSet = [this](const char *name) {
        auto *ds = new ClientDataSet(this);
        ds->setObjectName(QLatin1String(name));
        return ds;
    };
    auto source = [this](const char *name, ClientDataSet *ds) {
        auto *s = new DataSource(this);
        s->setObjectName(QLatin1String(name));
        s->setDataSet(ds);
        return s;
    };
    // The datasets the dialogs share live in the context, with the fields of the
    // packets the server loads into them.
    cdsColetapr = m_context->quotations();
    dtsPadrao->setDataSet(cdsColetapr);
    cdsFornCotados = m_context->suppliersQuoted();
    dtsFornCotados = source("dtsFornCotados", cdsFornCotados);
    cdsParaSupri = m_context->parameters();
    dtsParaSupri = source("dtsParaSupri", cdsParaSupri);
    cdsFornCotadosAux = dataSet("cdsFornCotadosAux");
    cdsGridRegiao = dataSet("cdsGridRegiao");
    dtsGridRegiao = source("dtsGridRegiao", cdsGridRegiao);
    cdsGridFornecedor = dataSet("cdsGridFornecedor");
    dtsGridFornecedor = source("dtsGridFornecedor", cdsGridFornecedor);
    cdsGridProdMarc = dataSet("cdsGridProdMarc");
    dtsGridProdMarc = source("dtsGridProdMarc", cdsGridProdMarc);
    cdsErrosCota = dataSet("cdsErrosCota");
    dtsErrosCota = source("dtsErrosCota", cdsErrosCota);

    createQuotationFields();
    createSupplierFields();
    createProductPageFields();
}

void TfrmGridCotaPrec::createQuotationFields()
{
    // The stored fields come from the packet layout (the context created them); the
    // calculated ones follow.
    cdsColetapr->addCalculatedField(QStringLiteral("Semana"), FieldType::String, 70);
    cdsColetapr->addCalculatedField(QStringLiteral("Data"), FieldType::String, 70);

    auto label = [this](const char *name, const QString &text, bool visible = true) {
        Field *f = cdsColetapr->fieldByName(QLatin1String(name));
        f->setDisplayLabel(text);
        f->setVisible(visible);
        return f;
    };
    label("CDFILIAL", QString(), false);
    label("NRCOLEPRECO", msg(QStringLiteral("Col_NRCOLEPRECO")));
    label("DTCOLEPREC", msg(QStringLiteral("Col_DTCOLEPREC")))->setDisplayFormat(QStringLiteral("dd/MM/yyyy"));
    label("NRSEMAINIC", QString(), false);
    label("NRSEMAFINAL", QString(), false);
    label("DTINIVALCOL", QString(), false);
    label("DTFINVALCOL", QString(), false);
    label("CDOPERADOR", msg(QStringLiteral("Col_CDOPERADOR")), false);
    label("NMOPERADOR", msg(QStringLiteral("Col_NMOPERADOR")));
    label("IDTIPCOLREG", msg(QStringLiteral("Col_IDTIPCOLREG")));
    label("IDDISMONTLIS", msg(QStringLiteral("Col_IDDISMONTLIS")));
    label("DSOBSCOTPREC", QString(), false);
    label("IDSITUCOLETA", msg(QStringLiteral("Col_IDSITUCOLETA")));
    label("NRCOMPRA", msg(QStringLiteral("Col_NRCOMPRA")));
    label("Semana", msg(QStringLiteral("Col_Semana")));
    label("Data", msg(QStringLiteral("Col_Data")));

    cdsColetapr->onCalcFields = [this](ClientDataSet &ds) {
        const QString a = msg(QStringLiteral("msgA"));
        ds.fieldByName(QStringLiteral("Semana"))
            ->setValue(ds.fieldByName(QStringLiteral("NRSEMAINIC"))->asString() + a
                       + ds.fieldByName(QStringLiteral("NRSEMAFINAL"))->asString());
        const auto date = [&ds](const char *name) {
            const QDateTime dt = ds.fieldByName(QLatin1String(name))->asDateTime();
            return dt.isValid() ? dt.date().toString(QStringLiteral("dd/MM/yyyy")) : QString();
        };
        ds.fieldByName(QStringLiteral("Data"))->setValue(date("DTINIVALCOL") + a + date("DTFINVALCOL"));
    };

    // The origin shows as a picture only.
    cdsColetapr->fieldByName(QStringLiteral("IDTIPCOLREG"))->onGetText = [](const Field &, bool) {
        return QString();
    };
    cdsColetapr->fieldByName(QStringLiteral("IDDISMONTLIS"))->onGetText = [this](const Field &f, bool) {
        const QString v = upperFlag(f);
        if (v == QLatin1String("S"))
            return msg(QStringLiteral("Sim"));
        if (v == QLatin1String("N"))
            return msg(QStringLiteral("Nao"));
        return QString();
    };
    Field *situacao = cdsColetapr->fieldByName(QStringLiteral("IDSITUCOLETA"));
    situacao->onGetText = [this](const Field &f, bool) {
        if (f.dataSet()->isEmpty())
            return QString();
        const QString v = upperFlag(f);
        if (v == QLatin1String("A"))
            return msg(QStringLiteral("Andamento"));
        if (v == QLatin1String("C") || v.isEmpty())
            return msg(QStringLiteral("Concluida"));
        return QString();
    };
    situacao->onSetText = [this](Field &f, const QString &text) {
        const QString t = text.trimmed();
        if (t.compare(msg(QStringLiteral("Concluida")), Qt::CaseInsensitive) == 0)
            f.setValue(QStringLiteral("C"));
        else if (t.compare(msg(QStringLiteral("Andamento")), Qt::CaseInsensitive) == 0)
            f.setValue(QStringLiteral("A"));
        // Any other text leaves the situation as it was.
    };
    // A new buyer code invalidates the name shown for it.
    cdsColetapr->fieldByName(QStringLiteral("CDOPERADOR"))->onChange = [](Field &f) {
        if (f.dataSet()->state() == DataSetState::Edit)
            f.dataSet()->fieldByName(QStringLiteral("NMOPERADOR"))->clear();
    };
}

void TfrmGridCotaPrec::createSupplierFields()
{
    // The fields come from the packet layout (the context created them).
    struct Def { const char *name; QString label; bool visible; };
    const Def defs[] = {
        {"IDTPIJURFORN", msg(QStringLiteral("Col_IDTPIJURFORN")), true},
        {"NRINSJURFORN", msg(QStringLiteral("Col_NRINSJURFORN")), true},
        {"NMRAZSOCFORN", msg(QStringLiteral("Col_NMRAZSOCFORN")), true},
        {"NMFANTFORN", msg(QStringLiteral("Col_NMFANTFORN")), true},
        {"NRCOLEPRECO", QString(), false},
        {"CDFORNECED", QString(), false},
    };
    for (const Def &d : defs) {
        Field *f = cdsFornCotados->fieldByName(QLatin1String(d.name));
        f->setDisplayLabel(d.label);
        f->setVisible(d.visible);
    }
    cdsFornCotados->setReadOnly(true);
    cdsFornCotados->setLogChanges(false);
    cdsFornCotados->beforeInsert = [](ClientDataSet &) { Consiste::SilentAbort(); };
    cdsFornCotados->beforeEdit = [](ClientDataSet &) { Consiste::SilentAbort(); };

    cdsFornCotados->fieldByName(QStringLiteral("IDTPIJURFORN"))->onGetText = [this](const Field &f, bool) {
        const QString v = upperFlag(f);
        if (v == QLatin1String("J"))
            return msg(QStringLiteral("CGC"));
        if (v == QLatin1String("F"))
            return msg(QStringLiteral("CPF"));
        if (v == QLatin1String("I"))
            return msg(QStringLiteral("JURIDICA"));
        if (v == QLatin1String("O"))
            return msg(QStringLiteral("OUTROS"));
        return QString();
    };
    cdsFornCotados->fieldByName(QStringLiteral("NRINSJURFORN"))->onGetText = [](const Field &f, bool) {
        const QString type = f.dataSet()->fieldByName(QStringLiteral("IDTPIJURFORN"))->asString();
        return Consiste::FormataInscricao(f.asString().trimmed(), type.trimmed().toUpper());
    };
}

void TfrmGridCotaPrec::createProductPageFields()
{
    // The fields are the layouts of the packets the server loads into these datasets, so
    // a load keeps them (with their labels, marks and handlers).
    auto define = [this](ClientDataSet *ds, const char *layout) {
        for (const FieldDef &def : Protocol::packetLayout(QLatin1String(layout)))
            ds->addFieldDef(def.name, def.type, def.size, def.required);
        for (Field *f : ds->fields()) {
            const QString key = QStringLiteral("Col_") + f->fieldName();
            f->setDisplayLabel(msgPadrao->contains(key) ? msgPadrao->Msg(key) : QString());
        }
    };
    define(cdsGridRegiao, "GridRegiao");
    define(cdsGridFornecedor, "GridFornecedor");
    define(cdsGridProdMarc, "GridProdMarc");
    define(cdsErrosCota, "ErrosCota");
    Field *price = cdsGridProdMarc->fieldByName(QStringLiteral("VRPRECUNIITM"));
    price->setDisplayFormat(QStringLiteral("#,##0.00000"));
    price->setEditFormat(QStringLiteral("#0.00000"));
    cdsGridRegiao->setLogChanges(false);
    cdsGridFornecedor->setLogChanges(false);
    cdsErrosCota->setLogChanges(false);
}

Field *TfrmGridCotaPrec::cdsColetaprField(const QString &name) const
{
    return cdsColetapr->fieldByName(name);
}

// --- queries ---------------------------------------------------------------------------------

void TfrmGridCotaPrec::createQueries()
{
    auto query = [this](const char *name) {
        auto *q = new TADOIBQuery(QLatin1String(name), this);
        q->setObjectName(QLatin1String(name));
        return q;
    };
    qryCentCmp = m_context->qryCentCmp();
    qryGerente = query("qryGerente");
    qryPesqGereComp = query("qryPesqGereComp");
    qryOperRelacAux = query("qryOperRelacAux");
    qryVerComprador = query("qryVerComprador");

    dtsGerente = new DataSource(this);
    dtsGerente->setObjectName(QStringLiteral("dtsGerente"));
    dtsGerente->setDataSet(qryGerente->dataSet());
    dtsPesqGereComp = new DataSource(this);
    dtsPesqGereComp->setObjectName(QStringLiteral("dtsPesqGereComp"));
    dtsPesqGereComp->setDataSet(qryPesqGereComp->dataSet());
}

QString TfrmGridCotaPrec::centralBranch() const
{
    if (!qryCentCmp->Active() || qryCentCmp->IsEmpty())
        return QString();
    return qryCentCmp->FieldByName(QStringLiteral("CDFILIAL"))->asString();
}

// --- pages -----------------------------------------------------------------------------------

void TfrmGridCotaPrec::createPages()
{
    pgcPadrao->setCaption(tshPadrao, msg(QStringLiteral("Pag_ProdCotados")));
    // The base form's page is kept but unused.
    dbgPadrao->hide();
    pgcPadrao->setTabVisible(tshPadrao, false);

    // The form description holds the inclusion page and the quotation page; each is
    // moved into the page control.  The quotation page's caption is its window title.
    QWidget pages;
    m_ui->setupUi(&pages);
    tshIncCotacao = m_ui->tshIncCotacao;
    pgcPadrao->addPage(tshIncCotacao, msg(QStringLiteral("Pag_IncCotacao")));
    pgcPadrao->setTabVisible(tshIncCotacao, false);
    createInclusionPage();

    tshCotacao = m_ui->tshCotacao;
    pgcPadrao->addPage(tshCotacao, tshCotacao->windowTitle());
    dbgCotacao = m_ui->dbgCotacao;
    dbgForns = m_ui->dbgForns;
    grbObs = m_ui->grbObs;
    dbmObsCotPrec = m_ui->dbmObsCotPrec;
    m_ui->splCotacao->setStretchFactor(0, 3);
    m_ui->splCotacao->setStretchFactor(1, 2);

    // Every column is titled with its field's display label.
    const auto column = [](const char *field, int width, bool readOnly = false) {
        DBGridColumn c(QLatin1String(field), QString(), width);
        c.readOnly = readOnly;
        return c;
    };
    dbgCotacao->setDataSource(dtsPadrao);
    QList<DBGridColumn> cols;
    cols << column("IDTIPCOLREG", 24, true) << column("NRCOLEPRECO", 90, true) << column("DTCOLEPREC", 82, true);
    DBGridColumn buyer = column("CDOPERADOR", 220);
    buyer.buttonStyle = ColumnButtonStyle::Ellipsis;
    cols << buyer << column("Semana", 120, true) << column("Data", 170, true);
    DBGridColumn list = column("IDDISMONTLIS", 96, true);
    list.alignment = Qt::AlignHCenter | Qt::AlignVCenter;
    cols << list;
    DBGridColumn situation = column("IDSITUCOLETA", 110);
    situation.pickList = {msg(QStringLiteral("Andamento")), msg(QStringLiteral("Concluida"))};
    cols << situation << column("NRCOMPRA", 100, true);
    dbgCotacao->setColumns(cols);
    dbgCotacao->setOptions(DBGrid::Titles | DBGrid::Lines | DBGrid::Tabs | DBGrid::AlwaysShowSelection);

    dbgForns->setDataSource(dtsFornCotados);
    dbgForns->setColumns({column("IDTPIJURFORN", 100), column("NRINSJURFORN", 140), column("NMRAZSOCFORN", 230),
                          column("NMFANTFORN", 180)});
    dbgForns->setOptions(DBGrid::Titles | DBGrid::Lines | DBGrid::RowSelect | DBGrid::AlwaysShowSelection);
    dbgForns->setReadOnly(true);

    dbmObsCotPrec->setDataSource(dtsPadrao);
    dbmObsCotPrec->setDataField(QStringLiteral("DSOBSCOTPREC"));
    dbmObsCotPrec->setMaxLength(2000);

    // The products page: regions and suppliers side by side over the product/brand rows
    // and their error list, the current row's figures below.
    createProductsPage();
    pgcPadrao->addPage(tshProdCotGrid, msg(QStringLiteral("Pag_ProdCotados")));
}

void TfrmGridCotaPrec::createNavigatorPanels()
{
    auto caption = [](const QString &text, QWidget *parent) {
        auto *l = new QLabel(text, parent);
        return l;
    };
    auto dataLabel = [this](const char *name, const QString &field, QWidget *parent, int minWidth) {
        auto *l = new DBLabel(parent);
        l->setObjectName(QLatin1String(name));
        l->setDataSource(dtsPadrao);
        l->setDataField(field);
        l->setMinimumWidth(minWidth);
        l->setFrameShape(QFrame::StyledPanel);
        l->setFrameShadow(QFrame::Sunken);
        return l;
    };
    addToNavigator(caption(msg(QStringLiteral("Lbl_Cotacao")), panNavigator));
    dbtNome = dataLabel("dbtNome", QStringLiteral("NRCOLEPRECO"), panNavigator, 80);
    addToNavigator(dbtNome);
    addToNavigator(caption(msg(QStringLiteral("Lbl_Data")), panNavigator));
    dbtDtColeta = dataLabel("dbtDtColeta", QStringLiteral("DTCOLEPREC"), panNavigator, 80);
    addToNavigator(dbtDtColeta);
    addToNavigator(caption(msg(QStringLiteral("Lbl_Comprador")), panNavigator));
    dbtNmComprador = dataLabel("dbtNmComprador", QStringLiteral("NMOPERADOR"), panNavigator, 200);
    addToNavigator(dbtNmComprador);

    panDatVal = new QFrame(panNavigator);
    panDatVal->setObjectName(QStringLiteral("panDatVal"));
    auto *datVal = new QHBoxLayout(panDatVal);
    datVal->setContentsMargins(8, 0, 0, 0);
    datVal->addWidget(caption(msg(QStringLiteral("Lbl_Validade")), panDatVal));
    dbtValidade = dataLabel("dbtValidade", QStringLiteral("Data"), panDatVal, 160);
    datVal->addWidget(dbtValidade);
    datVal->addWidget(caption(msg(QStringLiteral("Lbl_EntraLista")), panDatVal));
    dbtEntraLista = dataLabel("dbtEntraLista", QStringLiteral("IDDISMONTLIS"), panDatVal, 40);
    datVal->addWidget(dbtEntraLista);
    panDatVal->hide();
    addToNavigator(panDatVal);

    auto *spacer = new QWidget(panNavigator);
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    addToNavigator(spacer);

    panCentCmp = new QFrame(panNavigator);
    panCentCmp->setObjectName(QStringLiteral("panCentCmp"));
    auto *cent = new QHBoxLayout(panCentCmp);
    cent->setContentsMargins(0, 0, 0, 0);
    cent->addWidget(caption(msg(QStringLiteral("Lbl_CentCmp")), panCentCmp));
    edtCentCmp = new QLineEdit(panCentCmp);
    edtCentCmp->setObjectName(QStringLiteral("edtCentCmp"));
    edtCentCmp->setReadOnly(true);
    edtCentCmp->setFocusPolicy(Qt::NoFocus);
    edtCentCmp->setMinimumWidth(200);
    cent->addWidget(edtCentCmp);
    addToNavigator(panCentCmp);
}

// --- commands --------------------------------------------------------------------------------

void TfrmGridCotaPrec::createCommands()
{
    mnuFerramentas = mnuPrincipal->addMenu(msg(QStringLiteral("Mnu_Ferramentas")));
    mnuFerramentas->setObjectName(QStringLiteral("mnuFerramentas"));
    mnuPaginas = mnuPrincipal->addMenu(msg(QStringLiteral("Mnu_Planilha")));
    mnuPaginas->setObjectName(QStringLiteral("mnuPaginas"));

    struct Command
    {
        const char *name;   // without the prefixes
        const char *menu;   // menu item name when it differs from "mnu" + name
        QString caption;    // from the message table
        QString hint;
        QKeySequence shortcut;
        QToolButton **button;
        QAction **action;
        std::function<void()> handler;
    };
    // The consultation sheet follows the enabling rule; its handler is filled in with the
    // sheet it opens.
    const std::function<void()> pending = [] {};
    const QList<Command> commands = {
        {"Filtro", nullptr, msg(QStringLiteral("Cap_Filtro")),
         msg(QStringLiteral("Hint_Filtro")), QKeySequence(Qt::CTRL | Qt::Key_L),
         &sbtFiltro, &mnuFiltro, [this] { sbtFiltroClick(); }},
        {"ExclPrZero", nullptr, msg(QStringLiteral("Cap_ExclPrZero")),
         msg(QStringLiteral("Hint_ExclPrZero")), {}, &sbtExclPrZero, &mnuExclPrZero,
         [this] { sbtExclPrZeroClick(); }},
        {"CopiarCota", nullptr, msg(QStringLiteral("Cap_CopiarCota")),
         msg(QStringLiteral("Hint_CopiarCota")), {},
         &sbtCopiarCota, &mnuCopiarCota, [this] { sbtCopiarCotaClick(); }},
        {"Simulacao", nullptr, msg(QStringLiteral("Cap_Simulacao")),
         msg(QStringLiteral("Hint_Simulacao")), QKeySequence(Qt::CTRL | Qt::Key_S),
         &sbtSimulacao, &mnuSimulacao, [this] { sbtSimulacaoClick(); }},
        {"AutoMelhor", nullptr, msg(QStringLiteral("Cap_AutoMelhor")),
         msg(QStringLiteral("Hint_AutoMelhor")), {}, &sbtAutoMelhor, &mnuAutoMelhor, [this] { sbtAutoMelhorClick(); }},
        {"Obs", nullptr, msg(QStringLiteral("Cap_Obs")),
         msg(QStringLiteral("Hint_Obs")), QKeySequence(Qt::CTRL | Qt::Key_O), &sbtObs, &mnuObs, [this] { sbtObsClick(); }},
        {"Planilha", nullptr, msg(QStringLiteral("Cap_Planilha")),
         msg(QStringLiteral("Hint_Planilha")), {}, &sbtPlanilha, &mnuPlanilha, [this] { sbtPlanilhaClick(); }},
        {"GridCotaPrecConsul", nullptr, msg(QStringLiteral("Cap_GridCotaPrecConsul")),
         msg(QStringLiteral("Hint_GridCotaPrecConsul")), QKeySequence(Qt::CTRL | Qt::Key_P),
         &sbtGridCotaPrecConsul, &mnuGridCotaPrecConsul, [this] { sbtGridCotaPrecConsulClick(); }},
        {"ReajustPr", nullptr, msg(QStringLiteral("Cap_ReajustPr")),
         msg(QStringLiteral("Hint_ReajustPr")), {}, &sbtReajustPr, &mnuReajustPr, [this] { sbtReajustPrClick(); }},
        {"QtComprar", nullptr, msg(QStringLiteral("Cap_QtComprar")),
         msg(QStringLiteral("Hint_QtComprar")), {}, &sbtQtComprar, &mnuQtComprar, [this] { sbtQtComprarClick(); }},
        {"AtualizaFormPgto", nullptr, msg(QStringLiteral("Cap_AtualizaFormPgto")),
         msg(QStringLiteral("Hint_AtualizaFormPgto")), {}, &sbtAtualizaFormPgto, &mnuAtualizaFormPgto, [this] { sbtAtualizaFormPgtoClick(); }},
        {"Copy", "mnuCopiaJust", msg(QStringLiteral("Cap_Copy")),
         msg(QStringLiteral("Hint_Copy")), {}, &sbtCopy, &mnuCopiaJust, [this] { sbtCopyClick(); }},
        {"AlteraValidade", "mnuAltValidade", msg(QStringLiteral("Cap_AlteraValidade")),
         msg(QStringLiteral("Hint_AlteraValidade")), {}, &sbtAlteraValidade, &mnuAltValidade,
         [this] { sbtAlteraValidadeClick(); }},
        {"ExportaPlanilha", nullptr, msg(QStringLiteral("Cap_ExportaPlanilha")),
         msg(QStringLiteral("Hint_ExportaPlanilha")), {}, &sbtExportaPlanilha, &mnuExportaPlanilha,
         [this] { sbtExportaPlanilhaClick(); }},
        {"ImportaPlanilha", nullptr, msg(QStringLiteral("Cap_ImportaPlanilha")),
         msg(QStringLiteral("Hint_ImportaPlanilha")), {}, &sbtImportaPlanilha, &mnuImportaPlanilha,
         [this] { sbtImportaPlanilhaClick(); }},
    };
    addToToolbar(nullptr);
    for (const Command &c : commands) {
        const QString name = QString::fromLatin1(c.name);
        const QString menuName = c.menu ? QString::fromLatin1(c.menu) : QStringLiteral("mnu") + name;
        QMenu *menu = name == QLatin1String("Filtro") ? mnuRegistro : mnuFerramentas;
        ToolButtonAction *cmd = addCommand(QStringLiteral("sbt") + name, menuName, c.caption, c.hint, menu,
                                           c.handler);
        cmd->setIcon(picture(QStringLiteral("tool:") + name));
        cmd->button()->setToolButtonStyle(Qt::ToolButtonIconOnly);
        if (!c.shortcut.isEmpty())
            cmd->setShortcut(c.shortcut);
        cmd->setEnabled(false);
        *c.button = cmd->button();
        *c.action = cmd->action();
        if (name == QLatin1String("Filtro") || name == QLatin1String("CopiarCota")
            || name == QLatin1String("Copy"))
            addToToolbar(nullptr);
    }
    for (QToolButton *b : {sbtIncluir, sbtAlterar, sbtExcluir, sbtProcurar, sbtImprimir, sbtConfirmar, sbtCancelar})
        b->setEnabled(false);

    // Page switching.
    mnuCotacao = mnuPaginas->addAction(msg(QStringLiteral("Mnu_Cotacao")));
    mnuCotacao->setObjectName(QStringLiteral("mnuCotacao"));
    connect(mnuCotacao, &QAction::triggered, this, Consiste::guarded([this] {
                if (!pgcPadrao->isPageEnabled(tshCotacao))
                    return;
                pgcPadrao->setActivePage(tshCotacao);
                pgcPadraoChange();
            }));
    mnuPadrao = mnuPaginas->addAction(msg(QStringLiteral("Mnu_ProdCotados")));
    mnuPadrao->setObjectName(QStringLiteral("mnuPadrao"));
    // Stands for the inclusion page while it is shown; reached only through include.
    mnuIncCotacao = mnuPaginas->addAction(msg(QStringLiteral("Pag_IncCotacao")));
    mnuIncCotacao->setObjectName(QStringLiteral("mnuIncCotacao"));
    mnuIncCotacao->setVisible(false);
    for (QAction *page : {mnuCotacao, mnuPadrao, mnuIncCotacao})
        page->setCheckable(true);
    connect(mnuPadrao, &QAction::triggered, this, Consiste::guarded([this] {
                if (!pgcPadrao->isPageEnabled(tshProdCotGrid))
                    return;
                pgcPadrao->setActivePage(tshProdCotGrid);
                pgcPadraoChange();
            }));

    // The include and delete pop-ups of the products page.  The supplier, region and
    // product-exclusion items open the maintenance dialogs of those tasks.
    auto item = [](QMenu *menu, const char *name, const QString &caption) {
        QAction *action = menu->addAction(caption);
        action->setObjectName(QLatin1String(name));
        return action;
    };
    pmnIncluir = new QMenu(this);
    pmnIncluir->setObjectName(QStringLiteral("pmnIncluir"));
    mnuInsProd = item(pmnIncluir, "mnuInsProd", msg(QStringLiteral("Mnu_Produto")));
    mnuInsMarca = item(pmnIncluir, "mnuInsMarca", msg(QStringLiteral("Mnu_Marca")));
    mnuInsForn = item(pmnIncluir, "mnuInsForn", msg(QStringLiteral("Mnu_Fornecedor")));
    mnuInsRegiao = item(pmnIncluir, "mnuInsRegiao", msg(QStringLiteral("Mnu_Regiao")));
    connect(mnuInsProd, &QAction::triggered, this, Consiste::guarded([this] { mnuInsProdClick(); }));
    connect(mnuInsMarca, &QAction::triggered, this, Consiste::guarded([this] { mnuInsMarcaClick(); }));
    connect(mnuInsForn, &QAction::triggered, this, Consiste::guarded([this] { mnuInsFornClick(); }));
    connect(mnuInsRegiao, &QAction::triggered, this, Consiste::guarded([this] { mnuInsRegiaoClick(); }));
    pmnExcluir = new QMenu(this);
    pmnExcluir->setObjectName(QStringLiteral("pmnExcluir"));
    mnuDelProd = item(pmnExcluir, "mnuDelProd", msg(QStringLiteral("Mnu_Produto")));
    mnuDelForn = item(pmnExcluir, "mnuDelForn", msg(QStringLiteral("Mnu_Fornecedor")));
    mnuDelRegiao = item(pmnExcluir, "mnuDelRegiao", msg(QStringLiteral("Mnu_Regiao")));
    connect(mnuDelProd, &QAction::triggered, this, Consiste::guarded([this] { mnuDelProdClick(); }));
    connect(mnuDelForn, &QAction::triggered, this, Consiste::guarded([this] { mnuDelFornClick(); }));
    connect(mnuDelRegiao, &QAction::triggered, this, Consiste::guarded([this] { mnuDelRegiaoClick(); }));

    // Confirm on the products page picks one of these; the menu itself never shows.
    pmnConfirmar = new QMenu(this);
    pmnConfirmar->setObjectName(QStringLiteral("pmnConfirmar"));
    mnuConfTodasReg = item(pmnConfirmar, "mnuConfTodasReg", msg(QStringLiteral("Mnu_ConfTodasReg")));
    mnuConfRegSel = item(pmnConfirmar, "mnuConfRegSel", msg(QStringLiteral("Mnu_ConfRegSel")));
    connect(mnuConfTodasReg, &QAction::triggered, this, Consiste::guarded([this] { mnuConfTodasRegClick(); }));
    connect(mnuConfRegSel, &QAction::triggered, this, Consiste::guarded([this] { mnuConfRegSelClick(); }));

    // The context menu of the product/brand grid opens only on the products page with no
    // pending item change.
    pmnConsul = new QMenu(this);
    pmnConsul->setObjectName(QStringLiteral("pmnConsul"));
    mnuConsul = pmnConsul->addAction(msg(QStringLiteral("Cap_GridCotaPrecConsul")));
    mnuConsul->setObjectName(QStringLiteral("mnuConsul"));
    connect(mnuConsul, &QAction::triggered, mnuGridCotaPrecConsul, &QAction::trigger);
    dbgGridProdMarc->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(dbgGridProdMarc, &QWidget::customContextMenuRequested, this, [this](const QPoint &pos) {
        const bool pending = cdsGridProdMarc->active() && cdsGridProdMarc->changeCount() > 0;
        if (currentPage() != Page::Prod || pending)
            return;
        pmnConsul->popup(dbgGridProdMarc->viewport()->mapToGlobal(pos));
    });
}

void TfrmGridCotaPrec::wireEvents()
{
    // A dialog that changed what the workspace shows tells the context.
    connect(m_context, &QuotationContext::changed, this, Consiste::guarded([this] { Habilita(); }));
    cdsColetapr->afterScroll = [this](ClientDataSet &) { cdsColetaprAfterScroll(); };
    cdsColetapr->beforePost = [this](ClientDataSet &) { cdsColetaprBeforePost(); };
    cdsColetapr->afterPost = [this](ClientDataSet &) { cdsColetaprAfterPost(); };
    cdsColetapr->beforeDelete = [this](ClientDataSet &) { cdsColetaprBeforeDelete(); };
    cdsColetapr->afterDelete = [this](ClientDataSet &) { cdsColetaprAfterDelete(); };
    // Quotations are created on the server only: a row inserted here is refused silently.
    cdsColetapr->beforeInsert = [](ClientDataSet &) { Consiste::SilentAbort(); };

    pgcPadrao->onChange = [this] { pgcPadraoChange(); };
    dbgCotacao->onColEnter = [this] { dbgCotacaoColEnter(); };
    dbgCotacao->onColExit = [this] { dbgCotacaoColExit(); };
    dbgCotacao->onEditButtonClick = [this] { dbgCotacaoEditButtonClick(); };
    dbgCotacao->onKeyDown = [this](int &key, Qt::KeyboardModifiers m) { dbgCotacaoKeyDown(key, m); };
    dbgCotacao->onCellClick = [this](int column) { dbgCotacaoCellClick(column); };
    dbgCotacao->onDrawColumnCell = [this](DBGridCell &cell) {
        const QString name = cotacaoPictureName(cell.fieldName, cell.value.toString());
        if (cell.fieldName == QLatin1String("CDOPERADOR")) {
            // The buyer's name, except the code while that cell is being edited.
            const bool editingHere = cdsColetapr->state() == DataSetState::Edit && cell.currentRow
                                     && cell.column == dbgCotacao->selectedIndex();
            if (!editingHere)
                cell.text = cell.fieldText(QStringLiteral("NMOPERADOR"));
            return;
        }
        if (name.isEmpty())
            return;
        const QPixmap pix = picture(name);
        const int y = qMax(0, (cell.rect.height() - pix.height()) / 2);
        if (cell.fieldName == QLatin1String("IDDISMONTLIS")) {
            cell.drawText = false;
            cell.addPicture(pix, QPoint(qMax(0, (cell.rect.width() - pix.width()) / 2), y), transparentColour());
        } else {
            cell.addPicture(pix, QPoint(2, y), transparentColour());
        }
    };
    dbgForns->onKeyDown = [this](int &key, Qt::KeyboardModifiers m) { dbgFornsKeyDown(key, m); };
    dbgForns->onEnter = [this] {
        // The suppliers grid belongs to the quotation page: the list stays the source.
        FonteAtual = dtsPadrao;
    };
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) {
        if (now && (now == dbmObsCotPrec || dbmObsCotPrec->isAncestorOf(now)))
            Consiste::runGuarded([this] { dbmObsCotPrecEnter(); });
    });

    wireProductsPageEvents();
    for (DataSource *s : {dtsGridRegiao, dtsGridFornecedor, dtsGridProdMarc, dtsFornCotados})
        connect(s, &DataSource::stateChanged, this, Consiste::guarded([this] { Habilita(); }));
}

// --- creation --------------------------------------------------------------------------------

void TfrmGridCotaPrec::FormCreate()
{
    m_context->setConsultation(boConsulta);
    m_context->open();

    m_firstActivation = true;
    m_senhaGer = QStringLiteral("N");
    CacheGridFornecedor.reset();
    CacheGridProdMarc.reset();
    RegistraPosicao = true;
    PermiteInclusao = false;

    // Columns the user may not type into carry an odd tag (the key rule reads it).
    cdsColetapr->fieldByName(QStringLiteral("NRCOLEPRECO"))->setTag(-1);
    cdsGridRegiao->fieldByName(QStringLiteral("CDREGIAO"))->setTag(1);
    cdsGridProdMarc->fieldByName(QStringLiteral("NMPRODUTO"))->setTag(1);
    cdsGridProdMarc->fieldByName(QStringLiteral("NMMARCA"))->setTag(1);
    cdsGridProdMarc->fieldByName(QStringLiteral("CDARVPROD"))->setEditMask(Corvane::DBPict(0));

    pgcPadrao->setActivePage(tshCotacao);
    FonteAtual = dtsPadrao;
    dbnPadrao->setDataSource(dtsPadrao);
    pgcPadrao->setTabVisible(tshIncCotacao, false);

    if (boConsulta)
        loadConsultationPacket();
    Habilita();
}

void TfrmGridCotaPrec::loadConsultationPacket()
{
    DataPacket packet;
    if (isPacket(OlColetaPr))
        packet = OlColetaPr.value<DataPacket>();
    else if (!OlColetaPr.isNull())
        throw DataSetError(msg(QStringLiteral("Param_N_Pacote")));
    // The list keeps its own layout whatever the caller sent: each of its fields is taken
    // from the packet's field of the same name, a field the packet lacks stays empty and
    // the packet's other fields are ignored.  A value of the wrong type refuses the packet.
    const QList<FieldDef> defs = cdsColetapr->fieldDefs();
    DataPacket shaped(defs);
    QList<int> source;
    for (const FieldDef &def : defs)
        source << packet.fieldIndex(def.name);
    for (const QVariantList &row : packet.rows()) {
        QVariantList values;
        values.reserve(source.size());
        for (int column : source)
            values << (column >= 0 && column < row.size() ? row.at(column) : QVariant());
        shaped.appendRow(std::move(values));
    }
    QString why;
    if (!shaped.normalize(&why))
        throw DataSetError(msg(QStringLiteral("Param_Formato")).arg(why));
    cdsColetapr->setData(shaped);
    cdsColetapr->mergeChangeLog();
}
