-- The zero-priced items stay as they are until the call ends, so the history written is
-- that of the items deleted.
SELECT 1
  FROM ITCOLETAPR
 WHERE CDFILIAL = :P_CDFILIAL
   AND NRCOLEPRECO = :P_NRCOLEPRECO
   AND VRPRECUNIITM <= 0
   FOR UPDATE
