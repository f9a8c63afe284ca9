// The quotation copy: creation and the OL group, the proposal of the new validity, the
// two modes, the list searches, the coupling of weeks and dates, the checks in the order
// of the focused control, the copy on the server and what follows its answer.
#include "Cli_sup05213.h"
#include "ui_Cli_sup05213.h"

#include "Cli_sup05221.h"

#include "ClientDataSet.h"
#include "Consiste.h"
#include "Corvane.h"
#include "DataPacket.h"
#include "DataSource.h"
#include "DateEdit.h"
#include "DialogParts.h"
#include "Field.h"
#include "FormIcons.h"
#include "NumberEdit.h"
#include "Pesquisa.h"
#include "ProtocolContract.h"
#include "QuotationContext.h"
#include "ShowAvi.h"
#include "SpinEdit.h"
#include "SupResources.h"
#include "TADOIBQuery.h"
#include "TMessages.h"
#include "ValidityWeek.h"

#include <QCheckBox>
#include <QFocusEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRadioButton>
#include <QToolButton>

namespace {

const QString kMarkAll = QStringLiteral("T");
const QColor kValidDateColor(Qt::blue);

ClientDataSet *dataSet(QObject *parent, const char *name, const QString &layout)
{
    auto *ds = new ClientDataSet(parent);
    ds->setObjectName(QLatin1String(name));
    for (const FieldDef &def : Protocol::packetLayout(layout))
        ds->addFieldDef(def.name, def.type, def.size, def.required);
    return ds;
}

DataSource *source(QObject *parent, const char *name, ClientDataSet *ds)
{
    auto *dts = new DataSource(parent);
    dts->setObjectName(QLatin1String(name));
    dts->setDataSet(ds);
    return dts;
}

bool isIn(const QWidget *focused, const QWidget *control)
{
    return focused && control && (focused == control || control->isAncestorOf(focused));
}

} // namespace

// --- creation --------------------------------------------------------------------------------

