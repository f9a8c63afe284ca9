// The region insertion: the region and its checks (known, not yet in the quotation,
// served by the chosen suppliers), the suppliers active and qualified, the optional price
// source, the server's insertion with its three-position status and the workspace's
// reload on the new region.
#include "Cli_sup05209.h"
#include "ui_Cli_sup05209.h"

#include "Cli_sup05207.h"

#include "ClientDataSet.h"
#include "Consiste.h"
#include "Corvane.h"
#include "DataSource.h"
#include "Field.h"
#include "FieldExit.h"
#include "FormIcons.h"
#include "MaskEdit.h"
#include "ProductsPage.h"
#include "QuotationContext.h"
#include "ShowAvi.h"
#include "TADOIBQuery.h"
#include "TBtnPesquisa.h"
#include "TMessages.h"

#include <QApplication>
#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QScopeGuard>

namespace {

const QString kCdRegiao = QStringLiteral("CDREGIAO");
const QString kNmRegiao = QStringLiteral("NMREGIAO");
const QString kCdForneced = QStringLiteral("CDFORNECED");
const QString kRegionMask = QStringLiteral("999;0; ");

} // namespace

TfrmGridRegiaoInsert::TfrmGridRegiaoInsert(QuotationContext &context, ProductsPage &page, QWidget *parent)
    : TfrmRotiGeral(parent)
    , m_ui(std::make_unique<Ui::TfrmGridRegiaoInsert>())
    , m_context(context)
    , m_page(page)
{
    setObjectName(QStringLiteral("frmGridRegiaoInsert"));
    setProperty("screenCode", QStringLiteral("SUP05209"));
    msgPadrao->load(QStringLiteral("Cli_sup05209"));
    setWindowTitle(msg(QStringLiteral("Titulo")));

    auto *content = new QWidget(panClient);
    m_ui->setupUi(content);
    panClientLayout->addWidget(content);
    medCdRegiao = m_ui->medCdRegiao;
    btnRegiao = m_ui->btnRegiao;
    edtNmRegiao = m_ui->edtNmRegiao;
    drgForne = m_ui->drgForne;
    rbtFornCorrente = m_ui->rbtFornCorrente;
    rbtTodosForn = m_ui->rbtTodosForn;
    grbCargReg = m_ui->grbCargReg;
    medCargReg = m_ui->medCargReg;
    btpCargReg = m_ui->btpCargReg;
    edtCargReg = m_ui->edtCargReg;

    for (MaskEdit *region : {medCdRegiao, medCargReg}) {
        region->setEditMask(kRegionMask);
        region->setMaxLength(3);
        region->setMaximumWidth(region->fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 16);
    }
    for (QLineEdit *name : {edtNmRegiao, edtCargReg})
        name->setMinimumWidth(260);
    for (TBtnPesquisa *search : {btnRegiao, btpCargReg}) {
        search->setIcon(FormIcons::command(QStringLiteral("procurar")));
        search->setToolTip(msg(QStringLiteral("Pesquisar")));
    }

    createData();
    wireEvents();
}

TfrmGridRegiaoInsert::~TfrmGridRegiaoInsert() = default;

int TfrmGridRegiaoInsert::drgForneItemIndex() const
{
    return rbtTodosForn->isChecked() ? 1 : 0;
}

void TfrmGridRegiaoInsert::createData()
{
    qryRegiao = new TADOIBQuery(QStringLiteral("Cli_sup05209.qryRegiao"), this);
    qryRegiao->setObjectName(QStringLiteral("qryRegiao"));
    qryRegiao->setFieldType(kCdRegiao, FieldType::String, 3);
    qryRegiao->setFieldType(kNmRegiao, FieldType::String, 30);
    qryVd_Forne = new TADOIBQuery(QStringLiteral("Cli_sup05209.qryVd_Forne"), this);
    qryVd_Forne->setObjectName(QStringLiteral("qryVd_Forne"));

    cdsRegCota = new ClientDataSet(this);
    cdsRegCota->setObjectName(QStringLiteral("cdsRegCota"));
    cdsRegCota->setData(m_page.gridRegiao()->data());
    cdsRegCota->addIndex(QStringLiteral("OrdReg"), kCdRegiao);
    cdsRegCota->setIndexName(QStringLiteral("OrdReg"));

    dtsRegiao = new DataSource(this);
    dtsRegiao->setObjectName(QStringLiteral("dtsRegiao"));
    dtsRegiao->setDataSet(qryRegiao->dataSet());
    dtsRegCota = new DataSource(this);
    dtsRegCota->setObjectName(QStringLiteral("dtsRegCota"));
    dtsRegCota->setDataSet(cdsRegCota);

    auto present = [this](ClientDataSet &ds) {
        if (Field *f = ds.findField(kCdRegiao))
            f->setDisplayLabel(msg(QStringLiteral("Fld_Codigo")));
        if (Field *f = ds.findField(kNmRegiao))
            f->setDisplayLabel(msg(QStringLiteral("Fld_Nome")));
    };
    qryRegiao->dataSet()->afterOpen = present;
    present(*cdsRegCota);
}

