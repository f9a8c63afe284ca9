// Storing a quotation's items: SetItemCole's item delta (replication to regions and
// suppliers, old-value conflicts, history, markers, refusals) and the zero-priced items
// (GetVerPrZero, DeleteItemCole).  The methods are called through the method table, and
// once through the wire with two sessions, on SQLite and, when the environment names a
// PostgreSQL server (SUP_TEST_PG_HOST / _PORT / _USER), on PostgreSQL.
//
// The data, built here: central branch 0001 whose quotations carry a situation; buyers
// COMPA and COMPB, GERA manages COMPA; regions 001-003 and suppliers FORN1-FORN3 (each
// serving every region); products PROD1-PROD4 registered and qualified for every
// supplier, negotiated by 0001, with brands M1 and M2 registered, qualified and with EAN
// codes; PROD9 registered for no supplier; brand M3 registered for no product.  Each test
// builds its own quotation (a number of its own) over every region and supplier.

#include "Codes.h"
#include "DataPacket.h"
#include "Database.h"
#include "EngineServer.h"
#include "MethodTable.h"
#include "ProtocolContract.h"
#include "ServerError.h"
#include "Session.h"
#include "WireClient.h"

#include <QLoggingCategory>
#include <QScopeGuard>
#include <QSqlQuery>
#include <QtTest>

#include <sodium.h>

#include <functional>
#include <memory>

namespace {

const QString kBranch = QStringLiteral("0001");
const QString kPassword = QStringLiteral("segredo");
const QDate kCollection(2026, 12, 1);
const QString kAllRegions = QStringLiteral("Todas as regiões ");
const QString kOneRegion = QStringLiteral("Somente esta região ");
const QString kAllSuppliers = QStringLiteral(" Todos os fornecedores");
const QString kOneSupplier = QStringLiteral(" Somente este fornecedor");

QString op(const char *code) { return padOperator(QString::fromLatin1(code)); }
QString number(int n) { return padCode(QString::number(n), 10); }
QString region(int r) { return padCode(QString::number(r), 3); }
QString supplier(int s) { return padCode(QStringLiteral("FORN%1").arg(s), 21); }
QString product(int p) { return padCode(QStringLiteral("PROD%1").arg(p), 10); }
QString brand(int b) { return padCode(QStringLiteral("M%1").arg(b), 5); }
QVariant null() { return QVariant(QMetaType(QMetaType::QString)); }

QString hashPassword(const QString &password)
{
    char hash[crypto_pwhash_STRBYTES];
    const QByteArray bytes = password.toUtf8();
    if (crypto_pwhash_str(hash, bytes.constData(), bytes.size(), crypto_pwhash_OPSLIMIT_MIN,
                          crypto_pwhash_MEMLIMIT_MIN) != 0)
        return {};
    return QString::fromLatin1(hash);
}

// One row of the product/brand grid as the workspace holds it.
struct Line
{
    Line(int region, int supplier, int product, int brand, double price = 0, const QString &just = {},
         const QString &text = {}, const QString &cotPrec = QStringLiteral("N"))
        : region(region), supplier(supplier), product(product), brand(brand), price(price), just(just), text(text),
          cotPrec(cotPrec)
    {
    }
    int region;
    int supplier;
    int product;
    int brand;
    double price;
    QString just;
    QString text;
    QString cotPrec;
};

Line with(Line line, const std::function<void(Line &)> &change)
{
    change(line);
    return line;
}

// The item delta of the grid (layout "GridProdMarc") of quotation n.
class ItemDelta
{
public:
    explicit ItemDelta(int n) : m_n(n), m_packet(Protocol::packetLayout(QStringLiteral("GridProdMarc")))
    {
        m_packet.setDelta(true);
    }
    ItemDelta &modify(const Line &before, const Line &after)
    {
        m_packet.appendChange({RowChange::Modify, values(before), values(after)});
        return *this;
    }
    ItemDelta &insert(const Line &line)
    {
        m_packet.appendChange({RowChange::Insert, {}, values(line)});
        return *this;
    }
    ItemDelta &remove(const Line &line)
    {
        m_packet.appendChange({RowChange::Delete, values(line), {}});
        return *this;
    }
    // A row of another quotation.
    ItemDelta &modifyOf(int n, const Line &before, const Line &after)
    {
        const int own = m_n;
        m_n = n;
        modify(before, after);
        m_n = own;
        return *this;
    }
    const DataPacket &packet() const { return m_packet; }

private:
    QVariantList values(const Line &line) const
    {
        QVariantList v(m_packet.fields().size());
        const auto set = [&](const char *field, const QVariant &value) { v[m_packet.fieldIndex(QLatin1String(field))] = value; };
        set("ALTERADO", QStringLiteral("N"));
        set("CDFILIAL", kBranch);
        set("NRCOLEPRECO", number(m_n));
        set("CDREGIAO", region(line.region));
        set("CDFORNECED", supplier(line.supplier));
        set("CDPRODUTO", product(line.product));
        set("CDARVPROD", QStringLiteral("9901%1").arg(line.product));
        set("CDMARCA", brand(line.brand));
        set("VRPRECUNIITM", line.price);
        set("IDITMCOTPREC", line.cotPrec);
        set("DSJUSTOPER", line.just.isEmpty() ? QVariant() : QVariant(line.just));
        set("DSALTERITMCOT", line.text.isEmpty() ? QVariant() : QVariant(line.text));
        return v;
    }
    int m_n;
    DataPacket m_packet;
};

QString errorCode(const QVariantMap &reply)
{
    return reply.value(QStringLiteral("error")).toMap().value(QStringLiteral("code")).toString();
}

} // namespace

