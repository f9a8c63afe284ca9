// The product exclusion: each opening starts from the workspace's current row, the
// product is one of the workspace's grid, the three scopes are warned about when wide, the
// price-list warning, the removal on the server and the rows leaving the workspace's grid.
#include "Cli_sup05206.h"
#include "ui_Cli_sup05206.h"

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
#include "TBtnPesquisa.h"
#include "TMessages.h"
#include "UserInterface.h"

#include <QApplication>
#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QScopeGuard>

namespace Cli_sup05206 {
bool boIdCriado = false;
TfrmGridExclProd *frmGridExclProd = nullptr;
}

namespace {

const QString kCdProduto = QStringLiteral("CDPRODUTO");
const QString kCdArvProd = QStringLiteral("CDARVPROD");
const QString kNmProduto = QStringLiteral("NMPRODUTO");
const QString kBlank = QStringLiteral(" ");

QString currentValue(const ClientDataSet *ds, const QString &field)
{
    return ds && ds->active() && !ds->isEmpty() ? ds->fieldByName(field)->asString() : QString();
}

} // namespace

TfrmGridExclProd::TfrmGridExclProd(QuotationContext &context, ProductsPage &page, QWidget *parent)
    : TfrmRotiGeral(parent)
    , m_ui(std::make_unique<Ui::TfrmGridExclProd>())
    , m_context(context)
    , m_page(page)
{
    setObjectName(QStringLiteral("frmGridExclProd"));
    setProperty("screenCode", QStringLiteral("SUP05206"));
    msgPadrao->load(QStringLiteral("Cli_sup05206"));
    setWindowTitle(msg(QStringLiteral("Titulo")));

    auto *content = new QWidget(panClient);
    m_ui->setupUi(content);
    panClientLayout->addWidget(content);
    medCdProduto = m_ui->medCdProduto;
    btnProduto = m_ui->btnProduto;
    edtNmProduto = m_ui->edtNmProduto;
    GroupBox1 = m_ui->GroupBox1;
    rbtSelRegiao = m_ui->rbtSelRegiao;
    rbtTodRegiao = m_ui->rbtTodRegiao;
    edtRegiao = m_ui->edtRegiao;
    GroupBox2 = m_ui->GroupBox2;
    rbtSelForn = m_ui->rbtSelForn;
    rbtTodForn = m_ui->rbtTodForn;
    edtFornecedor = m_ui->edtFornecedor;
    GroupBox3 = m_ui->GroupBox3;
    rbtSelMarca = m_ui->rbtSelMarca;
    rbtTodMarca = m_ui->rbtTodMarca;
    edtMarca = m_ui->edtMarca;

    medCdProduto->setEditMask(Corvane::DBPict(0));
    medCdProduto->setMaximumWidth(medCdProduto->fontMetrics().horizontalAdvance(QStringLiteral("00.00.0000000")) + 16);
    edtNmProduto->setMinimumWidth(300);
    for (QLineEdit *name : {edtRegiao, edtFornecedor, edtMarca})
        name->setMinimumWidth(150);
    btnProduto->setIcon(FormIcons::command(QStringLiteral("procurar")));
    btnProduto->setToolTip(msg(QStringLiteral("Pesquisar")));

    cdsProduto = new ClientDataSet(this);
    cdsProduto->setObjectName(QStringLiteral("cdsProduto"));
    cdsProduto->addFieldDef(kCdProduto, FieldType::String, 10);
    cdsProduto->addFieldDef(kCdArvProd, FieldType::String, 20);
    cdsProduto->addFieldDef(kNmProduto, FieldType::String, 50);
    cdsProduto->createDataSet();
    cdsProduto->afterOpen = [this](ClientDataSet &ds) {
        if (Field *f = ds.findField(kCdProduto))
            f->setVisible(false);
        if (Field *f = ds.findField(kCdArvProd)) {
            f->setDisplayLabel(msg(QStringLiteral("Fld_Codigo")));
            f->setEditMask(Corvane::DBPict(0));
            f->onGetText = [](const Field &field, bool displayText) {
                const QString code = field.asString().trimmed();
                return displayText && !code.isEmpty() ? Consiste::FormatMaskText(field.editMask(), code) : code;
            };
        }
        if (Field *f = ds.findField(kNmProduto))
            f->setDisplayLabel(msg(QStringLiteral("Fld_Nome")));
    };
    dtsProduto = new DataSource(this);
    dtsProduto->setObjectName(QStringLiteral("dtsProduto"));
    dtsProduto->setDataSet(cdsProduto);

    btnProduto->setDataSource(dtsProduto);
    btnProduto->setKeyField(kCdProduto);
    btnProduto->setTitle(msg(QStringLiteral("Produto")) + QLatin1Char('|') + msg(QStringLiteral("N_Prod_Cot")));
    btnProduto->AfterPesq = [this](TBtnPesquisa &) {
        medCdProduto->setText(cdsProduto->fieldByName(kCdArvProd)->asString().trimmed());
        edtNmProduto->setText(cdsProduto->fieldByName(kNmProduto)->asString());
    };
    connect(medCdProduto, &MaskEdit::changed, this, [this] { edtNmProduto->clear(); });
    m_exits = new FieldExit(this);
    m_exits->watch(medCdProduto, [this] { vd_Produto(false); });

    Cli_sup05206::boIdCriado = true;
}

