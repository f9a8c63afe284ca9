INSERT INTO ITCOLETAPR (CDFILIAL, NRCOLEPRECO, CDREGIAO, CDFORNECED, CDPRODUTO, CDMARCA, VRPRECUNIITM, IDPRECALT,
                        IDITMCOTPREC, DSJUSTOPER, DSALTERITMCOT, CDOPERALTE, DTHRALTE)
SELECT :P_CDFILIAL, :P_NRCOLEPRECO,
       json_extract(J.value, '$[0]'), json_extract(J.value, '$[1]'), json_extract(J.value, '$[2]'),
       json_extract(J.value, '$[3]'), json_extract(J.value, '$[4]'), json_extract(J.value, '$[5]'),
       json_extract(J.value, '$[6]'), json_extract(J.value, '$[7]'), json_extract(J.value, '$[8]'),
       :P_CDOPERADOR, :P_DTHRALTE
  FROM json_each(:P_ITENS) J
 ORDER BY J.key
