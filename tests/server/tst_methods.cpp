// The server methods of the quotation list, called through the method table against
// a fresh database filled with the small demo data: once on SQLite and, when the
// environment names a PostgreSQL server (SUP_TEST_PG_HOST / _PORT / _USER), once on
// PostgreSQL.

#include "Codes.h"
#include "DataPacket.h"
#include "Database.h"
#include "EngineDatabase.h"
#include "MethodTable.h"
#include "ServerError.h"
#include "Session.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString kCentral = QStringLiteral("0001");

QString op(const char *code) { return padOperator(QString::fromLatin1(code)); }

// The database of the engine the running test row uses.
Database *m_current = nullptr;

} // namespace

class tst_Methods : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void migrationsAreRecordedOnce_data() { engines(); }
    void migrationsAreRecordedOnce();
    void migrationsMergeCommonAndEngineFolders();
    void migrationKeepsHistoryOfExistingDatabase_data() { engines(); }
    void migrationKeepsHistoryOfExistingDatabase();
    void sqliteStoresDatesAsText();
    void getParaSupri_data() { engines(); }
    void getParaSupri();
    void getColetaPrFilters_data() { engines(); }
    void getColetaPrFilters();
    void getColetaPrDatesAndBranch_data() { engines(); }
    void getColetaPrDatesAndBranch();
    void getFornCotados_data() { engines(); }
    void getFornCotados();
    void verifListaScopes_data() { engines(); }
    void verifListaScopes();
    void delColetaPrRefusals_data() { engines(); }
    void delColetaPrRefusals();
    void delColetaPrDeletesEverything_data() { engines(); }
    void delColetaPrDeletesEverything();
    void delColetaPrKeepsHistory_data() { engines(); }
    void delColetaPrKeepsHistory();
    void setItemColeHeader_data() { engines(); }
    void setItemColeHeader();
    void setItemColeStaleOldValuesWriteNothing_data() { engines(); }
    void setItemColeStaleOldValuesWriteNothing();
    void getDadosFiltro_data() { engines(); }
    void getDadosFiltro();
    void argumentsAreChecked_data() { engines(); }
    void argumentsAreChecked();

private:
    void engines();
    QVariant call(const QString &object, const QString &method, QVariantList &args, const QString &operatorCode);
    QVariant call(const QString &method, QVariantList args, const QString &operatorCode = op("COMP01"))
    {
        return call(kGridCotaPrecObject, method, args, operatorCode);
    }
    qlonglong count(const QString &sql, const QVariantMap &params = {});
    // Every row of a query, each as its values joined with '|'.
    static QStringList rows(Database &db, const QString &sql, const QVariantMap &params = {});
    QString scalar(const QString &sql, const QVariantMap &params = {});
    // A quotation of the branch in progress, of buyer, with items and not in a concluded list.
    QString openQuotation(const QString &buyer, int skip = 0);
    // Makes manager one of buyer's managers (GERECOMP): a buyer change needs it.
    void makeManager(const QString &manager, const QString &buyer);

    MethodTable m_table;
    EngineDatabase m_sqlite{DatabaseConfig::Engine::SQLite, QStringLiteral("test")};
    EngineDatabase m_postgres{DatabaseConfig::Engine::PostgreSQL, QStringLiteral("test")};
};

void tst_Methods::initTestCase()
{
    registerServerObjects(m_table);
    QString error;
    QVERIFY2(m_sqlite.create(EngineDatabase::Content::SmallDemo, &error), qPrintable(error));
    if (!m_postgres.create(EngineDatabase::Content::SmallDemo, &error))
        QVERIFY2(error.isEmpty(), qPrintable(error));
}

void tst_Methods::engines()
{
    EngineDatabase::addEngineRows();
}

#define ENGINE() SUP_ENGINE_ROW(m_sqlite, m_postgres, m_current)

QVariant tst_Methods::call(const QString &object, const QString &method, QVariantList &args,
                           const QString &operatorCode)
{
    const MethodDecl *decl = m_table.find(object, method);
    if (!decl)
        throw ServerError(QStringLiteral("unknown-method"), method);
    const QString bad = MethodTable::checkArguments(*decl, args);
    if (!bad.isEmpty())
        throw ServerError::arguments(bad);
    MethodTable::normalizeArguments(*decl, args);
    Session session;
    session.operatorCode = operatorCode;
    session.branch = kCentral;
    session.loggedIn = true;
    for (int at = 0; at < decl->contract.args.size(); ++at) {
        if (decl->contract.args.at(at).isOperator && padOperator(args.value(at).toString()) != operatorCode)
            throw ServerError::auth(QStringLiteral("operator argument"));
    }
    CallContext ctx{session, *m_current, decl->contract, args};
    return decl->fn(ctx);
}

qlonglong tst_Methods::count(const QString &sql, const QVariantMap &params)
{
    QSqlQuery q = m_current->exec(sql, params);
    return q.next() ? q.value(0).toLongLong() : -1;
}

QStringList tst_Methods::rows(Database &db, const QString &sql, const QVariantMap &params)
{
    QSqlQuery q = db.exec(sql, params);
    QStringList out;
    while (q.next()) {
        QStringList values;
        for (int i = 0; i < q.record().count(); ++i)
            values << q.value(i).toString();
        out << values.join(QLatin1Char('|'));
    }
    return out;
}

QString tst_Methods::scalar(const QString &sql, const QVariantMap &params)
{
    QSqlQuery q = m_current->exec(sql, params);
    return q.next() ? q.value(0).toString() : QString();
}

QString tst_Methods::openQuotation(const QString &buyer, int skip)
{
    QSqlQuery q = m_current->exec(QStringLiteral(
        "SELECT C.NRCOLEPRECO FROM COLETAPR C WHERE C.CDFILIAL = '0001' AND C.CDOPERADOR = :B AND C.IDSITUCOLETA = 'A' "
        "AND EXISTS (SELECT 1 FROM ITCOLETAPR I WHERE I.CDFILIAL = C.CDFILIAL AND I.NRCOLEPRECO = C.NRCOLEPRECO) "
        "AND NOT EXISTS (SELECT 1 FROM ITLISTPREC L WHERE L.CDFILIAL = C.CDFILIAL AND L.NRCOLEPRECO = C.NRCOLEPRECO) "
        "ORDER BY C.NRCOLEPRECO DESC"), {{QStringLiteral("B"), buyer}});
    for (int i = 0; q.next(); ++i) {
        if (i == skip)
            return q.value(0).toString();
    }
    return {};
}

