#include "CsvWriter.h"

#include <cmath>

QString CsvWriter::field(const QString &text)
{
    QString value = text;
    if (!value.isEmpty()) {
        const QChar first = value.at(0);
        if (first == u'=' || first == u'+' || first == u'-' || first == u'@' || first == u'\t' || first == u'\r')
            value.prepend(u'\'');
    }
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
