// Confirming the prices keyed on the products page: the server validates every row of the
// supplier shown; without inconsistencies the pending header and item changes are stored
// (SetItemCole) for the selected region or all of them and the grids show what the server
// now holds.  The change logs are merged only once the server stored them, so a refused
// or failed call leaves every pending change in the log for the next confirmation.  A
// change another user stored first is explained, and the buyer may reload the supplier's
// rows to see it.  After every confirmation the server says whether items are left at a
// zero price; a command of its own deletes them.
#include "Cli_sup05200.h"

#include "ClientDataSet.h"
#include "Consiste.h"
#include "Corvane.h"
#include "NetError.h"
#include "QuotationContext.h"
#include "ShowAvi.h"
#include "TMessages.h"
#include "UserInterface.h"

#include <QListWidget>

#include <algorithm>

namespace {

const QString kOrigin = QStringLiteral("IDTIPCOLREG");

bool hasRows(const ClientDataSet *ds)
{
    return ds && ds->active() && !ds->isEmpty();
}

bool isEditing(const ClientDataSet *ds)
{
    return ds->state() == DataSetState::Edit || ds->state() == DataSetState::Insert;
}

bool hasChanges(const ClientDataSet *ds)
{
    return ds->active() && ds->changeCount() > 0;
}

QString flagText(const QVariant &value)
{
    return value.toString().trimmed().toUpper();
}

// Null and empty are the same stored value.
bool sameValue(const QVariant &a, const QVariant &b)
{
    const bool emptyA = a.isNull() || !a.isValid() || a.toString().isEmpty();
    const bool emptyB = b.isNull() || !b.isValid() || b.toString().isEmpty();
    if (emptyA || emptyB)
        return emptyA == emptyB;
    return a == b;
}

// A header row whose only change is the mark keying an item sets: a quotation loaded from
// a list ('L' or empty) becomes one keyed in the grid ('G').
bool onlyKeyedMark(const DataPacket &delta, const DeltaRow &row)
{
    const int origin = delta.fieldIndex(kOrigin);
    if (origin < 0 || row.kind != RowChange::Modify || row.oldValues.size() != row.newValues.size())
        return false;
    for (int i = 0; i < row.newValues.size(); ++i) {
        if (i != origin && !sameValue(row.oldValues.at(i), row.newValues.at(i)))
            return false;
    }
    const QString before = flagText(row.oldValues.value(origin));
    return (before.isEmpty() || before == QLatin1String("L")) && flagText(row.newValues.value(origin)) == QLatin1String("G");
}

} // namespace

// --- confirming ----------------------------------------------------------------------------------

void TfrmGridCotaPrec::mnuConfTodasRegClick()
{
    confirmItems(true);
}

void TfrmGridCotaPrec::mnuConfRegSelClick()
{
    confirmItems(false);
}

void TfrmGridCotaPrec::confirmItems(bool allRegions)
{
    if (currentPage() != Page::Prod || !m_context->hasQuotation())
        return;
    lsbErrosCota->hide();
    if (cdsErrosCota->active())
        cdsErrosCota->close();
    validateSupplierItems();
    if (!cdsErrosCota->isEmpty()) {
        // Not a failure: the buyer corrects the rows the list names and confirms again;
        // nothing is sent and the changes stay pending.
        lsbErrosCota->show();
        Consiste::MensErro(msg(QStringLiteral("ErroAtu")), false);
        cdsGridProdMarcAfterScroll();
    } else if (!storeItemChanges(allRegions)) {
        return;
    }
    checkZeroPrices();
}

void TfrmGridCotaPrec::validateSupplierItems()
{
    // Every row of the supplier shown, pending changes included.
    DataPacket errors(cdsErrosCota->fieldDefs());
    if (hasRows(cdsGridProdMarc)) {
        ShowAviGuard avi(window(), ShowAviKind::Storing, msg(QStringLiteral("VdDadItm")));
        errors = m_context->gridCotaPrec().validaDados(
            cdsGridProdMarc->data(), Corvane::FiliProc(), m_context->centralBranch(),
            cdsColetapr->fieldByName(QStringLiteral("DTCOLEPREC"))->asDateTime().date());
    }
    cdsErrosCota->setData(errors);
}

QVariant TfrmGridCotaPrec::headerDeltaToStore(bool withItems) const
{
    if (!hasChanges(cdsColetapr))
        return {};
    DataPacket delta = cdsColetapr->delta();
    // The server marks a quotation keyed in the grid itself when it stores its items.
    // Sent as a header change, the mark would be checked against the stored origin and
    // refuse the items of a second buyer once the first one's items had set it.
    if (withItems) {
        QList<DeltaRow> &changes = delta.changes();
        changes.erase(std::remove_if(changes.begin(), changes.end(),
                                     [&delta](const DeltaRow &row) { return onlyKeyedMark(delta, row); }),
                      changes.end());
        if (changes.isEmpty())
            return {};
    }
    return packetVariant(delta);
}