void tst_Methods::makeManager(const QString &manager, const QString &buyer)
{
    const QVariantMap pair = {{QStringLiteral("G"), manager}, {QStringLiteral("B"), buyer}};
    if (count(QStringLiteral("SELECT COUNT(*) FROM GERECOMP WHERE CDOPERGERE = :G AND CDOPERCOMP = :B"), pair) == 0)
        m_current->exec(QStringLiteral("INSERT INTO GERECOMP (CDOPERCOMP, CDOPERGERE) VALUES (:B, :G)"), pair);
}

static DataPacket packetOf(const QVariant &v)
{
    if (!isPacket(v))
        return {};
    return v.value<DataPacket>();
}

static QStringList fieldNames(const DataPacket &p)
{
    QStringList names;
    for (const FieldDef &f : p.fields())
        names << f.name;
    return names;
}

void tst_Methods::migrationsAreRecordedOnce()
{
    ENGINE();
    QString error;
    QVERIFY2(m_current->migrate(&error), qPrintable(error));
    // Versions and names stay those recorded when each engine kept its own schema text.
    const QStringList expected = m_current->isPostgres()
        ? QStringList({"1|schema", "2|functions", "3|history_outlives_quotation", "4|copy_in_progress_parameter",
                       "5|items_by_product_index", "6|history_indexes_by_quotation", "7|session_tokens"})
        : QStringList({"1|schema", "3|history_outlives_quotation", "4|copy_in_progress_parameter",
                       "5|items_by_product_index", "6|history_indexes_by_quotation", "7|session_tokens"});
    QCOMPARE(rows(*m_current, QStringLiteral("SELECT version, name FROM schema_migrations ORDER BY version")), expected);
    QString hash, name;
    QVERIFY(m_current->operatorCredentials(QStringLiteral("COMP01"), &hash, &name));
    QVERIFY(hash.startsWith(QLatin1String("$argon2id$")));
    QCOMPARE(name, QStringLiteral("Ana Paula Ribeiro"));
    QVERIFY(!m_current->operatorCredentials(QStringLiteral("INATIVO"), &hash, &name));
    QVERIFY(hash.isEmpty());
}

void tst_Methods::migrationsMergeCommonAndEngineFolders()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString common = dir.filePath(QStringLiteral("common"));
    const QString engine = dir.filePath(QStringLiteral("engine"));
    QVERIFY(QDir().mkpath(common) && QDir().mkpath(engine));
    auto write = [](const QString &path) {
        QFile f(path);
        return f.open(QIODevice::WriteOnly) && f.write("SELECT 1;\n") > 0;
    };
    for (const QString &path : {common + QStringLiteral("/0001_schema.sql"), engine + QStringLiteral("/0002_functions.sql"),
                                common + QStringLiteral("/0003_history.sql"), engine + QStringLiteral("/notes.sql"),
                                engine + QStringLiteral("/0004_later.txt")})
        QVERIFY(write(path));

    // Both folders, one sequence by version; files not named NNNN_name.sql are no migrations.
    QList<Migration> found;
    QString error;
    QVERIFY2(Database::findMigrations({common, engine}, &found, &error), qPrintable(error));
    QStringList plan;
    for (const Migration &m : found)
        plan << QStringLiteral("%1|%2|%3").arg(m.version).arg(m.name, QFileInfo(m.path).dir().dirName());
    QCOMPARE(plan, QStringList({"1|schema|common", "2|functions|engine", "3|history|common"}));

    // A version given twice (here by the engine's folder and the common one) stops the
    // start and names both files.
    QVERIFY(write(engine + QStringLiteral("/0003_other.sql")));
    QVERIFY(!Database::findMigrations({common, engine}, &found, &error));
    QVERIFY2(error.contains(QLatin1String("common/0003_history.sql")) && error.contains(QLatin1String("engine/0003_other.sql")),
             qPrintable(error));
}

