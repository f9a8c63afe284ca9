// The consultation sheet opened over the workspace's quotation, and the way back: a cell
// chosen in the sheet puts the products page on its region, supplier, product and brand
// with the focus on the unit price.
#include "Cli_sup05200.h"

#include "Cli_sup05202.h"
#include "ClientDataSet.h"
#include "DBGrid.h"
#include "Field.h"
#include "PageControl.h"

void TfrmGridCotaPrec::sbtGridCotaPrecConsulClick()
{
    ConsultWorkspaceLink link;
    link.currentItem = [this] {
        ConsultWorkspaceLink::Item item;
        if (cdsGridProdMarc->active() && !cdsGridProdMarc->isEmpty()) {
            item.product = cdsGridProdMarc->fieldByName(QStringLiteral("CDPRODUTO"))->asString();
            item.brand = cdsGridProdMarc->fieldByName(QStringLiteral("CDMARCA"))->asString();
        }
        return item;
    };
    link.openItem = [this](const QString &region, const QString &supplier, const QString &product,
                           const QString &brand) { return abreItemConsulta(region, supplier, product, brand); };
    CriaGridCotaPrecConsul(*m_context, link, this);
}

bool TfrmGridCotaPrec::abreItemConsulta(const QString &region, const QString &supplier, const QString &product,
                                        const QString &brand)
{
    if (!cdsGridRegiao->active()
        || !cdsGridRegiao->locate(QStringLiteral("CDREGIAO"), region, LocateOption::CaseInsensitive))
        return false;
    if (!cdsGridFornecedor->active()
        || !cdsGridFornecedor->locate(QStringLiteral("CDFORNECED"), supplier, LocateOption::CaseInsensitive))
        return false;
    if (cdsGridProdMarc->active())
        cdsGridProdMarc->locate(QStringLiteral("CDPRODUTO;CDMARCA"), QVariantList{product, brand},
                                LocateOption::CaseInsensitive);
    if (pgcPadrao->activePage() != tshProdCotGrid) {
        pgcPadrao->setActivePage(tshProdCotGrid);
        pgcPadraoChange();
    }
    dbgGridProdMarc->setSelectedField(QStringLiteral("VRPRECUNIITM"));
    dbgGridProdMarc->setFocus();
    return true;
}
