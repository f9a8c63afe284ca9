# The name of an operator (the logged operator's name when the login reply lacks it).
[default]
SELECT OPERADOR.NMOPERADOR FROM OPERADOR WHERE OPERADOR.CDOPERADOR = :P_CDOPERADOR
