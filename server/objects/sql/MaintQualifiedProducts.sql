-- The products registered for a supplier and qualified at the limit date.
SELECT CDPRODUTO
  FROM PRODFORN
 WHERE CDFORNECED = :P_CDFORNECED
   AND IDQUALPRODFORN = 'S'
   AND DTVALQUALPF >= :P_DTLIMITE
