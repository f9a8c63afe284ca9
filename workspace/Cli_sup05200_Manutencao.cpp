// The include and delete pop-ups of the products page: the dialogs that add a supplier or
// a region, remove a supplier or a region and exclude a product, opened over the
// workspace's quotation context and its products page; and the page as those dialogs see
// it (grids, caches, reloads, the price-list warning).
#include "Cli_sup05200.h"

#include "Cli_sup05206.h"
#include "Cli_sup05207.h"
#include "Cli_sup05208.h"
#include "Cli_sup05209.h"
#include "Cli_sup05210.h"

#include "ClientDataSet.h"
#include "Consiste.h"
#include "DataPacket.h"
#include "QuotationContext.h"
#include "ShowAvi.h"
#include "TMessages.h"
#include "UserInterface.h"

#include <QScopeGuard>

namespace {

// The product grid holds an edit, an insertion or a change not yet confirmed.
bool hasPendingItems(const ClientDataSet *items)
{
    return items->active() && (items->state() != DataSetState::Browse || items->changeCount() > 0);
}

} // namespace

// --- the products page for the dialogs ----------------------------------------------------------

void TfrmGridCotaPrec::resetGridCaches()
{
    CacheGridFornecedor.reset();
    CacheGridProdMarc.reset();
}

void TfrmGridCotaPrec::resetProdMarcCache()
{
    CacheGridProdMarc.reset();
}

bool TfrmGridCotaPrec::confirmPriceListRemoval()
{
    return msgPadrao->ShowMsg(QStringLiteral("Del_Itens_Lista"), MsgDlg::mtWarning, MsgDlg::mbYes | MsgDlg::mbNo)
           == MsgDlg::mrYes;
}

// --- the pop-up items ----------------------------------------------------------------------------

void TfrmGridCotaPrec::mnuInsFornClick()
{
    if (currentPage() != Page::Prod || hasPendingItems(cdsGridProdMarc))
        return;
    cdsFornCotadosAux->close();
    cdsFornCotadosAux->setData(cdsFornCotados->active() ? cdsFornCotados->data() : DataPacket());
    const bool inserted = CriaForneInsert(*m_context, *this, this);
    if (inserted)
        mergeQuotedSuppliers();
    Habilita();
}

void TfrmGridCotaPrec::mergeQuotedSuppliers()
{
    DataPacket suppliers;
    {
        ShowAviGuard avi(window(), ShowAviKind::Receiving);
        suppliers = m_context->gridCotaPrec().getDistForns(m_context->currentBranch(), m_context->currentNumber());
    }
    if (!cdsFornCotados->active())
        cdsFornCotados->createDataSet();
    // The list refuses rows the user would add; this one is the program's own.
    const bool readOnly = cdsFornCotados->readOnly();
    ClientDataSet::Event guard = cdsFornCotados->beforeInsert;
    cdsFornCotados->setReadOnly(false);
    cdsFornCotados->beforeInsert = nullptr;
    auto restore = qScopeGuard([this, readOnly, guard] {
        cdsFornCotados->setReadOnly(readOnly);
        cdsFornCotados->beforeInsert = guard;
    });
    const QString number = m_context->currentNumber();
    for (int r = 0; r < suppliers.rowCount(); ++r) {
        const QString supplier = suppliers.value(r, QStringLiteral("CDFORNECED")).toString();
        if (cdsFornCotados->locate(QStringLiteral("NRCOLEPRECO;CDFORNECED"), QVariantList{number, supplier},
                                   LocateOption::CaseInsensitive))
            continue;
        cdsFornCotados->append();
        for (const char *name : {"CDFORNECED", "NRINSJURFORN", "NMRAZSOCFORN", "NMFANTFORN", "IDTPIJURFORN"})
            cdsFornCotados->fieldByName(QLatin1String(name))->setValue(suppliers.value(r, QLatin1String(name)));
        cdsFornCotados->fieldByName(QStringLiteral("NRCOLEPRECO"))->setValue(number);
        cdsFornCotados->post();
    }
}

void TfrmGridCotaPrec::mnuInsRegiaoClick()
{
    if (currentPage() != Page::Prod || hasPendingItems(cdsGridProdMarc))
        return;
    CriaRegiaoInsert(*m_context, *this, this);
    Habilita();
}

void TfrmGridCotaPrec::mnuDelProdClick()
{
    if (currentPage() != Page::Prod || (cdsGridProdMarc->active() && cdsGridProdMarc->state() != DataSetState::Browse))
        return;
    CriaGridExclProd(*m_context, *this, this);
    Habilita();
}

void TfrmGridCotaPrec::mnuDelFornClick()
{
    if (currentPage() != Page::Prod || hasPendingItems(cdsGridProdMarc))
        return;
    CriaForneDelete(*m_context, *this, this);
    Habilita();
}

void TfrmGridCotaPrec::mnuDelRegiaoClick()
{
    if (currentPage() != Page::Prod || hasPendingItems(cdsGridProdMarc))
        return;
    CriaRegiaoDelete(*m_context, *this, this);
    Habilita();
}
