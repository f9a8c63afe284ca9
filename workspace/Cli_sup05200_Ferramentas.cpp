// The quotation tools of the toolbar: the negotiation/simulation and spreadsheet modules
// for the current item (after the server's check of that item), the best prices, the item
// observation, the quantities to buy, the price readjustment, the payment terms with the
// refresh of the page shown, and the copy and validity-change dialogs with the reload of the
// quotation list after them.
#include "Cli_sup05200.h"

#include "Cli_sup05213.h"
#include "Cli_sup05218.h"
#include "Cli_sup05219.h"
#include "Cli_sup05220.h"
#include "Cli_sup05225.h"
#include "ClientDataSet.h"
#include "Consiste.h"
#include "Corvane.h"
#include "Field.h"
#include "PageControl.h"
#include "QuotationContext.h"
#include "ShowAvi.h"
#include "TMessages.h"
#include "UserInterface.h"

namespace {

const QString kSimulacao = QStringLiteral("SUP01802");
const QString kPlanilha = QStringLiteral("SUP01803");

bool hasRows(const ClientDataSet *ds)
{
    return ds && ds->active() && !ds->isEmpty();
}

QString fieldText(const ClientDataSet *ds, const char *name)
{
    return hasRows(ds) ? ds->fieldByName(QLatin1String(name))->asString() : QString();
}

} // namespace

// --- copy and validity change ------------------------------------------------------------------

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

// --- the modules of the current item -------------------------------------------------------------

QVariantList TfrmGridCotaPrec::simulacaoParams() const
{
    return {fieldText(cdsColetapr, "CDFILIAL"),      fieldText(cdsColetapr, "NRCOLEPRECO"),
            fieldText(cdsGridFornecedor, "CDFORNECED"), fieldText(cdsGridProdMarc, "CDPRODUTO"),
            fieldText(cdsGridProdMarc, "CDARVPROD"),  fieldText(cdsGridProdMarc, "CDMARCA"),
            fieldText(cdsGridProdMarc, "CDREGIAO"),   QStringLiteral(" ")};
}

QVariantList TfrmGridCotaPrec::planilhaParams() const
{
    return {true,
            fieldText(cdsColetapr, "CDFILIAL"),
            fieldText(cdsColetapr, "NRCOLEPRECO"),
            fieldText(cdsGridFornecedor, "CDFORNECED"),
            fieldText(cdsGridProdMarc, "CDPRODUTO"),
            fieldText(cdsGridProdMarc, "CDARVPROD"),
            fieldText(cdsGridProdMarc, "CDMARCA"),
            fieldText(cdsGridRegiao, "CDREGIAO"),
            QString()};
}

// A quotation whose items were keyed in the grid (or negotiated) is no longer one loaded
// from a price list: its origin "L" (or none) becomes "G" in the list, and the change goes
// to the server with the list's next changes.
void TfrmGridCotaPrec::markQuotationKeyed()
{
    Field *origin = cdsColetapr->fieldByName(QStringLiteral("IDTIPCOLREG"));
    const QString kind = origin->asString().trimmed().toUpper();
    if (!kind.isEmpty() && kind != QLatin1String("L"))
        return;
    cdsColetapr->edit();
    origin->setValue(QStringLiteral("G"));
    cdsColetapr->post();
}

void TfrmGridCotaPrec::sbtSimulacaoClick()
{
    // The operator, buyer and supplier checks and the server's check of the item; an
    // inconsistent item is listed and the module is not started.
    ValidaDados();
    markQuotationKeyed();
    update();
    Corvane::LoadBPL(kSimulacao, simulacaoParams());
    update();
    // The negotiation may have changed prices: the page shows them again where it was.
    reloadRegionsKeepingPosition();
}

void TfrmGridCotaPrec::sbtPlanilhaClick()
{
    ValidaDados();
    Corvane::LoadBPL(kPlanilha, planilhaParams());
    update();
}

// --- dialogs of the quotation and its item ----------------------------------------------------------

void TfrmGridCotaPrec::sbtAutoMelhorClick()
{
    CriaValUltCot(*m_context, this);
}

