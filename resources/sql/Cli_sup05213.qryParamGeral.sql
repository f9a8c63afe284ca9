# The general parameters: IDSISDOS '3' makes the copy by validity take a buyer list.
[default]
SELECT IDSISDOS FROM PARAMGERAL
