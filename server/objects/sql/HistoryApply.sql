-- Stores in the items the new prices of the history rows a call has just written (its
-- rows: numbered after P_NRSEQHIST, of its quotation, operator, moment and kind), with
-- their change text; the price-altered mark where a price above zero was replaced, the
-- priced mark where the new price is above zero, and the justification when one is given.
-- The history rows are reached by their numbers only (the unary plus keeps the planner on
-- the numbers, which lead straight to the rows of the call at the end of the table).
UPDATE ITCOLETAPR
   SET VRPRECUNIITM = H.VRPRECNOVO,
       IDPRECALT = CASE WHEN H.VRPRECANT > 0 THEN 'S' ELSE ITCOLETAPR.IDPRECALT END,
       IDITMCOTPREC = CASE WHEN H.VRPRECNOVO > 0 THEN 'S' ELSE ITCOLETAPR.IDITMCOTPREC END,
       DSJUSTOPER = COALESCE(:P_DSJUSTOPER, ITCOLETAPR.DSJUSTOPER),
       DSALTERITMCOT = H.DSALTERITMCOT,
       CDOPERALTE = H.CDOPERADOR, DTHRALTE = H.DTHRALTER
  FROM HISTITCOLE H
 WHERE H.NRSEQHIST > :P_NRSEQHIST
   AND +H.CDFILIAL = :P_CDFILIAL
   AND +H.NRCOLEPRECO = :P_NRCOLEPRECO
   AND +H.CDOPERADOR = :P_CDOPERADOR
   AND +H.DTHRALTER = :P_DTHRALTER
   AND +H.IDTIPALTER = :P_IDTIPALTER
   AND ITCOLETAPR.CDFILIAL = H.CDFILIAL
   AND ITCOLETAPR.NRCOLEPRECO = H.NRCOLEPRECO
   AND ITCOLETAPR.CDREGIAO = H.CDREGIAO
   AND ITCOLETAPR.CDFORNECED = H.CDFORNECED
   AND ITCOLETAPR.CDPRODUTO = H.CDPRODUTO
   AND ITCOLETAPR.CDMARCA = H.CDMARCA
