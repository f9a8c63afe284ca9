# The standard justifications of a price or brand change, for the justification search.
[default]
SELECT CDJUSTSOL, DSJUSTSOL
  FROM JUSTSOLI
 ORDER BY CDJUSTSOL
