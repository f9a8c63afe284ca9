// The quotation filter dialog: creation and first load, every opening, the list
// searches, the coupling of weeks and dates, confirmation, close and saved options.
#include "Cli_sup05201.h"
#include "ui_Cli_sup05201.h"


#include "ClientDataSet.h"
#include "Consiste.h"
#include "Corvane.h"
#include "DataPacket.h"
#include "DataSource.h"
#include "DateEdit.h"
#include "FormIcons.h"
#include "NetConnection.h"
#include "Pesquisa.h"
#include "QuotationContext.h"
#include "ShowAvi.h"
#include "SpinEdit.h"
#include "TADOIBQuery.h"
#include "TMessages.h"
#include "ValidityWeek.h"

#include <QColor>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRadioButton>
#include <QToolButton>

TfrmFiltroGridCotacao *frmFiltroGridCotacao = nullptr;

namespace {

const QString kMarkAll = QStringLiteral("T");
const QColor kValidDateColor(Qt::blue);

// Text of the person type of a supplier ("J", "F", "I", "O") from the form's messages.
QString personTypeText(const TMessages *messages, const QString &type)
{
    const QString t = type.trimmed().toUpper();
    if (t == QLatin1String("J"))
        return messages->Msg(QStringLiteral("CGC"));
    if (t == QLatin1String("F"))
        return messages->Msg(QStringLiteral("CPF"));
    if (t == QLatin1String("I"))
        return messages->Msg(QStringLiteral("JURIDICA"));
    if (t == QLatin1String("O"))
        return messages->Msg(QStringLiteral("OUTROS"));
    return QString();
}

} // namespace

// --- creation ------------------------------------------------------------------------------

TfrmFiltroGridCotacao::TfrmFiltroGridCotacao(QuotationContext &context, QWidget *parent)
    : TfrmFiltroPadrao(parent)
    , m_ui(std::make_unique<Ui::TfrmFiltroGridCotacao>())
    , m_context(context)
{
    setObjectName(QStringLiteral("frmFiltroGridCotacao"));
    setProperty("screenCode", QStringLiteral("SUP05201"));
    msgPadrao->load(QStringLiteral("Cli_sup05201"));
    setWindowTitle(msg(QStringLiteral("Titulo")));

    auto *content = new QWidget(panClient);
    m_ui->setupUi(content);
    panClientLayout->addWidget(content);

    grbComprador = m_ui->grbComprador;
    rbtListaComprador = m_ui->rbtListaComprador;
    rbtTodosComprador = m_ui->rbtTodosComprador;
    sbtComprador = m_ui->sbtComprador;
    grbRegiao = m_ui->grbRegiao;
    rbtListaRegiao = m_ui->rbtListaRegiao;
    rbtTodosRegiao = m_ui->rbtTodosRegiao;
    sbtRegiao = m_ui->sbtRegiao;
    grbValidade = m_ui->grbValidade;
    depDtInicial = m_ui->depDtInicial;
    depDtFinal = m_ui->depDtFinal;
    speInicial = m_ui->speInicial;
    speFinal = m_ui->speFinal;
    edtNmSemInicial = m_ui->edtNmSemInicial;
    edtNmSemFinal = m_ui->edtNmSemFinal;
    grbFornecedor = m_ui->grbFornecedor;
    rbtLForn = m_ui->rbtLForn;
    rbtTForn = m_ui->rbtTForn;
    sbtForn = m_ui->sbtForn;

    for (QToolButton *search : {sbtComprador, sbtRegiao, sbtForn})
        search->setIcon(FormIcons::command(QStringLiteral("procurar")));
    for (DateEdit *date : {depDtInicial, depDtFinal})
        date->setValidDateColor(kValidDateColor);
    for (SpinEdit *week : {speInicial, speFinal}) {
        week->setRange(1, 53);
        week->setDigits(2);
        week->setMinimumWidth(week->fontMetrics().horizontalAdvance(QStringLiteral("000")) + 36);
    }
    // Wide enough for the longest weekday name ("Quarta-feira").
    for (QLineEdit *name : {edtNmSemInicial, edtNmSemFinal})
        name->setMinimumWidth(name->fontMetrics().horizontalAdvance(QStringLiteral("Quarta-feira")) + 16);
    sbtComprador->setEnabled(rbtListaComprador->isChecked());
    sbtRegiao->setEnabled(rbtListaRegiao->isChecked());
    sbtForn->setEnabled(rbtLForn->isChecked());

    m_initial = std::make_unique<ValidityWeek>(depDtInicial, speInicial, edtNmSemInicial, QLatin1Char('I'));
    m_final = std::make_unique<ValidityWeek>(depDtFinal, speFinal, edtNmSemFinal, QLatin1Char('F'));

    createData();
    wireEvents();
}

