#include "CsvWriter.h"

#include <cmath>

namespace {

bool startsLikeFormula(QStringView text)
{
    if (text.isEmpty())
        return false;
    const QChar first = text.at(0);
    return first == u'=' || first == u'+' || first == u'-' || first == u'@' || first == u'\t' || first == u'\r';
}

} // namespace

QString CsvWriter::field(const QString &text)
{
    return quoted(startsLikeFormula(text) ? u'\'' + text : text);
}

QString CsvWriter::unguarded(const QString &text)
{
    return text.startsWith(u'\'') && startsLikeFormula(QStringView(text).mid(1)) ? text.mid(1) : text;
}

QString CsvWriter::quoted(const QString &text)
{
    QString value = text;
    const bool quote = value.contains(u';') || value.contains(u'"') || value.contains(u'\n') || value.contains(u'\r')
                       || (!value.isEmpty() && (value.front().isSpace() || value.back().isSpace()));
    if (!quote)
        return value;
    value.replace(QStringLiteral("\""), QStringLiteral("\"\""));
    return u'"' + value + u'"';
}

QString CsvWriter::number(double value, int decimals)
{
    if (!std::isfinite(value))
        return QString();
    QString text = QString::number(value, 'f', decimals);
    // "-0,00" is zero.
    if (text.startsWith(u'-') && text.mid(1).count(u'0') + text.mid(1).count(u'.') == text.size() - 1)
        text.remove(0, 1);
    return text.replace(u'.', u',');
}

QString CsvWriter::date(const QDate &date)
{
    return date.isValid() ? date.toString(QStringLiteral("dd/MM/yyyy")) : QString();
}

QString CsvWriter::line(const QStringList &fields)
{
    return fields.join(u';') + QStringLiteral("\r\n");
}
