-- The suppliers of the scope of a removal leave the regions of its scope.
DELETE FROM COLEFORN
 WHERE CDFILIAL = :P_CDFILIAL
   AND NRCOLEPRECO = :P_NRCOLEPRECO
   AND (:P_TREGIAO = 'T' OR CDREGIAO = :P_CDREGIAO)
   AND (:P_TFORN = 'T' OR CDFORNECED = :P_CDFORNECED)