// A call (the arguments after wantText) refused with wantCode and a message containing wantText.
#define REFUSED(wantCode, wantText, ...)                                          \
    do {                                                                          \
        try {                                                                     \
            __VA_ARGS__;                                                          \
            QFAIL("not refused: " #__VA_ARGS__);                                  \
        } catch (const ServerError &e_) {                                         \
            QCOMPARE(e_.code(), QStringLiteral(wantCode));                        \
            QVERIFY2(e_.message().contains(wantText), qPrintable(e_.message()));  \
        }                                                                         \
    } while (false)

class tst_ItemSave : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void replicationReachesTheScopeOfTheFlags_data();
    void replicationReachesTheScopeOfTheFlags();
    void historyAndMarkersOfEachKindOfChange_data() { EngineDatabase::addEngineRows(); }
    void historyAndMarkersOfEachKindOfChange();
    void laterRowWinsWhereRowsReachTheSameItem_data() { EngineDatabase::addEngineRows(); }
    void laterRowWinsWhereRowsReachTheSameItem();
    void deletionsGoFirstSoAKeyFreedCanBeTaken_data() { EngineDatabase::addEngineRows(); }
    void deletionsGoFirstSoAKeyFreedCanBeTaken();
    void deletionKeepsHistoryAndLeavesPriceLists_data() { EngineDatabase::addEngineRows(); }
    void deletionKeepsHistoryAndLeavesPriceLists();

    void conflictsWhenAnotherSessionChangedTheItem_data() { EngineDatabase::addEngineRows(); }
    void conflictsWhenAnotherSessionChangedTheItem();
    void oneConflictingRowRollsBackTheWholeCall_data() { EngineDatabase::addEngineRows(); }
    void oneConflictingRowRollsBackTheWholeCall();
    void operatorAndSituationRules_data() { EngineDatabase::addEngineRows(); }
    void operatorAndSituationRules();
    void malformedRowsAreRefused_data() { EngineDatabase::addEngineRows(); }
    void malformedRowsAreRefused();
    void rowsFailingTheItemChecksAreRefused_data() { EngineDatabase::addEngineRows(); }
    void rowsFailingTheItemChecksAreRefused();

    void zeroPriceAnswers_data() { EngineDatabase::addEngineRows(); }
    void zeroPriceAnswers();
    void zeroPricedItemsAreDeleted_data() { EngineDatabase::addEngineRows(); }
    void zeroPricedItemsAreDeleted();

    void secondSessionGetsConflictThroughTheWire_data() { EngineDatabase::addEngineRows(); }
    void secondSessionGetsConflictThroughTheWire();

private:
    bool prepare(EngineServer &engine, QString *error);
    void buildData(Database &db);
    void selectEngine(bool postgres);

    Database &db() { return m_current->database.db(); }
    void exec(const QString &sql, const QVariantList &values = {});
    QString scalar(const QString &sql, const QVariantList &values = {});

    // Quotation n of buyer over every region and supplier (or the first regions and
    // suppliers given), launched ('L').
    void quotation(int n, const char *situation = "A", const char *buyer = "COMPA", int regions = 3, int suppliers = 3);
    void item(int n, const Line &line);
    void priceList(const QString &list, const char *state, int n, const Line &line, const char *confirmed = "N");

    // The stored items of quotation n, "region|supplier|product|brand|price", sorted, codes trimmed.
    QStringList items(int n);
    // One stored item's columns (null as "-"), or an empty string when it does not exist.
    QString itemColumns(int n, const Line &line, const QString &columns);
    // The price history of quotation n in order, with the given columns joined by '|'.
    QStringList history(int n, const QString &columns = QStringLiteral(
                                    "IDTIPALTER, CDREGIAO, CDFORNECED, CDPRODUTO, VRPRECANT, VRPRECNOVO"));
    qlonglong historyCount(int n);

    QVariant call(const QString &method, const QVariantMap &named, const char *logged = "COMPA",
                  const QList<Confirmation> &confirmations = {});
    QVariant setItems(const ItemDelta &delta, bool allRegions = false, bool allSuppliers = false,
                      const char *logged = "COMPA", const QVariant &header = {},
                      const QList<Confirmation> &confirmations = {});

    MethodTable m_table;
    EngineServer m_sqlite{DatabaseConfig::Engine::SQLite, QStringLiteral("itemsave")};
    EngineServer m_postgres{DatabaseConfig::Engine::PostgreSQL, QStringLiteral("itemsave")};
    EngineServer *m_current = nullptr;
};

#define ENGINE()                                                                                     \
    do {                                                                                             \
        QFETCH(bool, postgres);                                                                      \
        if (postgres && !m_postgres.database.isAvailable())                                          \
            QSKIP(qPrintable(QStringLiteral("PostgreSQL: ") + m_postgres.database.skipReason()));    \
        selectEngine(postgres);                                                                      \
    } while (false)

// --- data ----------------------------------------------------------------------------------------

void tst_ItemSave::initTestCase()
{
    QVERIFY(sodium_init() >= 0);
    QLoggingCategory::setFilterRules(QStringLiteral("sup.*.info=false\nsup.calls.warning=false"));
    registerServerObjects(m_table);
    QString error;
    QVERIFY2(prepare(m_sqlite, &error), qPrintable(error));
    if (!prepare(m_postgres, &error))
        QVERIFY2(error.isEmpty(), qPrintable(error));
}

void tst_ItemSave::cleanupTestCase()
{
    m_sqlite.stop();
    m_postgres.stop();
}

bool tst_ItemSave::prepare(EngineServer &engine, QString *error)
{
    if (!engine.database.create(EngineDatabase::Content::Schema, error))
        return false;
    try {
        buildData(engine.database.db());
    } catch (const std::exception &e) {
        *error = QString::fromLocal8Bit(e.what());
        return false;
    }
    return true;
}

void tst_ItemSave::selectEngine(bool postgres)
{
    m_current = postgres ? &m_postgres : &m_sqlite;
}

void tst_ItemSave::exec(const QString &sql, const QVariantList &values)
{
    QVariantMap params;
    for (int i = 0; i < values.size(); ++i)
        params.insert(QStringLiteral("V%1").arg(i), values.at(i));
    db().exec(sql, params);
}

QString tst_ItemSave::scalar(const QString &sql, const QVariantList &values)
{
    QVariantMap params;
    for (int i = 0; i < values.size(); ++i)
        params.insert(QStringLiteral("V%1").arg(i), values.at(i));
    QSqlQuery q = db().exec(sql, params);
    return q.next() ? q.value(0).toString() : QString();
}

void tst_ItemSave::buildData(Database &database)
{
    const auto run = [&](const QString &sql, const QVariantList &values = {}) {
        QVariantMap params;
        for (int i = 0; i < values.size(); ++i)
            params.insert(QStringLiteral("V%1").arg(i), values.at(i));
        database.exec(sql, params);
    };
    run(QStringLiteral("INSERT INTO FILIAL (CDFILIAL, NMFILIAL, IDTIPFILI) VALUES ('0001', 'Central', 'C')"));
    run(QStringLiteral("INSERT INTO PARASUPRI (CDFILIAL, IDUTISTATCOT, IDUMPRODCMP) VALUES ('0001', 'S', 'N')"));
    const QString hash = hashPassword(kPassword);
    for (const char *code : {"COMPA", "COMPB", "GERA"})
        run(QStringLiteral("INSERT INTO OPERADOR (CDOPERADOR, NMOPERADOR, DSSENHAOPER, CDFILIAL) VALUES (:V0, :V1, :V2, '0001')"),
            {op(code), QString::fromLatin1(code), hash});
    for (const char *code : {"COMPA", "COMPB"})
        run(QStringLiteral("INSERT INTO COMPRADOR (CDOPERADOR, CDFILIAL) VALUES (:V0, '0001')"), {op(code)});
    run(QStringLiteral("INSERT INTO GERECOMP (CDOPERCOMP, CDOPERGERE) VALUES (:V0, :V1)"), {op("COMPA"), op("GERA")});
    for (int r = 1; r <= 3; ++r)
        run(QStringLiteral("INSERT INTO REGIAO (CDREGIAO, NMREGIAO) VALUES (:V0, :V1)"), {region(r), QStringLiteral("Região %1").arg(r)});
    for (int b = 1; b <= 3; ++b)
        run(QStringLiteral("INSERT INTO MARCA (CDMARCA, NMMARCA) VALUES (:V0, :V1)"), {brand(b), QStringLiteral("Marca %1").arg(b)});
    const QDate valid(2027, 12, 31);
    for (int s = 1; s <= 3; ++s) {
        run(QStringLiteral("INSERT INTO FORNECEDOR (CDFORNECED, IDTPIJURFORN, NRINSJURFORN, NMRAZSOCFORN, NMFANTFORN) "
                           "VALUES (:V0, 'J', :V1, :V2, :V2)"),
            {supplier(s), QStringLiteral("1234567800019%1").arg(s), QStringLiteral("Fornecedor %1").arg(s)});
        for (int r = 1; r <= 3; ++r)
            run(QStringLiteral("INSERT INTO REGIFORN (CDFORNECED, CDREGIAO) VALUES (:V0, :V1)"), {supplier(s), region(r)});
    }
    for (int p : {1, 2, 3, 4, 9}) {
        run(QStringLiteral("INSERT INTO PRODUTO (CDPRODUTO, CDARVPROD, NMPRODUTO, CDNVPRODUTO, IDULTNIVPROD, SGUNIDADE) "
                           "VALUES (:V0, :V1, :V2, '3', 'S', 'CX')"),
            {product(p), QStringLiteral("9901%1").arg(p), QStringLiteral("Produto %1").arg(p)});
        run(QStringLiteral("INSERT INTO PRODFILI (CDFILIAL, CDPRODUTO) VALUES ('0001', :V0)"), {product(p)});
        for (int b = 1; b <= 2; ++b) {
            run(QStringLiteral("INSERT INTO MARCPROD (CDPRODUTO, CDMARCA, IDQUALMARC, DTVALQUALMARC) VALUES (:V0, :V1, 'S', :V2)"),
                {product(p), brand(b), valid});
            run(QStringLiteral("INSERT INTO EANPRODMARC (CDEAN, CDPRODUTO, CDMARCA) VALUES (:V0, :V1, :V2)"),
                {QStringLiteral("78900%1%2").arg(p).arg(b), product(p), brand(b)});
        }
        if (p == 9)
            continue;
        for (int s = 1; s <= 3; ++s)
            run(QStringLiteral("INSERT INTO PRODFORN (CDFORNECED, CDPRODUTO, IDQUALPRODFORN, DTVALQUALPF) VALUES (:V0, :V1, 'S', :V2)"),
                {supplier(s), product(p), valid});
    }
}

