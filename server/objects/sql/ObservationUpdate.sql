-- Written only where the observation is still the one the client read (null and empty
-- count as the same): a change by another user in between leaves the row alone.
UPDATE ITCOLETAPR
   SET DSOBSITMCOL = :P_DSOBSITMCOL, CDOPERALTE = :P_CDOPERADOR, DTHRALTE = :P_DTHRALTE
 WHERE CDFILIAL = :P_CDFILIAL
   AND NRCOLEPRECO = :P_NRCOLEPRECO
   AND CDREGIAO = :P_CDREGIAO
   AND CDFORNECED = :P_CDFORNECED
   AND CDPRODUTO = :P_CDPRODUTO
   AND CDMARCA = :P_CDMARCA
   AND COALESCE(DSOBSITMCOL, '') = COALESCE(:P_DSOBSANT, '')
