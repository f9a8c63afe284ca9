// The supplier removal: the current supplier proposed, the check of the typed one against
// the region's suppliers, the scope, the price-list warning, the removal on the server and
// what the workspace shows afterwards.
#include "Cli_sup05208.h"
#include "ui_Cli_sup05208.h"

#include "ClientDataSet.h"
#include "Consiste.h"
#include "Corvane.h"
#include "DataPacket.h"
#include "DataSource.h"
#include "Field.h"
#include "FormIcons.h"
#include "MaskEdit.h"
#include "ProductsPage.h"
#include "QuotationContext.h"
#include "ShowAvi.h"
#include "TADOIBQuery.h"
#include "TBtnPesquisa.h"
#include "TMessages.h"

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScopeGuard>

namespace {

const QString kCdForneced = QStringLiteral("CDFORNECED");
const QString kNrInsJurForn = QStringLiteral("NRINSJURFORN");
const QString kIdTpIJurForn = QStringLiteral("IDTPIJURFORN");
const QString kNmRazSocForn = QStringLiteral("NMRAZSOCFORN");
const QString kBlank = QStringLiteral(" ");

QString currentValue(const ClientDataSet *ds, const QString &field)
{
    return ds && ds->active() && !ds->isEmpty() ? ds->fieldByName(field)->asString() : QString();
}

} // namespace

TfrmGridForneDelete::TfrmGridForneDelete(QuotationContext &context, ProductsPage &page, QWidget *parent)
    : TfrmRotiGeral(parent)
    , m_ui(std::make_unique<Ui::TfrmGridForneDelete>())
    , m_context(context)
    , m_page(page)
{
    setObjectName(QStringLiteral("frmGridForneDelete"));
    setProperty("screenCode", QStringLiteral("SUP05208"));
    msgPadrao->load(QStringLiteral("Cli_sup05208"));
    setWindowTitle(msg(QStringLiteral("Titulo")));

    auto *content = new QWidget(panClient);
    m_ui->setupUi(content);
    panClientLayout->addWidget(content);
    medNrInsJurForn = m_ui->medNrInsJurForn;
    btnPesqForn = m_ui->btnPesqForn;
    edtNmRazSocForn = m_ui->edtNmRazSocForn;
    chkExclRegiao = m_ui->chkExclRegiao;

    medNrInsJurForn->setMaxLength(20);
    medNrInsJurForn->setMinimumWidth(medNrInsJurForn->fontMetrics().horizontalAdvance(QStringLiteral("00.000.000/0000-000")) + 16);
    edtNmRazSocForn->setMinimumWidth(260);
    btnPesqForn->setIcon(FormIcons::command(QStringLiteral("procurar")));
    btnPesqForn->setToolTip(msg(QStringLiteral("Pesquisar")));

    createData();
    connect(medNrInsJurForn, &MaskEdit::changed, this, [this] { edtNmRazSocForn->clear(); });
    medNrInsJurForn->installEventFilter(this);
}

TfrmGridForneDelete::~TfrmGridForneDelete() = default;