void tst_ItemSave::quotation(int n, const char *situation, const char *buyer, int regions, int suppliers)
{
    exec(QStringLiteral("INSERT INTO COLETAPR (CDFILIAL, NRCOLEPRECO, DTCOLEPREC, DTINIVALCOL, DTFINVALCOL, CDOPERADOR, "
                        "IDTIPCOLREG, IDSITUCOLETA, DSOBSCOTPREC) VALUES ('0001', :V0, :V1, :V2, :V3, :V4, 'L', :V5, 'Original')"),
         {number(n), kCollection, kCollection.addDays(6), kCollection.addDays(12), op(buyer), QString::fromLatin1(situation)});
    for (int r = 1; r <= regions; ++r) {
        exec(QStringLiteral("INSERT INTO COLEREGI (CDFILIAL, NRCOLEPRECO, CDREGIAO) VALUES ('0001', :V0, :V1)"), {number(n), region(r)});
        for (int s = 1; s <= suppliers; ++s)
            exec(QStringLiteral("INSERT INTO COLEFORN (CDFILIAL, NRCOLEPRECO, CDREGIAO, CDFORNECED) VALUES ('0001', :V0, :V1, :V2)"),
                 {number(n), region(r), supplier(s)});
    }
}

void tst_ItemSave::item(int n, const Line &line)
{
    exec(QStringLiteral("INSERT INTO ITCOLETAPR (CDFILIAL, NRCOLEPRECO, CDREGIAO, CDFORNECED, CDPRODUTO, CDMARCA, VRPRECUNIITM, "
                        "DSJUSTOPER) VALUES ('0001', :V0, :V1, :V2, :V3, :V4, :V5, :V6)"),
         {number(n), region(line.region), supplier(line.supplier), product(line.product), brand(line.brand), line.price,
          line.just.isEmpty() ? null() : QVariant(line.just)});
}

void tst_ItemSave::priceList(const QString &list, const char *state, int n, const Line &line, const char *confirmed)
{
    const QString lists = scalar(QStringLiteral("SELECT COUNT(*) FROM LISTPREC WHERE NRSEQPRELIST = :V0"), {list});
    if (lists == QLatin1String("0"))
        exec(QStringLiteral("INSERT INTO LISTPREC (CDFILIAL, NRSEQPRELIST, DSLISTPREC, DTINIVALLIS, DTFINVALLIS, IDSITULIST) "
                            "VALUES ('0001', :V0, 'Lista', :V1, :V1, :V2)"),
             {list, kCollection, QString::fromLatin1(state)});
    exec(QStringLiteral("INSERT INTO ITLISTPREC (CDFILIAL, NRSEQPRELIST, NRCOLEPRECO, CDREGIAO, CDFORNECED, CDPRODUTO, CDMARCA, "
                        "VRPRECLIST, IDPRECCONF) VALUES ('0001', :V0, :V1, :V2, :V3, :V4, :V5, :V6, :V7)"),
         {list, number(n), region(line.region), supplier(line.supplier), product(line.product), brand(line.brand), line.price,
          QString::fromLatin1(confirmed)});
}

QStringList tst_ItemSave::items(int n)
{
    QSqlQuery q = db().exec(QStringLiteral("SELECT CDREGIAO, CDFORNECED, CDPRODUTO, CDMARCA, VRPRECUNIITM FROM ITCOLETAPR "
                                           "WHERE CDFILIAL = '0001' AND NRCOLEPRECO = :N "
                                           "ORDER BY CDREGIAO, CDFORNECED, CDPRODUTO, CDMARCA"),
                            {{QStringLiteral("N"), number(n)}});
    QStringList out;
    while (q.next()) {
        out << QStringLiteral("%1|%2|%3|%4|%5").arg(q.value(0).toString().trimmed(), q.value(1).toString().trimmed(),
                                                    q.value(2).toString().trimmed(), q.value(3).toString().trimmed(),
                                                    QString::number(q.value(4).toDouble()));
    }
    return out;
}

QString tst_ItemSave::itemColumns(int n, const Line &line, const QString &columns)
{
    QSqlQuery q = db().exec(QStringLiteral("SELECT %1 FROM ITCOLETAPR WHERE CDFILIAL = '0001' AND NRCOLEPRECO = :N "
                                           "AND CDREGIAO = :R AND CDFORNECED = :S AND CDPRODUTO = :P AND CDMARCA = :B")
                                .arg(columns),
                            {{QStringLiteral("N"), number(n)}, {QStringLiteral("R"), region(line.region)},
                             {QStringLiteral("S"), supplier(line.supplier)}, {QStringLiteral("P"), product(line.product)},
                             {QStringLiteral("B"), brand(line.brand)}});
    if (!q.next())
        return {};
    QStringList values;
    for (int i = 0; i < columns.count(QLatin1Char(',')) + 1; ++i)
        values << (q.value(i).isNull() ? QStringLiteral("-") : q.value(i).toString().trimmed());
    return values.join(QLatin1Char('|'));
}

