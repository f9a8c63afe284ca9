// The best-price loading: the validity period as weeks or dates, its checks and the load
// on the server.
#include "Cli_sup05218.h"
#include "ui_Cli_sup05218.h"

#include "Consiste.h"
#include "Corvane.h"
#include "DateEdit.h"
#include "QuotationContext.h"
#include "ShowAvi.h"
#include "SpinEdit.h"
#include "TMessages.h"
#include "ValidityPeriod.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLineEdit>
#include <QScopeGuard>
#include <QToolButton>

namespace {

const QColor kValidDateColor(Qt::blue);

} // namespace

// --- creation --------------------------------------------------------------------------------

TfrmGridValUltCot::TfrmGridValUltCot(QuotationContext &context, QWidget *parent)
    : TfrmRotiGeral(parent)
    , m_ui(std::make_unique<Ui::TfrmGridValUltCot>())
    , m_context(context)
{
    setObjectName(QStringLiteral("frmGridValUltCot"));
    setProperty("screenCode", QStringLiteral("SUP05218"));
    msgPadrao->load(QStringLiteral("Cli_sup05218"));
    setWindowTitle(msg(QStringLiteral("Titulo")));

    auto *content = new QWidget(panClient);
    m_ui->setupUi(content);
    panClientLayout->addWidget(content);

    speInicial = m_ui->speInicial;
    depDtInicial = m_ui->depDtInicial;
    edtNmSemInicial = m_ui->edtNmSemInicial;
    speFinal = m_ui->speFinal;
    depDtFinal = m_ui->depDtFinal;
    edtNmSemFinal = m_ui->edtNmSemFinal;

    for (SpinEdit *week : {speInicial, speFinal}) {
        week->setRange(1, 53);
        week->setDigits(2);
        week->setValue(1);
        week->setMinimumWidth(week->fontMetrics().horizontalAdvance(QStringLiteral("000")) + 36);
    }
    for (DateEdit *date : {depDtInicial, depDtFinal}) {
        date->setValidDateColor(kValidDateColor);
        date->clear();
        date->setMinimumWidth(date->fontMetrics().horizontalAdvance(QStringLiteral("00/00/00000")) + 40);
    }
    for (QLineEdit *name : {edtNmSemInicial, edtNmSemFinal})
        name->setMinimumWidth(name->fontMetrics().horizontalAdvance(QStringLiteral("Quarta-feira")) + 16);

    m_period = new ValidityPeriod(ValidityWeek(depDtInicial, speInicial, edtNmSemInicial, QLatin1Char('I')),
                                  ValidityWeek(depDtFinal, speFinal, edtNmSemFinal, QLatin1Char('F')), this);
    m_period->onDateLeft = [this](DateEdit *date) { checkValidDate(date); };
    setFocusProxy(speInicial);
}

TfrmGridValUltCot::~TfrmGridValUltCot() = default;

QString TfrmGridValUltCot::msg(const QString &key) const
{
    return msgPadrao->Msg(key);
}

// --- activation -------------------------------------------------------------------------------

void TfrmGridValUltCot::showEvent(QShowEvent *event)
{
    TfrmRotiGeral::showEvent(event);
    Consiste::runGuarded([this] { FormActivate(); });
}

void TfrmGridValUltCot::FormActivate()
{
    if (!m_firstActivation)
        return;
    m_firstActivation = false;
    update();
    m_period->fillFromWeeks();
    speInicial->setFocus();
}

// --- checks -------------------------------------------------------------------------------------

void TfrmGridValUltCot::fail(QWidget *control, const QString &key)
{
    if (control && control->isEnabled())
        control->setFocus();
    Consiste::MensErro(msg(key));
}

void TfrmGridValUltCot::checkValidDate(DateEdit *date)
{
    if (date->isAcceptable())
        return;
    date->setFocus();
    Consiste::MensErro(msg(QStringLiteral("Data_Invalida")).arg(date->displayText()));
}

void TfrmGridValUltCot::vd_Data()
{
    if (depDtInicial->isEmpty())
        fail(depDtInicial, QStringLiteral("ValIni_Empty"));
    if (depDtFinal->isEmpty())
        fail(depDtFinal, QStringLiteral("ValFin_Empty"));
    if (depDtInicial->date() > depDtFinal->date())
        fail(depDtInicial, QStringLiteral("DataIniMaior"));
}

// --- loading ----------------------------------------------------------------------------------

void TfrmGridValUltCot::sbtConfirmarClick()
{
    checkValidDate(depDtInicial);
    checkValidDate(depDtFinal);
    vd_Data();

    QString result;
    {
        ShowAviGuard avi(parentWidget() ? parentWidget()->window() : nullptr, ShowAviKind::Receiving,
                         msg(QStringLiteral("Get_CarMelhPr")));
        result = m_context.gridCotaPrec().cargMelhorsPrs(m_context.currentBranch(), m_context.currentNumber(),
                                                         depDtInicial->date(), depDtFinal->date());
    }
    if (!result.isEmpty())
        Consiste::MensErro(result);
    m_loaded = true;
    accept();
}

// --- creation procedure -------------------------------------------------------------------------

bool CriaValUltCot(QuotationContext &context, QWidget *owner)
{
    QWidget *parent = Corvane::mainWindow();
    if (!parent)
        parent = owner;
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    auto restore = qScopeGuard([] { QGuiApplication::restoreOverrideCursor(); });
    TfrmGridValUltCot dialog(context, parent);
    // The hourglass covers the creation only: the dialog itself waits for the user.
    restore.dismiss();
    QGuiApplication::restoreOverrideCursor();
    dialog.exec();
    return dialog.loaded();
}
