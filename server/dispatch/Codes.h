#pragma once

#include <QString>

// Codes (operator, branch, product ...) are stored at a fixed width.  padCode gives the
// stored form of a code typed or sent by a client: trimmed, then left-padded with zeros
// when it is all digits, else right-padded with spaces, to width characters.  A code
// longer than width is returned trimmed and unchanged.  Every server comparison of
// codes goes through it ("comprador1" -> "comprador1  ", "12" -> "0012" at width 4).
QString padCode(const QString &code, int width);

// The stored width of an operator code (CDOPERADOR).
inline constexpr int kOperatorCodeWidth = 12;

inline QString padOperator(const QString &code) { return padCode(code, kOperatorCodeWidth); }