QStringList tst_ItemSave::history(int n, const QString &columns)
{
    QSqlQuery q = db().exec(QStringLiteral("SELECT %1 FROM HISTITCOLE WHERE CDFILIAL = '0001' AND NRCOLEPRECO = :N "
                                           "ORDER BY NRSEQHIST").arg(columns),
                            {{QStringLiteral("N"), number(n)}});
    QStringList out;
    const int count = columns.count(QLatin1Char(',')) + 1;
    while (q.next()) {
        QStringList values;
        for (int i = 0; i < count; ++i) {
            const QVariant v = q.value(i);
            values << (v.isNull() ? QStringLiteral("-")
                                  : v.typeId() == QMetaType::Double ? QString::number(v.toDouble())
                                                                    : v.toString().trimmed());
        }
        out << values.join(QLatin1Char('|'));
    }
    return out;
}

qlonglong tst_ItemSave::historyCount(int n)
{
    return scalar(QStringLiteral("SELECT COUNT(*) FROM HISTITCOLE WHERE CDFILIAL = '0001' AND NRCOLEPRECO = :V0"), {number(n)})
        .toLongLong();
}

QVariant tst_ItemSave::call(const QString &method, const QVariantMap &named, const char *logged,
                            const QList<Confirmation> &confirmations)
{
    const MethodDecl *decl = m_table.find(kGridCotaPrecObject, method);
    if (!decl)
        throw ServerError(QStringLiteral("unknown-method"), method);
    QVariantList args = Protocol::positional(decl->contract, named);
    const QString bad = MethodTable::checkArguments(*decl, args);
    if (!bad.isEmpty())
        throw ServerError::arguments(bad);
    MethodTable::normalizeArguments(*decl, args);
    Session session;
    session.operatorCode = op(logged);
    session.branch = kBranch;
    session.loggedIn = true;
    session.confirmations = confirmations;
    CallContext ctx{session, db(), decl->contract, args};
    return decl->fn(ctx);
}

QVariant tst_ItemSave::setItems(const ItemDelta &delta, bool allRegions, bool allSuppliers, const char *logged,
                                const QVariant &header, const QList<Confirmation> &confirmations)
{
    return call(QStringLiteral("SetItemCole"),
                {{QStringLiteral("DeltaColetapr"), header},
                 {QStringLiteral("DeltaGridProdMarc"), packetVariant(delta.packet())},
                 {QStringLiteral("DTCOLEPREC"), kCollection},
                 {QStringLiteral("TodasRegioes"), allRegions},
                 {QStringLiteral("FiliProc"), kBranch},
                 {QStringLiteral("Operador"), QString::fromLatin1(logged)},
                 {QStringLiteral("TodosForn"), allSuppliers},
                 {QStringLiteral("TODASREG"), kAllRegions},
                 {QStringLiteral("UMAREG"), kOneRegion},
                 {QStringLiteral("TODOSFORN"), kAllSuppliers},
                 {QStringLiteral("UMFORN"), kOneSupplier},
                 {QStringLiteral("boConsulta"), false},
                 {QStringLiteral("CDOPERADOR"), QString::fromLatin1(logged)},
                 {QStringLiteral("DTINIVALCOL"), kCollection.addDays(6)},
                 {QStringLiteral("DTFINVALCOL"), kCollection.addDays(12)}},
                logged, confirmations);
}

// --- replication, history, markers -----------------------------------------------------------

void tst_ItemSave::replicationReachesTheScopeOfTheFlags_data()
{
    QTest::addColumn<bool>("postgres");
    QTest::addColumn<bool>("allRegions");
    QTest::addColumn<bool>("allSuppliers");
    QTest::addColumn<QString>("reached"); // "rs" of every item that takes the new price
    QTest::addColumn<QString>("scope");
    for (bool postgres : {false, true}) {
        const char *engine = postgres ? "postgres" : "sqlite";
        QTest::addRow("%s: this item", engine) << postgres << false << false << QStringLiteral("11") << kOneRegion + kOneSupplier;
        QTest::addRow("%s: all regions", engine) << postgres << true << false << QStringLiteral("11 21 31") << kAllRegions + kOneSupplier;
        QTest::addRow("%s: all suppliers", engine) << postgres << false << true << QStringLiteral("11 12 13") << kOneRegion + kAllSuppliers;
        QTest::addRow("%s: both", engine) << postgres << true << true << QStringLiteral("11 12 13 21 22 23 31 32")
                                          << kAllRegions + kAllSuppliers;
    }
}

void tst_ItemSave::replicationReachesTheScopeOfTheFlags()
{
    ENGINE();
    QFETCH(bool, allRegions);
    QFETCH(bool, allSuppliers);
    QFETCH(QString, reached);
    QFETCH(QString, scope);
    const int n = 100 + (allRegions ? 1 : 0) + (allSuppliers ? 2 : 0);
    quotation(n);
    // Product 1 in brand 1 everywhere but region 3 / supplier 3, priced r*10+s; product 2
    // and product 1 in brand 2 are other items and never change.
    for (int r = 1; r <= 3; ++r) {
        for (int s = 1; s <= 3; ++s) {
            if (r != 3 || s != 3)
                item(n, {r, s, 1, 1, double(r * 10 + s)});
            item(n, {r, s, 2, 1, 5});
        }
    }
    item(n, {1, 2, 1, 2, 7});

    const Line before{1, 1, 1, 1, 11};
    const Line after = with(before, [](Line &l) {
        l.price = 50;
        l.just = QStringLiteral("Reajuste");
        l.cotPrec = QStringLiteral("S");
    });
    QCOMPARE(setItems(ItemDelta(n).modify(before, after), allRegions, allSuppliers), QVariant(true));

    QStringList expected;
    QStringList expectedHistory;
    for (int r = 1; r <= 3; ++r) {
        for (int s = 1; s <= 3; ++s) {
            const bool hit = reached.contains(QStringLiteral("%1%2").arg(r).arg(s));
            if (r != 3 || s != 3) {
                expected << QStringLiteral("%1|%2|%3|%4|%5").arg(region(r), supplier(s).trimmed(), product(1).trimmed(),
                                                                  brand(1).trimmed(), QString::number(hit ? 50 : r * 10 + s));
                if (s == 2 && r == 1)
                    expected << QStringLiteral("%1|%2|%3|%4|7").arg(region(r), supplier(s).trimmed(), product(1).trimmed(),
                                                                     brand(2).trimmed());
            }
            expected << QStringLiteral("%1|%2|%3|%4|5").arg(region(r), supplier(s).trimmed(), product(2).trimmed(),
                                                             brand(1).trimmed());
            if (hit)
                expectedHistory << QStringLiteral("P|%1|%2|%3|50|%4")
                                       .arg(region(r), supplier(s).trimmed())
                                       .arg(r * 10 + s)
                                       .arg(scope.trimmed());
        }
    }
    expected.sort();
    QCOMPARE(items(n), expected);
    QStringList stored = history(n, QStringLiteral("IDTIPALTER, CDREGIAO, CDFORNECED, VRPRECANT, VRPRECNOVO, DSABRANGENCIA"));
    stored.sort();
    expectedHistory.sort();
    QCOMPARE(stored, expectedHistory);
}

