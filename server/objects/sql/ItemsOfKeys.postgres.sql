-- The rows are locked until the call ends: another session storing the same items waits,
-- then reads what this one stored (its old values no longer match, a conflict).  Taken in
-- key order, as every such call takes them.
WITH CHAVES AS (
    SELECT X.V ->> 0 AS CDREGIAO,
           X.V ->> 1 AS CDFORNECED,
           X.V ->> 2 AS CDPRODUTO,
           X.V ->> 3 AS CDMARCA
      FROM jsonb_array_elements(CAST(:P_CHAVES AS jsonb)) AS X(V)
)
SELECT I.CDREGIAO, I.CDFORNECED, I.CDPRODUTO, I.CDMARCA, I.VRPRECUNIITM, I.DSJUSTOPER, I.DSALTERITMCOT,
       I.IDITMCOTPREC, I.IDPRECALT
  FROM CHAVES C
  JOIN ITCOLETAPR I
    ON I.CDFILIAL = :P_CDFILIAL
   AND I.NRCOLEPRECO = :P_NRCOLEPRECO
   AND I.CDREGIAO = C.CDREGIAO
   AND I.CDFORNECED = C.CDFORNECED
   AND I.CDPRODUTO = C.CDPRODUTO
   AND I.CDMARCA = C.CDMARCA
 ORDER BY I.CDREGIAO, I.CDFORNECED, I.CDPRODUTO, I.CDMARCA
   FOR UPDATE OF I
