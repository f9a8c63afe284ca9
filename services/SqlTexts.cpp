#include "SqlTexts.h"

#include "SupResources.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <algorithm>

namespace {

bool isIdentStart(QChar c) { return c.isLetter() || c == u'_'; }
bool isIdentChar(QChar c) { return c.isLetterOrNumber() || c == u'_'; }

} // namespace

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

QStringList SqlTexts::resourceNames()
{
    supInitResources();
    static const QStringList names = [] {
        QStringList list;
        const QStringList files = QDir(QStringLiteral(":/sql")).entryList({QStringLiteral("*.sql")}, QDir::Files);
        for (const QString &file : files)
            list << file.chopped(4);
        list.sort();
        return list;
    }();
    return names;
}

bool SqlTexts::isResourceName(const QString &name)
{
    const QStringList names = resourceNames();
    return std::binary_search(names.cbegin(), names.cend(), name);
}

QStringList SqlTexts::parameterNames(const QString &sql)
{
    QStringList names;
    const qsizetype n = sql.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = sql.at(i);
        if (c == u'\'' || c == u'"') {
            const QChar quote = c;
            for (++i; i < n; ++i) {
                if (sql.at(i) == quote) {
                    if (i + 1 < n && sql.at(i + 1) == quote)
                        ++i; // doubled quote inside the literal
                    else
                        break;
                }
            }
        } else if (c == u'-' && i + 1 < n && sql.at(i + 1) == u'-') {
            while (i < n && sql.at(i) != u'\n')
                ++i;
        } else if (c == u':') {
            if (i + 1 < n && sql.at(i + 1) == u':') {
                ++i; // a "::type" cast
                continue;
            }
            if (i + 1 < n && isIdentStart(sql.at(i + 1))) {
                qsizetype j = i + 1;
                while (j < n && isIdentChar(sql.at(j)))
                    ++j;
                const QString name = sql.mid(i + 1, j - i - 1);
                if (!names.contains(name, Qt::CaseInsensitive))
                    names << name;
                i = j - 1;
            }
        }
    }
    return names;
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
