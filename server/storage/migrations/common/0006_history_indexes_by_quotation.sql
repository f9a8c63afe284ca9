-- The item history is written in bulk (a readjustment or a best-price load writes one row
-- per changed item of a large quotation) and read by quotation: HistoryApply reaches a
-- call's rows by their numbers, an audit of an item reads its quotation's rows.
-- HISTITCOLE_PROD (product, brand, moment) had no reader; HISTITCOLE_ITEM put each new row
-- beside the earlier rows of its item, one random index page per changed item.  The index
-- by quotation and number takes the new rows at the end of the quotation's range.
DROP INDEX IF EXISTS HISTITCOLE_PROD;
DROP INDEX IF EXISTS HISTITCOLE_ITEM;
CREATE INDEX HISTITCOLE_COT ON HISTITCOLE (CDFILIAL, NRCOLEPRECO, NRSEQHIST);
