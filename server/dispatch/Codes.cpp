#include "Codes.h"

QString padCode(const QString &code, int width)
{
    const QString trimmed = code.trimmed();
    if (trimmed.size() >= width)
        return trimmed;
    bool allDigits = !trimmed.isEmpty();
    for (const QChar c : trimmed) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) {
            allDigits = false;
            break;
        }
    }
    return allDigits ? trimmed.rightJustified(width, QLatin1Char('0'))
                     : trimmed.leftJustified(width, QLatin1Char(' '));
}
