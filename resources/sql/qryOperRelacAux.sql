# The operators related to a buyer and what each may do (IDCOTCMPOPER 'N': may not
# handle the buyer's quotations).
[default]
SELECT CDOPERADOR, IDEXSENHCMPOPER, IDCOTCMPOPER, IDAPURCMPOPER, IDAFCMPOPER
  FROM COMPROPER
 WHERE CDCOMPRADOR = :P_CDCOMPRADOR
