-- The quotation a maintenance call changes; the write lock of the transaction already
-- keeps other writers out on this engine.
SELECT 1
  FROM COLETAPR
 WHERE CDFILIAL = :P_CDFILIAL
   AND NRCOLEPRECO = :P_NRCOLEPRECO
