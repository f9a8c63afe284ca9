INSERT INTO HISTITCOLE (CDFILIAL, NRCOLEPRECO, CDREGIAO, CDFORNECED, CDPRODUTO, CDMARCA, CDOPERADOR, DTHRALTER,
                        IDTIPALTER, VRPRECANT, VRPRECNOVO, CDMARCAANT, CDMARCANOVA, DSJUSTOPER, DSALTERITMCOT,
                        DSABRANGENCIA)
SELECT :P_CDFILIAL, :P_NRCOLEPRECO,
       json_extract(J.value, '$[0]'), json_extract(J.value, '$[1]'), json_extract(J.value, '$[2]'),
       json_extract(J.value, '$[3]'), :P_CDOPERADOR, :P_DTHRALTER, json_extract(J.value, '$[4]'),
       json_extract(J.value, '$[5]'), json_extract(J.value, '$[6]'), json_extract(J.value, '$[7]'),
       json_extract(J.value, '$[8]'), json_extract(J.value, '$[9]'), json_extract(J.value, '$[10]'),
       :P_DSABRANGENCIA
  FROM json_each(:P_HIST) J
 ORDER BY J.key
