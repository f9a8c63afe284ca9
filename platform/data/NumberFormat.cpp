#include "NumberFormat.h"

#include <QChar>
#include <QRegularExpression>

#include <cmath>
#include <cstdio>

namespace {

const QChar kDecimal = u',';
const QChar kThousands = u'.';

// The numeric part of a mask and the literal text around it.
struct Mask
{
    QString prefix;
    QString suffix;
    int minIntDigits = 0;
    int minDecimals = 0;
    int maxDecimals = 0;
    bool grouping = false;
    bool valid = false;
};

Mask parseMask(const QString &mask)
{
    Mask m;
    auto isNumeric = [](QChar c) { return c == u'#' || c == u'0' || c == u',' || c == u'.'; };
    qsizetype start = 0;
    while (start < mask.size() && !isNumeric(mask.at(start)))
        ++start;
    if (start == mask.size())
        return m;
    qsizetype end = start;
    while (end < mask.size() && isNumeric(mask.at(end)))
        ++end;
    m.prefix = mask.left(start);
    m.suffix = mask.mid(end);
    bool inDecimals = false;
    for (qsizetype i = start; i < end; ++i) {
        const QChar c = mask.at(i);
        if (c == u'.') {
            inDecimals = true;
        } else if (c == u',') {
            if (!inDecimals)
                m.grouping = true;
        } else if (inDecimals) {
            ++m.maxDecimals;
            if (c == u'0')
                m.minDecimals = m.maxDecimals;
        } else if (c == u'0') {
            ++m.minIntDigits;
        }
    }
    m.valid = true;
    return m;
}

// The decimal digits of |value| rounded half away from zero to `decimals` places: the
// integer digits and the fraction digits.  The value is first read at 15 significant
// digits, so binary noise (1.005 stored as 1.00499999...) does not decide the rounding.
void roundedDigits(double value, int decimals, QString *intDigits, QString *fracDigits)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.14e", std::fabs(value));
    // buf: d.dddddddddddddde[+-]XX
    QByteArray mantissa;
    const char *p = buf;
    for (; *p && *p != 'e'; ++p) {
        if (*p >= '0' && *p <= '9')
            mantissa.append(*p);
    }
    const int exponent = *p == 'e' ? std::atoi(p + 1) : 0;
    // digits[k] has the weight 10^(exponent - k)
    const int intCount = exponent + 1; // number of digits before the decimal point
    // Build an explicit digit string with the point after intCount digits.
    QByteArray digits;
    int pointPos = intCount;
    if (intCount <= 0) {
        digits = QByteArray(1 - intCount, '0') + mantissa; // leading zeros; one integer '0'
        pointPos = 1;
    } else {
        digits = mantissa;
        if (digits.size() < intCount)
            digits.append(QByteArray(intCount - digits.size(), '0'));
    }
    const int keep = pointPos + decimals;
    if (digits.size() > keep) {
        const bool roundUp = digits.at(keep) >= '5';
        digits.truncate(keep);
        if (roundUp) {
            int i = keep - 1;
            for (; i >= 0; --i) {
                if (digits[i] == '9') {
                    digits[i] = '0';
                } else {
                    digits[i] = char(digits[i] + 1);
                    break;
                }
            }
            if (i < 0) {
                digits.prepend('1');
                ++pointPos;
            }
        }
    } else {
        digits.append(QByteArray(keep - digits.size(), '0'));
    }
    QString ints = QString::fromLatin1(digits.left(pointPos));
    while (ints.size() > 1 && ints.at(0) == u'0')
        ints.remove(0, 1);
    *intDigits = ints;
    *fracDigits = QString::fromLatin1(digits.mid(pointPos));
}

QString groupThousands(const QString &digits)
{
    QString out;
    out.reserve(digits.size() + digits.size() / 3);
    const qsizetype n = digits.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0)
            out.append(kThousands);
        out.append(digits.at(i));
    }
    return out;
}

// A plain number without a mask: up to 15 significant digits, decimal comma, no grouping.
QString plainNumber(double value)
{
    if (value == 0)
        return QStringLiteral("0");
    QString text = QString::number(value, 'g', 15);
    if (text.contains(u'e'))
        text = QString::number(value, 'f', 6);
    if (text.contains(u'.')) {
        while (text.endsWith(u'0'))
            text.chop(1);
        if (text.endsWith(u'.'))
            text.chop(1);
    }
    text.replace(u'.', kDecimal);
    return text;
}

} // namespace

