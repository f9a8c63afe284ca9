// The validity change: creation and first activation, the selections and their searches,
// the coupling of weeks and dates, the checks and the change on the server.
#include "Cli_sup05225.h"
#include "ui_Cli_sup05225.h"

#include "ClientDataSet.h"
#include "Consiste.h"
#include "Corvane.h"
#include "DataPacket.h"
#include "DataSource.h"
#include "DateEdit.h"
#include "Field.h"
#include "FormIcons.h"
#include "Pesquisa.h"
#include "ProtocolContract.h"
#include "QuotationContext.h"
#include "ShowAvi.h"
#include "SpinEdit.h"
#include "SupResources.h"
#include "TADOIBQuery.h"
#include "TMessages.h"
#include "ValidityWeek.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRadioButton>
#include <QToolButton>

namespace {

const QString kMarkAll = QStringLiteral("T");
const QString kBlank = QStringLiteral(" ");
const QColor kValidDateColor(Qt::blue);

} // namespace

// --- creation --------------------------------------------------------------------------------

TfrmAltValidade::TfrmAltValidade(QuotationContext &context, QWidget *parent)
    : TfrmPadrImportExport(parent)
    , m_ui(std::make_unique<Ui::TfrmAltValidade>())
    , m_context(context)
{
    setObjectName(QStringLiteral("frmAltValidade"));
    setProperty("screenCode", QStringLiteral("SUP05225"));
    msgPadrao->load(QStringLiteral("Cli_sup05225"));
    setWindowTitle(msg(QStringLiteral("Titulo")));

    auto *content = new QWidget(panClient);
    m_ui->setupUi(content);
    panClientLayout->addWidget(content);

    speValIni = m_ui->speValIni;
    depDtIniCot = m_ui->depDtIniCot;
    edtDtIniCot = m_ui->edtDtIniCot;
    speValFin = m_ui->speValFin;
    depDtFinCot = m_ui->depDtFinCot;
    edtDtFinCot = m_ui->edtDtFinCot;
    speInicial_Inc = m_ui->speInicial_Inc;
    depDtInicial_Inc = m_ui->depDtInicial_Inc;
    edtNmSemInicial_Inc = m_ui->edtNmSemInicial_Inc;
    speFinal_Inc = m_ui->speFinal_Inc;
    depDtFinal_Inc = m_ui->depDtFinal_Inc;
    edtNmSemFinal_Inc = m_ui->edtNmSemFinal_Inc;
    rbtTodosComprador = m_ui->rbtTodosComprador;
    rbtListaComprador = m_ui->rbtListaComprador;
    sbtComprador = m_ui->sbtComprador;
    rbtTodosForn = m_ui->rbtTodosForn;
    rbtListaForn = m_ui->rbtListaForn;
    sbtPesqForn = m_ui->sbtPesqForn;
    rbtTodasCotacao = m_ui->rbtTodasCotacao;
    rbtListaCotacao = m_ui->rbtListaCotacao;
    sbtCotacao = m_ui->sbtCotacao;

    supInitResources();
    sbtImportExport->setIcon(QIcon(QStringLiteral(":/icons/tool-AlteraValidade.svg")));
    sbtImportExport->setText(msg(QStringLiteral("Cap_AlterarValidade")));
    sbtImportExport->setToolTip(msg(QStringLiteral("Hint_AlterarValidade")));
    panProgresso->hide();

    for (QToolButton *search : {sbtComprador, sbtPesqForn, sbtCotacao}) {
        search->setIcon(FormIcons::command(QStringLiteral("procurar")));
        search->setEnabled(false);
    }
    for (DateEdit *date : {depDtIniCot, depDtFinCot, depDtInicial_Inc, depDtFinal_Inc}) {
        date->setValidDateColor(kValidDateColor);
        date->clear();
    }
    for (SpinEdit *week : {speValIni, speValFin, speInicial_Inc, speFinal_Inc}) {
        week->setRange(1, 53);
        week->setDigits(2);
        week->setMinimumWidth(week->fontMetrics().horizontalAdvance(QStringLiteral("000")) + 36);
    }
    for (QLineEdit *name : {edtDtIniCot, edtDtFinCot, edtNmSemInicial_Inc, edtNmSemFinal_Inc})
        name->setMinimumWidth(name->fontMetrics().horizontalAdvance(QStringLiteral("Quarta-feira")) + 16);

    m_oldFirst = std::make_unique<ValidityWeek>(depDtIniCot, speValIni, edtDtIniCot, QLatin1Char('I'));
    m_oldLast = std::make_unique<ValidityWeek>(depDtFinCot, speValFin, edtDtFinCot, QLatin1Char('F'));
    m_newFirst = std::make_unique<ValidityWeek>(depDtInicial_Inc, speInicial_Inc, edtNmSemInicial_Inc, QLatin1Char('I'));
    m_newLast = std::make_unique<ValidityWeek>(depDtFinal_Inc, speFinal_Inc, edtNmSemFinal_Inc, QLatin1Char('F'));

    createData();
    wireEvents();
}

