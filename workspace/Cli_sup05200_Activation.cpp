// The workspace's activation, deactivation and close, and what follows a change of the
// current quotation or of the page: the message hook follows the active workspace, the
// first activation reads the central branch and the procurement parameters, and closing
// releases everything the workspace holds.
#include "Cli_sup05200.h"

#include "Cli_sup05201.h"
#include "Cli_sup05206.h"
#include "ClientDataSet.h"
#include "Consiste.h"
#include "Corvane.h"
#include "DBGrid.h"
#include "DBNavigator.h"
#include "DataSource.h"
#include "NetConnection.h"
#include "PageControl.h"
#include "QuotationContext.h"
#include "ShowAvi.h"
#include "TADOIBQuery.h"
#include "TMessages.h"
#include "UserInterface.h"

#include <QCloseEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>

void TfrmGridCotaPrec::FormActivate()
{
    m_active = true;
    Corvane::setMsgEventForm([this](QObject *receiver, QEvent *event) { OnMessage(receiver, event); });
    if (maximizeOnActivation && maximizeOnActivation())
        frame()->showMaximized();
    update();

    if (!m_firstActivation)
        return;
    // Cleared before the reads: a failure is shown once, not again on every activation.
    m_firstActivation = false;
    UltFornecedor.clear();
    Consiste::runGuarded([this] {
        qryCentCmp->Close();
        edtCentCmp->setText(m_context->centralBranchName());
        {
            ShowAviGuard avi(window(), ShowAviKind::Receiving, msg(QStringLiteral("Receb_Param")));
            m_context->loadParameters();
        }
        const int just = dbgGridProdMarc->columnIndex(QStringLiteral("DSJUSTOPER"));
        if (just >= 0)
            dbgGridProdMarc->setColumnVisible(just, paraSupri(QStringLiteral("IDAUDALTCOT")) != QLatin1String("N"));
        const int situation = dbgCotacao->columnIndex(QStringLiteral("IDSITUCOLETA"));
        if (situation >= 0)
            dbgCotacao->setColumnVisible(situation, paraSupri(QStringLiteral("IDUTISTATCOT")) != QLatin1String("N"));
    });
    Habilita();
}

void TfrmGridCotaPrec::FormDeactivate()
{
    if (!m_active)
        return;
    m_active = false;
    Corvane::clearMsgEventForm();
}

// --- the current quotation -----------------------------------------------------------------

void TfrmGridCotaPrec::cdsColetaprAfterScroll()
{
    loadFornCotados();
    // Whatever the products page held belongs to the previous quotation, its
    // inconsistencies too.
    CacheGridFornecedor.reset();
    CacheGridProdMarc.reset();
    lsbErrosCota->hide();
    cdsErrosCota->close();
    cdsGridFornecedor->close();
    cdsGridProdMarc->close();
    cdsGridRegiao->close();
    if (pgcPadrao->activePage() == tshProdCotGrid)
        pgcPadraoChange();
}

void TfrmGridCotaPrec::loadFornCotados()
{
    if (!cdsColetapr->active() || cdsColetapr->isEmpty()) {
        // No quotation: no suppliers, and no call for an empty key.
        if (cdsFornCotados->active())
            cdsFornCotados->emptyDataSet();
        else
            cdsFornCotados->createDataSet();
        return;
    }
    DataPacket packet;
    {
        ShowAviGuard avi(window(), ShowAviKind::Receiving, msg(QStringLiteral("Receb_Forn")));
        packet = m_context->gridCotaPrec().getFornCotados(m_context->currentBranch(), m_context->currentNumber());
    }
    cdsFornCotados->setData(packet);
}

// --- pages -----------------------------------------------------------------------------------

void TfrmGridCotaPrec::pgcPadraoChange()
{
    const Page page = currentPage();
    tshProdCotGridEnter();
    switch (page) {
    case Page::Prod:
        FonteAtual = dtsGridRegiao;
        dbnPadrao->setDataSource(dtsGridRegiao);
        dbgGridRegiao->setFocus();
        // The page shows the current quotation as the server holds it now.
        if (m_context->hasQuotation())
            GetGridRegiao(m_context->currentNumber());
        break;
    case Page::Inc:
        FonteAtual = nullptr;
        break;
    case Page::Cot:
        FonteAtual = dtsPadrao;
        dbnPadrao->setDataSource(dtsPadrao);
        break;
    }
    Habilita();
}

TfrmGridCotaPrec::Page TfrmGridCotaPrec::currentPage() const
{
    QWidget *page = pgcPadrao->activePage();
    if (page == tshIncCotacao)
        return Page::Inc;
    if (page == tshProdCotGrid || page == tshPadrao)
        return Page::Prod;
    return Page::Cot;
}

// --- close -----------------------------------------------------------------------------------

void TfrmGridCotaPrec::FormClose()
{
    if (m_closed)
        return;
    m_closed = true;
    boStCriado = false;
    m_active = false;
    Corvane::clearMsgEventForm();
    disconnectAll();
    releaseReusedDialogs();
}

void TfrmGridCotaPrec::disconnectAll()
{
    // A connection may report itself connected again after a close while its socket
    // winds down: close until it says it is not, within reason.
    for (NetConnection *net : {netGridCotaPrec, netSuprimentos}) {
        for (int attempt = 0; attempt < 10 && net->connected(); ++attempt)
            net->close();
    }
}

void TfrmGridCotaPrec::releaseReusedDialogs()
{
    // The dialogs kept between openings start afresh with the next workspace.
    releaseFiltroGridCotacao();
    releaseGridExclProd();
}

void TfrmGridCotaPrec::bringForward()
{
    if (auto *sub = qobject_cast<QMdiSubWindow *>(parentWidget())) {
        followFrameActivation();
        if (QMdiArea *area = sub->mdiArea())
            area->setActiveSubWindow(sub);
        sub->raise();
    } else {
        raise();
        activateWindow();
    }
}

QWidget *TfrmGridCotaPrec::frame()
{
    if (auto *sub = qobject_cast<QMdiSubWindow *>(parentWidget()))
        return sub;
    return this;
}

// Inside an MDI area the form is activated with its child window; the area tells which
// child window is the active one.
void TfrmGridCotaPrec::followFrameActivation()
{
    auto *sub = qobject_cast<QMdiSubWindow *>(parentWidget());
    if (!sub || sub == m_followedFrame || !sub->mdiArea())
        return;
    m_followedFrame = sub;
    connect(sub->mdiArea(), &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow *active) {
        if (m_closed)
            return;
        if (active && active == m_followedFrame) {
            if (!m_active)
                FormActivate();
        } else if (active) {
            FormDeactivate();
        }
    });
    if (sub->mdiArea()->activeSubWindow() == sub && !m_active)
        FormActivate();
}

bool TfrmGridCotaPrec::event(QEvent *event)
{
    if (event->type() == QEvent::ParentChange)
        followFrameActivation();
    return TfrmPadraoGrid::event(event);
}

void TfrmGridCotaPrec::changeEvent(QEvent *event)
{
    // A workspace of its own (outside an MDI area) follows its window's activation.
    if (event->type() == QEvent::ActivationChange && !qobject_cast<QMdiSubWindow *>(parentWidget()) && !m_closed) {
        if (isActiveWindow())
            FormActivate();
        else
            FormDeactivate();
    }
    TfrmPadraoGrid::changeEvent(event);
}

void TfrmGridCotaPrec::closeEvent(QCloseEvent *event)
{
    FormClose();
    event->accept();
}
