-- The rows sent are materialized, with the key of the quotation, and drive the update: each
-- is one search of the primary key (left to itself the planner would scan the quotation).
WITH X AS MATERIALIZED (
    SELECT :P_CDFILIAL AS CDFILIAL,
           :P_NRCOLEPRECO AS NRCOLEPRECO,
           json_extract(J.value, '$[0]') AS CDREGIAO,
           json_extract(J.value, '$[1]') AS CDFORNECED,
           json_extract(J.value, '$[2]') AS CDPRODUTO,
           json_extract(J.value, '$[3]') AS CDMARCA,
           json_extract(J.value, '$[4]') AS VRPRECUNIITM,
           json_extract(J.value, '$[5]') AS IDPRECALT,
           json_extract(J.value, '$[6]') AS IDITMCOTPREC,
           json_extract(J.value, '$[7]') AS DSJUSTOPER,
           json_extract(J.value, '$[8]') AS DSALTERITMCOT
      FROM json_each(:P_ITENS) J
)
UPDATE ITCOLETAPR
   SET VRPRECUNIITM = X.VRPRECUNIITM, IDPRECALT = X.IDPRECALT, IDITMCOTPREC = X.IDITMCOTPREC,
       DSJUSTOPER = X.DSJUSTOPER, DSALTERITMCOT = X.DSALTERITMCOT,
       CDOPERALTE = :P_CDOPERADOR, DTHRALTE = :P_DTHRALTE
  FROM X
 WHERE ITCOLETAPR.CDFILIAL = X.CDFILIAL
   AND ITCOLETAPR.NRCOLEPRECO = X.NRCOLEPRECO
   AND ITCOLETAPR.CDREGIAO = X.CDREGIAO
   AND ITCOLETAPR.CDFORNECED = X.CDFORNECED
   AND ITCOLETAPR.CDPRODUTO = X.CDPRODUTO
   AND ITCOLETAPR.CDMARCA = X.CDMARCA
