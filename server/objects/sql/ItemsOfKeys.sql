-- CROSS JOIN keeps the rows sent as the outer loop: each is one index search.
WITH CHAVES AS (
    SELECT json_extract(J.value, '$[0]') AS CDREGIAO,
           json_extract(J.value, '$[1]') AS CDFORNECED,
           json_extract(J.value, '$[2]') AS CDPRODUTO,
           json_extract(J.value, '$[3]') AS CDMARCA
      FROM json_each(:P_CHAVES) J
)
SELECT I.CDREGIAO, I.CDFORNECED, I.CDPRODUTO, I.CDMARCA, I.VRPRECUNIITM, I.DSJUSTOPER, I.DSALTERITMCOT,
       I.IDITMCOTPREC, I.IDPRECALT
  FROM CHAVES C
  CROSS JOIN ITCOLETAPR I
    ON I.CDFILIAL = :P_CDFILIAL
   AND I.NRCOLEPRECO = :P_NRCOLEPRECO
   AND I.CDREGIAO = C.CDREGIAO
   AND I.CDFORNECED = C.CDFORNECED
   AND I.CDPRODUTO = C.CDPRODUTO
   AND I.CDMARCA = C.CDMARCA