TfrmGridExportCota::TfrmGridExportCota(QuotationContext &context, QWidget *parent)
    : TfrmPadrImportExport(parent)
    , m_ui(std::make_unique<Ui::TfrmGridExportCota>())
    , m_context(context)
{
    setObjectName(QStringLiteral("frmGridExportCota"));
    setProperty("screenCode", QStringLiteral("SUP05213"));
    msgPadrao->load(QStringLiteral("Cli_sup05213"));
    setWindowTitle(msg(QStringLiteral("Titulo")));

    auto *content = new QWidget(panClient);
    m_ui->setupUi(content);
    panClientLayout->addWidget(content);

    rbtCotCurr = m_ui->rbtCotCurr;
    rbtCotInfo = m_ui->rbtCotInfo;
    grbCotacao = m_ui->grbCotacao;
    depDtIniCot = m_ui->depDtIniCot;
    depDtFinCot = m_ui->depDtFinCot;
    edtDtIniCot = m_ui->edtDtIniCot;
    edtDtFinCot = m_ui->edtDtFinCot;
    speValIni = m_ui->speValIni;
    speValFin = m_ui->speValFin;
    grbComprador = m_ui->grbComprador;
    rbtTodos = m_ui->rbtTodos;
    rbtLista = m_ui->rbtLista;
    sbtComprador = m_ui->sbtComprador;
    grbGroup = m_ui->grbGroup;
    depColeta = m_ui->depColeta;
    edtDtColeta = m_ui->edtDtColeta;
    nedReajuste = m_ui->nedReajuste;
    grbValidade = m_ui->grbValidade;
    depDtInicial_Inc = m_ui->depDtInicial_Inc;
    depDtFinal_Inc = m_ui->depDtFinal_Inc;
    edtNmSemInicial_Inc = m_ui->edtNmSemInicial_Inc;
    edtNmSemFinal_Inc = m_ui->edtNmSemFinal_Inc;
    speInicial_Inc = m_ui->speInicial_Inc;
    speFinal_Inc = m_ui->speFinal_Inc;
    grbRegiao = m_ui->grbRegiao;
    rbtTodasRegiao = m_ui->rbtTodasRegiao;
    rbtListaRegiao = m_ui->rbtListaRegiao;
    sbtRegiao = m_ui->sbtRegiao;
    grbFornOL = m_ui->grbFornOL;
    chbFornOL = m_ui->chbFornOL;
    rbtTodosFornOL = m_ui->rbtTodosFornOL;
    rbtListaFornOL = m_ui->rbtListaFornOL;
    sbtFornOL = m_ui->sbtFornOL;

    // The action button carries the copy's own picture; the report button sits before it.
    supInitResources();
    sbtImportExport->setIcon(QIcon(QStringLiteral(":/icons/tool-CopiarCota.svg")));
    sbtImportExport->setText(msg(QStringLiteral("Cap_Duplicar")));
    sbtImportExport->setToolTip(msg(QStringLiteral("Hint_Duplicar")));
    sbtImportExport->setProperty("tag", 0);
    sbtRelCotNDup = DialogParts::addButton(panBotoes, QStringLiteral("sbtRelCotNDup"),
                                           msg(QStringLiteral("Cap_RelCotNDup")), QStringLiteral("imprimir"));
    sbtRelCotNDup->setToolTip(msg(QStringLiteral("Hint_RelCotNDup")));
    if (auto *bar = qobject_cast<QHBoxLayout *>(panBotoes->layout())) {
        bar->removeWidget(sbtRelCotNDup);
        bar->insertWidget(1, sbtRelCotNDup);
    }
    sbtRelCotNDup->setEnabled(false);

    for (QToolButton *search : {sbtComprador, sbtRegiao, sbtFornOL})
        search->setIcon(FormIcons::command(QStringLiteral("procurar")));
    for (DateEdit *date : {depDtIniCot, depDtFinCot, depColeta, depDtInicial_Inc, depDtFinal_Inc})
        date->setValidDateColor(kValidDateColor);
    for (SpinEdit *week : {speValIni, speValFin, speInicial_Inc, speFinal_Inc}) {
        week->setRange(1, 53);
        week->setDigits(2);
        week->setMinimumWidth(week->fontMetrics().horizontalAdvance(QStringLiteral("000")) + 36);
    }
    for (QLineEdit *name : {edtDtIniCot, edtDtFinCot, edtDtColeta, edtNmSemInicial_Inc, edtNmSemFinal_Inc})
        name->setMinimumWidth(name->fontMetrics().horizontalAdvance(QStringLiteral("Quarta-feira")) + 16);
    nedReajuste->setDecimals(2);
    nedReajuste->setThousandsSeparator(false);

    m_periodFirst = std::make_unique<ValidityWeek>(depDtIniCot, speValIni, edtDtIniCot, QLatin1Char('I'));
    m_periodLast = std::make_unique<ValidityWeek>(depDtFinCot, speValFin, edtDtFinCot, QLatin1Char('F'));
    m_newFirst = std::make_unique<ValidityWeek>(depDtInicial_Inc, speInicial_Inc, edtNmSemInicial_Inc, QLatin1Char('I'));
    m_newLast = std::make_unique<ValidityWeek>(depDtFinal_Inc, speFinal_Inc, edtNmSemFinal_Inc, QLatin1Char('F'));

    createData();
    wireEvents();

    // The four validity dates start empty, the collection date today.
    for (DateEdit *date : {depDtIniCot, depDtFinCot, depDtInicial_Inc, depDtFinal_Inc})
        date->clear();
    depColeta->setDate(QDate::currentDate());
    rbtCotCurrClick();
    sbtComprador->setEnabled(false);
    sbtRegiao->setEnabled(false);
    sbtFornOL->setEnabled(false);
}

TfrmGridExportCota::~TfrmGridExportCota() = default;