void tst_Methods::migrationKeepsHistoryOfExistingDatabase()
{
    ENGINE();
    const bool pg = m_current->isPostgres();
    QString error;
    DatabaseConfig config;
    QVERIFY2((pg ? m_postgres : m_sqlite).scratch(QStringLiteral("_upgrade"), &config, &error), qPrintable(error));
    {
        Database db(config, QStringLiteral("tst_upgrade"));
        QVERIFY2(db.open(&error), qPrintable(error));
        QVERIFY2(db.migrate(&error, 2), qPrintable(error));
        QCOMPARE(rows(db, QStringLiteral("SELECT MAX(version) FROM schema_migrations")), QStringList(pg ? "2" : "1"));

        // HISTITCOLE as databases created before the engines shared one schema text have
        // it: numbered by the engine, with a counter past a deleted row.
        db.exec(QStringLiteral("DROP TABLE HISTITCOLE"));
        db.exec(QStringLiteral(
            "CREATE TABLE HISTITCOLE (NRSEQHIST %1, CDFILIAL VARCHAR(4) NOT NULL, NRCOLEPRECO VARCHAR(10) NOT NULL, "
            "CDREGIAO VARCHAR(3) NOT NULL, CDFORNECED VARCHAR(21) NOT NULL, CDPRODUTO VARCHAR(10) NOT NULL, "
            "CDMARCA VARCHAR(5) NOT NULL, CDOPERADOR VARCHAR(12) NOT NULL REFERENCES OPERADOR (CDOPERADOR), "
            "DTHRALTER %2 NOT NULL, IDTIPALTER CHAR(1) NOT NULL, VRPRECANT %3, VRPRECNOVO %3, CDMARCAANT VARCHAR(5), "
            "CDMARCANOVA VARCHAR(5), DSJUSTOPER VARCHAR(100), DSALTERITMCOT VARCHAR(500), DSABRANGENCIA VARCHAR(100), "
            "FOREIGN KEY (CDFILIAL, NRCOLEPRECO) REFERENCES COLETAPR (CDFILIAL, NRCOLEPRECO) ON DELETE CASCADE)")
                    .arg(pg ? QStringLiteral("BIGSERIAL PRIMARY KEY") : QStringLiteral("INTEGER PRIMARY KEY AUTOINCREMENT"),
                         pg ? QStringLiteral("TIMESTAMP") : QStringLiteral("VARCHAR(19)"),
                         pg ? QStringLiteral("DOUBLE PRECISION") : QStringLiteral("REAL")));

        // A quotation with price and header history.
        const QVariantMap quotation = {{QStringLiteral("O"), op("COMP01")}, {QStringLiteral("W"), QDateTime(QDate(2026, 12, 1), QTime(9, 30), Qt::UTC)},
                                       {QStringLiteral("C"), QDate(2026, 12, 4)}, {QStringLiteral("D"), QDate(2026, 12, 7)},
                                       {QStringLiteral("E"), QDate(2026, 12, 13)}};
        db.exec(QStringLiteral("INSERT INTO FILIAL (CDFILIAL, NMFILIAL) VALUES ('0001', 'Matriz')"));
        db.exec(QStringLiteral("INSERT INTO OPERADOR (CDOPERADOR, NMOPERADOR, DSSENHAOPER) VALUES (:O, 'Ana', '-')"), quotation);
        db.exec(QStringLiteral("INSERT INTO COMPRADOR (CDOPERADOR, CDFILIAL) VALUES (:O, '0001')"), quotation);
        db.exec(QStringLiteral("INSERT INTO COLETAPR (CDFILIAL, NRCOLEPRECO, DTCOLEPREC, DTINIVALCOL, DTFINVALCOL, CDOPERADOR) "
                               "VALUES ('0001', '0000000001', :C, :D, :E, :O)"), quotation);
        for (const char *price : {"10.5", "11.25", "12"}) {
            db.exec(QStringLiteral("INSERT INTO HISTITCOLE (CDFILIAL, NRCOLEPRECO, CDREGIAO, CDFORNECED, CDPRODUTO, CDMARCA, "
                                   "CDOPERADOR, DTHRALTER, IDTIPALTER, VRPRECANT, VRPRECNOVO, DSJUSTOPER) VALUES ('0001', "
                                   "'0000000001', '001', '000000000000000000001', '0000000001', '00001', :O, :W, 'P', 9.75, %1, "
                                   "'Reajuste do fornecedor')").arg(QLatin1String(price)), quotation);
        }
        db.exec(QStringLiteral("DELETE FROM HISTITCOLE WHERE NRSEQHIST = 3"));
        for (int n : {10, 11}) {
            db.exec(QStringLiteral("INSERT INTO HISTCOLETA (NRSEQHIST, CDFILIAL, NRCOLEPRECO, CDOPERADOR, DTHRALTER, NMCAMPO, "
                                   "DSVALORANT, DSVALORNOVO) VALUES (%1, '0001', '0000000001', :O, :W, 'IDDISMONTLIS', 'S', 'N')").arg(n),
                    quotation);
        }
        const QString priceSql = QStringLiteral("SELECT NRSEQHIST, CDOPERADOR, DTHRALTER, VRPRECANT, VRPRECNOVO, DSJUSTOPER FROM HISTITCOLE ORDER BY NRSEQHIST");
        const QString headerSql = QStringLiteral("SELECT NRSEQHIST, CDOPERADOR, DTHRALTER, NMCAMPO, DSVALORANT, DSVALORNOVO FROM HISTCOLETA ORDER BY NRSEQHIST");
        const QStringList prices = rows(db, priceSql);
        const QStringList headers = rows(db, headerSql);
        QCOMPARE(prices.size(), 2);
        QCOMPARE(headers.size(), 2);

        QVERIFY2(db.migrate(&error), qPrintable(error));
        QCOMPARE(rows(db, QStringLiteral("SELECT version, name FROM schema_migrations WHERE version >= 3")),
                 QStringList({"3|history_outlives_quotation", "4|copy_in_progress_parameter", "5|items_by_product_index",
                              "6|history_indexes_by_quotation", "7|session_tokens"}));
        QCOMPARE(rows(db, priceSql), prices);
        QCOMPARE(rows(db, headerSql), headers);
        QSqlQuery first = db.exec(priceSql);
        QVERIFY(first.next());
        QCOMPARE(Database::toDateTime(first.value(2)), QDateTime(QDate(2026, 12, 1), QTime(9, 30), Qt::UTC));
        QCOMPARE(first.value(4).toDouble(), 10.5);

        // Numbering goes on past every number given out, the deleted row's included.
        db.exec(QStringLiteral("INSERT INTO HISTITCOLE (CDFILIAL, NRCOLEPRECO, CDREGIAO, CDFORNECED, CDPRODUTO, CDMARCA, "
                               "CDOPERADOR, DTHRALTER, IDTIPALTER) VALUES ('0001', '0000000001', '001', '000000000000000000001', "
                               "'0000000001', '00001', :O, :W, 'M')"), quotation);
        db.exec(QStringLiteral("INSERT INTO HISTCOLETA (CDFILIAL, NRCOLEPRECO, CDOPERADOR, DTHRALTER, NMCAMPO) "
                               "VALUES ('0001', '0000000001', :O, :W, 'IDSITUCOLETA')"), quotation);
        QCOMPARE(rows(db, QStringLiteral("SELECT MAX(NRSEQHIST) FROM HISTITCOLE")), QStringList("4"));
        QCOMPARE(rows(db, QStringLiteral("SELECT MAX(NRSEQHIST) FROM HISTCOLETA")), QStringList("12"));

        // The quotation goes; its history stays.
        db.exec(QStringLiteral("DELETE FROM COLETAPR WHERE CDFILIAL = '0001' AND NRCOLEPRECO = '0000000001'"));
        QCOMPARE(rows(db, QStringLiteral("SELECT COUNT(*) FROM COLETAPR")), QStringList("0"));
        QCOMPARE(rows(db, QStringLiteral("SELECT COUNT(*) FROM HISTITCOLE")), QStringList("3"));
        QCOMPARE(rows(db, QStringLiteral("SELECT COUNT(*) FROM HISTCOLETA")), QStringList("3"));

        // Started again, nothing is applied twice.
        QVERIFY2(db.migrate(&error), qPrintable(error));
        QCOMPARE(rows(db, QStringLiteral("SELECT COUNT(*) FROM schema_migrations")), QStringList(pg ? "7" : "6"));
    }
}