TfrmAltValidade::~TfrmAltValidade() = default;

void TfrmAltValidade::createData()
{
    qryComprador = new TADOIBQuery(QStringLiteral("Cli_sup05225.qryComprador"), this);
    qryComprador->setObjectName(QStringLiteral("qryComprador"));
    qryPesqForn = new TADOIBQuery(QStringLiteral("qryPesqForn"), this);
    qryPesqForn->setObjectName(QStringLiteral("qryPesqForn"));
    qryCentCmp = new TADOIBQuery(QStringLiteral("qryCentCmp"), this);
    qryCentCmp->setObjectName(QStringLiteral("qryCentCmp"));
    qryCentCmp->setFieldType(QStringLiteral("CDFILIAL"), FieldType::String, 4);
    qryCentCmp->setFieldType(QStringLiteral("NMFILIAL_CENTRAL"), FieldType::String, 30);

    cdsCotacao = new ClientDataSet(this);
    cdsCotacao->setObjectName(QStringLiteral("cdsCotacao"));
    for (const FieldDef &def : Protocol::packetLayout(QStringLiteral("Cotacao")))
        cdsCotacao->addFieldDef(def.name, def.type, def.size, def.required);

    dtsComprador = new DataSource(this);
    dtsComprador->setObjectName(QStringLiteral("dtsComprador"));
    dtsComprador->setDataSet(qryComprador->dataSet());
    dtsPesqForn = new DataSource(this);
    dtsPesqForn->setObjectName(QStringLiteral("dtsPesqForn"));
    dtsPesqForn->setDataSet(qryPesqForn->dataSet());
    dtsCotacao = new DataSource(this);
    dtsCotacao->setObjectName(QStringLiteral("dtsCotacao"));
    dtsCotacao->setDataSet(cdsCotacao);

    auto label = [](ClientDataSet &ds, const QString &field, const QString &text, int width) {
        if (Field *f = ds.findField(field)) {
            f->setDisplayLabel(text);
            f->setDisplayWidth(width);
        }
    };
    qryComprador->dataSet()->afterOpen = [this, label](ClientDataSet &ds) {
        label(ds, QStringLiteral("CDOPERADOR"), msg(QStringLiteral("Fld_Codigo")), 12);
        label(ds, QStringLiteral("NMOPERADOR"), msg(QStringLiteral("Fld_Nome")), 40);
    };
    qryPesqForn->dataSet()->afterOpen = [this, label](ClientDataSet &ds) {
        label(ds, QStringLiteral("IDTPIJURFORN"), msg(QStringLiteral("Fld_Tipo")), 14);
        label(ds, QStringLiteral("NRINSJURFORN"), msg(QStringLiteral("Fld_Inscricao")), 20);
        label(ds, QStringLiteral("NMRAZSOCFORN"), msg(QStringLiteral("Fld_RazaoSocial")), 40);
        label(ds, QStringLiteral("NMFANTFORN"), msg(QStringLiteral("Fld_NomeFantasia")), 40);
        if (Field *code = ds.findField(QStringLiteral("CDFORNECED")))
            code->setVisible(false);
        if (Field *type = ds.findField(QStringLiteral("IDTPIJURFORN"))) {
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
        if (Field *number = ds.findField(QStringLiteral("NRINSJURFORN"))) {
            number->onGetText = [](const Field &f, bool) {
                const Field *type = f.dataSet()->findField(QStringLiteral("IDTPIJURFORN"));
                return Consiste::FormataInscricao(f.asString(), type ? type->asString() : QString());
            };
        }
    };
    cdsCotacao->afterOpen = [this, label](ClientDataSet &ds) {
        if (Field *mark = ds.findField(QStringLiteral("IDMARCADO")))
            mark->setVisible(false);
        label(ds, QStringLiteral("NRCOLEPRECO"), msg(QStringLiteral("Fld_Cotacao")), 10);
        label(ds, QStringLiteral("DTCOLEPREC"), msg(QStringLiteral("Fld_DtCotacao")), 10);
        label(ds, QStringLiteral("DTINIVALCOL"), msg(QStringLiteral("Fld_ValInicial")), 10);
        label(ds, QStringLiteral("DTFINVALCOL"), msg(QStringLiteral("Fld_ValFinal")), 10);
        label(ds, QStringLiteral("CDOPERADOR"), msg(QStringLiteral("Fld_Comprador")), 12);
        label(ds, QStringLiteral("NMOPERADOR"), msg(QStringLiteral("Fld_NmComprador")), 40);
        for (const char *date : {"DTCOLEPREC", "DTINIVALCOL", "DTFINVALCOL"}) {
            if (Field *f = ds.findField(QLatin1String(date)))
                f->setDisplayFormat(QStringLiteral("dd/MM/yyyy"));
        }
    };
}

void TfrmAltValidade::wireEvents()
{
    auto onChecked = [this](QRadioButton *radio, void (TfrmAltValidade::*handler)()) {
        connect(radio, &QRadioButton::toggled, this, [this, handler](bool checked) {
            if (checked)
                Consiste::runGuarded([this, handler] { (this->*handler)(); });
        });
    };
    onChecked(rbtTodosComprador, &TfrmAltValidade::rbtTodosCompradorClick);
    onChecked(rbtListaComprador, &TfrmAltValidade::rbtListaCompradorClick);
    onChecked(rbtTodosForn, &TfrmAltValidade::rbtTodosFornClick);
    onChecked(rbtListaForn, &TfrmAltValidade::rbtListaFornClick);
    onChecked(rbtTodasCotacao, &TfrmAltValidade::rbtTodasCotacaoClick);
    onChecked(rbtListaCotacao, &TfrmAltValidade::rbtListaCotacaoClick);

    connect(sbtComprador, &QToolButton::clicked, this, Consiste::guarded([this] { sbtCompradorClick(); }));
    connect(sbtPesqForn, &QToolButton::clicked, this, Consiste::guarded([this] { sbtPesqFornClick(); }));
    connect(sbtCotacao, &QToolButton::clicked, this, Consiste::guarded([this] { sbtCotacaoClick(); }));

    for (ValidityWeek *end : {m_oldFirst.get(), m_oldLast.get(), m_newFirst.get(), m_newLast.get()}) {
        connect(end->week(), &SpinEdit::changed, this, Consiste::guarded([end] { end->weekChanged(); }));
        connect(end->date(), &DateEdit::changed, this, Consiste::guarded([end] { end->dateChanged(); }));
    }
    for (QWidget *w : std::initializer_list<QWidget *>{rbtListaComprador, rbtListaForn, rbtListaCotacao, speValIni,
                                                       speValFin, speInicial_Inc, speFinal_Inc, depDtIniCot, depDtFinCot,
                                                       depDtInicial_Inc, depDtFinal_Inc})
        w->installEventFilter(this);
}

QString TfrmAltValidade::msg(const QString &key) const
{
    return msgPadrao->Msg(key);
}

QString TfrmAltValidade::centralBranch() const
{
    if (!qryCentCmp->Active() || qryCentCmp->IsEmpty())
        return Corvane::FiliProc();
    return qryCentCmp->FieldByName(QStringLiteral("CDFILIAL"))->asString();
}

// --- activation -------------------------------------------------------------------------------

void TfrmAltValidade::showEvent(QShowEvent *event)
{
    TfrmPadrImportExport::showEvent(event);
    Consiste::runGuarded([this] { FormActivate(); });
}

void TfrmAltValidade::FormActivate()
{
    update();
    if (!m_firstActivation)
        return;
    qryCentCmp->Close();
    qryCentCmp->ParamByName(QStringLiteral("P_CDFILIAL")).setAsString(Corvane::FiliProc());
    qryCentCmp->Open();
    m_firstActivation = false;
}

// --- selections -------------------------------------------------------------------------------

void TfrmAltValidade::rbtTodosCompradorClick()
{
    sbtComprador->setEnabled(false);
    ListaCompAltVal.clear();
}

void TfrmAltValidade::rbtListaCompradorClick()
{
    sbtComprador->setEnabled(true);
}

void TfrmAltValidade::rbtTodosFornClick()
{
    sbtPesqForn->setEnabled(false);
    ListaFornAltVal.clear();
}

void TfrmAltValidade::rbtListaFornClick()
{
    sbtPesqForn->setEnabled(true);
}

void TfrmAltValidade::rbtTodasCotacaoClick()
{
    sbtCotacao->setEnabled(false);
    ListaCotAltVal.clear();
}

void TfrmAltValidade::rbtListaCotacaoClick()
{
    sbtCotacao->setEnabled(true);
}

void TfrmAltValidade::sbtCompradorClick()
{
    qryComprador->Close();
    qryComprador->Open();
    Pesqlista::PesquisaLista(dtsComprador, QStringLiteral("CDOPERADOR"),
                             msg(QStringLiteral("Comprador")) + QLatin1Char('|') + msg(QStringLiteral("Comp_N_Cad")),
                             false, ListaCompAltVal);
}

void TfrmAltValidade::sbtPesqFornClick()
{
    qryPesqForn->Close();
    qryPesqForn->Open();
    if (qryPesqForn->IsEmpty())
        Consiste::MensErro(msg(QStringLiteral("N_Forn_Cad")));
    Pesqlista::PesquisaLista(dtsPesqForn, QStringLiteral("CDFORNECED"), msg(QStringLiteral("Titulo_Fornecedor")), false,
                             ListaFornAltVal);
}

// The quotations of the current validity, of the buyers and suppliers chosen, to pick from.
void TfrmAltValidade::sbtCotacaoClick()
{
    vd_PerCotacao();
    vd_Fornecedor();
    vd_Comprador();
    GetCotacaoArgs args;
    args.branch = centralBranch();
    args.firstDate = depDtIniCot->date();
    args.lastDate = depDtFinCot->date();
    args.buyers = ListaCompAltVal;
    args.allBuyers = rbtTodosComprador->isChecked() ? kMarkAll : QString();
    args.suppliers = ListaFornAltVal;
    args.allSuppliers = rbtTodosForn->isChecked() ? kMarkAll : QString();
    {
        ShowAviGuard avi(parentWidget() ? parentWidget()->window() : nullptr, ShowAviKind::Storing,
                         msg(QStringLiteral("Get_Cotacao")));
        cdsCotacao->setData(m_context.gridCotaPrec().getCotacao(args));
    }
    Pesqlista::PesquisaLista(dtsCotacao, QStringLiteral("NRCOLEPRECO"),
                             msg(QStringLiteral("Cotacao")) + QLatin1Char('|') + msg(QStringLiteral("Cot_N_Cad")), false,
                             ListaCotAltVal);
}

// --- weeks and dates --------------------------------------------------------------------------

void TfrmAltValidade::validateDate(DateEdit *date)
{
    if (date->isAcceptable())
        return;
    date->setFocus();
    Consiste::MensErro(msg(QStringLiteral("Data_Invalida")).arg(date->displayText()));
}

void TfrmAltValidade::leaveDate(DateEdit *date)
{
    validateDate(date);
    for (ValidityWeek *end : {m_oldFirst.get(), m_oldLast.get(), m_newFirst.get(), m_newLast.get()}) {
        if (end->date() == date)
            end->dateLeft();
    }
}

bool TfrmAltValidade::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_F9 && key->modifiers() == Qt::NoModifier) {
            QToolButton *search = watched == rbtListaComprador ? sbtComprador
                                  : watched == rbtListaForn    ? sbtPesqForn
                                  : watched == rbtListaCotacao ? sbtCotacao
                                                               : nullptr;
            if (search) {
                if (search->isEnabled())
                    search->click();
                return true;
            }
        }
        if (key->key() == Qt::Key_Minus && qobject_cast<SpinEdit *>(watched))
            return true;
    } else if (event->type() == QEvent::FocusOut) {
        auto *date = qobject_cast<DateEdit *>(watched);
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        if (date && !m_leavingField && reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            m_leavingField = true;
            Consiste::runGuarded([this, date] { leaveDate(date); });
            m_leavingField = false;
        }
    }
    return TfrmPadrImportExport::eventFilter(watched, event);
}

