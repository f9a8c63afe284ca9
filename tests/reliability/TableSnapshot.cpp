#include "TableSnapshot.h"

#include "Database.h"

#include <QSet>
#include <QSqlQuery>
#include <QSqlRecord>

namespace {

// Columns that differ between two complete runs of the same write.
const QSet<QString> &volatileColumns()
{
    static const QSet<QString> columns = {QStringLiteral("NRSEQHIST"), QStringLiteral("DTHRINCL"),
                                          QStringLiteral("DTHRALTE"), QStringLiteral("DTHRALTER")};
    return columns;
}

} // namespace

const QStringList &TableSnapshot::tables()
{
    static const QStringList names = {QStringLiteral("COLETAPR"),   QStringLiteral("COLEREGI"),
                                      QStringLiteral("COLEFORN"),   QStringLiteral("ITCOLETAPR"),
                                      QStringLiteral("HISTITCOLE"), QStringLiteral("HISTCOLETA")};
    return names;
}

TableSnapshot TableSnapshot::read(Database &db, const QString &highestNumberBefore)
{
    TableSnapshot snapshot;
    for (const QString &table : tables()) {
        QSqlQuery q = db.exec(QStringLiteral("SELECT * FROM ") + table);
        const QSqlRecord record = q.record();
        QList<int> kept;
        QSet<int> numberColumns;
        for (int i = 0; i < record.count(); ++i) {
            const QString name = record.fieldName(i).toUpper();
            if (volatileColumns().contains(name))
                continue;
            // A quotation's number, or the audit trail's record of a copy's number.
            if (name == QLatin1String("NRCOLEPRECO") || name == QLatin1String("DSVALORNOVO"))
                numberColumns.insert(i);
            kept << i;
        }
        const QByteArray prefix = table.toLatin1() + '|';
        while (q.next()) {
            QByteArray row = prefix;
            for (int i : std::as_const(kept)) {
                QString value = q.value(i).toString();
                if (numberColumns.contains(i) && value.size() == highestNumberBefore.size() && value > highestNumberBefore)
                    value = QStringLiteral("new");
                row += value.toUtf8();
                row += '|';
            }
            ++snapshot.m_rows[row];
            ++snapshot.m_total;
        }
    }
    return snapshot;
}

TableSnapshot::Difference TableSnapshot::since(const TableSnapshot &before) const
{
    Difference out;
    for (auto it = m_rows.cbegin(); it != m_rows.cend(); ++it) {
        const int change = it.value() - before.m_rows.value(it.key());
        if (change != 0)
            out.insert(it.key(), change);
    }
    for (auto it = before.m_rows.cbegin(); it != before.m_rows.cend(); ++it) {
        if (!m_rows.contains(it.key()))
            out.insert(it.key(), -it.value());
    }
    return out;
}

TableSnapshot::Difference TableSnapshot::subtract(const Difference &a, const Difference &b)
{
    Difference out;
    for (auto it = a.cbegin(); it != a.cend(); ++it) {
        const int left = it.value() - b.value(it.key());
        if (left != 0)
            out.insert(it.key(), left);
    }
    for (auto it = b.cbegin(); it != b.cend(); ++it) {
        if (!a.contains(it.key()))
            out.insert(it.key(), -it.value());
    }
    return out;
}

QString TableSnapshot::describe(const Difference &difference, int rows)
{
    QStringList lines;
    lines << QStringLiteral("%1 rows differ").arg(difference.size());
    for (auto it = difference.cbegin(); it != difference.cend() && lines.size() <= rows; ++it)
        lines << QStringLiteral("%1%2 x %3").arg(it.value() > 0 ? QStringLiteral("+") : QString()).arg(it.value())
                     .arg(QString::fromUtf8(it.key()));
    return lines.join(QLatin1Char('\n'));
}
