// Statements a connection keeps prepared (Database::readKept and the named forms): a nested
// use of the same statement, parameters left out, no read snapshot left behind, a failure
// while reading.

#include "EngineDatabase.h"
#include "ServerError.h"

#include <QSqlQuery>
#include <QtTest>

#include <stdexcept>

class tst_KeptStatements : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void engines();
    void nestedUseOfTheSameStatement();
    void parameterLeftOutIsNull_data() { engines(); }
    void parameterLeftOutIsNull();
    void failureWhileReadingReleasesTheStatement_data() { engines(); }
    void failureWhileReadingReleasesTheStatement();
    void partlyReadStatementHoldsNoSnapshot();

private:
    Database &current();

    EngineDatabase m_sqlite{DatabaseConfig::Engine::SQLite, QStringLiteral("kept")};
    EngineDatabase m_postgres{DatabaseConfig::Engine::PostgreSQL, QStringLiteral("kept")};
    Database *m_current = nullptr;
};

namespace {

const QString kSelect = QStringLiteral("SELECT K, V FROM KEPT_T WHERE K >= :P_FROM ORDER BY K");
const QString kInsert = QStringLiteral("INSERT INTO KEPT_T (K, V) VALUES (:P_K, :P_V)");

} // namespace

void tst_KeptStatements::initTestCase()
{
    QString error;
    QVERIFY2(m_sqlite.create(EngineDatabase::Content::Schema, &error), qPrintable(error));
    if (!m_postgres.create(EngineDatabase::Content::Schema, &error))
        QVERIFY2(error.isEmpty(), qPrintable(error));
    for (EngineDatabase *engine : {&m_sqlite, &m_postgres}) {
        if (engine->isAvailable())
            engine->db().exec(QStringLiteral("CREATE TABLE KEPT_T (K INTEGER PRIMARY KEY, V VARCHAR(20))"));
    }
}

void tst_KeptStatements::init()
{
    for (EngineDatabase *engine : {&m_sqlite, &m_postgres}) {
        if (!engine->isAvailable())
            continue;
        engine->db().exec(QStringLiteral("DELETE FROM KEPT_T"));
        for (int k = 1; k <= 3; ++k)
            engine->db().exec(kInsert, {{QStringLiteral("P_K"), k}, {QStringLiteral("P_V"), QStringLiteral("v%1").arg(k)}});
    }
}

void tst_KeptStatements::engines()
{
    EngineDatabase::addEngineRows();
}

Database &tst_KeptStatements::current()
{
    return *m_current;
}

#define ENGINE() SUP_ENGINE_ROW(m_sqlite, m_postgres, m_current)

// A reader that runs the statement it is reading again (a rule calling itself for each
// row) gets a statement of its own: the outer rows go on where they were, and the kept
// statement is used again afterwards.  SQLite only: a PostgreSQL connection streams one
// result at a time and runs nothing else meanwhile, kept statement or not.
void tst_KeptStatements::nestedUseOfTheSameStatement()
{
    Database &db = m_sqlite.db();
    QStringList seen;
    db.readKept(kSelect, {{QStringLiteral("P_FROM"), 1}}, [&](QSqlQuery &outer) {
        while (outer.next()) {
            int inner = 0;
            db.readKept(kSelect, {{QStringLiteral("P_FROM"), outer.value(0).toInt()}}, [&](QSqlQuery &q) {
                while (q.next())
                    ++inner;
            });
            seen << QStringLiteral("%1:%2").arg(outer.value(1).toString()).arg(inner);
        }
    });
    QCOMPARE(seen, QStringList({QStringLiteral("v1:3"), QStringLiteral("v2:2"), QStringLiteral("v3:1")}));
    const int kept = db.keptStatements();
    int count = 0;
    for (int i = 0; i < 5; ++i)
        db.readKept(kSelect, {{QStringLiteral("P_FROM"), 2}}, [&](QSqlQuery &q) {
            count = 0;
            while (q.next())
                ++count;
        });
    QCOMPARE(count, 2);
    QCOMPARE(db.keptStatements(), kept);
}

// A call that leaves a parameter out binds null, not what an earlier call bound.
void tst_KeptStatements::parameterLeftOutIsNull()
{
    ENGINE();
    Database &db = current();
    int changed = 0;
    db.readKept(kInsert, {{QStringLiteral("P_K"), 10}, {QStringLiteral("P_V"), QStringLiteral("ten")}},
                [&](QSqlQuery &q) { changed = q.numRowsAffected(); });
    QCOMPARE(changed, 1);
    db.readKept(kInsert, {{QStringLiteral("P_K"), 11}}, [](QSqlQuery &) {});
    QSqlQuery q = db.exec(QStringLiteral("SELECT V FROM KEPT_T WHERE K = :P_K"), {{QStringLiteral("P_K"), 11}});
    QVERIFY(q.next());
    QVERIFY2(q.value(0).isNull(), qPrintable(q.value(0).toString()));
}

// A reader that fails gives the statement back: the next use runs it afresh and reads
// every row.
void tst_KeptStatements::failureWhileReadingReleasesTheStatement()
{
    ENGINE();
    Database &db = current();
    QVERIFY_THROWS_EXCEPTION(std::runtime_error,
                             db.readKept(kSelect, {{QStringLiteral("P_FROM"), 1}}, [](QSqlQuery &q) {
                                 q.next();
                                 throw std::runtime_error("reader failed");
                             }));
    QStringList values;
    db.readKept(kSelect, {{QStringLiteral("P_FROM"), 1}}, [&](QSqlQuery &q) {
        while (q.next())
            values << q.value(1).toString();
    });
    QCOMPARE(values, QStringList({QStringLiteral("v1"), QStringLiteral("v2"), QStringLiteral("v3")}));
}

// A statement read in part (the first of several rows) must not keep its read snapshot
// once readKept returns: another connection writes, and this connection's next writing
// transaction (which takes the write lock at once) must still succeed.
void tst_KeptStatements::partlyReadStatementHoldsNoSnapshot()
{
    Database &db = m_sqlite.db();
    QString first;
    db.readKept(kSelect, {{QStringLiteral("P_FROM"), 1}}, [&](QSqlQuery &q) {
        if (q.next())
            first = q.value(1).toString();
    });
    QCOMPARE(first, QStringLiteral("v1"));

    Database other(m_sqlite.config(), QStringLiteral("kept-other"));
    QString error;
    QVERIFY2(other.open(&error), qPrintable(error));
    other.exec(kInsert, {{QStringLiteral("P_K"), 20}, {QStringLiteral("P_V"), QStringLiteral("other")}});

    try {
        db.transaction([&] { db.exec(kInsert, {{QStringLiteral("P_K"), 21}, {QStringLiteral("P_V"), QStringLiteral("mine")}}); },
                       Database::Begin::Immediate);
    } catch (const ServerError &e) {
        QFAIL(qPrintable(QStringLiteral("the write after a kept read failed: ") + e.message()));
    }
    QSqlQuery q = db.exec(QStringLiteral("SELECT COUNT(*) FROM KEPT_T WHERE K IN (20, 21)"));
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toInt(), 2);
}

QTEST_GUILESS_MAIN(tst_KeptStatements)
#include "tst_keptstatements.moc"