TfrmFiltroGridCotacao::~TfrmFiltroGridCotacao()
{
    if (frmFiltroGridCotacao == this)
        frmFiltroGridCotacao = nullptr;
}

void TfrmFiltroGridCotacao::createData()
{
    cdsDadosFiltro = new ClientDataSet(this);
    cdsDadosFiltro->setObjectName(QStringLiteral("cdsDadosFiltro"));

    qryComprador = new TADOIBQuery(QStringLiteral("qryComprador"), this);
    qryComprador->setObjectName(QStringLiteral("qryComprador"));
    qryRegiao = new TADOIBQuery(QStringLiteral("qryRegiao"), this);
    qryRegiao->setObjectName(QStringLiteral("qryRegiao"));
    qryPesqForn = new TADOIBQuery(QStringLiteral("qryPesqForn"), this);
    qryPesqForn->setObjectName(QStringLiteral("qryPesqForn"));

    dtsComprador = new DataSource(this);
    dtsComprador->setObjectName(QStringLiteral("dtsComprador"));
    dtsComprador->setDataSet(qryComprador->dataSet());
    dtsRegiao = new DataSource(this);
    dtsRegiao->setObjectName(QStringLiteral("dtsRegiao"));
    dtsRegiao->setDataSet(qryRegiao->dataSet());
    dtsPesqForn = new DataSource(this);
    dtsPesqForn->setObjectName(QStringLiteral("dtsPesqForn"));
    dtsPesqForn->setDataSet(qryPesqForn->dataSet());

    // The searches show the columns under their captions; each open may rebuild the
    // fields, so the presentation is set after every open.
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
    qryRegiao->dataSet()->afterOpen = [this, label](ClientDataSet &ds) {
        label(ds, QStringLiteral("CDREGIAO"), msg(QStringLiteral("Fld_Codigo")), 3);
        label(ds, QStringLiteral("NMREGIAO"), msg(QStringLiteral("Fld_Nome")), 30);
    };
    qryPesqForn->dataSet()->afterOpen = [this, label](ClientDataSet &ds) {
        label(ds, QStringLiteral("IDTPIJURFORN"), msg(QStringLiteral("Fld_Tipo")), 14);
        label(ds, QStringLiteral("NRINSJURFORN"), msg(QStringLiteral("Fld_Inscricao")), 20);
        label(ds, QStringLiteral("NMRAZSOCFORN"), msg(QStringLiteral("Fld_RazaoSocial")), 40);
        label(ds, QStringLiteral("NMFANTFORN"), msg(QStringLiteral("Fld_NomeFantasia")), 40);
        if (Field *code = ds.findField(QStringLiteral("CDFORNECED")))
            code->setVisible(false);
        if (Field *type = ds.findField(QStringLiteral("IDTPIJURFORN"))) {
            type->onGetText = [this](const Field &f, bool) { return personTypeText(msgPadrao, f.asString()); };
        }
        if (Field *number = ds.findField(QStringLiteral("NRINSJURFORN"))) {
            number->onGetText = [](const Field &f, bool) {
                const Field *type = f.dataSet()->findField(QStringLiteral("IDTPIJURFORN"));
                return Consiste::FormataInscricao(f.asString(), type ? type->asString() : QString());
            };
        }
    };
}