void TfrmGridExportCota::createData()
{
    cdsDadosTela = dataSet(this, "cdsDadosTela", QStringLiteral("DadDuplica"));
    cdsComprador = dataSet(this, "cdsComprador", QStringLiteral("Comprador"));
    cdsRegiaoCorr = dataSet(this, "cdsRegiaoCorr", QStringLiteral("RegiaoCorr"));
    cdsPesqForn = dataSet(this, "cdsPesqForn", QStringLiteral("PesqFornOL"));
    dtsComprador = source(this, "dtsComprador", cdsComprador);
    dtsRegiaoCorr = source(this, "dtsRegiaoCorr", cdsRegiaoCorr);
    dtsPesqForn = source(this, "dtsPesqForn", cdsPesqForn);

    qryParamGeral = new TADOIBQuery(QStringLiteral("Cli_sup05213.qryParamGeral"), this);
    qryParamGeral->setObjectName(QStringLiteral("qryParamGeral"));
    qryRegiaoVal = new TADOIBQuery(QStringLiteral("Cli_sup05213.qryRegiaoVal"), this);
    qryRegiaoVal->setObjectName(QStringLiteral("qryRegiaoVal"));
    dtsRegiaoVal = source(this, "dtsRegiaoVal", qryRegiaoVal->dataSet());

    // The searches show the columns under their captions; each load rebuilds the fields,
    // so the presentation is set after every open.
    auto label = [](ClientDataSet &ds, const QString &field, const QString &text, int width) {
        if (Field *f = ds.findField(field)) {
            f->setDisplayLabel(text);
            f->setDisplayWidth(width);
        }
    };
    auto hide = [](ClientDataSet &ds, const QString &field) {
        if (Field *f = ds.findField(field))
            f->setVisible(false);
    };
    cdsComprador->afterOpen = [this, label, hide](ClientDataSet &ds) {
        hide(ds, QStringLiteral("IDMARCADO"));
        label(ds, QStringLiteral("CDOPERADOR"), msg(QStringLiteral("Fld_Codigo")), 12);
        label(ds, QStringLiteral("NMOPERADOR"), msg(QStringLiteral("Fld_Nome")), 40);
    };
    auto regions = [this, label, hide](ClientDataSet &ds) {
        hide(ds, QStringLiteral("IDMARCADO"));
        label(ds, QStringLiteral("CDREGIAO"), msg(QStringLiteral("Fld_Codigo")), 3);
        label(ds, QStringLiteral("NMREGIAO"), msg(QStringLiteral("Fld_Nome")), 30);
    };
    cdsRegiaoCorr->afterOpen = regions;
    qryRegiaoVal->dataSet()->afterOpen = regions;
    cdsPesqForn->afterOpen = [this, label, hide](ClientDataSet &ds) {
        hide(ds, QStringLiteral("IDMARCADO"));
        hide(ds, QStringLiteral("CDFORNECED"));
        hide(ds, QStringLiteral("IDTPIJURFORN"));
        label(ds, QStringLiteral("NRINSJURFORN"), msg(QStringLiteral("Fld_Inscricao")), 20);
        label(ds, QStringLiteral("NMRAZSOCFORN"), msg(QStringLiteral("Fld_RazaoSocial")), 40);
        label(ds, QStringLiteral("NMFANTFORN"), msg(QStringLiteral("Fld_NomeFantasia")), 40);
        if (Field *number = ds.findField(QStringLiteral("NRINSJURFORN"))) {
            number->onGetText = [](const Field &f, bool) {
                const Field *type = f.dataSet()->findField(QStringLiteral("IDTPIJURFORN"));
                return Consiste::FormataInscricao(f.asString(), type ? type->asString() : QString());
            };
        }
    };
}

void TfrmGridExportCota::wireEvents()
{
    // A radio button's handler runs whenever it becomes checked, by the user or by the
    // program, so the lists and the search buttons always follow the radio buttons.
    auto onChecked = [this](QRadioButton *radio, void (TfrmGridExportCota::*handler)()) {
        connect(radio, &QRadioButton::toggled, this, [this, handler](bool checked) {
            if (checked)
                Consiste::runGuarded([this, handler] { (this->*handler)(); });
        });
    };
    onChecked(rbtCotCurr, &TfrmGridExportCota::rbtCotCurrClick);
    onChecked(rbtCotInfo, &TfrmGridExportCota::rbtCotInfoClick);
    onChecked(rbtTodos, &TfrmGridExportCota::rbtTodosClick);
    onChecked(rbtLista, &TfrmGridExportCota::rbtListaClick);
    onChecked(rbtTodasRegiao, &TfrmGridExportCota::rbtTodasRegiaoClick);
    onChecked(rbtListaRegiao, &TfrmGridExportCota::rbtListaRegiaoClick);
    onChecked(rbtTodosFornOL, &TfrmGridExportCota::rbtTodosFornOLClick);
    onChecked(rbtListaFornOL, &TfrmGridExportCota::rbtListaFornOLClick);
    // Clicking the box or pressing Space on it.
    connect(chbFornOL, &QCheckBox::clicked, this, Consiste::guarded([this] { chbFornOLClick(); }));

    connect(sbtComprador, &QToolButton::clicked, this, Consiste::guarded([this] { sbtCompradorClick(); }));
    connect(sbtRegiao, &QToolButton::clicked, this, Consiste::guarded([this] { sbtRegiaoClick(); }));
    connect(sbtFornOL, &QToolButton::clicked, this, Consiste::guarded([this] { sbtFornOLClick(); }));
    connect(sbtRelCotNDup, &QToolButton::clicked, this, Consiste::guarded([this] { sbtRelCotNDupClick(); }));

    const std::pair<SpinEdit *, ValidityWeek *> weeks[] = {{speValIni, m_periodFirst.get()},
                                                           {speValFin, m_periodLast.get()},
                                                           {speInicial_Inc, m_newFirst.get()},
                                                           {speFinal_Inc, m_newLast.get()}};
    for (const auto &[spin, end] : weeks) {
        ValidityWeek *validity = end;
        connect(spin, &SpinEdit::changed, this, Consiste::guarded([validity] { validity->weekChanged(); }));
        connect(validity->date(), &DateEdit::changed, this, Consiste::guarded([validity] { validity->dateChanged(); }));
    }
    connect(depColeta, &DateEdit::changed, this, Consiste::guarded([this] { depColetaChange(); }));

    for (QWidget *w : std::initializer_list<QWidget *>{rbtLista, rbtListaRegiao, rbtListaFornOL, speValIni, speValFin,
                                                       speInicial_Inc, speFinal_Inc, depDtIniCot, depDtFinCot,
                                                       depDtInicial_Inc, depDtFinal_Inc, depColeta, nedReajuste})
        w->installEventFilter(this);
}