namespace NumberFormat {

QString format(double value, const QString &mask)
{
    if (std::isnan(value) || std::isinf(value))
        return QString();
    const Mask m = parseMask(mask);
    if (!m.valid)
        return mask.isEmpty() ? plainNumber(value) : mask;

    QString ints, fracs;
    roundedDigits(value, m.maxDecimals, &ints, &fracs);
    while (fracs.size() > m.minDecimals && fracs.endsWith(u'0'))
        fracs.chop(1);
    const bool allZero = !ints.contains(QRegularExpression(QStringLiteral("[1-9]")))
            && !fracs.contains(QRegularExpression(QStringLiteral("[1-9]")));
    if (ints == QLatin1String("0") && m.minIntDigits == 0)
        ints.clear();
    while (ints.size() < m.minIntDigits)
        ints.prepend(u'0');
    if (m.grouping)
        ints = groupThousands(ints);

    QString out;
    if (value < 0 && !allZero)
        out.append(u'-');
    out.append(m.prefix);
    out.append(ints);
    if (!fracs.isEmpty()) {
        out.append(kDecimal);
        out.append(fracs);
    }
    if (ints.isEmpty() && fracs.isEmpty())
        out.append(u'0');
    out.append(m.suffix);
    return out;
}

bool parse(const QString &text, double *value)
{
    *value = 0;
    QString t;
    t.reserve(text.size());
    for (QChar c : text) {
        if (c.isDigit() || c == u',' || c == u'.' || c == u'-' || c == u'+')
            t.append(c);
        else if (c.isSpace() || c == u'%' || c == u'$' || c == u'R')
            continue; // literal text of the masks and currency marks
        else
            return false;
    }
    if (t.isEmpty())
        return false;
    bool negative = false;
    if (t.startsWith(u'-') || t.startsWith(u'+')) {
        negative = t.at(0) == u'-';
        t.remove(0, 1);
    }
    if (t.isEmpty() || t.contains(u'-') || t.contains(u'+'))
        return false;

    QString intPart, fracPart;
    const qsizetype comma = t.indexOf(u',');
    if (comma >= 0) {
        if (t.indexOf(u',', comma + 1) >= 0)
            return false;
        intPart = t.left(comma);
        fracPart = t.mid(comma + 1);
        if (fracPart.contains(u'.'))
            return false;
    } else {
        intPart = t;
    }
    if (intPart.contains(u'.')) {
        // Dots are thousands separators when they form groups of three ("1.234.567");
        // a single dot otherwise (typed "1.5" without a comma) is read as the decimal point.
        static const QRegularExpression grouped(QStringLiteral("^\\d{1,3}(\\.\\d{3})+$"));
        if (grouped.match(intPart).hasMatch()) {
            intPart.remove(u'.');
        } else if (comma < 0 && intPart.count(u'.') == 1) {
            const qsizetype dot = intPart.indexOf(u'.');
            fracPart = intPart.mid(dot + 1);
            intPart = intPart.left(dot);
        } else {
            return false;
        }
    }
    if (intPart.isEmpty() && fracPart.isEmpty())
        return false;
    bool ok = false;
    const double v = QString(QStringLiteral("%1.%2"))
                             .arg(intPart.isEmpty() ? QStringLiteral("0") : intPart,
                                  fracPart.isEmpty() ? QStringLiteral("0") : fracPart)
                             .toDouble(&ok);
    if (!ok)
        return false;
    *value = negative ? -v : v;
    return true;
}

QString formatDate(const QDate &date)
{
    return date.isValid() ? date.toString(QStringLiteral("dd/MM/yyyy")) : QString();
}

QString formatDateTime(const QDateTime &dt)
{
    return dt.isValid() ? dt.toString(QStringLiteral("dd/MM/yyyy HH:mm:ss")) : QString();
}

QDate parseDate(const QString &text)
{
    const QString t = text.trimmed();
    static const QRegularExpression slashed(QStringLiteral("^(\\d{1,2})/(\\d{1,2})/(\\d{2}|\\d{4})$"));
    const QRegularExpressionMatch m = slashed.match(t);
    if (m.hasMatch()) {
        int year = m.captured(3).toInt();
        if (m.captured(3).size() == 2)
            year += year < 50 ? 2000 : 1900;
        return QDate(year, m.captured(2).toInt(), m.captured(1).toInt());
    }
    if (t.size() == 8 && t.at(0).isDigit()) {
        const QDate d = QDate::fromString(t, QStringLiteral("ddMMyyyy"));
        if (d.isValid())
            return d;
    }
    return QDate::fromString(t, Qt::ISODate);
}

} // namespace NumberFormat
