#include "SqlTexts.h"

#include "SupResources.h"

#include <QFile>
#include <QRegularExpression>

SqlTexts SqlTexts::fromText(const QString &text)
{
    static const QRegularExpression header(QStringLiteral("^\\s*\\[([A-Za-z_]+)\\]\\s*$"));
    SqlTexts texts;
    QString current = QStringLiteral("default");
    QMap<QString, QStringList> lines;
    for (QString line : text.split(u'\n')) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (line.trimmed().startsWith(u'#'))
            continue;
        const auto m = header.match(line);
        if (m.hasMatch()) {
            current = m.captured(1).toLower();
            continue;
        }
        lines[current] << line;
    }
    for (auto it = lines.cbegin(); it != lines.cend(); ++it) {
        const QString body = it.value().join(u'\n').trimmed();
        if (!body.isEmpty())
            texts.m_sections.insert(it.key(), body);
    }
    return texts;
}

bool SqlTexts::fromResource(const QString &name, SqlTexts *texts)
{
    supInitResources();
    QFile file(QStringLiteral(":/sql/%1.sql").arg(name));
    if (!file.open(QIODevice::ReadOnly)) {
        *texts = SqlTexts();
        return false;
    }
    *texts = fromText(QString::fromUtf8(file.readAll()));
    return true;
}

QString SqlTexts::textFor(const QString &driverName) const
{
    QString own;
    if (driverName == u"QSQLITE")
        own = section(QStringLiteral("sqlite"));
    else if (driverName == u"QPSQL")
        own = section(QStringLiteral("postgres"));
    return own.isEmpty() ? section(QStringLiteral("default")) : own;
}