TfrmGridExclProd::~TfrmGridExclProd()
{
    Cli_sup05206::boIdCriado = false;
    if (Cli_sup05206::frmGridExclProd == this)
        Cli_sup05206::frmGridExclProd = nullptr;
}

QString TfrmGridExclProd::msg(const QString &key) const
{
    return msgPadrao->Msg(key);
}

void TfrmGridExclProd::fail(const QString &key)
{
    medCdProduto->setFocus();
    Consiste::MensErro(msg(key));
    Consiste::SilentAbort(); // not reached: MensErro raises
}

bool TfrmGridExclProd::askYes(const QString &text)
{
    return ui()->showMessage(text, MsgDlg::mtWarning, MsgDlg::mbYes | MsgDlg::mbNo) == MsgDlg::mrYes;
}

// --- activation and close ---------------------------------------------------------------------

void TfrmGridExclProd::showEvent(QShowEvent *event)
{
    TfrmRotiGeral::showEvent(event);
    Consiste::runGuarded([this] { FormActivate(); });
}

void TfrmGridExclProd::FormActivate()
{
    update();
    if (!m_boAtivar)
        return;
    m_boAtivar = false;
    m_removed = false;
    const ClientDataSet *items = m_page.gridProdMarc();
    medCdProduto->setText(currentValue(items, kCdArvProd).trimmed());
    edtNmProduto->setText(currentValue(items, kNmProduto));
    edtRegiao->setText(currentValue(m_page.gridRegiao(), QStringLiteral("NMREGIAO")));
    edtFornecedor->setText(currentValue(m_page.gridFornecedor(), QStringLiteral("NMFANTFORN")));
    edtMarca->setText(currentValue(items, QStringLiteral("NMMARCA")));
    medCdProduto->setFocus();
    rbtSelRegiao->setChecked(true);
    rbtSelForn->setChecked(true);
    rbtSelMarca->setChecked(true);

    cdsProduto->close();
    ShowAviGuard avi(Corvane::mainWindow(), ShowAviKind::Receiving);
    cdsProduto->setData(ProductsPage::DegRegistros({kCdProduto, kCdArvProd, kNmProduto}, items->data()));
    cdsProduto->addIndex(QStringLiteral("ORDENA"), kCdArvProd);
    cdsProduto->setIndexName(QStringLiteral("ORDENA"));
}

// Closing hides the dialog: the next opening starts again from the workspace's row.
void TfrmGridExclProd::done(int result)
{
    m_boAtivar = true;
    TfrmRotiGeral::done(result);
}

// --- check and removal ------------------------------------------------------------------------

void TfrmGridExclProd::vd_Produto(bool required)
{
    const QString code = medCdProduto->text().trimmed();
    if (code.isEmpty()) {
        if (required)
            fail(QStringLiteral("Prod_Vazio"));
        return;
    }
    if (!cdsProduto->active() || !cdsProduto->locate(kCdArvProd, code, LocateOption::CaseInsensitive))
        fail(QStringLiteral("ProdNCad"));
    edtNmProduto->setText(cdsProduto->fieldByName(kNmProduto)->asString());
}

