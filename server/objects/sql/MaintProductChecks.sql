-- For the suppliers of a list and the products the quotation holds in the regions of a
-- list: how many supplier-product pairs there are, how many are registered (PRODFORN) and
-- how many of those are qualified at the limit date (validity not before it).
SELECT COUNT(*),
       COUNT(PF.CDPRODUTO),
       COALESCE(SUM(CASE WHEN PF.IDQUALPRODFORN = 'S' AND PF.DTVALQUALPF >= :P_DTLIMITE THEN 1 ELSE 0 END), 0)
  FROM (SELECT DISTINCT CDPRODUTO
          FROM ITCOLETAPR
         WHERE CDFILIAL = :P_CDFILIAL
           AND NRCOLEPRECO = :P_NRCOLEPRECO
           AND INSTR(:P_LISTAREGIAO, '_' || CDREGIAO || '_') > 0) D
 CROSS JOIN FORNECEDOR F
  LEFT JOIN PRODFORN PF ON PF.CDFORNECED = F.CDFORNECED AND PF.CDPRODUTO = D.CDPRODUTO
 WHERE INSTR(:P_LISTAFORN, '_' || F.CDFORNECED || '_') > 0