void TfrmGridRegiaoInsert::wireEvents()
{
    btnRegiao->setDataSource(dtsRegiao);
    btnRegiao->setKeyField(kCdRegiao);
    btnRegiao->setTitle(msg(QStringLiteral("Regiao")) + QLatin1Char('|') + msg(QStringLiteral("N_Reg_Cad")));
    btnRegiao->BeforePesq = [this](TBtnPesquisa &) {
        qryRegiao->Close();
        qryRegiao->ParamByName(QStringLiteral("P_CDREGIAO")).setAsString(QString());
        qryRegiao->ParamByName(QStringLiteral("P_TREGIAO")).setAsString(QStringLiteral("T"));
        qryRegiao->Open();
    };
    btnRegiao->AfterPesq = [this](TBtnPesquisa &) {
        medCdRegiao->setText(qryRegiao->FieldByName(kCdRegiao)->asString());
        edtNmRegiao->setText(qryRegiao->FieldByName(kNmRegiao)->asString());
    };
    btpCargReg->setDataSource(dtsRegCota);
    btpCargReg->setKeyField(kCdRegiao);
    btpCargReg->setTitle(msg(QStringLiteral("Regiao")) + QLatin1Char('|') + msg(QStringLiteral("N_Reg_Cot")));
    btpCargReg->AfterPesq = [this](TBtnPesquisa &) {
        medCargReg->setText(cdsRegCota->fieldByName(kCdRegiao)->asString());
        edtCargReg->setText(cdsRegCota->fieldByName(kNmRegiao)->asString());
    };

    connect(medCdRegiao, &MaskEdit::changed, this, [this] { edtNmRegiao->clear(); });
    connect(medCargReg, &MaskEdit::changed, this, [this] { edtCargReg->clear(); });
    m_exits = new FieldExit(this);
    m_exits->watch(medCdRegiao, [this] { Vd_Regiao(false); });
    m_exits->watch(medCargReg, [this] { Vd_RegCot(); });
}

QString TfrmGridRegiaoInsert::msg(const QString &key) const
{
    return msgPadrao->Msg(key);
}

void TfrmGridRegiaoInsert::fail(QWidget *control, const QString &key)
{
    if (control && control->isEnabled())
        control->setFocus();
    Consiste::MensErro(msg(key));
    Consiste::SilentAbort(); // not reached: MensErro raises
}

QDate TfrmGridRegiaoInsert::quotationDate() const
{
    const Field *date = m_context.quotations()->findField(QStringLiteral("DTCOLEPREC"));
    return date ? date->asDate() : QDate();
}

DataPacket TfrmGridRegiaoInsert::supplierPacket()
{
    DataPacket packet;
    packet.addField(kCdForneced, FieldType::String, 21);
    if (drgForneItemIndex() == 1) {
        DataPacket all;
        {
            ShowAviGuard avi(Corvane::mainWindow(), ShowAviKind::Receiving);
            all = m_context.gridCotaPrec().getCotForns(m_context.currentBranch(), m_context.currentNumber());
        }
        for (int r = 0; r < all.rowCount(); ++r)
            packet.appendRow({all.value(r, kCdForneced).toString()});
    } else {
        const ClientDataSet *suppliers = m_page.gridFornecedor();
        if (suppliers->active() && !suppliers->isEmpty())
            packet.appendRow({suppliers->fieldByName(kCdForneced)->asString()});
    }
    return packet;
}

// --- checks -----------------------------------------------------------------------------------