void tst_ItemSave::historyAndMarkersOfEachKindOfChange()
{
    ENGINE();
    const int n = 201;
    quotation(n);
    item(n, {1, 1, 1, 1, 5.5});
    item(n, {2, 1, 1, 1, 0});      // reached by the price change from a price of zero
    item(n, {1, 1, 2, 1, 0});
    item(n, {1, 1, 3, 1, 8});
    item(n, {2, 1, 3, 1, 9});      // reached by the brand change
    item(n, {3, 1, 3, 1, 4});      // holds the new brand already: left as it is
    item(n, {3, 1, 3, 2, 5});
    const QString priceText = QStringLiteral("Preço Unitário - de: 5.5 para: 6 /");
    const QString brandText = QStringLiteral("Alteração de Marca - de: M1 para: M2 /");
    ItemDelta delta(n);
    delta.modify({1, 1, 1, 1, 5.5}, {1, 1, 1, 1, 6, QStringLiteral("Preço do fornecedor"), priceText, QStringLiteral("S")})
        .modify({1, 1, 2, 1, 0}, {1, 1, 2, 1, 3, {}, {}, QStringLiteral("S")})
        .modify({1, 1, 3, 1, 8}, {1, 1, 3, 2, 8, QStringLiteral("Marca trocada"), brandText})
        .insert({1, 1, 4, 1, 2.25, QStringLiteral("Novo produto")});
    const QDateTime before = QDateTime::currentDateTimeUtc().addSecs(-1);
    QCOMPARE(setItems(delta, true, false), QVariant(true));

    const QString columns = QStringLiteral("VRPRECUNIITM, IDPRECALT, IDITMCOTPREC, DSJUSTOPER, DSALTERITMCOT, CDOPERALTE");
    // The row's own markers as sent; IDPRECALT over a stored price above zero only.
    QCOMPARE(itemColumns(n, {1, 1, 1, 1}, columns), QStringLiteral("6|S|S|Preço do fornecedor|%1|COMPA").arg(priceText));
    QCOMPARE(itemColumns(n, {2, 1, 1, 1}, columns), QStringLiteral("6|N|S|Preço do fornecedor|-|COMPA"));
    QCOMPARE(itemColumns(n, {1, 1, 2, 1}, columns), QStringLiteral("3|N|S|-|-|COMPA"));
    QCOMPARE(itemColumns(n, {1, 1, 3, 1}, columns), QString());
    QCOMPARE(itemColumns(n, {1, 1, 3, 2}, columns), QStringLiteral("8|S|N|Marca trocada|%1|COMPA").arg(brandText));
    // A replicated brand change describes itself from the item's own stored values.
    QCOMPARE(itemColumns(n, {2, 1, 3, 2}, columns), QStringLiteral("9|S|N|Marca trocada|%1|COMPA").arg(brandText));
    QCOMPARE(itemColumns(n, {3, 1, 3, 1}, columns), QStringLiteral("4|N|N|-|-|-"));
    QCOMPARE(itemColumns(n, {3, 1, 3, 2}, columns), QStringLiteral("5|N|N|-|-|-"));
    QCOMPARE(itemColumns(n, {1, 1, 4, 1}, columns), QStringLiteral("2.25|N|N|Novo produto|-|COMPA"));

    // One row per item changed, in item order.
    const QString scope = QStringLiteral("Todas as regiões  Somente este fornecedor");
    QCOMPARE(history(n, QStringLiteral("IDTIPALTER, CDREGIAO, CDPRODUTO, VRPRECANT, VRPRECNOVO, CDMARCAANT, CDMARCANOVA, "
                                       "DSJUSTOPER, DSALTERITMCOT, DSABRANGENCIA, CDOPERADOR")),
             QStringList({QStringLiteral("P|001|PROD1|5.5|6|M1|M1|Preço do fornecedor|%1|%2|COMPA").arg(priceText, scope),
                          QStringLiteral("P|001|PROD2|0|3|M1|M1|-|-|%1|COMPA").arg(scope),
                          QStringLiteral("M|001|PROD3|8|8|M1|M2|Marca trocada|%1|%2|COMPA").arg(brandText, scope),
                          QStringLiteral("I|001|PROD4|-|2.25|-|M1|Novo produto|-|%1|COMPA").arg(scope),
                          QStringLiteral("P|002|PROD1|0|6|M1|M1|Preço do fornecedor|-|%1|COMPA").arg(scope),
                          QStringLiteral("M|002|PROD3|9|9|M1|M2|Marca trocada|%1|%2|COMPA").arg(brandText, scope)}));
    // One moment for the whole call.
    QSqlQuery moments = db().exec(QStringLiteral("SELECT DISTINCT DTHRALTER FROM HISTITCOLE WHERE NRCOLEPRECO = :N"),
                                  {{QStringLiteral("N"), number(n)}});
    QVERIFY(moments.next());
    const QDateTime at = Database::toDateTime(moments.value(0));
    QVERIFY2(at >= before && at <= QDateTime::currentDateTimeUtc().addSecs(1), qPrintable(at.toString(Qt::ISODate)));
    QVERIFY(!moments.next());

    // Keyed prices make a launched quotation one keyed in the grid, audited as such.
    QCOMPARE(scalar(QStringLiteral("SELECT IDTIPCOLREG FROM COLETAPR WHERE NRCOLEPRECO = :V0"), {number(n)}), QStringLiteral("G"));
    QCOMPARE(scalar(QStringLiteral("SELECT DSVALORANT || '>' || DSVALORNOVO FROM HISTCOLETA WHERE NRCOLEPRECO = :V0 "
                                   "AND NMCAMPO = 'IDTIPCOLREG'"), {number(n)}),
             QStringLiteral("L>G"));
}

void tst_ItemSave::laterRowWinsWhereRowsReachTheSameItem()
{
    ENGINE();
    const int n = 301;
    quotation(n);
    for (int s = 1; s <= 3; ++s)
        item(n, {1, s, 1, 1, 10.0 * s});
    ItemDelta delta(n);
    delta.modify({1, 1, 1, 1, 10}, {1, 1, 1, 1, 11, QStringLiteral("Primeira")})
        .modify({1, 2, 1, 1, 20}, {1, 2, 1, 1, 22, QStringLiteral("Segunda")});
    QCOMPARE(setItems(delta, false, true), QVariant(true));
    QCOMPARE(items(n), QStringList({QStringLiteral("001|FORN1|PROD1|M1|22"), QStringLiteral("001|FORN2|PROD1|M1|22"),
                                    QStringLiteral("001|FORN3|PROD1|M1|22")}));
    // One history row per item, from its stored price to the one the call left.
    QStringList rows = history(n, QStringLiteral("CDFORNECED, VRPRECANT, VRPRECNOVO, DSJUSTOPER"));
    rows.sort();
    QCOMPARE(rows, QStringList({QStringLiteral("FORN1|10|22|Segunda"), QStringLiteral("FORN2|20|22|Segunda"),
                                QStringLiteral("FORN3|30|22|Segunda")}));
}