void tst_Methods::sqliteStoresDatesAsText()
{
    // The shared schema declares dates DATE and moments TIMESTAMP, which SQLite stores
    // with numeric affinity: the values the server binds ('YYYY-MM-DD', 'YYYY-MM-DD
    // HH:MM:SS') must stay text, so that they sort and compare as dates.
    Database &db = m_sqlite.db();
    int columns = 0;
    for (const QString &table : rows(db, QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite%'"))) {
        QSqlQuery info = db.exec(QStringLiteral("PRAGMA table_info(%1)").arg(table));
        while (info.next()) {
            const QString type = info.value(2).toString().toUpper();
            if (type != QLatin1String("DATE") && type != QLatin1String("TIMESTAMP"))
                continue;
            ++columns;
            const QString column = info.value(1).toString();
            QCOMPARE(rows(db, QStringLiteral("SELECT COUNT(*) FROM %1 WHERE %2 IS NOT NULL AND typeof(%2) <> 'text'").arg(table, column)),
                     QStringList("0"));
        }
    }
    QVERIFY2(columns >= 15, qPrintable(QString::number(columns)));
}

void tst_Methods::getParaSupri()
{
    ENGINE();
    QVariantList args{kCentral};
    DataPacket p = packetOf(call(kSuprimentosObject, QStringLiteral("GetParaSupri"), args, op("COMP01")));
    QCOMPARE(p.rowCount(), 1);
    QCOMPARE(p.value(0, QStringLiteral("IDUTISTATCOT")).toString(), QStringLiteral("S"));
    QCOMPARE(p.value(0, QStringLiteral("IDULTIDTVALQ")).toString(), QStringLiteral("D"));
    for (const char *f : {"IDAUDALTCOT", "IDUMPRODCMP", "IDUTLPROCMP", "IDPERMREPLICREG", "IDPERMREPLICFOR"})
        QVERIFY2(p.fieldIndex(QLatin1String(f)) >= 0, f);

    // A branch that buys through a central branch reads the central branch's flags;
    // codes are padded ("10" is branch 0010).
    args = {QStringLiteral("11")};
    p = packetOf(call(kSuprimentosObject, QStringLiteral("GetParaSupri"), args, op("COMP01")));
    QCOMPARE(p.value(0, QStringLiteral("CDFILIAL")).toString(), QStringLiteral("0010"));
    QCOMPARE(p.value(0, QStringLiteral("IDULTIDTVALQ")).toString(), QStringLiteral("M"));

    for (const QString &bad : {QStringLiteral("9999"), QStringLiteral(" ")}) {
        args = {bad};
        try {
            call(kSuprimentosObject, QStringLiteral("GetParaSupri"), args, op("COMP01"));
            QFAIL("unknown branch accepted");
        } catch (const ServerError &e) {
            QCOMPARE(e.code(), QStringLiteral("arguments"));
        }
    }
}

void tst_Methods::getColetaPrFilters()
{
    ENGINE();
    const QVariant noDate{QMetaType(QMetaType::QDate)};
    auto list = [&](const QString &buyers, const QString &tBuyers, const QString &suppliers, const QString &tSup,
                    const QString &regions, const QString &tReg) {
        return packetOf(call(QStringLiteral("GetColetaPr"),
                             {kCentral, buyers, tBuyers, noDate, noDate, QStringLiteral("T"), suppliers, tSup, regions, tReg}));
    };

    const DataPacket all = list(QString(), QStringLiteral("T"), QString(), QStringLiteral("T"), QString(), QStringLiteral("T"));
    QCOMPARE(fieldNames(all), QStringList({"CDFILIAL", "NRCOLEPRECO", "DTCOLEPREC", "NRSEMAINIC", "NRSEMAFINAL",
                                           "DTINIVALCOL", "DTFINVALCOL", "CDOPERADOR", "NMOPERADOR", "IDTIPCOLREG",
                                           "IDDISMONTLIS", "DSOBSCOTPREC", "IDSITUCOLETA", "NRCOMPRA"}));
    QCOMPARE(all.fields().at(2).type, FieldType::DateTime);
    QCOMPARE(all.rowCount(), int(count(QStringLiteral("SELECT COUNT(*) FROM COLETAPR WHERE CDFILIAL = '0001'"))));
    QVERIFY(all.rowCount() > 10);
    QVERIFY(all.value(0, QStringLiteral("DTINIVALCOL")).toDateTime().isValid());
    QVERIFY(!all.value(0, QStringLiteral("NMOPERADOR")).toString().isEmpty());

    // Buyers: a list from the search, and a plain code as the new-quotation refresh sends.
    const qlonglong comp01 = count(QStringLiteral("SELECT COUNT(*) FROM COLETAPR WHERE CDFILIAL = '0001' AND CDOPERADOR = :B"),
                                   {{QStringLiteral("B"), op("COMP01")}});
    for (const QString &buyers : {QStringLiteral("_COMP01_"), QStringLiteral("COMP01"), QStringLiteral("_COMP01      _")}) {
        const DataPacket p = list(buyers, QString(), QString(), QStringLiteral("T"), QString(), QStringLiteral("T"));
        QCOMPARE(p.rowCount(), int(comp01));
        for (int r = 0; r < p.rowCount(); ++r)
            QCOMPARE(p.value(r, QStringLiteral("CDOPERADOR")).toString(), op("COMP01"));
    }
    // The all-mark wins over a list.
    QCOMPARE(list(QStringLiteral("_COMP01_"), QStringLiteral("T"), QString(), QStringLiteral("T"), QString(), QStringLiteral("T")).rowCount(),
             all.rowCount());
    QCOMPARE(list(QStringLiteral("_COMP01__COMP02_"), QString(), QString(), QStringLiteral("T"), QString(), QStringLiteral("T")).rowCount(),
             all.rowCount());

    // Suppliers: the quotations in which the supplier takes part in some region.
    const QString supplier = scalar(QStringLiteral("SELECT CDFORNECED FROM COLEFORN WHERE CDFILIAL = '0001' ORDER BY CDFORNECED"));
    const qlonglong withSupplier = count(QStringLiteral(
        "SELECT COUNT(DISTINCT NRCOLEPRECO) FROM COLEFORN WHERE CDFILIAL = '0001' AND CDFORNECED = :F"),
        {{QStringLiteral("F"), supplier}});
    const DataPacket bySupplier = list(QString(), QStringLiteral("T"), QStringLiteral("_%1_").arg(supplier.toInt()), QString(),
                                       QString(), QStringLiteral("T"));
    QCOMPARE(bySupplier.rowCount(), int(withSupplier));
    QVERIFY(withSupplier > 0 && withSupplier < all.rowCount());

    // Regions: two regions, written as typed ("7" is region 007).
    const qlonglong inRegions = count(QStringLiteral(
        "SELECT COUNT(DISTINCT NRCOLEPRECO) FROM COLEREGI WHERE CDFILIAL = '0001' AND CDREGIAO IN ('001', '007')"));
    const DataPacket byRegion = list(QString(), QStringLiteral("T"), QString(), QStringLiteral("T"), QStringLiteral("_1_7_"), QString());
    QCOMPARE(byRegion.rowCount(), int(inRegions));
    QVERIFY(inRegions < all.rowCount());

    // All filters together: the intersection.
    const qlonglong combined = count(QStringLiteral(
        "SELECT COUNT(*) FROM COLETAPR C WHERE C.CDFILIAL = '0001' AND C.CDOPERADOR = :B "
        "AND EXISTS (SELECT 1 FROM COLEFORN F WHERE F.CDFILIAL = C.CDFILIAL AND F.NRCOLEPRECO = C.NRCOLEPRECO AND F.CDFORNECED = :F) "
        "AND EXISTS (SELECT 1 FROM COLEREGI R WHERE R.CDFILIAL = C.CDFILIAL AND R.NRCOLEPRECO = C.NRCOLEPRECO AND R.CDREGIAO IN ('001', '007'))"),
        {{QStringLiteral("B"), op("COMP01")}, {QStringLiteral("F"), supplier}});
    QCOMPARE(list(QStringLiteral("_COMP01_"), QString(), QStringLiteral("_%1_").arg(supplier), QString(),
                  QStringLiteral("_001_007_"), QString()).rowCount(),
             int(combined));
}

void tst_Methods::getColetaPrDatesAndBranch()
{
    ENGINE();
    const QDate from(2026, 10, 1), to(2026, 10, 31);
    const DataPacket p = packetOf(call(QStringLiteral("GetColetaPr"),
                                       {kCentral, QString(), QStringLiteral("T"), from, to, QString(), QString(),
                                        QStringLiteral("T"), QString(), QStringLiteral("T")}));
    const qlonglong expected = count(QStringLiteral(
        "SELECT COUNT(*) FROM COLETAPR WHERE CDFILIAL = '0001' AND DTINIVALCOL <= :T AND DTFINVALCOL >= :F"),
        {{QStringLiteral("F"), from}, {QStringLiteral("T"), to}});
    QCOMPARE(p.rowCount(), int(expected));
    QVERIFY(expected > 0);
    for (int r = 0; r < p.rowCount(); ++r) {
        QVERIFY(p.value(r, QStringLiteral("DTINIVALCOL")).toDateTime().date() <= to);
        QVERIFY(p.value(r, QStringLiteral("DTFINVALCOL")).toDateTime().date() >= from);
    }
    // The all-dates mark ignores the dates; date-times are accepted for dates.
    const DataPacket allDates = packetOf(call(QStringLiteral("GetColetaPr"),
                                              {kCentral, QString(), QStringLiteral("T"), QDateTime(from.startOfDay(Qt::UTC)),
                                               QDateTime(to.startOfDay(Qt::UTC)), QStringLiteral("T"), QString(),
                                               QStringLiteral("T"), QString(), QStringLiteral("T")}));
    QVERIFY(allDates.rowCount() > p.rowCount());

    // Another central branch sees only its own quotations.
    const DataPacket other = packetOf(call(QStringLiteral("GetColetaPr"),
                                           {QStringLiteral("10"), QString(), QStringLiteral("T"), QVariant(), QVariant(),
                                            QStringLiteral("T"), QString(), QStringLiteral("T"), QString(), QStringLiteral("T")}));
    QVERIFY(other.rowCount() > 0);
    for (int r = 0; r < other.rowCount(); ++r) {
        QCOMPARE(other.value(r, QStringLiteral("CDFILIAL")).toString(), QStringLiteral("0010"));
        QCOMPARE(other.value(r, QStringLiteral("CDOPERADOR")).toString(), op("COMP03"));
    }
}

void tst_Methods::getFornCotados()
{
    ENGINE();
    const QString number = openQuotation(op("COMP01"));
    QVERIFY(!number.isEmpty());
    const DataPacket p = packetOf(call(QStringLiteral("GetFornCotados"), {kCentral, number}));
    QCOMPARE(fieldNames(p), QStringList({"IDTPIJURFORN", "NRINSJURFORN", "NMRAZSOCFORN", "NMFANTFORN", "NRCOLEPRECO", "CDFORNECED"}));
    QCOMPARE(p.rowCount(), int(count(QStringLiteral(
        "SELECT COUNT(DISTINCT CDFORNECED) FROM COLEFORN WHERE CDFILIAL = '0001' AND NRCOLEPRECO = :N"),
        {{QStringLiteral("N"), number}})));
    for (int r = 0; r < p.rowCount(); ++r) {
        QCOMPARE(p.value(r, QStringLiteral("NRCOLEPRECO")).toString(), number);
        QVERIFY(p.value(r, QStringLiteral("NMRAZSOCFORN")).toString().size() <= 40);
    }
    QCOMPARE(packetOf(call(QStringLiteral("GetFornCotados"), {kCentral, QStringLiteral("9999999")})).rowCount(), 0);
}

void tst_Methods::verifListaScopes()
{
    ENGINE();
    const QString blank = QStringLiteral(" ");
    // Quotation 1 has items in the concluded price list.
    QCOMPARE(call(QStringLiteral("Verif_Lista"), {kCentral, QStringLiteral("1"), blank, blank, blank, blank}).toBool(), true);
    QSqlQuery item = m_current->exec(QStringLiteral(
        "SELECT CDREGIAO, CDFORNECED, CDPRODUTO, CDMARCA FROM ITLISTPREC WHERE CDFILIAL = '0001' AND NRCOLEPRECO = '0000000001'"));
    QVERIFY(item.next());
    const QString region = item.value(0).toString(), supplier = item.value(1).toString();
    const QString product = item.value(2).toString(), brand = item.value(3).toString();
    QCOMPARE(call(QStringLiteral("Verif_Lista"), {kCentral, QStringLiteral("0000000001"), region, supplier, product, brand}).toBool(), true);
    QCOMPARE(call(QStringLiteral("Verif_Lista"), {kCentral, QStringLiteral("0000000001"), region, blank, blank, blank}).toBool(), true);
    // Out of scope: a region of the quotation without listed items, another brand.
    const QString otherRegion = scalar(QStringLiteral(
        "SELECT CDREGIAO FROM REGIAO WHERE CDREGIAO NOT IN (SELECT CDREGIAO FROM ITLISTPREC WHERE NRCOLEPRECO = '0000000001')"));
    QCOMPARE(call(QStringLiteral("Verif_Lista"), {kCentral, QStringLiteral("1"), otherRegion, blank, blank, blank}).toBool(), false);
    QCOMPARE(call(QStringLiteral("Verif_Lista"), {kCentral, QStringLiteral("1"), region, supplier, product, QStringLiteral("99999")}).toBool(), false);
    // A quotation with no listed item.
    QCOMPARE(call(QStringLiteral("Verif_Lista"), {kCentral, openQuotation(op("COMP02")), blank, blank, blank, blank}).toBool(), false);
}

void tst_Methods::delColetaPrRefusals()
{
    ENGINE();
    const qlonglong before = count(QStringLiteral("SELECT COUNT(*) FROM ITCOLETAPR WHERE NRCOLEPRECO = '0000000001' AND CDFILIAL = '0001'"));
    const QString refusal = call(QStringLiteral("DelColetaPr"), {kCentral, QStringLiteral("1"), op("COMP01")}).toString();
    QVERIFY2(refusal.contains(QLatin1String("0000000001")) && refusal.contains(QStringLiteral("lista de preços")), qPrintable(refusal));
    QCOMPARE(count(QStringLiteral("SELECT COUNT(*) FROM ITCOLETAPR WHERE NRCOLEPRECO = '0000000001' AND CDFILIAL = '0001'")), before);

    const QString number = openQuotation(op("COMP02"));
    QCOMPARE(call(QStringLiteral("DelColetaPr"), {kCentral, number, op("CONS01")}, op("CONS01")).toString(),
             QStringLiteral("Operador não relacionado ao comprador."));
    QCOMPARE(call(QStringLiteral("DelColetaPr"), {kCentral, number, op("AUX02")}, op("AUX02")).toString(),
             QStringLiteral("Operador não autorizado a manipular cotações deste comprador."));
    QVERIFY(call(QStringLiteral("DelColetaPr"), {kCentral, QStringLiteral("8888888"), op("COMP01")}).toString().contains(QLatin1String("0008888888")));
    QCOMPARE(count(QStringLiteral("SELECT COUNT(*) FROM COLETAPR WHERE NRCOLEPRECO = :N"), {{QStringLiteral("N"), number}}), 1);

    // The operator argument must be the session's operator.
    try {
        call(QStringLiteral("DelColetaPr"), {kCentral, number, op("COMP02")}, op("COMP01"));
        QFAIL("another operator's code accepted");
    } catch (const ServerError &e) {
        QCOMPARE(e.code(), QStringLiteral("auth"));
    }
}

void tst_Methods::delColetaPrDeletesEverything()
{
    ENGINE();
    // The newest in-progress quotation of COMP01 is in the price list being assembled.
    const QString listed = scalar(QStringLiteral("SELECT NRCOLEPRECO FROM ITLISTPREC WHERE NRSEQPRELIST = '0000000002'"));
    QVERIFY(!listed.isEmpty());
    QCOMPARE(call(QStringLiteral("Verif_Lista"), {kCentral, listed, QStringLiteral(" "), QStringLiteral(" "), QStringLiteral(" "), QStringLiteral(" ")}).toBool(), true);
    const QVariantMap key = {{QStringLiteral("N"), listed}};
    QVERIFY(count(QStringLiteral("SELECT COUNT(*) FROM ITCOLETAPR WHERE CDFILIAL = '0001' AND NRCOLEPRECO = :N"), key) > 0);
    QVERIFY(count(QStringLiteral("SELECT COUNT(*) FROM HISTITCOLE WHERE CDFILIAL = '0001' AND NRCOLEPRECO = :N"), key) > 0);

    // A related operator allowed to handle the buyer's quotations deletes it.
    QCOMPARE(call(QStringLiteral("DelColetaPr"), {kCentral, listed, op("AUX01")}, op("AUX01")).toString(), QString());
    for (const char *table : {"COLETAPR", "COLEREGI", "COLEFORN", "ITCOLETAPR", "ITLISTPREC"}) {
        QCOMPARE(count(QStringLiteral("SELECT COUNT(*) FROM %1 WHERE CDFILIAL = '0001' AND NRCOLEPRECO = :N").arg(QLatin1String(table)), key), 0);
    }
    QVERIFY(count(QStringLiteral("SELECT COUNT(*) FROM HISTITCOLE WHERE CDFILIAL = '0001' AND NRCOLEPRECO = :N"), key) > 0);
    QCOMPARE(count(QStringLiteral("SELECT COUNT(*) FROM LISTPREC WHERE NRSEQPRELIST = '0000000002'")), 1);
    QVERIFY(call(QStringLiteral("DelColetaPr"), {kCentral, listed, op("COMP01")}).toString().contains(listed));
}

void tst_Methods::delColetaPrKeepsHistory()
{
    ENGINE();
    // An open quotation of COMP01 with price history, in no price list.
    const QString number = scalar(QStringLiteral(
        "SELECT C.NRCOLEPRECO FROM COLETAPR C WHERE C.CDFILIAL = '0001' AND C.CDOPERADOR = :B AND C.IDSITUCOLETA = 'A' "
        "AND EXISTS (SELECT 1 FROM HISTITCOLE H WHERE H.CDFILIAL = C.CDFILIAL AND H.NRCOLEPRECO = C.NRCOLEPRECO) "
        "AND NOT EXISTS (SELECT 1 FROM ITLISTPREC L WHERE L.CDFILIAL = C.CDFILIAL AND L.NRCOLEPRECO = C.NRCOLEPRECO) "
        "ORDER BY C.NRCOLEPRECO"), {{QStringLiteral("B"), op("COMP01")}});
    QVERIFY(!number.isEmpty());
    const QVariantMap key = {{QStringLiteral("N"), number}};
    m_current->exec(QStringLiteral(
        "INSERT INTO HISTCOLETA (CDFILIAL, NRCOLEPRECO, CDOPERADOR, DTHRALTER, NMCAMPO, DSVALORANT, DSVALORNOVO) "
        "VALUES ('0001', :N, :O, :W, 'IDDISMONTLIS', 'S', 'N')"),
        {{QStringLiteral("N"), number}, {QStringLiteral("O"), op("COMP01")},
         {QStringLiteral("W"), QDateTime(QDate(2026, 12, 2), QTime(8, 0), Qt::UTC)}});
    const QString priceSql = QStringLiteral(
        "SELECT NRSEQHIST, CDREGIAO, CDFORNECED, CDPRODUTO, CDMARCA, CDOPERADOR, DTHRALTER, IDTIPALTER, VRPRECANT, VRPRECNOVO "
        "FROM HISTITCOLE WHERE CDFILIAL = '0001' AND NRCOLEPRECO = :N ORDER BY NRSEQHIST");
    const QString headerSql = QStringLiteral(
        "SELECT NRSEQHIST, CDOPERADOR, DTHRALTER, NMCAMPO, DSVALORANT, DSVALORNOVO "
        "FROM HISTCOLETA WHERE CDFILIAL = '0001' AND NRCOLEPRECO = :N AND NMCAMPO <> 'EXCLUSAO' ORDER BY NRSEQHIST");
    const QStringList prices = rows(*m_current, priceSql, key);
    const QStringList headers = rows(*m_current, headerSql, key);
    QVERIFY(!prices.isEmpty());
    QCOMPARE(headers.size(), 1);

    // A refused deletion records nothing.
    const QString deletions = QStringLiteral("SELECT COUNT(*) FROM HISTCOLETA WHERE NMCAMPO = 'EXCLUSAO'");
    const qlonglong deletedBefore = count(deletions);
    QVERIFY(!call(QStringLiteral("DelColetaPr"), {kCentral, QStringLiteral("1"), op("COMP01")}).toString().isEmpty());
    QCOMPARE(count(deletions), deletedBefore);

    const QDateTime now = QDateTime::currentDateTimeUtc();
    const QDateTime before(now.date(), QTime(now.time().hour(), now.time().minute(), now.time().second()), Qt::UTC);
    QCOMPARE(call(QStringLiteral("DelColetaPr"), {kCentral, number, op("AUX01")}, op("AUX01")).toString(), QString());
    const QDateTime after = QDateTime::currentDateTimeUtc();
    QCOMPARE(count(QStringLiteral("SELECT COUNT(*) FROM COLETAPR WHERE CDFILIAL = '0001' AND NRCOLEPRECO = :N"), key), 0);
    QCOMPARE(count(QStringLiteral("SELECT COUNT(*) FROM ITCOLETAPR WHERE CDFILIAL = '0001' AND NRCOLEPRECO = :N"), key), 0);

    // Price and header history as they were, row for row.
    QCOMPARE(rows(*m_current, priceSql, key), prices);
    QCOMPARE(rows(*m_current, headerSql, key), headers);

    // One more header-history row, numbered after every earlier one: who deleted the
    // quotation, when, and whose it was.
    const qlonglong lastEarlier = count(QStringLiteral("SELECT MAX(NRSEQHIST) FROM HISTCOLETA WHERE NMCAMPO <> 'EXCLUSAO'"));
    QSqlQuery q = m_current->exec(QStringLiteral(
        "SELECT NRSEQHIST, CDOPERADOR, DTHRALTER, DSVALORANT, DSVALORNOVO FROM HISTCOLETA "
        "WHERE CDFILIAL = '0001' AND NRCOLEPRECO = :N AND NMCAMPO = 'EXCLUSAO'"), key);
    QVERIFY(q.next());
    QCOMPARE(q.value(1).toString(), op("AUX01"));
    const QDateTime moment = Database::toDateTime(q.value(2));
    QVERIFY2(moment >= before && moment <= after, qPrintable(moment.toString(Qt::ISODate)));
    QVERIFY2(q.value(3).toString().contains(QLatin1String("CDOPERADOR=COMP01;IDSITUCOLETA=A")), qPrintable(q.value(3).toString()));
    QVERIFY(q.value(4).isNull());
    QVERIFY(q.value(0).toLongLong() > lastEarlier);
    QVERIFY(!q.next());
}

static DataPacket headerDelta(const QString &number, const QVariantList &oldRow, const QVariantList &newRow)
{
    DataPacket d({{QStringLiteral("CDFILIAL"), FieldType::String, 4},
                  {QStringLiteral("NRCOLEPRECO"), FieldType::String, 10},
                  {QStringLiteral("CDOPERADOR"), FieldType::String, 12},
                  {QStringLiteral("IDSITUCOLETA"), FieldType::String, 1},
                  {QStringLiteral("IDDISMONTLIS"), FieldType::String, 1},
                  {QStringLiteral("DSOBSCOTPREC"), FieldType::String, 2000}});
    d.setDelta(true);
    d.appendChange({RowChange::Modify, QVariantList{kCentral, number} + oldRow, QVariantList{kCentral, number} + newRow});
    return d;
}

static QVariantList setItemColeArgs(const QVariant &header, const QVariant &items = QVariant())
{
    return {header, items, QDate(2026, 12, 1), false, kCentral, op("COMP01"), false,
            QStringLiteral("Todas as regiões "), QStringLiteral("Somente esta região "),
            QStringLiteral(" Todos os fornecedores"), QStringLiteral(" Somente este fornecedor"), false, QString(),
            op("COMP01"), QDate(2026, 12, 7), QDate(2026, 12, 13)};
}

void tst_Methods::setItemColeHeader()
{
    ENGINE();
    makeManager(op("COMP01"), op("COMP02"));
    const QString number = openQuotation(op("COMP01"));
    const QVariantMap key = {{QStringLiteral("N"), number}};
    const QString list = scalar(QStringLiteral("SELECT IDDISMONTLIS FROM COLETAPR WHERE CDFILIAL = '0001' AND NRCOLEPRECO = :N"), key);
    const QString obs = scalar(QStringLiteral("SELECT DSOBSCOTPREC FROM COLETAPR WHERE CDFILIAL = '0001' AND NRCOLEPRECO = :N"), key);
    const QString flipped = list == QLatin1String("S") ? QStringLiteral("N") : QStringLiteral("S");
    const DataPacket delta = headerDelta(number, {op("COMP01"), "A", list, obs.isEmpty() ? QVariant() : QVariant(obs)},
                                         {QStringLiteral("COMP02"), "C", flipped, QStringLiteral("Fechada pelo comprador.")});
    call(QStringLiteral("SetItemCole"), setItemColeArgs(packetVariant(delta)));

    QSqlQuery q = m_current->exec(QStringLiteral(
        "SELECT CDOPERADOR, IDSITUCOLETA, IDDISMONTLIS, DSOBSCOTPREC, CDOPERALTE FROM COLETAPR WHERE CDFILIAL = '0001' AND NRCOLEPRECO = :N"), key);
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toString(), op("COMP02"));
    QCOMPARE(q.value(1).toString(), QStringLiteral("C"));
    QCOMPARE(q.value(2).toString(), flipped);
    QCOMPARE(q.value(3).toString(), QStringLiteral("Fechada pelo comprador."));
    QCOMPARE(q.value(4).toString(), op("COMP01"));
    QCOMPARE(count(QStringLiteral("SELECT COUNT(*) FROM HISTCOLETA WHERE CDFILIAL = '0001' AND NRCOLEPRECO = :N"), key), 4);

    // A null delta changes nothing and succeeds; a value outside the domain is refused.
    call(QStringLiteral("SetItemCole"), setItemColeArgs(QVariant()));
    const QString other = openQuotation(op("COMP01"));
    try {
        call(QStringLiteral("SetItemCole"), setItemColeArgs(packetVariant(headerDelta(other, {op("COMP01"), "A", "S", QVariant()},
                                                                                         {op("COMP01"), "X", "S", QVariant()}))));
        QFAIL("situation X accepted");
    } catch (const ServerError &e) {
        QCOMPARE(e.code(), QStringLiteral("arguments"));
    }
}