void TfrmGridForneDelete::createData()
{
    qryPesqForn = new TADOIBQuery(QStringLiteral("Cli_sup05208.qryPesqForn"), this);
    qryPesqForn->setObjectName(QStringLiteral("qryPesqForn"));
    qryForne = new TADOIBQuery(QStringLiteral("Cli_sup05208.qryForne"), this);
    qryForne->setObjectName(QStringLiteral("qryForne"));
    qryDadForn = new TADOIBQuery(QStringLiteral("Cli_sup05208.qryDadForn"), this);
    qryDadForn->setObjectName(QStringLiteral("qryDadForn"));
    dtsPesqForn = new DataSource(this);
    dtsPesqForn->setObjectName(QStringLiteral("dtsPesqForn"));
    dtsPesqForn->setDataSet(qryPesqForn->dataSet());

    // The suppliers of the current region, in the order of the workspace's grid.
    const DataPacket suppliers = m_page.gridFornecedor()->data();
    for (int r = 0; r < suppliers.rowCount(); ++r)
        m_supplierList += suppliers.value(r, kCdForneced).toString() + QLatin1Char('_');
    qryPesqForn->ParamByName(QStringLiteral("P_CDFORNECED")).setAsString(m_supplierList);

    qryPesqForn->dataSet()->afterOpen = [this](ClientDataSet &ds) {
        auto label = [&ds](const QString &field, const QString &text, int width) {
            if (Field *f = ds.findField(field)) {
                f->setDisplayLabel(text);
                f->setDisplayWidth(width);
            }
        };
        label(kNrInsJurForn, msg(QStringLiteral("Fld_Inscricao")), 20);
        label(kIdTpIJurForn, msg(QStringLiteral("Fld_Tipo")), 14);
        label(kNmRazSocForn, msg(QStringLiteral("Fld_RazaoSocial")), 40);
        if (Field *code = ds.findField(kCdForneced))
            code->setVisible(false);
        if (Field *type = ds.findField(kIdTpIJurForn)) {
            type->onGetText = [this](const Field &f, bool) {
                const QString t = f.asString().trimmed().toUpper();
                const char *key = t == QLatin1String("F")   ? "CPF_Pesq"
                                  : t == QLatin1String("I") ? "JUR_Pesq"
                                  : t == QLatin1String("J") ? "CGC_Pesq"
                                  : t == QLatin1String("O") ? "OUTROS_Pesq"
                                                            : nullptr;
                return key ? msg(QLatin1String(key)) : QString();
            };
        }
        if (Field *number = ds.findField(kNrInsJurForn)) {
            number->onGetText = [](const Field &f, bool) {
                const Field *type = f.dataSet()->findField(kIdTpIJurForn);
                return Consiste::FormataInscricao(f.asString().trimmed(), type ? type->asString().trimmed() : QString());
            };
        }
    };

    btnPesqForn->setDataSource(dtsPesqForn);
    btnPesqForn->setKeyField(kCdForneced);
    btnPesqForn->setTitle(msg(QStringLiteral("Fornecedor")) + QLatin1Char('|') + msg(QStringLiteral("N_Forn_Cad")));
    btnPesqForn->BeforePesq = [this](TBtnPesquisa &) {
        qryPesqForn->Close();
        qryPesqForn->Open();
    };
    btnPesqForn->AfterPesq = [this](TBtnPesquisa &) {
        medNrInsJurForn->setEditMask(Consiste::PictPess(qryPesqForn->FieldByName(kIdTpIJurForn)->asString().trimmed()));
        medNrInsJurForn->setText(qryPesqForn->FieldByName(kNrInsJurForn)->asString().trimmed());
        edtNmRazSocForn->setText(qryPesqForn->FieldByName(kNmRazSocForn)->asString());
    };
}

QString TfrmGridForneDelete::msg(const QString &key) const
{
    return msgPadrao->Msg(key);
}

void TfrmGridForneDelete::fail(const QString &key)
{
    medNrInsJurForn->setFocus();
    Consiste::MensErro(msg(key));
    Consiste::SilentAbort(); // not reached: MensErro raises
}

// --- activation -------------------------------------------------------------------------------

void TfrmGridForneDelete::showEvent(QShowEvent *event)
{
    TfrmRotiGeral::showEvent(event);
    Consiste::runGuarded([this] { FormActivate(); });
}

void TfrmGridForneDelete::FormActivate()
{
    update();
    if (!m_boAtivar)
        return;
    m_boAtivar = false;
    qryForne->Close();
    qryForne->ParamByName(QStringLiteral("P_CDFORNECED")).setAsString(currentValue(m_page.gridFornecedor(), kCdForneced));
    qryForne->Open();
    if (qryForne->IsEmpty())
        return;
    medNrInsJurForn->setEditMask(Consiste::PictPess(qryForne->FieldByName(kIdTpIJurForn)->asString().trimmed()));
    medNrInsJurForn->setText(qryForne->FieldByName(kNrInsJurForn)->asString().trimmed());
    edtNmRazSocForn->setText(qryForne->FieldByName(kNmRazSocForn)->asString());
}

// Releasing Tab in the registration checks it and selects it whole.
bool TfrmGridForneDelete::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == medNrInsJurForn && event->type() == QEvent::KeyRelease) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        Consiste::runGuarded([this, key] { medNrInsJurFornKeyUp(key); });
    }
    return TfrmRotiGeral::eventFilter(watched, event);
}

