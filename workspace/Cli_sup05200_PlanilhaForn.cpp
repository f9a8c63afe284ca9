// The supplier price sheets of the products page: exporting one sheet per supplier of the
// current quotation, and reading filled sheets back into its prices, over the workspace's
// quotation context; the grids show the stored prices afterwards.
#include "Cli_sup05200.h"

#include "Cli_sup05230.h"
#include "Cli_sup05231.h"
#include "ClientDataSet.h"
#include "Field.h"
#include "QuotationContext.h"

void TfrmGridCotaPrec::sbtExportaPlanilhaClick()
{
    QString supplier, supplierName;
    if (cdsGridFornecedor->active() && !cdsGridFornecedor->isEmpty()) {
        supplier = cdsGridFornecedor->fieldByName(QStringLiteral("CDFORNECED"))->asString();
        supplierName = cdsGridFornecedor->fieldByName(QStringLiteral("NMFANTFORN"))->asString();
    }
    CriaExportaPlanilha(*m_context, supplier, supplierName, this);
}

void TfrmGridCotaPrec::sbtImportaPlanilhaClick()
{
    if (!CriaImportaPlanilha(*m_context, this))
        return;
    // The cached packets are what the server sent before the prices were stored.
    reloadRegionsKeepingPosition();
}
