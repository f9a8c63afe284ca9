// The enabling rule: which commands, pages and grids the user can reach in the state the
// workspace is in.  It runs on every message that reaches the hook, so it only reads.
#include "Cli_sup05200.h"

#include "ClientDataSet.h"
#include "DBGrid.h"
#include "DBNavigator.h"
#include "DataSource.h"
#include "PageControl.h"

#include <QAction>
#include <QFrame>
#include <QScopedValueRollback>

namespace {

bool isEditing(DataSetState state)
{
    return state == DataSetState::Edit || state == DataSetState::Insert;
}

bool hasRows(const ClientDataSet *ds)
{
    return ds && ds->active() && !ds->isEmpty();
}

} // namespace

void TfrmGridCotaPrec::dtsPadraoStateChange()
{
    TfrmPadraoGrid::dtsPadraoStateChange();
    Habilita();
}

void TfrmGridCotaPrec::Habilita()
{
    // Enabling a control sends events that come back through the hook.
    if (!m_built || m_inHabilita || m_closed)
        return;
    QScopedValueRollback<bool> guard(m_inHabilita, true);

    const Page page = currentPage();
    const bool inc = page == Page::Inc;
    const bool cot = page == Page::Cot;
    const bool prod = page == Page::Prod;
    DataSource *a = FonteAtual;
    const DataSetState state = a ? a->state() : DataSetState::Inactive;
    const bool b = state == DataSetState::Browse;
    const bool e = isEditing(state);
    const bool n = a && hasRows(a->dataSet());
    const bool c = cdsGridProdMarc->active() && cdsGridProdMarc->changeCount() > 0;
    const bool u = usesSituation();
    const QString situation = currentSituation();
    const bool sa = situation == QLatin1String("A");
    const bool sc = situation == QLatin1String("C");
    const bool q = boConsulta;
    const bool g = a == dtsPadrao || a == dtsGridProdMarc;
    const bool inProgressWhenUsed = !u || sa;
    const bool listNotEmpty = hasRows(cdsColetapr);
    const bool listEditing = isEditing(dtsPadrao->state());

    if (a) {
        mnuConfirmar->setEnabled(c || e || inc);
        mnuCancelar->setEnabled(c || e || inc);
        mnuIncluir->setEnabled(!q && b && !inc && (!u || !prod || !sc));
        mnuAlterar->setEnabled(b && n && g && !inc && inProgressWhenUsed && (!q || prod));
        mnuExcluir->setEnabled(b && n && !inc && !c && inProgressWhenUsed && (!q || cot));
        mnuProcurar->setEnabled(b && n && !inc);
        mnuImprimir->setEnabled(b && n && !inc && !c);
        mnuFiltro->setEnabled(!e && !inc && !c && !q);
        mnuAltValidade->setEnabled(!e && !inc && !c && !q);
        dbnPadrao->setEnabled(b);
    } else {
        mnuConfirmar->setEnabled(inc);
        mnuCancelar->setEnabled(inc);
        for (QAction *action : {mnuIncluir, mnuAlterar, mnuExcluir, mnuProcurar, mnuImprimir})
            action->setEnabled(false);
        mnuFiltro->setEnabled(!inc);
        mnuAltValidade->setEnabled(!inc);
        dbnPadrao->setEnabled(false);
    }

    const bool zeroPrice = !c && !e && listNotEmpty && !inc;
    mnuExclPrZero->setEnabled(zeroPrice);
    mnuCopiarCota->setEnabled(zeroPrice && !q);
    mnuGridCotaPrecConsul->setEnabled(prod && !c);
    for (QAction *action : {mnuInsForn, mnuInsRegiao, mnuDelForn, mnuDelRegiao})
        action->setEnabled(!c);
    mnuSimulacao->setEnabled(b && prod && !c && inProgressWhenUsed);
    mnuAutoMelhor->setEnabled(listNotEmpty && dtsPadrao->state() == DataSetState::Browse && cot && !c
                              && inProgressWhenUsed);
    const bool productTool = b && n && prod && inProgressWhenUsed;
    mnuObs->setEnabled(productTool);
    mnuPlanilha->setEnabled(productTool);
    mnuAtualizaFormPgto->setEnabled(productTool);
    mnuQtComprar->setEnabled(productTool && !c);
    mnuReajustPr->setEnabled(productTool && !c);
    // Supplier price sheets: a quotation with items on the products page, nothing pending;
    // reading sheets back stores prices, so only where prices may be keyed.
    const bool sheets = prod && listNotEmpty && !c && !e && hasRows(cdsGridRegiao);
    mnuExportaPlanilha->setEnabled(sheets);
    mnuImportaPlanilha->setEnabled(sheets && !q && inProgressWhenUsed);
    const bool justification = hasRows(cdsGridProdMarc)
                               && !cdsGridProdMarc->fieldByName(QStringLiteral("DSJUSTOPER"))->asString().trimmed().isEmpty();
    mnuCopiaJust->setEnabled(justification);

    const bool productsPage = listNotEmpty && !listEditing;
    if (cot)
        pgcPadrao->setPageEnabled(tshProdCotGrid, productsPage);
    mnuPadrao->setEnabled(productsPage && !inc);
    if (prod) {
        pgcPadrao->setPageEnabled(tshCotacao, !e && !c);
        dbgGridRegiao->setEnabled((a == dtsGridRegiao || !e) && !c);
        dbgGridFornecedor->setEnabled((a == dtsGridFornecedor || !e) && !c);
        dbgGridProdMarc->setEnabled(a == dtsGridProdMarc || !e);
    }
    mnuCotacao->setEnabled(pgcPadrao->isPageEnabled(tshCotacao));
    mnuCotacao->setChecked(cot);
    mnuPadrao->setChecked(prod);
    mnuIncCotacao->setChecked(inc);

    panDados->setVisible(prod);
    panNavigator->setVisible(!inc);
}
