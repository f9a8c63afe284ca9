-- Functions the package's default SQL texts call, which PostgreSQL does not have under
-- these names.  Each has concrete argument types: PostgreSQL cannot infer the type of a
-- bound parameter passed to a polymorphic function.

-- NVLSTR(a, b): b when a is null or empty.
CREATE OR REPLACE FUNCTION NVLSTR(a text, b text) RETURNS text AS $$
    SELECT CASE WHEN a IS NULL OR a = '' THEN b ELSE a END
$$ LANGUAGE sql IMMUTABLE;

-- NVL(a, b): b when a is null.
CREATE OR REPLACE FUNCTION NVL(a text, b text) RETURNS text AS $$
    SELECT COALESCE(a, b)
$$ LANGUAGE sql IMMUTABLE;

CREATE OR REPLACE FUNCTION NVL(a double precision, b double precision) RETURNS double precision AS $$
    SELECT COALESCE(a, b)
$$ LANGUAGE sql IMMUTABLE;

CREATE OR REPLACE FUNCTION NVL(a integer, b integer) RETURNS integer AS $$
    SELECT COALESCE(a, b)
$$ LANGUAGE sql IMMUTABLE;

CREATE OR REPLACE FUNCTION NVL(a date, b date) RETURNS date AS $$
    SELECT COALESCE(a, b)
$$ LANGUAGE sql IMMUTABLE;

CREATE OR REPLACE FUNCTION NVL(a timestamp, b timestamp) RETURNS timestamp AS $$
    SELECT COALESCE(a, b)
$$ LANGUAGE sql IMMUTABLE;

-- LAST_DAY(d): the last day of d's month.
CREATE OR REPLACE FUNCTION LAST_DAY(d date) RETURNS date AS $$
    SELECT (date_trunc('month', d) + interval '1 month' - interval '1 day')::date
$$ LANGUAGE sql IMMUTABLE;

-- INSTR(s, sub): position of sub in s, 1-based, 0 when absent.
CREATE OR REPLACE FUNCTION INSTR(s text, sub text) RETURNS integer AS $$
    SELECT strpos(s, sub)
$$ LANGUAGE sql IMMUTABLE;

-- PARAM(value): the package's texts join a parameter as a one-row table and read it
-- as the column PARAM (INSTR(P_X.PARAM, CDFORNECED) > 0 over a whole "_code_" list,
-- CAST(P_DTCOL.PARAM AS TIMESTAMP), RPAD(P_VERIF.PARAM, 60, ' ')).  One row holding
-- the value unchanged, as the embedded engine's PARAM does.
CREATE OR REPLACE FUNCTION PARAM(list text) RETURNS TABLE (PARAM text) AS $$
    SELECT list
$$ LANGUAGE sql IMMUTABLE;