void tst_Methods::setItemColeStaleOldValuesWriteNothing()
{
    ENGINE();
    makeManager(op("COMP01"), op("COMP02"));
    const QString number = openQuotation(op("COMP01"));
    const QVariantMap key = {{QStringLiteral("N"), number}};
    const QString list = scalar(QStringLiteral("SELECT IDDISMONTLIS FROM COLETAPR WHERE CDFILIAL = '0001' AND NRCOLEPRECO = :N"), key);
    // The buyer change matches the stored row and is applied first; the situation's old
    // value is stale, so the whole call must be undone.
    const DataPacket delta = headerDelta(number, {op("COMP01"), "C", list, QVariant()},
                                         {op("COMP02"), "A", list, QVariant()});
    try {
        call(QStringLiteral("SetItemCole"), setItemColeArgs(packetVariant(delta)));
        QFAIL("stale old values accepted");
    } catch (const ServerError &e) {
        QCOMPARE(e.code(), QStringLiteral("conflict"));
        QVERIFY2(e.message().contains(number), qPrintable(e.message()));
    }
    QCOMPARE(scalar(QStringLiteral("SELECT CDOPERADOR FROM COLETAPR WHERE CDFILIAL = '0001' AND NRCOLEPRECO = :N"), key), op("COMP01"));
    QCOMPARE(count(QStringLiteral("SELECT COUNT(*) FROM HISTCOLETA WHERE CDFILIAL = '0001' AND NRCOLEPRECO = :N"), key), 0);

    // An operator the buyer does not relate to may not change the quotation.
    const DataPacket fine = headerDelta(number, {op("COMP01"), "A", list, QVariant()}, {op("COMP01"), "C", list, QVariant()});
    QVariantList args = setItemColeArgs(packetVariant(fine));
    args[5] = op("CONS01");
    try {
        call(QStringLiteral("SetItemCole"), args, op("CONS01"));
        QFAIL("unrelated operator accepted");
    } catch (const ServerError &e) {
        QCOMPARE(e.message(), QStringLiteral("Operador não relacionado ao comprador."));
    }
    QCOMPARE(scalar(QStringLiteral("SELECT IDSITUCOLETA FROM COLETAPR WHERE CDFILIAL = '0001' AND NRCOLEPRECO = :N"), key), QStringLiteral("A"));
}

