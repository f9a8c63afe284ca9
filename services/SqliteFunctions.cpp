#include "SqliteFunctions.h"

#include <QDate>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QString>
#include <QVariant>

#include <sqlite3.h>

#include <cstring>

namespace {

QString argText(sqlite3_value *v)
{
    const auto *text = reinterpret_cast<const char *>(sqlite3_value_text(v));
    return text ? QString::fromUtf8(text, sqlite3_value_bytes(v)) : QString();
}

void resultText(sqlite3_context *ctx, const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    sqlite3_result_text(ctx, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
}

void nvlStr(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    sqlite3_value *a = argv[0];
    const bool blank = sqlite3_value_type(a) == SQLITE_NULL
        || (sqlite3_value_type(a) == SQLITE_TEXT && argText(a).trimmed().isEmpty());
    sqlite3_result_value(ctx, blank ? argv[1] : a);
}

void nvl(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    sqlite3_result_value(ctx, sqlite3_value_type(argv[0]) == SQLITE_NULL ? argv[1] : argv[0]);
}

void lastDay(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    if (sqlite3_value_type(argv[0]) != SQLITE_TEXT) {
        sqlite3_result_null(ctx);
        return;
    }
    const QString text = argText(argv[0]);
    const QDate date = QDate::fromString(text.left(10), Qt::ISODate);
    if (!date.isValid()) {
        sqlite3_result_null(ctx);
        return;
    }
    const QDate last(date.year(), date.month(), date.daysInMonth());
    resultText(ctx, last.toString(Qt::ISODate) + text.mid(10));
}

void rpad(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    const QString s = argText(argv[0]);
    const qint64 n = sqlite3_value_int64(argv[1]);
    QString pad = QStringLiteral(" ");
    if (argc > 2) {
        if (sqlite3_value_type(argv[2]) == SQLITE_NULL) {
            sqlite3_result_null(ctx);
            return;
        }
        pad = argText(argv[2]);
    }
    if (n <= 0) {
        sqlite3_result_null(ctx);
        return;
    }
    QString out = s.left(n);
    while (out.size() < n && !pad.isEmpty())
        out += pad.left(n - out.size());
    resultText(ctx, out);
}

// --- PARAM: a one-row table carrying its argument ------------------------------------

struct ParamCursor
{
    sqlite3_vtab_cursor base;
    sqlite3_value *value = nullptr;
    bool eof = true;
};

enum { ColumnParam = 0, ColumnArgument = 1 };

int paramConnect(sqlite3 *db, void *, int, const char *const *, sqlite3_vtab **vtab, char **)
{
    const int rc = sqlite3_declare_vtab(db, "CREATE TABLE x(PARAM, argument HIDDEN)");
    if (rc != SQLITE_OK)
        return rc;
    *vtab = static_cast<sqlite3_vtab *>(sqlite3_malloc(sizeof(sqlite3_vtab)));
    if (!*vtab)
        return SQLITE_NOMEM;
    std::memset(*vtab, 0, sizeof(sqlite3_vtab));
    return SQLITE_OK;
}

int paramDisconnect(sqlite3_vtab *vtab)
{
    sqlite3_free(vtab);
    return SQLITE_OK;
}

int paramBestIndex(sqlite3_vtab *, sqlite3_index_info *info)
{
    info->idxNum = 0;
    for (int i = 0; i < info->nConstraint; ++i) {
        const auto &c = info->aConstraint[i];
        if (c.iColumn != ColumnArgument || c.op != SQLITE_INDEX_CONSTRAINT_EQ)
            continue;
        if (!c.usable)
            return SQLITE_CONSTRAINT; // the planner must offer the argument first
        info->aConstraintUsage[i].argvIndex = 1;
        info->aConstraintUsage[i].omit = 1;
        info->idxNum = 1;
    }
    info->estimatedCost = 1.0;
    info->estimatedRows = 1;
    return SQLITE_OK;
}

int paramOpen(sqlite3_vtab *, sqlite3_vtab_cursor **cursor)
{
    auto *c = new (std::nothrow) ParamCursor;
    if (!c)
        return SQLITE_NOMEM;
    *cursor = &c->base;
    return SQLITE_OK;
}

int paramClose(sqlite3_vtab_cursor *cursor)
{
    auto *c = reinterpret_cast<ParamCursor *>(cursor);
    sqlite3_value_free(c->value);
    delete c;
    return SQLITE_OK;
}

int paramFilter(sqlite3_vtab_cursor *cursor, int idxNum, const char *, int argc, sqlite3_value **argv)
{
    auto *c = reinterpret_cast<ParamCursor *>(cursor);
    sqlite3_value_free(c->value);
    c->value = nullptr;
    c->eof = !(idxNum == 1 && argc >= 1);
    if (!c->eof) {
        c->value = sqlite3_value_dup(argv[0]);
        if (!c->value)
            return SQLITE_NOMEM;
    }
    return SQLITE_OK;
}

int paramNext(sqlite3_vtab_cursor *cursor)
{
    reinterpret_cast<ParamCursor *>(cursor)->eof = true;
    return SQLITE_OK;
}

int paramEof(sqlite3_vtab_cursor *cursor)
{
    return reinterpret_cast<ParamCursor *>(cursor)->eof ? 1 : 0;
}

int paramColumn(sqlite3_vtab_cursor *cursor, sqlite3_context *ctx, int)
{
    sqlite3_result_value(ctx, reinterpret_cast<ParamCursor *>(cursor)->value);
    return SQLITE_OK;
}

int paramRowid(sqlite3_vtab_cursor *, sqlite3_int64 *rowid)
{
    *rowid = 1;
    return SQLITE_OK;
}

sqlite3_module makeParamModule()
{
    sqlite3_module m;
    std::memset(&m, 0, sizeof m);
    m.iVersion = 0;
    m.xCreate = nullptr; // eponymous only: PARAM(...) is used directly, never created
    m.xConnect = paramConnect;
    m.xBestIndex = paramBestIndex;
    m.xDisconnect = paramDisconnect;
    m.xDestroy = nullptr;
    m.xOpen = paramOpen;
    m.xClose = paramClose;
    m.xFilter = paramFilter;
    m.xNext = paramNext;
    m.xEof = paramEof;
    m.xColumn = paramColumn;
    m.xRowid = paramRowid;
    return m;
}

const sqlite3_module g_paramModule = makeParamModule();

} // namespace

bool registerSqliteFunctions(QSqlDatabase &db)
{
    if (!db.isOpen() || db.driverName() != u"QSQLITE")
        return false;
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return false;
    sqlite3 *h = *static_cast<sqlite3 *const *>(handle.constData());
    if (!h)
        return false;

    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    bool ok = true;
    ok &= sqlite3_create_function_v2(h, "NVLSTR", 2, flags, nullptr, nvlStr, nullptr, nullptr, nullptr) == SQLITE_OK;
    ok &= sqlite3_create_function_v2(h, "NVL", 2, flags, nullptr, nvl, nullptr, nullptr, nullptr) == SQLITE_OK;
    ok &= sqlite3_create_function_v2(h, "LAST_DAY", 1, flags, nullptr, lastDay, nullptr, nullptr, nullptr) == SQLITE_OK;
    ok &= sqlite3_create_function_v2(h, "RPAD", 2, flags, nullptr, rpad, nullptr, nullptr, nullptr) == SQLITE_OK;
    ok &= sqlite3_create_function_v2(h, "RPAD", 3, flags, nullptr, rpad, nullptr, nullptr, nullptr) == SQLITE_OK;
    ok &= sqlite3_create_module_v2(h, "PARAM", &g_paramModule, nullptr, nullptr) == SQLITE_OK;
    return ok;
}
