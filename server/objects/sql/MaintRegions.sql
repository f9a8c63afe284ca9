-- The regions of the quotation with, for one supplier, whether it serves the region, whether it
-- takes part in it, and how many suppliers take part in it.
SELECT R.CDREGIAO,
       CASE WHEN EXISTS (SELECT 1 FROM REGIFORN RF
                          WHERE RF.CDFORNECED = :P_CDFORNECED
                            AND RF.CDREGIAO = R.CDREGIAO) THEN 'S' ELSE 'N' END AS IDATENDE,
       CASE WHEN EXISTS (SELECT 1 FROM COLEFORN CF
                          WHERE CF.CDFILIAL = R.CDFILIAL
                            AND CF.NRCOLEPRECO = R.NRCOLEPRECO
                            AND CF.CDREGIAO = R.CDREGIAO
                            AND CF.CDFORNECED = :P_CDFORNECED) THEN 'S' ELSE 'N' END AS IDPARTICIPA,
       (SELECT COUNT(*) FROM COLEFORN CF
         WHERE CF.CDFILIAL = R.CDFILIAL
           AND CF.NRCOLEPRECO = R.NRCOLEPRECO
           AND CF.CDREGIAO = R.CDREGIAO) AS QTFORN
  FROM COLEREGI R
 WHERE R.CDFILIAL = :P_CDFILIAL
   AND R.NRCOLEPRECO = :P_NRCOLEPRECO
 ORDER BY R.CDREGIAO