QString TfrmGridExportCota::msg(const QString &key) const
{
    return msgPadrao->Msg(key);
}

QString TfrmGridExportCota::parameter(const QString &name) const
{
    return m_context.parameter(name);
}

void TfrmGridExportCota::FormCreate()
{
    // The OL group takes part unless the branch consults OL requests itself.
    const bool olGroup = parameter(QStringLiteral("IDUTILCONSSOLIOL")) != QLatin1String("S");
    setOlGroupVisible(olGroup);
    if (olGroup) {
        ShowAviGuard avi(parentWidget() ? parentWidget()->window() : nullptr, ShowAviKind::Receiving);
        cdsPesqForn->setData(m_context.gridCotaPrec().getPesqFornOL());
    }
    grbComprador->setEnabled(false);
}

void TfrmGridExportCota::setOlGroupVisible(bool visible)
{
    grbFornOL->setVisible(visible);
    chbFornOL->setChecked(visible);
    chbFornOLClick();
    // The dialog shrinks to the groups left.
    adjustSize();
}

bool TfrmGridExportCota::copyAttempted() const
{
    return sbtImportExport->property("tag").toInt() == 99;
}

// --- activation -------------------------------------------------------------------------------

void TfrmGridExportCota::showEvent(QShowEvent *event)
{
    TfrmPadrImportExport::showEvent(event);
    Consiste::runGuarded([this] { FormActivate(); });
}

void TfrmGridExportCota::FormActivate()
{
    update();
    if (!m_firstActivation)
        return;
    grbCotacao->setEnabled(rbtCotInfo->isChecked());
    depColetaChange();
    m_firstActivation = false;
    {
        ShowAviGuard avi(parentWidget() ? parentWidget()->window() : nullptr, ShowAviKind::Receiving,
                         msg(QStringLiteral("Get_DadTela")));
        const QString branch = m_context.hasQuotation() ? m_context.currentBranch() : m_context.centralBranch();
        cdsDadosTela->setData(m_context.gridCotaPrec().getDadDuplica(branch));
    }
    proposeNewValidity();
    qryParamGeral->Close();
    qryParamGeral->Open();
}

