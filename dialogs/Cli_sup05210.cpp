// The region removal: the current region proposed, its check, the supplier scope, the
// price-list warning, the removal on the server and the workspace's reload.
#include "Cli_sup05210.h"
#include "ui_Cli_sup05210.h"

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
const QString kMarkAll = QStringLiteral("T");
const QString kBlank = QStringLiteral(" ");

QString currentValue(const ClientDataSet *ds, const QString &field)
{
    return ds && ds->active() && !ds->isEmpty() ? ds->fieldByName(field)->asString() : QString();
}

} // namespace

TfrmGridRegiaoDelete::TfrmGridRegiaoDelete(QuotationContext &context, ProductsPage &page, QWidget *parent)
    : TfrmRotiGeral(parent)
    , m_ui(std::make_unique<Ui::TfrmGridRegiaoDelete>())
    , m_context(context)
    , m_page(page)
{
    setObjectName(QStringLiteral("frmGridRegiaoDelete"));
    setProperty("screenCode", QStringLiteral("SUP05210"));
    msgPadrao->load(QStringLiteral("Cli_sup05210"));
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

    medCdRegiao->setEditMask(QStringLiteral("999;0; "));
    medCdRegiao->setMaxLength(3);
    medCdRegiao->setMaximumWidth(medCdRegiao->fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 16);
    edtNmRegiao->setMinimumWidth(260);
    btnRegiao->setIcon(FormIcons::command(QStringLiteral("procurar")));
    btnRegiao->setToolTip(msg(QStringLiteral("Pesquisar")));

    qryRegiao = new TADOIBQuery(QStringLiteral("Cli_sup05209.qryRegiao"), this);
    qryRegiao->setObjectName(QStringLiteral("qryRegiao"));
    qryRegiao->setFieldType(kCdRegiao, FieldType::String, 3);
    qryRegiao->setFieldType(kNmRegiao, FieldType::String, 30);
    qryRegiao->dataSet()->afterOpen = [this](ClientDataSet &ds) {
        if (Field *f = ds.findField(kCdRegiao))
            f->setDisplayLabel(msg(QStringLiteral("Fld_Codigo")));
        if (Field *f = ds.findField(kNmRegiao))
            f->setDisplayLabel(msg(QStringLiteral("Fld_Nome")));
    };
    dtsRegiao = new DataSource(this);
    dtsRegiao->setObjectName(QStringLiteral("dtsRegiao"));
    dtsRegiao->setDataSet(qryRegiao->dataSet());

    btnRegiao->setDataSource(dtsRegiao);
    btnRegiao->setKeyField(kCdRegiao);
    btnRegiao->setTitle(msg(QStringLiteral("Regiao")) + QLatin1Char('|') + msg(QStringLiteral("N_Reg_Cad")));
    btnRegiao->BeforePesq = [this](TBtnPesquisa &) {
        Vd_RegForn();
        qryRegiao->Close();
        qryRegiao->ParamByName(QStringLiteral("P_CDREGIAO")).setAsString(QString());
        qryRegiao->ParamByName(QStringLiteral("P_TREGIAO")).setAsString(kMarkAll);
        qryRegiao->Open();
    };
    btnRegiao->AfterPesq = [this](TBtnPesquisa &) {
        medCdRegiao->setText(qryRegiao->FieldByName(kCdRegiao)->asString());
        edtNmRegiao->setText(qryRegiao->FieldByName(kNmRegiao)->asString());
    };
    connect(medCdRegiao, &MaskEdit::changed, this, [this] { edtNmRegiao->clear(); });
    m_exits = new FieldExit(this);
    m_exits->watch(medCdRegiao, [this] { Vd_Regiao(false); });

    // The workspace's current region is proposed.
    medCdRegiao->setText(currentValue(m_page.gridRegiao(), kCdRegiao));
    edtNmRegiao->setText(currentValue(m_page.gridRegiao(), kNmRegiao));
}

TfrmGridRegiaoDelete::~TfrmGridRegiaoDelete() = default;

int TfrmGridRegiaoDelete::drgForneItemIndex() const
{
    return rbtTodosForn->isChecked() ? 1 : 0;
}

QString TfrmGridRegiaoDelete::msg(const QString &key) const
{
    return msgPadrao->Msg(key);
}

void TfrmGridRegiaoDelete::fail(const QString &key)
{
    medCdRegiao->setFocus();
    Consiste::MensErro(msg(key));
    Consiste::SilentAbort(); // not reached: MensErro raises
}

QString TfrmGridRegiaoDelete::currentSupplier() const
{
    return currentValue(m_page.gridFornecedor(), QStringLiteral("CDFORNECED"));
}

void TfrmGridRegiaoDelete::Vd_Regiao(bool required)
{
    if (Consiste::EmptyString(medCdRegiao->text())) {
        if (required)
            fail(QStringLiteral("Reg_N_Inf"));
        return;
    }
    const QString code = Consiste::Ajusta(medCdRegiao->text(), 3);
    medCdRegiao->setText(code);
    qryRegiao->Close();
    qryRegiao->ParamByName(QStringLiteral("P_CDREGIAO")).setAsString(code);
    qryRegiao->ParamByName(QStringLiteral("P_TREGIAO")).setAsString(QString());
    qryRegiao->Open();
    if (qryRegiao->IsEmpty())
        fail(QStringLiteral("Reg_N_Cad"));
    edtNmRegiao->setText(qryRegiao->FieldByName(kNmRegiao)->asString());
}

void TfrmGridRegiaoDelete::Vd_RegForn()
{
    stFornExcl = drgForneItemIndex() == 1 ? kMarkAll : currentSupplier();
}

void TfrmGridRegiaoDelete::ExclusaoRegiao()
{
    const QString supplier = stFornExcl == kMarkAll ? kBlank : currentSupplier();
    const QString branch = m_context.currentBranch();
    const QString number = m_context.currentNumber();
    const QString region = medCdRegiao->text();
    bool inPriceList = false;
    {
        ShowAviGuard avi(Corvane::mainWindow(), ShowAviKind::Receiving);
        inPriceList = m_context.gridCotaPrec().verifLista(branch, number, region, supplier, kBlank, kBlank).inPriceList;
    }
    if (inPriceList && !m_page.confirmPriceListRemoval())
        Consiste::SilentAbort();
    ShowAviGuard avi(Corvane::mainWindow(), ShowAviKind::Storing);
    m_context.gridCotaPrec().exclRegiao(branch, number, region, supplier);
    m_removed = true;
}

void TfrmGridRegiaoDelete::sbtConfirmarClick()
{
    TfrmRotiGeral::sbtConfirmarClick();
    Vd_Regiao(true);
    Vd_RegForn();
    ExclusaoRegiao();

    const QString region = medCdRegiao->text();
    m_page.resetGridCaches();
    m_page.GetGridRegiao(m_context.currentNumber());
    // Removed for one supplier, the region may still be quoted by the others.
    if (stFornExcl != kMarkAll)
        m_page.gridRegiao()->locate(kCdRegiao, region, LocateOption::CaseInsensitive);
    accept();
}

bool CriaRegiaoDelete(QuotationContext &context, ProductsPage &page, QWidget *owner)
{
    QWidget *parent = Corvane::mainWindow();
    if (!parent)
        parent = owner;
    std::unique_ptr<TfrmGridRegiaoDelete> dialog;
    {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        auto restore = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
        dialog = std::make_unique<TfrmGridRegiaoDelete>(context, page, parent);
    }
    dialog->exec();
    return dialog->removed();
}