void tst_ItemSave::deletionsGoFirstSoAKeyFreedCanBeTaken()
{
    ENGINE();
    const int n = 351;
    quotation(n);
    item(n, {1, 1, 1, 1, 10});
    item(n, {1, 1, 1, 2, 12});
    item(n, {1, 1, 2, 1, 20});
    // The grid lists the brand change before the deletion of the brand it takes, and a row
    // deleted and included again.
    ItemDelta delta(n);
    delta.modify({1, 1, 1, 1, 10}, {1, 1, 1, 2, 10})
        .remove({1, 1, 1, 2, 12})
        .insert({1, 1, 2, 1, 21})
        .remove({1, 1, 2, 1, 20});
    QCOMPARE(setItems(delta), QVariant(true));
    QCOMPARE(items(n), QStringList({QStringLiteral("001|FORN1|PROD1|M2|10"), QStringLiteral("001|FORN1|PROD2|M1|21")}));
    QCOMPARE(history(n, QStringLiteral("IDTIPALTER, CDPRODUTO, CDMARCAANT, CDMARCANOVA, VRPRECANT, VRPRECNOVO")),
             QStringList({QStringLiteral("M|PROD1|M1|M2|10|10"), QStringLiteral("E|PROD1|M2|-|12|-"),
                          QStringLiteral("E|PROD2|M1|-|20|-"), QStringLiteral("I|PROD2|-|M1|-|21")}));
}

void tst_ItemSave::deletionKeepsHistoryAndLeavesPriceLists()
{
    ENGINE();
    const int n = 401;
    quotation(n);
    item(n, {1, 1, 1, 1, 10});
    item(n, {1, 2, 1, 1, 12});
    item(n, {2, 1, 1, 1, 14});
    item(n, {2, 1, 2, 1, 3});
    priceList(QStringLiteral("0000000401"), "A", n, {1, 1, 1, 1, 10});
    priceList(QStringLiteral("0000000401"), "A", n, {1, 2, 1, 1, 12});
    priceList(QStringLiteral("0000000402"), "A", n, {2, 1, 2, 1, 3});

    // The deletion reaches the other supplier's item too; both leave the list, the list
    // stays, and the history of both is written and kept.
    QCOMPARE(setItems(ItemDelta(n).remove({1, 1, 1, 1, 10}), false, true), QVariant(true));
    QCOMPARE(items(n), QStringList({QStringLiteral("002|FORN1|PROD1|M1|14"), QStringLiteral("002|FORN1|PROD2|M1|3")}));
    QCOMPARE(scalar(QStringLiteral("SELECT COUNT(*) FROM ITLISTPREC WHERE NRSEQPRELIST = '0000000401'")), QStringLiteral("0"));
    QCOMPARE(scalar(QStringLiteral("SELECT COUNT(*) FROM LISTPREC WHERE NRSEQPRELIST = '0000000401'")), QStringLiteral("1"));
    QCOMPARE(history(n, QStringLiteral("IDTIPALTER, CDFORNECED, VRPRECANT, VRPRECNOVO, CDMARCAANT, CDMARCANOVA, DSALTERITMCOT")),
             QStringList({QStringLiteral("E|FORN1|10|-|M1|-|Item excluído da cotação."),
                          QStringLiteral("E|FORN2|12|-|M1|-|Item excluído da cotação.")}));

    // A brand change takes the item off its list as well (the list held the other brand).
    QCOMPARE(setItems(ItemDelta(n).modify({2, 1, 2, 1, 3}, {2, 1, 2, 2, 3})), QVariant(true));
    QCOMPARE(scalar(QStringLiteral("SELECT COUNT(*) FROM ITLISTPREC WHERE NRSEQPRELIST = '0000000402'")), QStringLiteral("0"));

    // A price confirmed in a concluded list is not taken away: nothing of the call is written.
    const int m = 402;
    quotation(m);
    item(m, {1, 1, 1, 1, 10});
    item(m, {1, 1, 2, 1, 20});
    priceList(QStringLiteral("0000000403"), "C", m, {1, 1, 1, 1, 10}, "S");
    REFUSED("server", QStringLiteral("lista de preços 0000000403"),
            setItems(ItemDelta(m).modify({1, 1, 2, 1, 20}, {1, 1, 2, 1, 21}).remove({1, 1, 1, 1, 10})));
    QCOMPARE(items(m), QStringList({QStringLiteral("001|FORN1|PROD1|M1|10"), QStringLiteral("001|FORN1|PROD2|M1|20")}));
    QCOMPARE(historyCount(m), 0);
    QCOMPARE(scalar(QStringLiteral("SELECT COUNT(*) FROM ITLISTPREC WHERE NRSEQPRELIST = '0000000403'")), QStringLiteral("1"));
}

// --- conflicts and refusals ----------------------------------------------------------------------

void tst_ItemSave::conflictsWhenAnotherSessionChangedTheItem()
{
    ENGINE();
    const int n = 501;
    quotation(n);
    item(n, {1, 1, 1, 1, 10});
    item(n, {1, 1, 2, 1, 20});
    item(n, {1, 1, 3, 1, 30, QStringLiteral("Antiga")});
    item(n, {1, 1, 4, 1, 40});

    // Another buyer's session stores first; every row loaded before is stale.
    ItemDelta first(n);
    first.modify({1, 1, 1, 1, 10}, {1, 1, 1, 1, 11})
        .modify({1, 1, 2, 1, 20}, {1, 1, 2, 1, 21})
        .modify({1, 1, 3, 1, 30, QStringLiteral("Antiga")}, {1, 1, 3, 1, 30, QStringLiteral("Nova")})
        .remove({1, 1, 4, 1, 40})
        .insert({1, 1, 1, 2, 5});
    QCOMPARE(setItems(first), QVariant(true));
    const QStringList stored = items(n);
    const qlonglong written = historyCount(n);

    REFUSED("conflict",
            QStringLiteral("produto 99011, marca M1, região 001, fornecedor FORN1) foi alterado por outro usuário (VRPRECUNIITM)"),
            setItems(ItemDelta(n).modify({1, 1, 1, 1, 10}, {1, 1, 1, 1, 12})));
    REFUSED("conflict", QStringLiteral("(VRPRECUNIITM)"), setItems(ItemDelta(n).remove({1, 1, 2, 1, 20})));
    REFUSED("conflict", QStringLiteral("(DSJUSTOPER)"), setItems(ItemDelta(n).modify({1, 1, 3, 1, 30, QStringLiteral("Antiga")},
                                         {1, 1, 3, 1, 30, QStringLiteral("Outra")})));
    REFUSED("conflict", QStringLiteral("produto 99014, marca M1, região 001, fornecedor FORN1) foi excluído por outro usuário"),
            setItems(ItemDelta(n).modify({1, 1, 4, 1, 40}, {1, 1, 4, 1, 41})));
    REFUSED("conflict", QStringLiteral("foi excluído por outro usuário"),
            setItems(ItemDelta(n).remove({1, 1, 4, 1, 40})));
    REFUSED("conflict", QStringLiteral("já foi incluído por outro usuário"),
            setItems(ItemDelta(n).insert({1, 1, 1, 2, 6})));
    QCOMPARE(items(n), stored);
    QCOMPARE(historyCount(n), written);

    // Only the fields a row changes are checked: a price change over a justification
    // someone else changed goes through and keeps that justification.
    QCOMPARE(setItems(ItemDelta(n).modify({1, 1, 3, 1, 30, QStringLiteral("Antiga")}, {1, 1, 3, 1, 33, QStringLiteral("Antiga")})),
             QVariant(true));
    QCOMPARE(itemColumns(n, {1, 1, 3, 1}, QStringLiteral("VRPRECUNIITM, DSJUSTOPER")), QStringLiteral("33|Nova"));
}