// The two weeks after the branch's last validity: the week after its last week (week 1
// of the next year after the year's last week) and the week after that.  Weeks are the
// ISO weeks of the week-year the last day belongs to, so a last day in the first days of
// January that still lies in the previous year's last week counts in that year.
void TfrmGridExportCota::proposeNewValidity()
{
    if (cdsDadosTela->isEmpty()) {
        for (SpinEdit *week : {speInicial_Inc, speFinal_Inc})
            week->clear();
        depDtInicial_Inc->clear();
        depDtFinal_Inc->clear();
        return;
    }
    cdsDadosTela->first();
    const QDate lastDay = cdsDadosTela->fieldByName(QStringLiteral("DTFINVALCOL"))->asDate();
    const int year = Consiste::AnoSemana(lastDay);
    bool ok = false;
    int lastWeek = cdsDadosTela->fieldByName(QStringLiteral("NRSEMAFINAL"))->asString().trimmed().toInt(&ok);
    if (!ok || lastWeek < 1)
        lastWeek = Consiste::NumeroSemana(lastDay);
    auto following = [](int week, int inYear) {
        return week >= Consiste::SemanasAno(inYear) ? std::pair{1, inYear + 1} : std::pair{week + 1, inYear};
    };
    const auto [firstWeek, firstYear] = following(lastWeek, year);
    const auto [nextWeek, nextYear] = following(firstWeek, firstYear);
    depDtInicial_Inc->setDate(Consiste::DataSemana(firstWeek, QLatin1Char('I'), firstYear));
    depDtFinal_Inc->setDate(Consiste::DataSemana(nextWeek, QLatin1Char('F'), nextYear));
}

// --- modes and lists ----------------------------------------------------------------------------

void TfrmGridExportCota::rbtCotCurrClick()
{
    grbCotacao->setEnabled(false);
    grbComprador->setEnabled(false);
}

void TfrmGridExportCota::rbtCotInfoClick()
{
    grbCotacao->setEnabled(true);
    grbComprador->setEnabled(true);
    // A system that buys by buyer (IDSISDOS '3') always copies from a buyer list.
    const bool byBuyer = qryParamGeral->Active() && !qryParamGeral->IsEmpty()
        && qryParamGeral->FieldByName(QStringLiteral("IDSISDOS"))->asString().trimmed() == QLatin1String("3");
    rbtTodos->setEnabled(!byBuyer);
    if (byBuyer)
        rbtLista->setChecked(true);
    sbtComprador->setEnabled(rbtLista->isChecked());
}

void TfrmGridExportCota::rbtTodosClick()
{
    ListaComprador.clear();
    sbtComprador->setEnabled(false);
}

void TfrmGridExportCota::rbtListaClick()
{
    sbtComprador->setEnabled(true);
}

void TfrmGridExportCota::rbtTodasRegiaoClick()
{
    ListaRegiao.clear();
    sbtRegiao->setEnabled(false);
}

void TfrmGridExportCota::rbtListaRegiaoClick()
{
    sbtRegiao->setEnabled(true);
}

void TfrmGridExportCota::chbFornOLClick()
{
    const bool on = chbFornOL->isChecked();
    rbtTodosFornOL->setEnabled(on);
    rbtListaFornOL->setEnabled(on);
    chbFornOL->setEnabled(true);
    rbtTodosFornOL->setChecked(true);
    rbtTodosFornOLClick();
}

void TfrmGridExportCota::rbtTodosFornOLClick()
{
    ListaFornOL.clear();
    sbtFornOL->setEnabled(false);
}

void TfrmGridExportCota::rbtListaFornOLClick()
{
    sbtFornOL->setEnabled(chbFornOL->isChecked());
}

void TfrmGridExportCota::sbtCompradorClick()
{
    cdsComprador->setData(m_context.gridCotaPrec().getComprador(Corvane::Operador()));
    Pesqlista::PesquisaLista(dtsComprador, QStringLiteral("CDOPERADOR"),
                             msg(QStringLiteral("Comprador")) + QLatin1Char('|') + msg(QStringLiteral("Comp_N_Cad")),
                             false, ListaComprador);
}

void TfrmGridExportCota::sbtRegiaoClick()
{
    DataSource *regions = dtsRegiaoVal;
    if (rbtCotInfo->isChecked()) {
        qryRegiaoVal->Close();
        qryRegiaoVal->ParamByName(QStringLiteral("P_CDREGIAO")).setAsString(QString());
        qryRegiaoVal->ParamByName(QStringLiteral("P_TCDREGIAO")).setAsString(kMarkAll);
        qryRegiaoVal->Open();
    } else {
        // The current quotation's regions, read once.
        if (!cdsRegiaoCorr->active()) {
            ShowAviGuard avi(parentWidget() ? parentWidget()->window() : nullptr, ShowAviKind::Receiving);
            cdsRegiaoCorr->setData(
                m_context.gridCotaPrec().getRegiaoCorr(m_context.currentBranch(), m_context.currentNumber()));
        }
        regions = dtsRegiaoCorr;
    }
    Pesqlista::PesquisaLista(regions, QStringLiteral("CDREGIAO"),
                             msg(QStringLiteral("Regiao")) + QLatin1Char('|') + msg(QStringLiteral("Reg_N_Cad")), false,
                             ListaRegiao);
}

