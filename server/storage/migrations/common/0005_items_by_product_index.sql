-- A quotation's items by product and brand: storing a price for all regions or all
-- suppliers reaches every item of the quotation holding the same product and brand.
-- ITCOLETAPR_PROD (product and brand over every quotation) grows with the history of
-- quotations; this one stays as small as the quotation.
CREATE INDEX ITCOLETAPR_COTPROD ON ITCOLETAPR (CDFILIAL, NRCOLEPRECO, CDPRODUTO, CDMARCA);