void tst_ItemSave::oneConflictingRowRollsBackTheWholeCall()
{
    ENGINE();
    const int n = 601;
    quotation(n);
    for (int r = 1; r <= 3; ++r) {
        for (int p = 1; p <= 3; ++p)
            item(n, {r, 1, p, 1, 10.0 * p});
    }
    exec(QStringLiteral("UPDATE ITCOLETAPR SET VRPRECUNIITM = 31 WHERE NRCOLEPRECO = :V0 AND CDREGIAO = '001' AND CDPRODUTO = :V1"),
         {number(n), product(3)});
    const QStringList stored = items(n);

    // The header's observation and two good rows with replication, then a stale row.
    DataPacket header({{QStringLiteral("CDFILIAL"), FieldType::String, 4}, {QStringLiteral("NRCOLEPRECO"), FieldType::String, 10},
                       {QStringLiteral("DSOBSCOTPREC"), FieldType::String, 2000}});
    header.setDelta(true);
    header.appendChange({RowChange::Modify, {kBranch, number(n), QStringLiteral("Original")},
                         {kBranch, number(n), QStringLiteral("Revista")}});
    ItemDelta delta(n);
    delta.modify({1, 1, 1, 1, 10}, {1, 1, 1, 1, 15})
        .modify({1, 1, 2, 1, 20}, {1, 1, 2, 1, 25})
        .modify({1, 1, 3, 1, 30}, {1, 1, 3, 1, 35});
    REFUSED("conflict", QStringLiteral("produto 99013"), setItems(delta, true, true, "COMPA", packetVariant(header)));
    QCOMPARE(items(n), stored);
    QCOMPARE(historyCount(n), 0);
    QCOMPARE(scalar(QStringLiteral("SELECT DSOBSCOTPREC || IDTIPCOLREG FROM COLETAPR WHERE NRCOLEPRECO = :V0"), {number(n)}),
             QStringLiteral("OriginalL"));
    QCOMPARE(scalar(QStringLiteral("SELECT COUNT(*) FROM HISTCOLETA WHERE NRCOLEPRECO = :V0"), {number(n)}), QStringLiteral("0"));
}

void tst_ItemSave::operatorAndSituationRules()
{
    ENGINE();
    // Another buyer's quotation (buyers do not work on each other's products here).
    quotation(701, "A", "COMPB");
    item(701, {1, 1, 1, 1, 10});
    const ItemDelta change701 = ItemDelta(701).modify({1, 1, 1, 1, 10}, {1, 1, 1, 1, 11});
    REFUSED("server", QStringLiteral("Cotação pertence a outro comprador."), setItems(change701));
    QCOMPARE(setItems(change701, false, false, "COMPB"), QVariant(true));

    // A concluded quotation's items are frozen while quotations carry a situation ...
    quotation(702, "C");
    item(702, {1, 1, 1, 1, 10});
    const ItemDelta change702 = ItemDelta(702).modify({1, 1, 1, 1, 10}, {1, 1, 1, 1, 11});
    REFUSED("server", QStringLiteral("A cotação %1 está concluída e seus itens").arg(number(702)), setItems(change702));
    QCOMPARE(items(702), QStringList(QStringLiteral("001|FORN1|PROD1|M1|10")));
    QCOMPARE(historyCount(702), 0);

    // ... unless the same call reopens it, with a manager's confirmation.
    DataPacket header({{QStringLiteral("CDFILIAL"), FieldType::String, 4}, {QStringLiteral("NRCOLEPRECO"), FieldType::String, 10},
                       {QStringLiteral("IDSITUCOLETA"), FieldType::String, 1}});
    header.setDelta(true);
    header.appendChange({RowChange::Modify, {kBranch, number(702), QStringLiteral("C")}, {kBranch, number(702), QStringLiteral("A")}});
    QCOMPARE(setItems(change702, false, false, "COMPA", packetVariant(header),
                      {{op("GERA"), QDateTime::currentDateTimeUtc()}}),
             QVariant(true));
    QCOMPARE(items(702), QStringList(QStringLiteral("001|FORN1|PROD1|M1|11")));

    // Without situations a concluded quotation is an ordinary one.
    quotation(703, "C");
    item(703, {1, 1, 1, 1, 10});
    exec(QStringLiteral("UPDATE PARASUPRI SET IDUTISTATCOT = 'N' WHERE CDFILIAL = '0001'"));
    auto restore = qScopeGuard([this] { exec(QStringLiteral("UPDATE PARASUPRI SET IDUTISTATCOT = 'S' WHERE CDFILIAL = '0001'")); });
    QCOMPARE(setItems(ItemDelta(703).modify({1, 1, 1, 1, 10}, {1, 1, 1, 1, 11})), QVariant(true));
    QCOMPARE(items(703), QStringList(QStringLiteral("001|FORN1|PROD1|M1|11")));
}

void tst_ItemSave::malformedRowsAreRefused()
{
    ENGINE();
    const int n = 801;
    quotation(n, "A", "COMPA", 2, 2);
    item(n, {1, 1, 1, 1, 10});
    quotation(802);
    item(802, {1, 1, 1, 1, 10});
    const Line stored{1, 1, 1, 1, 10};

    REFUSED("arguments", QStringLiteral("Preço Unitário deve ser maior ou igual que zero (produto 99011"),
            setItems(ItemDelta(n).modify(stored, with(stored, [](Line &l) { l.price = -0.01; }))));
    REFUSED("arguments", QStringLiteral("maior ou igual que zero"), setItems(ItemDelta(n).insert({1, 2, 2, 1, -1})));
    // Every row of one delta is an item of one quotation ...
    REFUSED("arguments", QStringLiteral("de uma só cotação"),
            setItems(ItemDelta(n)
                         .modify(stored, with(stored, [](Line &l) { l.price = 11; }))
                         .modifyOf(802, stored, with(stored, [](Line &l) { l.price = 12; }))));
    // ... that stays in its region and supplier ...
    REFUSED("arguments", QStringLiteral("não muda de cotação, região ou fornecedor"),
            setItems(ItemDelta(n).modify(stored, with(stored, [](Line &l) { l.region = 2; }))));
    // ... and is included only where the supplier takes part in the region.
    REFUSED("server", QStringLiteral("não participa desta região"), setItems(ItemDelta(n).insert({3, 1, 2, 1, 5})));
    QCOMPARE(items(n), QStringList(QStringLiteral("001|FORN1|PROD1|M1|10")));
    QCOMPARE(items(802), QStringList(QStringLiteral("001|FORN1|PROD1|M1|10")));
    QCOMPARE(historyCount(n) + historyCount(802), 0);
}

void tst_ItemSave::rowsFailingTheItemChecksAreRefused()
{
    ENGINE();
    const int n = 901;
    quotation(n);
    item(n, {1, 1, 1, 1, 10});
    // Product 9 is registered for no supplier; brand 3 for no product.
    REFUSED("server",
            QStringLiteral("(1 item(ns)). Verifique os itens. produto 99019, marca M1, região 001, fornecedor FORN1: "
                           "Produto não cadastrado para o fornecedor."),
            setItems(ItemDelta(n).modify({1, 1, 1, 1, 10}, {1, 1, 1, 1, 12}).insert({1, 1, 9, 1, 5})));
    REFUSED("server", QStringLiteral("Marca não cadastrada para o produto."),
            setItems(ItemDelta(n).modify({1, 1, 1, 1, 10}, {1, 1, 1, 3, 10})));
    QCOMPARE(items(n), QStringList(QStringLiteral("001|FORN1|PROD1|M1|10")));
    QCOMPARE(historyCount(n), 0);
}