void TfrmGridExportCota::sbtFornOLClick()
{
    Pesqlista::PesquisaLista(dtsPesqForn, QStringLiteral("CDFORNECED"),
                             msg(QStringLiteral("FornOL")) + QLatin1Char('|') + msg(QStringLiteral("FornOL_N_cad")),
                             false, ListaFornOL);
}

void TfrmGridExportCota::sbtRelCotNDupClick()
{
    showReport();
}

// --- weeks and dates --------------------------------------------------------------------------

void TfrmGridExportCota::depColetaChange()
{
    edtDtColeta->setText(Consiste::NomeSemana(depColeta->date()));
}

void TfrmGridExportCota::validateDate(DateEdit *date)
{
    if (date->isAcceptable())
        return;
    date->setFocus();
    Consiste::MensErro(msg(QStringLiteral("Data_Invalida")).arg(date->displayText()));
}

void TfrmGridExportCota::leaveDate(DateEdit *date)
{
    if (date == depColeta) {
        validateDate(depColeta);
        vd_Coleta(false);
        return;
    }
    validateDate(date);
    for (ValidityWeek *end : {m_periodFirst.get(), m_periodLast.get(), m_newFirst.get(), m_newLast.get()}) {
        if (end->date() == date)
            end->dateLeft();
    }
}

