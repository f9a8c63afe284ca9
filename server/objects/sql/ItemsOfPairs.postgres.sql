-- The rows are locked until the call ends: another session storing the same items waits,
-- then reads what this one stored (its old values no longer match, a conflict).  Taken in
-- key order, as every such call takes them.
WITH PARES AS (
    SELECT X.V ->> 0 AS CDPRODUTO,
           X.V ->> 1 AS CDMARCA
      FROM jsonb_array_elements(CAST(:P_PARES AS jsonb)) AS X(V)
)
SELECT I.CDREGIAO, I.CDFORNECED, I.CDPRODUTO, I.CDMARCA, I.VRPRECUNIITM, I.DSJUSTOPER, I.DSALTERITMCOT,
       I.IDITMCOTPREC, I.IDPRECALT
  FROM PARES P
  JOIN ITCOLETAPR I
    ON I.CDFILIAL = :P_CDFILIAL
   AND I.NRCOLEPRECO = :P_NRCOLEPRECO
   AND I.CDPRODUTO = P.CDPRODUTO
   AND I.CDMARCA = P.CDMARCA
 ORDER BY I.CDREGIAO, I.CDFORNECED, I.CDPRODUTO, I.CDMARCA
   FOR UPDATE OF I