void TfrmGridExclProd::sbtConfirmarClick()
{
    TfrmRotiGeral::sbtConfirmarClick();
    vd_Produto(true);
    const QString product = cdsProduto->fieldByName(kCdProduto)->asString();
    const QString tree = medCdProduto->text().trimmed();

    ExclProdArgs args;
    args.branch = m_context.currentBranch();
    args.number = m_context.currentNumber();
    args.product = product;
    args.allRegions = args.allSuppliers = args.allBrands = true;
    args.region = args.supplier = args.brand = kBlank;
    QString warning;
    if (rbtSelRegiao->isChecked()) {
        args.allRegions = false;
        args.region = currentValue(m_page.gridRegiao(), QStringLiteral("CDREGIAO"));
    } else {
        warning += msg(QStringLiteral("Excl_TReg"));
    }
    if (rbtSelForn->isChecked()) {
        args.allSuppliers = false;
        args.supplier = currentValue(m_page.gridFornecedor(), QStringLiteral("CDFORNECED"));
    } else {
        warning += msg(QStringLiteral("Excl_TForn"));
    }
    if (rbtSelMarca->isChecked()) {
        args.allBrands = false;
        args.brand = currentValue(m_page.gridProdMarc(), QStringLiteral("CDMARCA"));
    } else {
        warning += msg(QStringLiteral("Excl_TMarca"));
    }
    if (!warning.isEmpty() && !askYes(warning + msg(QStringLiteral("Confirma"))))
        return;
    if (!askYes(msg(QStringLiteral("Confirma2"))))
        return;

    bool inPriceList = false;
    {
        ShowAviGuard avi(Corvane::mainWindow(), ShowAviKind::Receiving);
        inPriceList = m_context.gridCotaPrec()
                          .verifLista(args.branch, args.number, args.allRegions ? kBlank : args.region,
                                      args.allSuppliers ? kBlank : args.supplier, product,
                                      args.allBrands ? kBlank : args.brand)
                          .inPriceList;
    }
    if (inPriceList && !m_page.confirmPriceListRemoval())
        return;
    {
        ShowAviGuard avi(Corvane::mainWindow(), ShowAviKind::Storing);
        auto settle = qScopeGuard([] { QApplication::processEvents(); });
        m_context.gridCotaPrec().exclProd(args);
    }
    m_removed = true;
    m_page.resetProdMarcCache();

    // The product's rows leave the current grid as stored rows.
    ClientDataSet *items = m_page.gridProdMarc();
    if (items->active()) {
        if (args.allBrands) {
            while (items->locate(kCdArvProd, tree, LocateOption::CaseInsensitive))
                items->deleteRecord();
        } else if (items->locate(QStringLiteral("CDARVPROD;CDMARCA"), QVariantList{tree, args.brand},
                                 LocateOption::CaseInsensitive)) {
            items->deleteRecord();
        }
        items->mergeChangeLog();
    }
    accept();
}

// --- creation procedure -------------------------------------------------------------------------

bool CriaGridExclProd(QuotationContext &context, ProductsPage &page, QWidget *owner)
{
    using namespace Cli_sup05206;
    if (!boIdCriado || !frmGridExclProd) {
        QWidget *parent = Corvane::mainWindow();
        if (!parent)
            parent = owner;
        QApplication::setOverrideCursor(Qt::WaitCursor);
        auto restore = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
        frmGridExclProd = new TfrmGridExclProd(context, page, parent);
    }
    frmGridExclProd->exec();
    return frmGridExclProd && frmGridExclProd->removed();
}

void releaseGridExclProd()
{
    using namespace Cli_sup05206;
    TfrmGridExclProd *dialog = frmGridExclProd;
    frmGridExclProd = nullptr;
    if (!dialog)
        return;
    if (dialog->isVisible()) {
        dialog->hide();
        dialog->deleteLater();
    } else {
        delete dialog;
    }
}