void TfrmFiltroGridCotacao::wireEvents()
{
    // A radio button's handler runs whenever it becomes checked, by the user or by the
    // program (restoring the saved filter, loading options), so the marks and the
    // search buttons always follow the radio buttons.
    auto onChecked = [this](QRadioButton *radio, void (TfrmFiltroGridCotacao::*handler)()) {
        connect(radio, &QRadioButton::toggled, this, [this, handler](bool checked) {
            if (checked)
                Consiste::runGuarded([this, handler] { (this->*handler)(); });
        });
    };
    onChecked(rbtListaComprador, &TfrmFiltroGridCotacao::rbtListaCompradorClick);
    onChecked(rbtTodosComprador, &TfrmFiltroGridCotacao::rbtTodosCompradorClick);
    onChecked(rbtListaRegiao, &TfrmFiltroGridCotacao::rbtListaRegiaoClick);
    onChecked(rbtTodosRegiao, &TfrmFiltroGridCotacao::rbtTodosRegiaoClick);
    onChecked(rbtLForn, &TfrmFiltroGridCotacao::rbtLFornClick);
    onChecked(rbtTForn, &TfrmFiltroGridCotacao::rbtTFornClick);

    connect(sbtComprador, &QToolButton::clicked, this, Consiste::guarded([this] { sbtCompradorClick(); }));
    connect(sbtRegiao, &QToolButton::clicked, this, Consiste::guarded([this] { sbtRegiaoClick(); }));
    connect(sbtForn, &QToolButton::clicked, this, Consiste::guarded([this] { sbtFornClick(); }));

    connect(speInicial, &SpinEdit::changed, this, Consiste::guarded([this] { speInicialChange(); }));
    connect(speFinal, &SpinEdit::changed, this, Consiste::guarded([this] { speFinalChange(); }));
    connect(depDtInicial, &DateEdit::changed, this, Consiste::guarded([this] { depDtInicialChange(); }));
    connect(depDtFinal, &DateEdit::changed, this, Consiste::guarded([this] { depDtFinalChange(); }));

    for (QWidget *w : std::initializer_list<QWidget *>{rbtListaComprador, rbtListaRegiao, rbtLForn, speInicial,
                                                       speFinal, depDtInicial, depDtFinal})
        w->installEventFilter(this);
}

QString TfrmFiltroGridCotacao::msg(const QString &key) const
{
    return msgPadrao->Msg(key);
}

// The central purchasing branch, read by the context on first use: the filter first
// opens before the workspace's first activation.
QString TfrmFiltroGridCotacao::centralBranch()
{
    return m_context.centralBranch();
}

void TfrmFiltroGridCotacao::FormCreate()
{
    {
        ShowAviGuard avi(parentWidget() ? parentWidget()->window() : nullptr, ShowAviKind::Receiving,
                         msg(QStringLiteral("Get_DadosFiltro")));
        cdsDadosFiltro->setData(m_context.gridCotaPrec().getDadosFiltro(centralBranch(), Corvane::Operador()));
    }
    if (!cdsDadosFiltro->isEmpty()) {
        cdsDadosFiltro->first();
        m_filtro.firstDate = cdsDadosFiltro->fieldByName(QStringLiteral("DTINIVALCOL"))->asDate();
        m_filtro.lastDate = cdsDadosFiltro->fieldByName(QStringLiteral("DTFINVALCOL"))->asDate();
    }

    // A buyer starts on his own quotations; anyone else on every buyer's.
    qryComprador->Close();
    qryComprador->ParamByName(QStringLiteral("P_CDOPERADOR")).setAsString(Corvane::Operador());
    qryComprador->ParamByName(QStringLiteral("P_TOPERADOR")).setAsString(QString());
    qryComprador->Open();
    m_filtro.TCOMPRADOR.listChosen = !qryComprador->IsEmpty();
    if (m_filtro.TCOMPRADOR.listChosen) {
        m_filtro.TCOMPRADOR.list = QLatin1Char('_') + Corvane::Operador() + QLatin1Char('_');
        stTComprador.clear();
    }
    qryComprador->Close();
}

// --- every opening ---------------------------------------------------------------------------