void TfrmGridRegiaoInsert::Vd_Regiao(bool required)
{
    if (Consiste::EmptyString(medCdRegiao->text())) {
        if (required)
            fail(medCdRegiao, QStringLiteral("Reg_N_Inf"));
        return;
    }
    const QString code = Consiste::Ajusta(medCdRegiao->text(), 3);
    medCdRegiao->setText(code);
    qryRegiao->Close();
    qryRegiao->ParamByName(QStringLiteral("P_CDREGIAO")).setAsString(code);
    qryRegiao->ParamByName(QStringLiteral("P_TREGIAO")).setAsString(QString());
    qryRegiao->Open();
    if (qryRegiao->IsEmpty())
        fail(medCdRegiao, QStringLiteral("Reg_N_Cad"));
    edtNmRegiao->setText(qryRegiao->FieldByName(kNmRegiao)->asString());
    if (!required)
        return;
    if (m_page.gridRegiao()->locate(kCdRegiao, code, LocateOption::CaseInsensitive))
        fail(medCdRegiao, QStringLiteral("Reg_J_Cad"));
    const DataPacket suppliers = supplierPacket();
    QString answer;
    {
        ShowAviGuard avi(Corvane::mainWindow(), ShowAviKind::Storing, msg(QStringLiteral("VdRegSrv")));
        answer = m_context.gridCotaPrec().vdRefoReg(code, suppliers);
    }
    if (answer == QLatin1String("S"))
        fail(medCdRegiao, QStringLiteral("Reg_N_Cad_Forn"));
    if (!answer.isEmpty()) {
        medCdRegiao->setFocus();
        Consiste::MensErro(answer);
    }
}

void TfrmGridRegiaoInsert::Vd_Fornecedor()
{
    const DataPacket suppliers = supplierPacket();
    int accepted = 0;
    for (int r = 0; r < suppliers.rowCount(); ++r) {
        qryVd_Forne->Close();
        qryVd_Forne->ParamByName(QStringLiteral("P_DTCOLEPREC")).setAsDate(quotationDate());
        qryVd_Forne->ParamByName(QStringLiteral("P_CDFORNECED")).setAsString(suppliers.value(r, kCdForneced).toString());
        qryVd_Forne->ParamByName(QStringLiteral("P_IDULTIDTVALQ"))
            .setAsString(m_context.parameter(QStringLiteral("IDULTIDTVALQ")));
        qryVd_Forne->Open();
        if (!qryVd_Forne->IsEmpty())
            ++accepted;
    }
    if (accepted == 0)
        fail(medCdRegiao, QStringLiteral("N_Forn_Cad"));
}

void TfrmGridRegiaoInsert::Vd_RegCot()
{
    if (Consiste::EmptyString(medCargReg->text()))
        return;
    const QString code = Consiste::Ajusta(medCargReg->text(), 3);
    medCargReg->setText(code);
    qryRegiao->Close();
    qryRegiao->ParamByName(QStringLiteral("P_CDREGIAO")).setAsString(code);
    qryRegiao->ParamByName(QStringLiteral("P_TREGIAO")).setAsString(QString());
    qryRegiao->Open();
    if (qryRegiao->IsEmpty())
        fail(medCargReg, QStringLiteral("Reg_N_Cad"));
    edtCargReg->setText(qryRegiao->FieldByName(kNmRegiao)->asString());
    if (!cdsRegCota->locate(kCdRegiao, code, LocateOption::CaseInsensitive))
        fail(medCargReg, QStringLiteral("Reg_NCot"));
}

// --- insertion --------------------------------------------------------------------------------

void TfrmGridRegiaoInsert::InclusaoRegiao()
{
    IncRegiaoArgs args;
    args.suppliers = supplierPacket();
    args.region = medCdRegiao->text();
    args.centralBranch = m_context.centralBranch();
    args.number = m_context.currentNumber();
    args.sourceRegion = medCargReg->text();
    args.operatorCode = Corvane::Operador();
    args.collectionDate = quotationDate();
    QString status;
    {
        ShowAviGuard avi(Corvane::mainWindow(), ShowAviKind::Storing);
        status = m_context.gridCotaPrec().incRegiao(args);
    }
    m_inserted = !status.contains(QLatin1Char('1'));
    TfrmGridForneInsert::TrataStatus(status, *msgPadrao);
}

void TfrmGridRegiaoInsert::sbtConfirmarClick()
{
    TfrmRotiGeral::sbtConfirmarClick();
    if (medCargReg->hasFocus()) {
        Vd_RegCot();
        Vd_Regiao(true);
        Vd_Fornecedor();
    } else {
        Vd_Fornecedor();
        Vd_RegCot();
        Vd_Regiao(true);
    }
    InclusaoRegiao();

    const QString region = medCdRegiao->text();
    m_page.resetGridCaches();
    m_page.GetGridRegiao(m_context.currentNumber());
    m_page.gridRegiao()->locate(kCdRegiao, region, LocateOption::CaseInsensitive);
    accept();
}

// --- creation procedure -------------------------------------------------------------------------

bool CriaRegiaoInsert(QuotationContext &context, ProductsPage &page, QWidget *owner)
{
    QWidget *parent = Corvane::mainWindow();
    if (!parent)
        parent = owner;
    std::unique_ptr<TfrmGridRegiaoInsert> dialog;
    {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        auto restore = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
        dialog = std::make_unique<TfrmGridRegiaoInsert>(context, page, parent);
    }
    dialog->exec();
    return dialog->inserted();
}
