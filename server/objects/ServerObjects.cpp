#include "ServerObjects.h"

#include "MethodTable.h"

void registerServerObjects(MethodTable &table)
{
    registerSuprimentosMethods(table);
    registerQuotationListMethods(table);
    registerQuotationDeleteMethods(table);
    registerQuotationSaveMethods(table);
    registerQuotationZeroPriceMethods(table);
    registerQuotationCreateMethods(table);
    registerQuotationGridMethods(table);
    registerConfSenhaMethods(table);
    registerQuotationCopyMethods(table);
    registerValidityMethods(table);
    registerConsultMethods(table);
    registerQuotationToolMethods(table);
    registerPriceAdjustMethods(table);
    registerQuotationMaintenanceMethods(table);
    registerPriceSheetMethods(table);
    registerLookupMethods(table);
}
