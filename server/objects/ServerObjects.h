#pragma once

class MethodTable;

// Each group of server methods registers itself; registerServerObjects calls them all.
void registerSuprimentosMethods(MethodTable &table);     // "Sup.rdmSuprimentos"
void registerQuotationListMethods(MethodTable &table);   // list, filter, suppliers quoted
void registerQuotationDeleteMethods(MethodTable &table); // deletion, price-list check
void registerQuotationSaveMethods(MethodTable &table);   // SetItemCole
void registerQuotationZeroPriceMethods(MethodTable &table); // zero-priced items: check, deletion
void registerQuotationCreateMethods(MethodTable &table); // creation, its details, purchases, brands
void registerQuotationGridMethods(MethodTable &table);   // the products page's grids, item validation
void registerConfSenhaMethods(MethodTable &table);       // password confirmation
void registerQuotationCopyMethods(MethodTable &table);   // copy to a new validity, its look-ups
void registerValidityMethods(MethodTable &table);        // validity change
void registerConsultMethods(MethodTable &table);         // consultation sheet
void registerQuotationToolMethods(MethodTable &table);   // quantities to buy, payment terms, module reads, observations
void registerPriceAdjustMethods(MethodTable &table);     // readjustment, best prices
void registerQuotationMaintenanceMethods(MethodTable &table); // suppliers, regions, products added or removed
void registerPriceSheetMethods(MethodTable &table);      // a supplier's items for its price sheet
void registerLookupMethods(MethodTable &table);          // the package's look-ups, read-only
