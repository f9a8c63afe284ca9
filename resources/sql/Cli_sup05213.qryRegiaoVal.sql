# Regions of the copy by validity: the one of :P_CDREGIAO, or every region when
# :P_TCDREGIAO is 'T'.
[default]
SELECT CDREGIAO, NMREGIAO
  FROM REGIAO
 WHERE (CDREGIAO = :P_CDREGIAO OR :P_TCDREGIAO = 'T')
 ORDER BY CDREGIAO
