-- The suppliers of a list ("_code_code_") with their situation and qualification, whether
-- each takes part in the quotation (any region), takes part in the region asked about and
-- serves it.
SELECT F.CDFORNECED, F.IDSITUCADA, F.CDQUALIF, F.DTVALQUALIF, Q.IDPERCOTCMP, F.IDFORNAUTO,
       CASE WHEN EXISTS (SELECT 1 FROM COLEFORN CF
                          WHERE CF.CDFILIAL = :P_CDFILIAL
                            AND CF.NRCOLEPRECO = :P_NRCOLEPRECO
                            AND CF.CDFORNECED = F.CDFORNECED) THEN 'S' ELSE 'N' END AS IDNACOTACAO,
       CASE WHEN EXISTS (SELECT 1 FROM COLEFORN CF
                          WHERE CF.CDFILIAL = :P_CDFILIAL
                            AND CF.NRCOLEPRECO = :P_NRCOLEPRECO
                            AND CF.CDREGIAO = :P_CDREGIAO
                            AND CF.CDFORNECED = F.CDFORNECED) THEN 'S' ELSE 'N' END AS IDNAREGIAO,
       CASE WHEN EXISTS (SELECT 1 FROM REGIFORN RF
                          WHERE RF.CDFORNECED = F.CDFORNECED
                            AND RF.CDREGIAO = :P_CDREGIAO) THEN 'S' ELSE 'N' END AS IDATENDE
  FROM FORNECEDOR F
  LEFT JOIN QUALIFICACAO Q ON Q.CDQUALIF = F.CDQUALIF
 WHERE INSTR(:P_LISTAFORN, '_' || F.CDFORNECED || '_') > 0
 ORDER BY F.CDFORNECED
