-- The quotation a maintenance call changes, locked until the call ends: two calls on one
-- quotation run one after the other, so that the checks of one (the last supplier of a
-- region, the last region) still hold when it writes.
SELECT 1
  FROM COLETAPR
 WHERE CDFILIAL = :P_CDFILIAL
   AND NRCOLEPRECO = :P_NRCOLEPRECO
   FOR UPDATE
