// The quotation tools that open the copy and validity-change dialogs over the workspace's
// quotation context, and the reload of the quotation list after them.
#include "Cli_sup05200.h"

#include "Cli_sup05213.h"
#include "Cli_sup05225.h"
#include "PageControl.h"
#include "QuotationContext.h"
#include "ShowAvi.h"
#include "UserInterface.h"

void TfrmGridCotaPrec::sbtCopiarCotaClick()
{
    const CopyCotaOutcome outcome = CriaCopyCota(*m_context, this);
    update();
    if (outcome.reload)
        AtualizaCotacao(outcome.buyers, outcome.allBuyers, QStringLiteral("T"), QStringLiteral("T"), QStringLiteral(" "),
                        outcome.firstDate, outcome.lastDate);
    pgcPadrao->setActivePage(tshCotacao);
    pgcPadraoChange();
}

void TfrmGridCotaPrec::sbtAlteraValidadeClick()
{
    if (!CriaAltValidade(*m_context, this))
        return;
    // The list in force shows the quotations' new validity.
    ShowAviGuard avi(window(), ShowAviKind::Receiving, msg(QStringLiteral("Get_DadosFiltro")));
    m_context->loadQuotations(m_context->filter());
}
