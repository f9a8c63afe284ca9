#include "ServerText.h"

#include "ServerError.h"

#include <QFile>
#include <QHash>
#include <QMutex>
#include <QMutexLocker>

// Outside any namespace, as Q_INIT_RESOURCE requires.  The dispatch's texts are a resource
// of their own; the objects' texts are registered with the database's resources.
static void initDispatchTexts()
{
    Q_INIT_RESOURCE(dispatch);
}

namespace {

struct CachedText
{
    bool found = false;
    QString text;
};

QMutex g_mutex;
QHash<QString, CachedText> g_cache;       // resource path -> its text
QHash<QString, QString> g_messages;
bool g_messagesLoaded = false;

// The message tables, in the order they are searched: the server objects' texts, then
// the texts of the request dispatch.
const char *const kMessageTables[] = {":/server/messages.msg", ":/server/dispatch.msg"};

// Adds the "Key|Text" lines of a table.  Inside a table the last line of a key counts; a
// key an earlier table has keeps that table's text.
void loadMessages(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    QHash<QString, QString> table;
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    for (const QString &line : lines) {
        const int bar = line.indexOf(QLatin1Char('|'));
        if (bar > 0 && !line.startsWith(QLatin1Char('#')))
            table.insert(line.left(bar).trimmed(), line.mid(bar + 1).trimmed());
    }
    for (auto it = table.constBegin(); it != table.constEnd(); ++it) {
        if (!g_messages.contains(it.key()))
            g_messages.insert(it.key(), it.value());
    }
}

QString cachedResource(const QString &path, bool *found)
{
    QMutexLocker lock(&g_mutex);
    auto it = g_cache.constFind(path);
    if (it == g_cache.constEnd()) {
        CachedText entry;
        QFile file(path);
        if (file.open(QIODevice::ReadOnly)) {
            entry.found = true;
            entry.text = QString::fromUtf8(file.readAll());
        }
        it = g_cache.insert(path, entry);
    }
    if (found)
        *found = it->found;
    return it->text;
}

} // namespace

QString ServerText::resource(const QString &path)
{
    return cachedResource(path, nullptr);
}

QString ServerText::sql(const QString &name, bool postgres)
{
    bool found = false;
    if (postgres) {
        const QString text = cachedResource(QStringLiteral(":/server/sql/%1.postgres.sql").arg(name), &found);
        if (found)
            return text;
    }
    const QString text = cachedResource(QStringLiteral(":/server/sql/%1.sql").arg(name), &found);
    if (!found)
        throw ServerError::failure(message(QStringLiteral("Sql_N_Encontrado"), {name}));
    return text;
}

QString ServerText::message(const QString &key, const QStringList &args)
{
    QString text;
    {
        QMutexLocker lock(&g_mutex);
        if (!g_messagesLoaded) {
            g_messagesLoaded = true;
            initDispatchTexts();
            for (const char *table : kMessageTables)
                loadMessages(QLatin1String(table));
        }
        text = g_messages.value(key, key);
    }
    for (const QString &a : args)
        text = text.arg(a);
    return text;
}
