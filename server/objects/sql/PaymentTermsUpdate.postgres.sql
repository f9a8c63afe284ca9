-- Payment terms of a quotation's items: each item takes its supplier's current term
-- (none when the supplier has none); only the items whose term changes are written.
UPDATE ITCOLETAPR
   SET CDFORMPGTO = (SELECT F.CDFORMPGTO FROM FORNECEDOR F WHERE F.CDFORNECED = ITCOLETAPR.CDFORNECED),
       CDOPERALTE = :P_CDOPERADOR, DTHRALTE = CAST(:P_DTHRALTE AS TIMESTAMP)
 WHERE CDFILIAL = :P_CDFILIAL
   AND NRCOLEPRECO = :P_NRCOLEPRECO
   AND COALESCE(CDFORMPGTO, '') <> COALESCE((SELECT F.CDFORMPGTO FROM FORNECEDOR F
                                              WHERE F.CDFORNECED = ITCOLETAPR.CDFORNECED), '')