void tst_Methods::getDadosFiltro()
{
    ENGINE();
    DataPacket p = packetOf(call(QStringLiteral("GetDadosFiltro"), {kCentral, op("COMP02")}, op("COMP02")));
    QCOMPARE(fieldNames(p), QStringList({"DTINIVALCOL", "DTFINVALCOL"}));
    QCOMPARE(p.rowCount(), 1);
    const QString latest = scalar(QStringLiteral(
        "SELECT MAX(DTINIVALCOL) FROM COLETAPR WHERE CDFILIAL = '0001' AND CDOPERADOR = :B"), {{QStringLiteral("B"), op("COMP02")}});
    QCOMPARE(p.value(0, QStringLiteral("DTINIVALCOL")).toDateTime().date(), Database::toDate(latest));

    // Not a buyer: the branch's latest period.  No quotation at all: the current week.
    p = packetOf(call(QStringLiteral("GetDadosFiltro"), {kCentral, op("CONS01")}, op("CONS01")));
    QCOMPARE(p.value(0, QStringLiteral("DTINIVALCOL")).toDateTime().date(),
             Database::toDate(scalar(QStringLiteral("SELECT MAX(DTINIVALCOL) FROM COLETAPR WHERE CDFILIAL = '0001'"))));
    p = packetOf(call(QStringLiteral("GetDadosFiltro"), {QStringLiteral("0002"), op("CONS01")}, op("CONS01")));
    const QDate first = p.value(0, QStringLiteral("DTINIVALCOL")).toDateTime().date();
    QCOMPARE(first.dayOfWeek(), 1); // weeks run Monday to Sunday
    QCOMPARE(first.daysTo(p.value(0, QStringLiteral("DTFINVALCOL")).toDateTime().date()), 6);
}

