-- One history row per item a readjustment changes: the items of the region and supplier
-- with a price above zero, of every product or of the tree-code range, whose price
-- multiplied by the factor and rounded to five decimals differs from the stored one.
-- The rows written are those HistoryApply then stores in the items.
INSERT INTO HISTITCOLE (CDFILIAL, NRCOLEPRECO, CDREGIAO, CDFORNECED, CDPRODUTO, CDMARCA, CDOPERADOR, DTHRALTER,
                        IDTIPALTER, VRPRECANT, VRPRECNOVO, CDMARCAANT, CDMARCANOVA, DSJUSTOPER, DSALTERITMCOT,
                        DSABRANGENCIA)
SELECT I.CDFILIAL, I.NRCOLEPRECO, I.CDREGIAO, I.CDFORNECED, I.CDPRODUTO, I.CDMARCA, :P_CDOPERADOR, :P_DTHRALTER,
       'R', I.VRPRECUNIITM, ROUND(I.VRPRECUNIITM * :P_FATOR, 5), I.CDMARCA, I.CDMARCA, :P_DSJUSTOPER,
       SUBSTR(:P_TEXTO || REPLACE(printf('%.5f', I.VRPRECUNIITM), '.', ',') || ' / '
              || REPLACE(printf('%.5f', ROUND(I.VRPRECUNIITM * :P_FATOR, 5)), '.', ','), 1, 500),
       :P_DSABRANGENCIA
  FROM ITCOLETAPR I
 WHERE I.CDFILIAL = :P_CDFILIAL
   AND I.NRCOLEPRECO = :P_NRCOLEPRECO
   AND I.CDREGIAO = :P_CDREGIAO
   AND I.CDFORNECED = :P_CDFORNECED
   AND I.VRPRECUNIITM > 0
   AND ROUND(I.VRPRECUNIITM * :P_FATOR, 5) <> I.VRPRECUNIITM
   AND (:P_TODOS = 'T'
        OR I.CDPRODUTO IN (SELECT P.CDPRODUTO FROM PRODUTO P
                            WHERE P.CDARVPROD >= :P_CDPRODINI AND P.CDARVPROD <= :P_CDPRODFIN))