// --- checks -----------------------------------------------------------------------------------

void TfrmAltValidade::fail(QWidget *control, const QString &key)
{
    if (control && control->isEnabled())
        control->setFocus();
    Consiste::MensErro(msg(key));
}

void TfrmAltValidade::vd_Validade()
{
    if (depDtInicial_Inc->isEmpty())
        fail(depDtInicial_Inc, QStringLiteral("DtIni_N_Inf"));
    if (depDtFinal_Inc->isEmpty())
        fail(depDtFinal_Inc, QStringLiteral("DtFin_N_Inf"));
    validateDate(depDtInicial_Inc);
    validateDate(depDtFinal_Inc);
    if (depDtInicial_Inc->date() > depDtFinal_Inc->date())
        fail(depDtInicial_Inc, QStringLiteral("DtIniFin_Inv"));
}

void TfrmAltValidade::vd_PerCotacao()
{
    if (depDtIniCot->isEmpty())
        fail(depDtIniCot, QStringLiteral("PerIni_N_Inf"));
    if (depDtFinCot->isEmpty())
        fail(depDtFinCot, QStringLiteral("PerFin_N_Inf"));
    validateDate(depDtIniCot);
    validateDate(depDtFinCot);
    if (depDtIniCot->date() > depDtFinCot->date())
        fail(depDtIniCot, QStringLiteral("PerIniFin_Inv"));
}