// --- zero prices ---------------------------------------------------------------------------------

void tst_ItemSave::zeroPriceAnswers()
{
    ENGINE();
    const auto answer = [this](int n) {
        return call(QStringLiteral("GetVerPrZero"), {{QStringLiteral("CDFILIAL"), kBranch},
                                                     {QStringLiteral("NRCOLEPRECO"), QString::number(n)}})
            .toString();
    };
    quotation(1001);
    item(1001, {1, 1, 1, 1, 10});
    item(1001, {1, 2, 1, 1, 0.01});
    quotation(1002);
    item(1002, {1, 1, 1, 1, 10});
    item(1002, {1, 2, 1, 1, 0});
    quotation(1003);
    item(1003, {1, 1, 1, 1, 0});
    quotation(1004);
    QCOMPARE(answer(1001), QString());
    QCOMPARE(answer(1002), QStringLiteral("2"));
    QCOMPARE(answer(1003), QStringLiteral("1"));
    // Without items nothing of the quotation is priced either.
    QCOMPARE(answer(1004), QStringLiteral("1"));
    QCOMPARE(answer(1099), QStringLiteral("Cotação %1 não encontrada.").arg(number(1099)));
}

void tst_ItemSave::zeroPricedItemsAreDeleted()
{
    ENGINE();
    const auto deleteZeros = [this](int n, const char *logged = "COMPA") {
        return call(QStringLiteral("DeleteItemCole"), {{QStringLiteral("CDFILIAL"), kBranch},
                                                       {QStringLiteral("NRCOLEPRECO"), number(n)}},
                    logged);
    };
    const int n = 1101;
    quotation(n);
    item(n, {1, 1, 1, 1, 10});
    item(n, {1, 1, 2, 1, 0});
    item(n, {2, 2, 1, 1, 0});
    item(n, {2, 2, 2, 1, 7});
    priceList(QStringLiteral("0000001101"), "A", n, {1, 1, 2, 1, 0});
    priceList(QStringLiteral("0000001101"), "A", n, {2, 2, 2, 1, 7});

    REFUSED("server", QStringLiteral("Cotação pertence a outro comprador."), deleteZeros(n, "COMPB"));
    QCOMPARE(deleteZeros(n), QVariant(true));
    QCOMPARE(items(n), QStringList({QStringLiteral("001|FORN1|PROD1|M1|10"), QStringLiteral("002|FORN2|PROD2|M1|7")}));
    QCOMPARE(scalar(QStringLiteral("SELECT COUNT(*) FROM ITLISTPREC WHERE NRCOLEPRECO = :V0"), {number(n)}), QStringLiteral("1"));
    QCOMPARE(history(n, QStringLiteral("IDTIPALTER, CDREGIAO, CDPRODUTO, VRPRECANT, VRPRECNOVO, CDOPERADOR")),
             QStringList({QStringLiteral("E|001|PROD2|0|-|COMPA"), QStringLiteral("E|002|PROD1|0|-|COMPA")}));
    // Nothing left at zero: nothing more to do.
    QCOMPARE(deleteZeros(n), QVariant(true));
    QCOMPARE(historyCount(n), 2);

    // Without any price the quotation would be emptied: refused, nothing deleted.
    quotation(1102);
    item(1102, {1, 1, 1, 1, 0});
    REFUSED("server", QStringLiteral("Não existe nenhum preço informado."), deleteZeros(1102));
    QCOMPARE(items(1102).size(), 1);
    QCOMPARE(historyCount(1102), 0);

    quotation(1103, "C");
    item(1103, {1, 1, 1, 1, 5});
    item(1103, {1, 1, 2, 1, 0});
    REFUSED("server", QStringLiteral("está concluída"), deleteZeros(1103));
    QCOMPARE(items(1103).size(), 2);
}

// --- through the wire ----------------------------------------------------------------------------

void tst_ItemSave::secondSessionGetsConflictThroughTheWire()
{
    ENGINE();
    QString error;
    QVERIFY2(m_current->start(m_table, &error), qPrintable(error));
    auto stop = qScopeGuard([this] { m_current->stop(); });
    const int n = 1201;
    quotation(n);
    item(n, {1, 1, 1, 1, 10});
    item(n, {1, 1, 2, 1, 20});

    // Two sessions of buyers load the same supplier's items.
    const auto session = [&]() {
        auto client = std::make_unique<WireClient>();
        if (!client->connectTo(m_current->port)
            || !client->login(QStringLiteral("COMPA"), kPassword).value(QStringLiteral("ok")).toBool())
            return std::unique_ptr<WireClient>();
        return client;
    };
    const auto load = [&](WireClient &client) {
        client.call(QStringLiteral("GetGridProdMarc"), {kBranch, number(n), region(1), supplier(1)}, kGridCotaPrecObject);
        return client.receive().value(QStringLiteral("result")).value<DataPacket>();
    };
    // The first row's price changed to price, as the grid's delta carries it.
    const auto changed = [](const DataPacket &grid, double price) {
        DataPacket delta(grid.fields());
        delta.setDelta(true);
        QVariantList row = grid.rows().first();
        QVariantList now = row;
        now[grid.fieldIndex(QStringLiteral("VRPRECUNIITM"))] = price;
        now[grid.fieldIndex(QStringLiteral("IDITMCOTPREC"))] = QStringLiteral("S");
        delta.appendChange({RowChange::Modify, row, now});
        return delta;
    };
    const auto store = [&](WireClient &client, const DataPacket &delta) {
        client.call(QStringLiteral("SetItemCole"),
                    {QVariant(), packetVariant(delta), kCollection, false, kBranch, QStringLiteral("COMPA"), false, kAllRegions,
                     kOneRegion, kAllSuppliers, kOneSupplier, false, QString(), QStringLiteral("COMPA"), kCollection.addDays(6),
                     kCollection.addDays(12)},
                    kGridCotaPrecObject);
        return client.receive();
    };
    auto first = session();
    auto second = session();
    QVERIFY(first && second);
    const DataPacket firstGrid = load(*first);
    const DataPacket secondGrid = load(*second);
    QCOMPARE(firstGrid.rowCount(), 2);
    QCOMPARE(secondGrid, firstGrid);

    QCOMPARE(store(*first, changed(firstGrid, 11)).value(QStringLiteral("result")), QVariant(true));
    const QVariantMap refused = store(*second, changed(secondGrid, 12));
    QCOMPARE(errorCode(refused), QStringLiteral("conflict"));
    QCOMPARE(items(n).first(), QStringLiteral("001|FORN1|PROD1|M1|11"));
    QCOMPARE(historyCount(n), 1);
    // Reloaded, the second session stores its change; the connection stayed usable.
    QCOMPARE(store(*second, changed(load(*second), 12)).value(QStringLiteral("result")), QVariant(true));
    QCOMPARE(items(n).first(), QStringLiteral("001|FORN1|PROD1|M1|12"));
}

QTEST_GUILESS_MAIN(tst_ItemSave)
#include "tst_itemsave.moc"
