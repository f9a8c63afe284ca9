# Every product and product group by its tree code (the readjustment's product searches).
[default]
SELECT CDARVPROD, NMPRODUTO
  FROM PRODUTO
 ORDER BY CDARVPROD
