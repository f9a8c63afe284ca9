-- The price and header history of a quotation outlives it: HISTITCOLE and HISTCOLETA
-- lose their foreign key to COLETAPR, which deleted them with the quotation (the
-- constraints carry the names PostgreSQL gave them in 0001).  The same migration on
-- SQLite rebuilds the two tables.
ALTER TABLE HISTITCOLE DROP CONSTRAINT histitcole_cdfilial_nrcolepreco_fkey;
ALTER TABLE HISTCOLETA DROP CONSTRAINT histcoleta_cdfilial_nrcolepreco_fkey;

-- NRSEQHIST: a BIGINT numbered by a sequence the table owns.  Databases whose 0001
-- predates the schema both engines share have it already (BIGSERIAL, same names), and
-- these statements leave it as it is.  The sequence moves past the numbers in use when
-- rows were stored with explicit numbers, never back: numbers of deleted rows are not
-- given out again.
ALTER TABLE HISTITCOLE ALTER COLUMN NRSEQHIST TYPE BIGINT;
CREATE SEQUENCE IF NOT EXISTS histitcole_nrseqhist_seq OWNED BY HISTITCOLE.NRSEQHIST;
ALTER TABLE HISTITCOLE ALTER COLUMN NRSEQHIST SET DEFAULT nextval('histitcole_nrseqhist_seq');
SELECT setval('histitcole_nrseqhist_seq', MAX(NRSEQHIST))
  FROM HISTITCOLE
HAVING MAX(NRSEQHIST) > (SELECT CASE WHEN is_called THEN last_value ELSE 0 END FROM histitcole_nrseqhist_seq);

ALTER TABLE HISTCOLETA ALTER COLUMN NRSEQHIST TYPE BIGINT;
CREATE SEQUENCE IF NOT EXISTS histcoleta_nrseqhist_seq OWNED BY HISTCOLETA.NRSEQHIST;
ALTER TABLE HISTCOLETA ALTER COLUMN NRSEQHIST SET DEFAULT nextval('histcoleta_nrseqhist_seq');
SELECT setval('histcoleta_nrseqhist_seq', MAX(NRSEQHIST))
  FROM HISTCOLETA
HAVING MAX(NRSEQHIST) > (SELECT CASE WHEN is_called THEN last_value ELSE 0 END FROM histcoleta_nrseqhist_seq);
