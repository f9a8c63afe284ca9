-- How many suppliers of a list serve a region.
SELECT COUNT(*)
  FROM REGIFORN
 WHERE CDREGIAO = :P_CDREGIAO
   AND INSTR(:P_LISTAFORN, '_' || CDFORNECED || '_') > 0