void tst_Methods::argumentsAreChecked()
{
    ENGINE();
    for (const QString &method : {QStringLiteral("GetColetaPr"), QStringLiteral("DelColetaPr"), QStringLiteral("Verif_Lista")}) {
        try {
            call(method, {kCentral});
            QFAIL(qPrintable(method + QStringLiteral(" accepted one argument")));
        } catch (const ServerError &e) {
            QCOMPARE(e.code(), QStringLiteral("arguments"));
        }
    }
    try {
        call(QStringLiteral("GetFornCotados"), {QString(), QStringLiteral("1")});
        QFAIL("empty branch accepted");
    } catch (const ServerError &e) {
        QCOMPARE(e.code(), QStringLiteral("arguments"));
    }
    // An item delta without the item's key is refused, never silently dropped.
    DataPacket items({{QStringLiteral("CDPRODUTO"), FieldType::String, 10}});
    items.setDelta(true);
    items.appendChange({RowChange::Delete, {QStringLiteral("0000000001")}, {}});
    try {
        call(QStringLiteral("SetItemCole"), setItemColeArgs(QVariant(), packetVariant(items)));
        QFAIL("item delta accepted");
    } catch (const ServerError &e) {
        QCOMPARE(e.code(), QStringLiteral("arguments"));
        QVERIFY2(e.message().contains(QLatin1String("CDFILIAL")), qPrintable(e.message()));
    }
}

QTEST_GUILESS_MAIN(tst_Methods)
#include "tst_methods.moc"