void TfrmFiltroGridCotacao::showEvent(QShowEvent *event)
{
    TfrmFiltroPadrao::showEvent(event);
    Consiste::runGuarded([this] { FormActivate(); });
}

void TfrmFiltroGridCotacao::FormActivate()
{
    update();
    restoreControls();
    depDtInicialChange();
    depDtFinalChange();
}

void TfrmFiltroGridCotacao::restoreControls()
{
    // Checking a radio button runs its handler when the choice changes; the buyer
    // group's handler also runs when it does not, so its mark and search button follow.
    rbtListaComprador->setChecked(m_filtro.TCOMPRADOR.listChosen);
    rbtTodosComprador->setChecked(!m_filtro.TCOMPRADOR.listChosen);
    if (rbtListaComprador->isChecked())
        rbtListaCompradorClick();
    else
        rbtTodosCompradorClick();
    rbtListaRegiao->setChecked(m_filtro.TREGIAO.listChosen);
    rbtTodosRegiao->setChecked(!m_filtro.TREGIAO.listChosen);
    rbtLForn->setChecked(m_filtro.TFORN.listChosen);
    rbtTForn->setChecked(!m_filtro.TFORN.listChosen);

    stComprador = m_filtro.TCOMPRADOR.list;
    stPesqRegiao = m_filtro.TREGIAO.list;
    stPesqForn = m_filtro.TFORN.list;

    depDtInicial->clear();
    depDtFinal->clear();
    depDtInicial->setDate(m_filtro.firstDate);
    depDtFinal->setDate(m_filtro.lastDate);
}

// --- choices and searches ------------------------------------------------------------------

void TfrmFiltroGridCotacao::rbtListaCompradorClick()
{
    stTComprador.clear();
    sbtComprador->setEnabled(true);
}

void TfrmFiltroGridCotacao::rbtTodosCompradorClick()
{
    stTComprador = kMarkAll;
    stComprador.clear();
    sbtComprador->setEnabled(false);
}

void TfrmFiltroGridCotacao::rbtListaRegiaoClick()
{
    stTRegiao.clear();
    sbtRegiao->setEnabled(true);
}

void TfrmFiltroGridCotacao::rbtTodosRegiaoClick()
{
    stTRegiao = kMarkAll;
    stPesqRegiao.clear();
    sbtRegiao->setEnabled(false);
}

void TfrmFiltroGridCotacao::rbtLFornClick()
{
    stTForn.clear();
    sbtForn->setEnabled(true);
}

void TfrmFiltroGridCotacao::rbtTFornClick()
{
    stTForn = kMarkAll;
    stPesqForn.clear();
    sbtForn->setEnabled(false);
}

void TfrmFiltroGridCotacao::sbtCompradorClick()
{
    qryComprador->Close();
    qryComprador->ParamByName(QStringLiteral("P_CDOPERADOR")).setAsString(Corvane::Operador());
    qryComprador->ParamByName(QStringLiteral("P_TOPERADOR")).setAsString(kMarkAll);
    qryComprador->Open();
    if (qryComprador->IsEmpty())
        fail(rbtListaComprador, QStringLiteral("Comp_N_Found"));
    Pesqlista::PesquisaLista(dtsComprador, QStringLiteral("CDOPERADOR"), msg(QStringLiteral("Comprador")), false,
                             stComprador);
}

void TfrmFiltroGridCotacao::sbtRegiaoClick()
{
    qryRegiao->Close();
    qryRegiao->Open();
    if (qryRegiao->IsEmpty())
        fail(rbtListaRegiao, QStringLiteral("Reg_N_Found"));
    Pesqlista::PesquisaLista(dtsRegiao, QStringLiteral("CDREGIAO"), msg(QStringLiteral("Regiao")), false,
                             stPesqRegiao);
}

void TfrmFiltroGridCotacao::sbtFornClick()
{
    qryPesqForn->Close();
    qryPesqForn->Open();
    Pesqlista::PesquisaLista(dtsPesqForn, QStringLiteral("CDFORNECED"),
                             msg(QStringLiteral("Forn")) + QLatin1Char('|') + msg(QStringLiteral("Forn_N_Found")),
                             false, stPesqForn);
}