void TfrmAltValidade::vd_Fornecedor()
{
    if (rbtListaForn->isChecked() && Consiste::EmptyString(ListaFornAltVal))
        fail(rbtListaForn, QStringLiteral("Forn_N_inf"));
}

void TfrmAltValidade::vd_Comprador()
{
    // The table keeps the key as "Comp_N_Inf"; keys compare without case.
    if (rbtListaComprador->isChecked() && Consiste::EmptyString(ListaCompAltVal))
        fail(rbtListaComprador, QStringLiteral("Comp_N_inf"));
}

void TfrmAltValidade::vd_Cotacao()
{
    if (rbtListaCotacao->isChecked() && Consiste::EmptyString(ListaCotAltVal))
        fail(rbtListaCotacao, QStringLiteral("Cot_N_inf"));
}

void TfrmAltValidade::vd_validade_diferente()
{
    if (depDtInicial_Inc->date() == depDtIniCot->date() && depDtFinal_Inc->date() == depDtFinCot->date())
        fail(depDtIniCot, QStringLiteral("Validade_Diferente"));
}

// --- change -----------------------------------------------------------------------------------

void TfrmAltValidade::sbtImportExportClick()
{
    TfrmPadrImportExport::sbtImportExportClick();
    AlteraValidadeArgs args;
    args.allSuppliers = rbtTodosForn->isChecked() ? kMarkAll : kBlank;
    args.allBuyers = rbtListaComprador->isChecked() ? kBlank : kMarkAll;
    args.allQuotations = rbtTodasCotacao->isChecked() ? kMarkAll : kBlank;

    vd_Validade();
    vd_Fornecedor();
    vd_Comprador();
    vd_Cotacao();
    vd_PerCotacao();
    vd_validade_diferente();

    if (msgPadrao->ShowMsg(QStringLiteral("CONF"), MsgDlg::mtConfirmation, MsgDlg::mbYes | MsgDlg::mbNo) != MsgDlg::mrYes)
        return;
    args.oldFirstDate = depDtIniCot->date();
    args.oldLastDate = depDtFinCot->date();
    args.newFirstDate = depDtInicial_Inc->date();
    args.newLastDate = depDtFinal_Inc->date();
    args.suppliers = ListaFornAltVal;
    args.buyers = ListaCompAltVal;
    args.quotations = ListaCotAltVal;
    args.branch = centralBranch();
    {
        ShowAviGuard avi(parentWidget() ? parentWidget()->window() : nullptr, ShowAviKind::Storing,
                         msg(QStringLiteral("Altera_Validade_Cota")));
        m_context.gridCotaPrec().alteraValidade(args);
    }
    m_changed = true;
    msgPadrao->ShowMsg(QStringLiteral("Processo_Finalizando"), MsgDlg::mtInformation, MsgDlg::mbOK);
    // Open for a further change.
    raise();
    activateWindow();
}

// --- creation procedure -------------------------------------------------------------------------

bool CriaAltValidade(QuotationContext &context, QWidget *owner)
{
    QWidget *parent = Corvane::mainWindow();
    if (!parent)
        parent = owner;
    TfrmAltValidade dialog(context, parent);
    dialog.exec();
    return dialog.changed();
}