bool TfrmGridExportCota::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_F9 && key->modifiers() == Qt::NoModifier) {
            // F9 on a group's "Lista" opens that group's search.
            QToolButton *search = watched == rbtLista          ? sbtComprador
                                  : watched == rbtListaRegiao  ? sbtRegiao
                                  : watched == rbtListaFornOL  ? sbtFornOL
                                                               : nullptr;
            if (search) {
                if (search->isEnabled())
                    search->click();
                return true;
            }
        }
        if (key->key() == Qt::Key_Minus
            && (watched == speValIni || watched == speValFin || watched == speInicial_Inc || watched == speFinal_Inc))
            return true;
        if (watched == nedReajuste && !key->text().isEmpty()) {
            // At most three integer and two decimal digits.
            const QChar typed = key->text().at(0);
            const int start = nedReajuste->hasSelectedText() ? nedReajuste->selectionStart() : nedReajuste->cursorPosition();
            const int length = nedReajuste->selectedText().size();
            if (Consiste::MaxNumber(nedReajuste->text(), 3, 2, typed, start, length).isNull())
                return true;
        }
    } else if (event->type() == QEvent::FocusOut) {
        // Leaving a date for another control of the dialog; a window switch (a message
        // box, another application) is no leaving.
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

void TfrmGridExportCota::fail(QWidget *control, const QString &key)
{
    if (control && control->isEnabled())
        control->setFocus();
    Consiste::MensErro(msg(key));
}

// The new validity.
void TfrmGridExportCota::vd_Validade()
{
    if (depDtInicial_Inc->isEmpty())
        fail(depDtInicial_Inc, QStringLiteral("DtIni_N_Inf"));
    if (depDtFinal_Inc->isEmpty())
        fail(depDtFinal_Inc, QStringLiteral("DtFin_N_Inf"));
    validateDate(depDtInicial_Inc);
    validateDate(depDtFinal_Inc);
    if (depDtFinal_Inc->date() < depDtInicial_Inc->date())
        fail(depDtInicial_Inc, QStringLiteral("DtIniFin_Inv"));
}

// The validity the quotations are copied from, in the copy by validity.
void TfrmGridExportCota::vd_Periodo()
{
    if (!rbtCotInfo->isChecked())
        return;
    if (depDtIniCot->isEmpty())
        fail(depDtIniCot, QStringLiteral("PerIni_N_Inf"));
    if (depDtFinCot->isEmpty())
        fail(depDtFinCot, QStringLiteral("PerFin_N_Inf"));
    validateDate(depDtIniCot);
    validateDate(depDtFinCot);
    if (depDtFinCot->date() < depDtIniCot->date())
        fail(depDtIniCot, QStringLiteral("PerIniFin_Inv"));
}

void TfrmGridExportCota::vd_Coleta(bool required)
{
    if (required) {
        if (depColeta->isEmpty())
            fail(depColeta, QStringLiteral("dtCol_Vazia"));
        validateDate(depColeta);
    }
    if (depColeta->isValidDate() && depColeta->date() > QDate::currentDate())
        fail(depColeta, QStringLiteral("Dt_Invalida"));
}

void TfrmGridExportCota::vd_Comprador()
{
    if (rbtCotInfo->isChecked() && rbtLista->isChecked() && Consiste::EmptyString(ListaComprador))
        fail(rbtLista, QStringLiteral("Comp_N_Inf"));
}

void TfrmGridExportCota::vd_Regiao()
{
    if (rbtListaRegiao->isChecked() && Consiste::EmptyString(ListaRegiao))
        fail(rbtListaRegiao, QStringLiteral("Regiao_N_inf"));
}

void TfrmGridExportCota::vd_FornOL()
{
    if (chbFornOL->isChecked() && rbtListaFornOL->isChecked() && Consiste::EmptyString(ListaFornOL))
        fail(rbtListaFornOL, QStringLiteral("FornOL_N_Info"));
}

// Every check, the focused control's first; any other control runs the order of the new
// validity.
void TfrmGridExportCota::runChecks()
{
    QWidget *focused = focusWidget();
    auto validity = [this] { vd_Validade(); };
    auto buyers = [this] { vd_Comprador(); };
    auto regions = [this] { vd_Regiao(); };
    auto ol = [this] { vd_FornOL(); };
    auto period = [this] { vd_Periodo(); };
    auto collection = [this] { vd_Coleta(true); };
    QList<std::function<void()>> order;
    if (isIn(focused, rbtLista) || isIn(focused, rbtTodos))
        order = {buyers, validity, regions, ol, period, collection};
    else if (isIn(focused, depColeta))
        order = {collection, period, validity, buyers, regions, ol};
    else if (isIn(focused, depDtIniCot) || isIn(focused, depDtFinCot) || isIn(focused, speValIni)
             || isIn(focused, speValFin))
        order = {period, collection, validity, buyers, regions, ol};
    else
        order = {validity, buyers, regions, ol, period, collection};
    for (const auto &check : order)
        check();
}

// --- copy -------------------------------------------------------------------------------------

// Where the branch keeps its buyers on one quotation in progress per validity, asks
// before copying onto a validity where a buyer of the copy already has one; false when
// the user does not want to go on.
bool TfrmGridExportCota::askInProgress()
{
    if (parameter(QStringLiteral("IDCOTCONCLUI")) != QLatin1String("S")
        || parameter(QStringLiteral("IDUTISTATCOT")) != QLatin1String("S"))
        return true;
    ConsCotAnArgs args;
    args.branch = m_context.hasQuotation() ? m_context.currentBranch() : m_context.centralBranch();
    args.operatorCode = Corvane::Operador();
    args.number = m_context.currentNumber();
    args.regions = ListaRegiao;
    args.newFirstDate = depDtInicial_Inc->date();
    args.newLastDate = depDtFinal_Inc->date();
    if (rbtCotInfo->isChecked()) {
        args.mode = QStringLiteral("1");
        args.allBuyers = rbtLista->isChecked() ? QString() : kMarkAll;
        args.firstDate = depDtIniCot->date();
        args.lastDate = depDtFinCot->date();
    } else {
        args.mode = QStringLiteral("2");
        args.allBuyers = kMarkAll;
        if (m_context.hasQuotation()) {
            ClientDataSet *list = m_context.quotations();
            args.firstDate = list->fieldByName(QStringLiteral("DTINIVALCOL"))->asDate();
            args.lastDate = list->fieldByName(QStringLiteral("DTFINVALCOL"))->asDate();
        }
    }
    if (!m_context.gridCotaPrec().getConsCotAn(args))
        return true;
    return msgPadrao->ShowMsg(QStringLiteral("Exist_CotAnda"), MsgDlg::mtConfirmation, MsgDlg::mbYes | MsgDlg::mbNo)
           == MsgDlg::mrYes;
}

QString TfrmGridExportCota::copy()
{
    DuplicaCotacaoArgs args;
    args.branch = m_context.hasQuotation() ? m_context.currentBranch() : m_context.centralBranch();
    args.firstWeek = Consiste::Ajusta(speInicial_Inc->text(), 2);
    args.lastWeek = Consiste::Ajusta(speFinal_Inc->text(), 2);
    args.firstDate = depDtInicial_Inc->date();
    args.lastDate = depDtFinal_Inc->date();
    args.number = m_context.currentNumber();
    args.periodFirst = depDtIniCot->date();
    args.periodLast = depDtFinCot->date();
    args.collectionDate = depColeta->date();
    args.readjustment = nedReajuste->value();
    args.buyers = ListaComprador;
    args.byPeriod = rbtCotInfo->isChecked();
    args.buyerListChosen = rbtCotInfo->isChecked() && rbtLista->isChecked();
    args.processingBranch = Corvane::FiliProc();
    args.operatorCode = Corvane::Operador();
    args.regionListChosen = rbtListaRegiao->isChecked();
    args.regions = ListaRegiao;
    args.olSuppliers = chbFornOL->isChecked() && rbtListaFornOL->isChecked() ? ListaFornOL : QString();
    args.noDataText = msg(QStringLiteral("N_Dados"));
    ShowAviGuard avi(parentWidget() ? parentWidget()->window() : nullptr, ShowAviKind::Storing,
                     msg(QStringLiteral("Dupl_Cota")));
    return m_context.gridCotaPrec().duplicaCotacao(args);
}

void TfrmGridExportCota::sbtImportExportClick()
{
    TfrmPadrImportExport::sbtImportExportClick();
    if (!askInProgress())
        Consiste::SilentAbort();
    runChecks();

    NaoDuplicadas.clear();
    sbtRelCotNDup->setEnabled(false);
    const QString reply = copy();
    if (!reply.startsWith(QLatin1Char('X')))
        Consiste::MensErro(reply);
    sbtImportExport->setProperty("tag", 99);
    if (!reply.startsWith(QLatin1String("XS"))) {
        prepareReload();
        accept();
        return;
    }
    // Some quotations were not copied: the list stays for the report button, whatever the
    // answer to the question.
    NaoDuplicadas = reply.mid(2);
    sbtRelCotNDup->setEnabled(true);
    if (msgPadrao->ShowMsg(QStringLiteral("CotNDup_VerRel"), MsgDlg::mtConfirmation, MsgDlg::mbYes | MsgDlg::mbNo)
        == MsgDlg::mrYes)
        showReport();
}

void TfrmGridExportCota::showReport()
{
    DuplicationParameters p;
    p.byPeriod = rbtCotInfo->isChecked();
    p.number = m_context.currentNumber();
    p.periodFirst = depDtIniCot->date();
    p.periodLast = depDtFinCot->date();
    p.buyerList = rbtCotInfo->isChecked() && rbtLista->isChecked();
    p.buyers = ListaComprador;
    p.firstWeek = speInicial_Inc->text();
    p.lastWeek = speFinal_Inc->text();
    p.firstDate = depDtInicial_Inc->date();
    p.lastDate = depDtFinal_Inc->date();
    p.collectionDate = depColeta->date();
    p.readjustment = nedReajuste->value();
    p.regionList = rbtListaRegiao->isChecked();
    p.regions = ListaRegiao;
    p.olSuppliersUsed = grbFornOL->isVisible() && chbFornOL->isChecked();
    p.olSuppliers = rbtListaFornOL->isChecked() ? ListaFornOL : QString();
    CriaRelDupCotacao(m_context, NaoDuplicadas, p, this);
}

// The workspace reloads its list with the copy's buyers and new validity.
void TfrmGridExportCota::prepareReload()
{
    m_outcome.reload = true;
    m_outcome.buyers = ListaComprador;
    m_outcome.allBuyers = rbtLista->isChecked() ? QStringLiteral(" ") : kMarkAll;
    m_outcome.firstDate = depDtInicial_Inc->date();
    m_outcome.lastDate = depDtFinal_Inc->date();
}

void TfrmGridExportCota::sbtCancelClick()
{
    TfrmPadrImportExport::sbtCancelClick();
}

// However the dialog is left after a copy (cancel, Escape, the window's close), the
// workspace reloads its list.
void TfrmGridExportCota::reject()
{
    if (copyAttempted())
        prepareReload();
    TfrmPadrImportExport::reject();
}

// --- creation procedure -------------------------------------------------------------------------

CopyCotaOutcome CriaCopyCota(QuotationContext &context, QWidget *owner)
{
    QWidget *parent = Corvane::mainWindow();
    if (!parent)
        parent = owner;
    TfrmGridExportCota dialog(context, parent);
    dialog.FormCreate();
    dialog.exec();
    return dialog.outcome();
}