// --- weeks and dates ---------------------------------------------------------------------------

void TfrmFiltroGridCotacao::speInicialChange() { m_initial->weekChanged(); }
void TfrmFiltroGridCotacao::speFinalChange() { m_final->weekChanged(); }
void TfrmFiltroGridCotacao::depDtInicialChange() { m_initial->dateChanged(); }
void TfrmFiltroGridCotacao::depDtFinalChange() { m_final->dateChanged(); }

void TfrmFiltroGridCotacao::depDtInicialExit()
{
    validateDate(depDtInicial);
    m_initial->dateLeft();
}

void TfrmFiltroGridCotacao::depDtFinalExit()
{
    validateDate(depDtFinal);
    m_final->dateLeft();
}

void TfrmFiltroGridCotacao::validateDate(DateEdit *date)
{
    if (date->isAcceptable())
        return;
    date->setFocus();
    Consiste::MensErro(msg(QStringLiteral("Data_Invalida")).arg(date->displayText()));
}

bool TfrmFiltroGridCotacao::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_F9 && key->modifiers() == Qt::NoModifier) {
            // F9 on a group's "Lista" opens that group's search.
            QToolButton *search = watched == rbtListaComprador ? sbtComprador
                                  : watched == rbtListaRegiao  ? sbtRegiao
                                  : watched == rbtLForn        ? sbtForn
                                                               : nullptr;
            if (search) {
                if (search->isEnabled())
                    search->click();
                return true;
            }
        }
        if (key->key() == Qt::Key_Minus && (watched == speInicial || watched == speFinal))
            return true;
    } else if (event->type() == QEvent::FocusOut && (watched == depDtInicial || watched == depDtFinal)) {
        // Leaving the date for another control of the dialog; a window switch (a message
        // box, another application) is no leaving.
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        if (!m_validatingDate && reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            m_validatingDate = true;
            Consiste::runGuarded([this, watched] {
                if (watched == depDtInicial)
                    depDtInicialExit();
                else
                    depDtFinalExit();
            });
            m_validatingDate = false;
        }
    }
    return TfrmFiltroPadrao::eventFilter(watched, event);
}

// --- confirmation ------------------------------------------------------------------------------

void TfrmFiltroGridCotacao::fail(QWidget *control, const QString &key)
{
    if (control && control->isEnabled())
        control->setFocus();
    Consiste::MensErro(msg(key));
}

void TfrmFiltroGridCotacao::checkFilter()
{
    validateDate(depDtInicial);
    validateDate(depDtFinal);
    if (rbtListaComprador->isChecked() && Consiste::EmptyString(stComprador))
        fail(rbtListaComprador, QStringLiteral("Comp_N_Inf"));
    if (rbtListaRegiao->isChecked() && Consiste::EmptyString(stPesqRegiao))
        fail(rbtListaRegiao, QStringLiteral("Reg_N_Inf"));
    if (rbtLForn->isChecked() && Consiste::EmptyString(stPesqForn))
        fail(rbtLForn, QStringLiteral("Forn_N_Inf"));
    const bool hasFirst = !depDtInicial->isEmpty();
    const bool hasLast = !depDtFinal->isEmpty();
    if (!hasFirst && hasLast)
        fail(depDtInicial, QStringLiteral("DtIni_N_Inf"));
    if (!hasLast && hasFirst)
        fail(depDtFinal, QStringLiteral("DtFin_N_Inf"));
    if (hasFirst && hasLast && depDtFinal->date() < depDtInicial->date())
        fail(depDtInicial, QStringLiteral("DtIniFin_Inv"));
}

void TfrmFiltroGridCotacao::sbtConfirmaClick()
{
    TfrmFiltroPadrao::sbtConfirmaClick();
    checkFilter();
    stTData = depDtInicial->isEmpty() && depDtFinal->isEmpty() ? kMarkAll : QString();
    depDtInicialChange();
    depDtFinalChange();
    saveControls();
    loadQuotations();
    accept();
}