bool TfrmGridCotaPrec::storeItemChanges(bool allRegions)
{
    if (isEditing(cdsGridProdMarc))
        cdsGridProdMarc->post();
    const bool items = hasChanges(cdsGridProdMarc);
    if (!items && !hasChanges(cdsColetapr))
        return true;

    SetItemColeArgs args;
    args.headerDelta = headerDeltaToStore(items);
    if (items)
        args.itemDelta = packetVariant(cdsGridProdMarc->delta());
    if (cdsGridFornecedor->active() && cdsGridFornecedor->recordCount() > 1
        && paraSupri(QStringLiteral("IDPERMREPLICFOR")) == QLatin1String("S"))
        args.allSuppliers = msgPadrao->ShowMsg(QStringLiteral("AtuForn"), MsgDlg::mtConfirmation,
                                               MsgDlg::mbYes | MsgDlg::mbNo)
                            == MsgDlg::mrYes;
    auto date = [this](const char *name) { return cdsColetapr->fieldByName(QLatin1String(name))->asDateTime().date(); };
    args.collectionDate = date("DTCOLEPREC");
    args.allRegions = allRegions;
    args.branch = Corvane::FiliProc();
    args.operatorCode = Corvane::Operador();
    args.allRegionsText = msg(QStringLiteral("TODASREG"));
    args.oneRegionText = msg(QStringLiteral("UMAREG"));
    args.allSuppliersText = msg(QStringLiteral("TODOSFORN"));
    args.oneSupplierText = msg(QStringLiteral("UMFORN"));
    args.consultation = m_context->consultation();
    args.purchase = cdsColetapr->fieldByName(QStringLiteral("NRCOMPRA"))->asString();
    args.buyer = cdsColetapr->fieldByName(QStringLiteral("CDOPERADOR"))->asString();
    args.firstDate = date("DTINIVALCOL");
    args.lastDate = date("DTFINVALCOL");
    try {
        ShowAviGuard avi(window(), ShowAviKind::Storing, msg(QStringLiteral("Grava_Cotacao")));
        Consiste::CheckResultServ(m_context->gridCotaPrec().setItemCole(args).result, true);
    } catch (const NetError &e) {
        if (e.code() != QLatin1String("conflict"))
            throw;
        offerReloadAfterConflict(e.message());
        return false;
    }
    // Stored: what was pending is what the server holds now.
    if (cdsGridProdMarc->active())
        cdsGridProdMarc->mergeChangeLog();
    cdsColetapr->mergeChangeLog();
    reloadRegionsKeepingPosition();
    return true;
}

void TfrmGridCotaPrec::offerReloadAfterConflict(const QString &serverText)
{
    // The server's text names the item and the field another user stored first; the
    // buyer's changes stay pending unless the buyer chooses to see the stored rows.
    const QString text = serverText + QStringLiteral("\n\n") + msg(QStringLiteral("Recarrega_Itens"));
    if (ui()->showMessage(text, MsgDlg::mtWarning, MsgDlg::mbYes | MsgDlg::mbNo) != MsgDlg::mrYes)
        return;
    // The cached packets are what the server sent before the other user's change.
    CacheGridProdMarc.reset();
    reloadCurrentProdMarc();
    // The origin mark went with the item changes just discarded.
    if (hasChanges(cdsColetapr))
        cdsColetapr->cancelUpdates();
}

void TfrmGridCotaPrec::reloadRegionsKeepingPosition()
{
    const QStringList item = currentItemKey(); // region, supplier, product, brand
    CacheGridFornecedor.reset();
    CacheGridProdMarc.reset();
    GetGridRegiao(m_context->currentNumber());
    if (!hasRows(cdsGridRegiao)
        || !cdsGridRegiao->locate(QStringLiteral("CDREGIAO"), item.at(0), LocateOption::CaseInsensitive))
        return;
    if (!hasRows(cdsGridFornecedor)
        || !cdsGridFornecedor->locate(QStringLiteral("CDFORNECED"), item.at(1), LocateOption::CaseInsensitive))
        return;
    if (hasRows(cdsGridProdMarc))
        cdsGridProdMarc->locate(QStringLiteral("CDPRODUTO;CDMARCA"), QVariantList{item.at(2), item.at(3)},
                                LocateOption::CaseInsensitive);
}

// --- zero prices ----------------------------------------------------------------------------------

QString TfrmGridCotaPrec::zeroPriceState()
{
    ShowAviGuard avi(window(), ShowAviKind::Receiving, msg(QStringLiteral("VdPrZero")));
    return m_context->gridCotaPrec().getVerPrZero(m_context->currentBranch(), m_context->currentNumber());
}

void TfrmGridCotaPrec::checkZeroPrices()
{
    const QString state = zeroPriceState();
    if (state.isEmpty())
        return;
    if (state == QLatin1String("1")) {
        msgPadrao->ShowMsg(QStringLiteral("CotSemPr"), MsgDlg::mtWarning, MsgDlg::mbOK);
    } else if (state == QLatin1String("2")) {
        // Names the command as the buyer sees it.
        ui()->showMessage(msg(QStringLiteral("ExclPrZero")).arg(msg(QStringLiteral("Hint_ExclPrZero"))),
                          MsgDlg::mtWarning, MsgDlg::mbOK);
        repaint();
    } else {
        Consiste::MensErro(state);
    }
}

void TfrmGridCotaPrec::sbtExclPrZeroClick()
{
    if (!m_context->hasQuotation()
        || msgPadrao->ShowMsg(QStringLiteral("Conf_ExclPrZ"), MsgDlg::mtConfirmation, MsgDlg::mbYes | MsgDlg::mbNo)
               != MsgDlg::mrYes)
        return;
    const QString state = zeroPriceState();
    // Deleting the zero-priced items of a quotation without any price would leave it empty.
    if (state == QLatin1String("1"))
        Consiste::MensErro(msg(QStringLiteral("NExclCotSemPr")));
    if (!state.isEmpty() && state != QLatin1String("2"))
        Consiste::MensErro(state);
    ShowAviGuard avi(window(), ShowAviKind::Storing, msg(QStringLiteral("ExcluPrZero")));
    m_context->gridCotaPrec().deleteItemCole(m_context->centralBranch(), m_context->currentNumber());
    CacheGridFornecedor.reset();
    CacheGridProdMarc.reset();
    // The products page is filled only while it shows; entering it loads the regions.
    if (currentPage() == Page::Prod)
        reloadRegionsKeepingPosition();
}