void TfrmGridCotaPrec::sbtObsClick()
{
    CriaObsItmCol(*m_context, fieldText(cdsColetapr, "CDFILIAL"), fieldText(cdsColetapr, "NRCOLEPRECO"),
                  fieldText(cdsGridRegiao, "CDREGIAO"), fieldText(cdsGridFornecedor, "CDFORNECED"),
                  fieldText(cdsGridProdMarc, "CDPRODUTO"), fieldText(cdsGridProdMarc, "CDMARCA"), this);
}

void TfrmGridCotaPrec::sbtReajustPrClick()
{
    vd_OperSistema();
    CriaReajustedePreco(*m_context, fieldText(cdsGridRegiao, "CDREGIAO"), fieldText(cdsGridFornecedor, "CDFORNECED"),
                        this);
    reloadSupplierItems();
}

// The products page shows the current supplier's items as the server holds them now.
void TfrmGridCotaPrec::reloadSupplierItems()
{
    if (currentPage() != Page::Prod)
        return;
    CacheGridFornecedor.reset();
    CacheGridProdMarc.reset();
    GetGridProdMarc(fieldText(cdsGridFornecedor, "NRCOLEPRECO"), fieldText(cdsGridFornecedor, "CDREGIAO"),
                    fieldText(cdsGridFornecedor, "CDFORNECED"));
}

// --- quantities to buy and payment terms --------------------------------------------------------------

void TfrmGridCotaPrec::sbtQtComprarClick()
{
    if (msgPadrao->ShowMsg(QStringLiteral("Atu_QtComprar"), MsgDlg::mtConfirmation, MsgDlg::mbYes | MsgDlg::mbNo)
        != MsgDlg::mrYes)
        return;
    CarregarAComprar(m_context->centralBranch(), fieldText(cdsColetapr, "NRCOLEPRECO"));
    reloadSupplierItems();
}

void TfrmGridCotaPrec::CarregarAComprar(const QString &centralBranch, const QString &number)
{
    QString result;
    {
        ShowAviGuard avi(window(), ShowAviKind::Storing, msg(QStringLiteral("Get_CargAcomp")));
        result = m_context->gridCotaPrec().cargAcomprar(centralBranch, number);
    }
    if (!result.isEmpty())
        Consiste::MensErro(result);
}

void TfrmGridCotaPrec::sbtAtualizaFormPgtoClick()
{
    {
        ShowAviGuard avi(window(), ShowAviKind::Storing, msg(QStringLiteral("AtuFormPgto")));
        m_context->gridCotaPrec().atualizaFormPgto(fieldText(cdsColetapr, "CDFILIAL"),
                                                   fieldText(cdsColetapr, "NRCOLEPRECO"));
    }
    sbtVerificarClick();
}

// The refresh of the page shown: the quotation list as the filter in force (or, on a
// workspace started with quotations handed over, the current quotation's buyer and validity
// with every supplier and region), or the products page's regions with both caches emptied.
void TfrmGridCotaPrec::sbtVerificarClick()
{
    if (currentPage() == Page::Cot) {
        ColetaPrFilter filter = m_context->filter();
        filter.branch = m_context->centralBranch();
        if (boConsulta) {
            auto date = [this](const char *name) {
                return hasRows(cdsColetapr) ? cdsColetapr->fieldByName(QLatin1String(name))->asDateTime().date() : QDate();
            };
            filter.buyers = fieldText(cdsColetapr, "CDOPERADOR");
            filter.allBuyers.clear();
            filter.firstDate = date("DTINIVALCOL");
            filter.lastDate = date("DTFINVALCOL");
            filter.allDates.clear();
            filter.suppliers.clear();
            filter.allSuppliers = QStringLiteral("T");
            filter.regions.clear();
            filter.allRegions = QStringLiteral("T");
        }
        ShowAviGuard avi(window(), ShowAviKind::Receiving);
        m_context->loadQuotations(filter);
        return;
    }
    if (currentPage() == Page::Prod) {
        // Prices typed and not yet confirmed stay on the page: reloading would lose them.
        if (cdsGridProdMarc->active() && cdsGridProdMarc->changeCount() > 0)
            return;
        CacheGridFornecedor.reset();
        CacheGridProdMarc.reset();
        GetGridRegiao(fieldText(cdsColetapr, "NRCOLEPRECO"));
    }
}
