# Every product and product group, in tree order (the product searches).
[default]
SELECT CDPRODUTO, CDARVPROD, NMPRODUTO, CDNVPRODUTO
  FROM PRODUTO
 ORDER BY CDARVPROD