void TfrmFiltroGridCotacao::saveControls()
{
    m_filtro.TCOMPRADOR = {rbtListaComprador->isChecked(), stComprador};
    m_filtro.TREGIAO = {rbtListaRegiao->isChecked(), stPesqRegiao};
    m_filtro.firstDate = depDtInicial->date();
    m_filtro.lastDate = depDtFinal->date();
    m_filtro.TFORN = {rbtLForn->isChecked(), stPesqForn};
}

// GetColetaPr into the workspace's quotation list.  The lists and marks travel by
// reference: what the server sends back becomes the filter's values.
void TfrmFiltroGridCotacao::loadQuotations()
{
    ColetaPrFilter filter;
    filter.branch = centralBranch();
    filter.buyers = stComprador;
    filter.allBuyers = stTComprador;
    filter.firstDate = depDtInicial->date();
    filter.lastDate = depDtFinal->date();
    filter.allDates = stTData;
    filter.suppliers = stPesqForn;
    filter.allSuppliers = stTForn;
    filter.regions = stPesqRegiao;
    filter.allRegions = stTRegiao;

    ShowAviGuard avi(parentWidget() ? parentWidget()->window() : nullptr, ShowAviKind::Receiving,
                     msg(QStringLiteral("Get_FilCota")));
    m_context.loadQuotations(filter);
    const ColetaPrFilter &sent = m_context.filter();
    stComprador = sent.buyers;
    stTComprador = sent.allBuyers;
    stTData = sent.allDates;
    stPesqForn = sent.suppliers;
    stTForn = sent.allSuppliers;
    stPesqRegiao = sent.regions;
    stTRegiao = sent.allRegions;
}

// --- close -------------------------------------------------------------------------------------

void TfrmFiltroGridCotacao::done(int result)
{
    TfrmFiltroPadrao::done(result); // hides the dialog, which is kept for the next opening
    Consiste::runGuarded([this] { FormClose(); });
}

void TfrmFiltroGridCotacao::FormClose()
{
    // The workspace always works on an open list, empty when nothing was loaded yet.
    ClientDataSet *list = m_context.quotations();
    if (!list->active() && !list->fieldDefs().isEmpty()) {
        list->createDataSet();
        ClientDataSet *suppliers = m_context.suppliersQuoted();
        if (!suppliers->active() && !suppliers->fieldDefs().isEmpty())
            suppliers->createDataSet();
    }
    m_context.notifyChanged();
}

// --- saved options -----------------------------------------------------------------------------

void TfrmFiltroGridCotacao::btfSaveOpcClick()
{
    saveOption(QStringLiteral("stComprador"), stComprador);
    saveOption(QStringLiteral("stPesqRegiao"), stPesqRegiao);
    saveOption(QStringLiteral("stPesqForn"), stPesqForn);
    TfrmFiltroPadrao::btfSaveOpcClick();
}

void TfrmFiltroGridCotacao::btfLoadOpcClick()
{
    TfrmFiltroPadrao::btfLoadOpcClick();
    stComprador = loadOption(QStringLiteral("stComprador"), stComprador).toString();
    stPesqRegiao = loadOption(QStringLiteral("stPesqRegiao"), stPesqRegiao).toString();
    stPesqForn = loadOption(QStringLiteral("stPesqForn"), stPesqForn).toString();
}

// --- creation procedure --------------------------------------------------------------------------

void CriaFiltroGridCotacao(QuotationContext &context, QWidget *owner)
{
    if (!frmFiltroGridCotacao) {
        QWidget *parent = Corvane::mainWindow();
        if (!parent)
            parent = owner;
        frmFiltroGridCotacao = new TfrmFiltroGridCotacao(context, parent);
        frmFiltroGridCotacao->FormCreate();
    }
    frmFiltroGridCotacao->exec();
}

void releaseFiltroGridCotacao()
{
    TfrmFiltroGridCotacao *dialog = frmFiltroGridCotacao;
    frmFiltroGridCotacao = nullptr;
    if (!dialog)
        return;
    if (dialog->isVisible()) {
        // Closed from inside its own modal loop: freed once the loop has returned.
        dialog->hide();
        dialog->deleteLater();
    } else {
        delete dialog;
    }
}
