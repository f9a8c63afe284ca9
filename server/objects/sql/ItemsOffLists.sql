DELETE FROM ITLISTPREC
 WHERE CDFILIAL = :P_CDFILIAL
   AND NRCOLEPRECO = :P_NRCOLEPRECO
   AND (CDREGIAO, CDFORNECED, CDPRODUTO, CDMARCA) IN (
       SELECT json_extract(J.value, '$[0]'), json_extract(J.value, '$[1]'),
              json_extract(J.value, '$[2]'), json_extract(J.value, '$[3]')
         FROM json_each(:P_CHAVES) J)
