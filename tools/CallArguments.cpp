#include "CallArguments.h"

#include "CborCodec.h"
#include "DataPacket.h"

#include <QDate>
#include <QDateTime>
#include <QRegularExpression>

namespace {

const QRegularExpression kDate(QStringLiteral("^\\d{4}-\\d{2}-\\d{2}$"));
const QRegularExpression kDateTime(QStringLiteral("^\\d{4}-\\d{2}-\\d{2}T\\d{2}:\\d{2}(:\\d{2}(\\.\\d{1,3})?)?$"));

bool parseDate(const QString &text, QVariant *out)
{
    const QDate date = QDate::fromString(text, Qt::ISODate);
    if (!kDate.match(text).hasMatch() || !date.isValid())
        return false;
    *out = date;
    return true;
}

bool parseDateTime(const QString &text, QVariant *out)
{
    // Business date-times carry no zone: the fields are taken as written.
    QDateTime dt = QDateTime::fromString(text, Qt::ISODateWithMs);
    if (!kDateTime.match(text).hasMatch() || !dt.isValid())
        return false;
    *out = QDateTime(dt.date(), dt.time(), Qt::UTC);
    return true;
}

QString cellText(const QVariant &value)
{
    if (!value.isValid() || value.isNull())
        return QString();
    switch (value.typeId()) {
    case QMetaType::QDate: return value.toDate().toString(Qt::ISODate);
    case QMetaType::QDateTime: return value.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    case QMetaType::Bool: return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    case QMetaType::Double: return QString::number(value.toDouble(), 'g', 15);
    default: return value.toString().replace(QLatin1Char('\n'), QLatin1String("\\n"));
    }
}

QString changeName(RowChange kind)
{
    switch (kind) {
    case RowChange::Insert: return QStringLiteral("insert");
    case RowChange::Modify: return QStringLiteral("modify");
    case RowChange::Delete: return QStringLiteral("delete");
    }
    return QString();
}

} // namespace

bool CallArguments::parse(const QString &input, CallArgument *argument, QString *error)
{
    QString text = input;
    argument->byRef = false;
    if (text.startsWith(QLatin1String("ref:"))) {
        argument->byRef = true;
        text = text.mid(4);
    }
    const QString body = text.mid(2);
    auto bad = [&](const QString &what) {
        *error = QStringLiteral("\"%1\": %2").arg(input, what);
        return false;
    };
    if (text.startsWith(QLatin1String("s:"))) {
        argument->value = body;
    } else if (text.startsWith(QLatin1String("i:"))) {
        bool ok = false;
        const qlonglong n = body.toLongLong(&ok);
        if (!ok)
            return bad(QStringLiteral("not an integer"));
        argument->value = n;
    } else if (text.startsWith(QLatin1String("f:"))) {
        bool ok = false;
        const double x = body.toDouble(&ok);
        if (!ok)
            return bad(QStringLiteral("not a number"));
        argument->value = x;
    } else if (text.startsWith(QLatin1String("b:"))) {
        if (body == QLatin1String("true") || body == QLatin1String("1"))
            argument->value = true;
        else if (body == QLatin1String("false") || body == QLatin1String("0"))
            argument->value = false;
        else
            return bad(QStringLiteral("expected true or false"));
    } else if (text.startsWith(QLatin1String("d:"))) {
        if (!parseDate(body, &argument->value))
            return bad(QStringLiteral("expected a date YYYY-MM-DD"));
    } else if (text.startsWith(QLatin1String("t:"))) {
        if (!parseDateTime(body, &argument->value))
            return bad(QStringLiteral("expected a date-time YYYY-MM-DDTHH:MM:SS"));
    } else if (text == QLatin1String("null")) {
        argument->value = QVariant();
    } else if (text == QLatin1String("true") || text == QLatin1String("false")) {
        argument->value = text == QLatin1String("true");
    } else if (parseDate(text, &argument->value) || parseDateTime(text, &argument->value)) {
        // typed by its look
    } else {
        argument->value = text;
    }
    return true;
}