void TfrmGridForneDelete::medNrInsJurFornKeyUp(int key)
{
    if (key != Qt::Key_Tab)
        return;
    Vd_Fornecedor(false);
    medNrInsJurForn->selectAll();
}

// --- checks and removal -----------------------------------------------------------------------

void TfrmGridForneDelete::Vd_Fornecedor(bool required)
{
    QString number = medNrInsJurForn->text();
    if (Consiste::EmptyString(number)) {
        if (required)
            fail(QStringLiteral("Forn_N_Inf"));
        return;
    }
    const QString personType = Consiste::Ajusta_Inscricao(number);
    qryDadForn->Close();
    qryDadForn->ParamByName(QStringLiteral("P_NRINSJURFORN")).setAsString(number);
    qryDadForn->ParamByName(QStringLiteral("P_IDTPIJURFORN")).setAsString(personType);
    qryDadForn->Open();
    if (qryDadForn->IsEmpty())
        fail(QStringLiteral("Forn_N_Cad"));
    medNrInsJurForn->setEditMask(Consiste::PictPess(personType));
    medNrInsJurForn->setText(qryDadForn->FieldByName(kNrInsJurForn)->asString().trimmed());
    edtNmRazSocForn->setText(qryDadForn->FieldByName(kNmRazSocForn)->asString());
}

void TfrmGridForneDelete::sbtConfirmarClick()
{
    TfrmRotiGeral::sbtConfirmarClick();
    Vd_Fornecedor(true);
    const QString supplier = qryDadForn->FieldByName(kCdForneced)->asString();
    if (!m_supplierList.contains(supplier, Qt::CaseInsensitive))
        fail(QStringLiteral("For_N_Cad_Cot"));

    const bool allRegions = chkExclRegiao->isChecked();
    const QString region = allRegions ? kBlank : currentValue(m_page.gridRegiao(), QStringLiteral("CDREGIAO"));
    const QString branch = m_context.currentBranch();
    const QString number = m_context.currentNumber();
    bool inPriceList = false;
    {
        ShowAviGuard avi(Corvane::mainWindow(), ShowAviKind::Receiving);
        inPriceList = m_context.gridCotaPrec().verifLista(branch, number, region, supplier, kBlank, kBlank).inPriceList;
    }
    if (inPriceList && !m_page.confirmPriceListRemoval())
        Consiste::SilentAbort();

    ExclFornArgs args;
    args.branch = branch;
    args.number = number;
    args.supplier = supplier;
    args.region = region;
    args.allRegions = allRegions;
    {
        ShowAviGuard avi(Corvane::mainWindow(), ShowAviKind::Storing);
        m_context.gridCotaPrec().exclForn(args);
    }
    m_removed = true;

    // The supplier's rows leave the product grid at once, as stored rows.
    if (m_page.gridFornecedor()->active()
        && m_page.gridFornecedor()->data().fieldIndex(kCdForneced) >= 0) {
        const DataPacket shown = m_page.gridFornecedor()->data();
        bool quoted = false;
        for (int r = 0; r < shown.rowCount() && !quoted; ++r)
            quoted = shown.value(r, kCdForneced).toString().compare(supplier, Qt::CaseInsensitive) == 0;
        ClientDataSet *items = m_page.gridProdMarc();
        if (quoted && items->active()) {
            items->disableControls();
            auto enable = qScopeGuard([items] { items->enableControls(); });
            while (items->locate(kCdForneced, supplier, LocateOption::CaseInsensitive))
                items->deleteRecord();
            items->mergeChangeLog();
        }
    }
    m_page.resetGridCaches();
    m_page.GetGridFornecedor(number, currentValue(m_page.gridRegiao(), QStringLiteral("CDREGIAO")));
    accept();
}

// --- creation procedure -------------------------------------------------------------------------

bool CriaForneDelete(QuotationContext &context, ProductsPage &page, QWidget *owner)
{
    QWidget *parent = Corvane::mainWindow();
    if (!parent)
        parent = owner;
    std::unique_ptr<TfrmGridForneDelete> dialog;
    {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        auto restore = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
        dialog = std::make_unique<TfrmGridForneDelete>(context, page, parent);
    }
    dialog->exec();
    return dialog->removed();
}
