#pragma once

class QSqlDatabase;

// Registers on an open QSQLITE connection the functions the default query texts call:
//   NVLSTR(a, b)      a, or b when a is null or blank
//   NVL(a, b)         a, or b when a is null
//   LAST_DAY(d)       the last day of the month of a date text "YYYY-MM-DD[...]"; the
//                     rest of the text (a time) is kept; null for anything else
//   RPAD(s, n[, p])   s padded on the right with p (a blank by default) to n characters,
//                     or cut to n characters
//   PARAM(v)          a table of one row whose column PARAM holds v unchanged: it lets a
//                     text join a parameter as a table ("PARAM(:P_X) P_X ... P_X.PARAM");
//                     a selection list stays one text, tested with INSTR(P_X.PARAM, CODE)
// INSTR is SQLite's own.  Returns false when the connection is not an open SQLite one.
bool registerSqliteFunctions(QSqlDatabase &db);