QString CallArguments::formatValue(const QVariant &value)
{
    if (!value.isValid() || value.isNull())
        return QStringLiteral("null");
    if (isPacket(value)) {
        const DataPacket p = value.value<DataPacket>();
        return QStringLiteral("packet (%1 fields, %2 %3)")
            .arg(p.fields().size())
            .arg(p.isDelta() ? p.changes().size() : p.rows().size())
            .arg(p.isDelta() ? QStringLiteral("changes") : QStringLiteral("rows"));
    }
    switch (value.typeId()) {
    case QMetaType::QString:
        return QLatin1Char('"') + value.toString() + QLatin1Char('"');
    case QMetaType::QDate:
        return QStringLiteral("date ") + cellText(value);
    case QMetaType::QDateTime:
        return QStringLiteral("date-time ") + cellText(value);
    case QMetaType::QVariantList: {
        QStringList items;
        for (const QVariant &item : value.toList())
            items << formatValue(item);
        return QLatin1Char('[') + items.join(QStringLiteral(", ")) + QLatin1Char(']');
    }
    case QMetaType::QVariantMap: {
        QStringList items;
        const QVariantMap map = value.toMap();
        for (auto it = map.constBegin(); it != map.constEnd(); ++it)
            items << it.key() + QStringLiteral(": ") + formatValue(it.value());
        return QLatin1Char('{') + items.join(QStringLiteral(", ")) + QLatin1Char('}');
    }
    default:
        return cellText(value);
    }
}

QStringList CallArguments::formatPacket(const QVariant &value)
{
    const DataPacket packet = value.value<DataPacket>();
    QList<QStringList> table;
    QStringList header;
    if (packet.isDelta())
        header << QStringLiteral("(change)");
    for (const FieldDef &field : packet.fields())
        header << field.name;
    table << header;
    auto addRow = [&](const QString &kind, const QVariantList &row) {
        QStringList cells;
        if (packet.isDelta())
            cells << kind;
        for (int i = 0; i < packet.fields().size(); ++i)
            cells << (i < row.size() ? cellText(row.at(i)) : QString());
        table << cells;
    };
    if (packet.isDelta()) {
        for (const DeltaRow &change : packet.changes()) {
            if (!change.oldValues.isEmpty())
                addRow(changeName(change.kind) + (change.kind == RowChange::Modify ? QStringLiteral(" old") : QString()),
                       change.oldValues);
            if (!change.newValues.isEmpty())
                addRow(changeName(change.kind) + (change.kind == RowChange::Modify ? QStringLiteral(" new") : QString()),
                       change.newValues);
        }
    } else {
        for (const QVariantList &row : packet.rows())
            addRow(QString(), row);
    }

    QList<int> widths(header.size(), 0);
    for (const QStringList &cells : table)
        for (int i = 0; i < cells.size(); ++i)
            widths[i] = qMax(widths[i], int(cells.at(i).size()));
    QStringList lines;
    for (int r = 0; r < table.size(); ++r) {
        QStringList padded;
        for (int i = 0; i < table.at(r).size(); ++i)
            padded << table.at(r).at(i).leftJustified(widths.at(i));
        QString line = padded.join(QStringLiteral("  "));
        while (line.endsWith(QLatin1Char(' ')))
            line.chop(1);
        lines << line;
        if (r == 0) {
            QStringList rules;
            for (int w : widths)
                rules << QString(w, QLatin1Char('-'));
            lines << rules.join(QStringLiteral("  "));
        }
    }
    const int count = packet.isDelta() ? int(packet.changes().size()) : int(packet.rows().size());
    const QString noun = packet.isDelta() ? (count == 1 ? QStringLiteral("change") : QStringLiteral("changes"))
                                          : (count == 1 ? QStringLiteral("row") : QStringLiteral("rows"));
    lines << QStringLiteral("(%1 %2)").arg(count).arg(noun);
    return lines;
}
