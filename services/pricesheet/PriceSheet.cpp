#include "PriceSheet.h"

#include <QRegularExpression>

#include <cmath>

namespace {

constexpr QChar kSeparator = QLatin1Char('|');
const QString kKeyMark = QStringLiteral("SUPPS1");  // format of the key text

} // namespace

QString PriceSheetKey::stampOf(double price, const QDateTime &lastChange)
{
    return QString::number(price, 'f', 5) + QLatin1Char('@')
           + (lastChange.isValid() ? lastChange.toString(QStringLiteral("yyyyMMddHHmmsszzz")) : QString());
}

QString PriceSheetKey::text() const
{
    return QStringList{kKeyMark, branch.trimmed(), number.trimmed(), region.trimmed(), supplier.trimmed(),
                       product.trimmed(), brand.trimmed(), stamp}
        .join(kSeparator);
}

std::optional<PriceSheetKey> PriceSheetKey::parse(const QString &text)
{
    const QStringList parts = text.trimmed().split(kSeparator);
    if (parts.size() != 8 || parts.at(0) != kKeyMark)
        return std::nullopt;
    for (int i = 1; i < 7; ++i) {
        if (parts.at(i).isEmpty())
            return std::nullopt;
    }
    return PriceSheetKey{parts.at(1), parts.at(2), parts.at(3), parts.at(4), parts.at(5), parts.at(6), parts.at(7)};
}

QString PriceSheetKey::itemText() const
{
    return QStringList{branch.trimmed(), number.trimmed(), region.trimmed(), supplier.trimmed(), product.trimmed(),
                       brand.trimmed()}
        .join(kSeparator);
}

QString PriceSheet::fileName(const QString &suffix) const
{
    static const QRegularExpression unsafe(QStringLiteral("[^A-Za-z0-9_-]+"));
    // Accents dropped ("Armazém" -> "Armazem"), anything else unsafe becomes "_".
    QString name;
    for (const QChar c : supplierName.trimmed().normalized(QString::NormalizationForm_D)) {
        if (c.category() != QChar::Mark_NonSpacing)
            name += c;
    }
    name.replace(unsafe, QStringLiteral("_"));
    name = name.left(40);
    while (name.endsWith(QLatin1Char('_')))
        name.chop(1);
    // Supplier codes are stored zero-padded to a fixed width: the zeros say nothing.
    QString code = supplier.trimmed();
    while (code.size() > 1 && code.startsWith(QLatin1Char('0')))
        code.remove(0, 1);
    code.replace(unsafe, QStringLiteral("_"));
    return QStringLiteral("Cotacao_%1_Forn_%2%3.%4")
        .arg(number.trimmed(), code, name.isEmpty() ? QString() : QLatin1Char('_') + name, suffix);
}

std::optional<double> parsePriceText(const QString &text)
{
    QString t = text.trimmed();
    t.remove(QChar(0x00a0));
    t.remove(QLatin1Char(' '));
    if (t.startsWith(QLatin1String("R$")))
        t = t.mid(2);
    if (t.isEmpty())
        return std::nullopt;
    if (t.contains(QLatin1Char(','))) {
        // Decimal comma: dots are thousands separators.
        if (t.count(QLatin1Char(',')) > 1)
            return std::nullopt;
        t.remove(QLatin1Char('.'));
        t.replace(QLatin1Char(','), QLatin1Char('.'));
    } else if (t.count(QLatin1Char('.')) > 1) {
        return std::nullopt;
    }
    static const QRegularExpression number(QStringLiteral("^[+-]?([0-9]+([.][0-9]*)?|[.][0-9]+)$"));
    if (!number.match(t).hasMatch())
        return std::nullopt;
    bool ok = false;
    const double value = t.toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}
