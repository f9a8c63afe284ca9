// The products page's server methods (GetGridRegiao, GetGridFornecedor, GetGridProdMarc,
// GetDistForns) and the validation of item rows (ValidaDados), called through the method
// table on SQLite and, when the environment names a PostgreSQL server
// (SUP_TEST_PG_HOST / _PORT / _USER), on PostgreSQL.  The small demo data gives the
// branches and buyers; each test builds its quotation, regions, suppliers, products and
// brands under codes of its own (a two-digit prefix), so that demo rows never take part.

#include "Codes.h"
#include "DataPacket.h"
#include "Database.h"
#include "EngineDatabase.h"
#include "MethodTable.h"
#include "ProtocolContract.h"
#include "ServerError.h"
#include "Session.h"

#include <QScopeGuard>
#include <QSqlQuery>
#include <QtTest>

namespace {

const QString kCentral = QStringLiteral("0001");
const QDate kCollection(2026, 12, 14);

QVariant null() { return QVariant(QMetaType(QMetaType::QString)); }

// The rows of a packet, each as the values of fields joined with '|' (null as "-").
QStringList table(const QVariant &result, const QStringList &fields)
{
    if (!isPacket(result))
        return {QStringLiteral("<not a packet>")};
    const DataPacket packet = result.value<DataPacket>();
    QStringList out;
    for (int r = 0; r < packet.rowCount(); ++r) {
        QStringList values;
        for (const QString &f : fields) {
            const QVariant v = packet.value(r, f);
            values << (v.isValid() && !v.isNull() ? v.toString() : QStringLiteral("-"));
        }
        out << values.join(QLatin1Char('|'));
    }
    return out;
}

// One test's codes, under its two-digit prefix: a quotation of branch 0001, two regions,
// suppliers, brands, products and a regional branch.
struct Keys
{
    explicit Keys(const QString &prefix)
        : prefix(prefix),
          number(padCode(QString::number(9000 + prefix.toInt()), 10)),
          r1(padCode(QString::number(100 + prefix.toInt()), 3)),
          r2(padCode(QString::number(500 + prefix.toInt()), 3)),
          regional(QStringLiteral("9") + prefix + QStringLiteral("1"))
    {
    }
    QString supplier(int n) const { return padCode(QStringLiteral("9%1%2").arg(prefix).arg(n, 3, 10, QLatin1Char('0')), 21); }
    QString brand(int n) const { return padCode(QStringLiteral("9%1%2").arg(prefix).arg(n), 5); }
    QString product(int n) const { return padCode(QStringLiteral("9%1%2").arg(prefix).arg(n, 7, 10, QLatin1Char('0')), 10); }

    QString prefix;
    QString number;
    QString r1, r2;
    QString regional; // of r1, under 0001, where a test creates it
};

// What makes product n of a test a valid item with brand 1: the brand registered and
// qualified for it, the product registered and qualified for both suppliers, negotiated
// by the central and the regional branch, an EAN code.  Each member set to false leaves
// that part out.
struct Valid
{
    bool brandQualified = true, productQualified = true, regional = true, corporate = true,
         productRegistered = true, brandRegistered = true, ean = true;
};

Valid without(bool Valid::*part, bool Valid::*other = nullptr)
{
    Valid v;
    v.*part = false;
    if (other)
        v.*other = false;
    return v;
}

} // namespace

class tst_QuotationGrids : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void regionsOfTheQuotationByCode_data() { EngineDatabase::addEngineRows(); }
    void regionsOfTheQuotationByCode();
    void supplierQuotedOnlyWithPriceInThatRegion_data() { EngineDatabase::addEngineRows(); }
    void supplierQuotedOnlyWithPriceInThatRegion();
    void itemsWithEveryFieldAndPriceList_data() { EngineDatabase::addEngineRows(); }
    void itemsWithEveryFieldAndPriceList();
    void eachSupplierOnce_data() { EngineDatabase::addEngineRows(); }
    void eachSupplierOnce();
    void unknownKeysGiveEmptyPackets_data() { EngineDatabase::addEngineRows(); }
    void unknownKeysGiveEmptyPackets();
    void supplierItemsOfEveryRegionWithLastChange_data() { EngineDatabase::addEngineRows(); }
    void supplierItemsOfEveryRegionWithLastChange();

    void validationFlagsEachCheckAlone_data() { EngineDatabase::addEngineRows(); }
    void validationFlagsEachCheckAlone();
    void validationOfManyRowsAnswersFailingOnesInOrder_data() { EngineDatabase::addEngineRows(); }
    void validationOfManyRowsAnswersFailingOnesInOrder();
    void qualificationValidityToTheDayOrMonth_data() { EngineDatabase::addEngineRows(); }
    void qualificationValidityToTheDayOrMonth();
    void emptyProductOrBrandIsFlaggedNotRefused_data() { EngineDatabase::addEngineRows(); }
    void emptyProductOrBrandIsFlaggedNotRefused();
    void validationArgumentsAreChecked_data() { EngineDatabase::addEngineRows(); }
    void validationArgumentsAreChecked();

private:
    QVariant call(const QString &method, QVariantList args);
    void exec(const QString &sql, const QVariantList &values = {});

    // Master data and quotation rows.
    void region(const QString &code, const QString &name);
    void supplier(const QString &code, const QString &company, const QVariant &trade, const QString &regions = {});
    void product(const QString &code, const QString &tree, const QString &name);
    void brand(const QString &code, const QString &name);
    // The quotation's header and its regions.
    void quotation(const Keys &c, const QStringList &regions);
    void takesPart(const Keys &c, const QString &region, const QString &supplier);
    void item(const Keys &c, const QString &region, const QString &supplier, const QString &product,
              const QString &brand, double price);

    // The validation's master data: region r1 with its regional branch, r2 without one,
    // supplier 1 serving both and supplier 2 none, brands 1 and 2; and product n with
    // the parts of a valid item that v names.
    void validationBase(const Keys &c);
    void validProduct(const Keys &c, int n, const Valid &v = {});
    static DataPacket itemRows(const QList<QStringList> &rows);
    QStringList validate(const DataPacket &items, const QDate &collection = kCollection);

    MethodTable m_table;
    EngineDatabase m_sqlite{DatabaseConfig::Engine::SQLite, QStringLiteral("grids")};
    EngineDatabase m_postgres{DatabaseConfig::Engine::PostgreSQL, QStringLiteral("grids")};
    Database *m_current = nullptr;
};

#define ENGINE() SUP_ENGINE_ROW(m_sqlite, m_postgres, m_current)

void tst_QuotationGrids::initTestCase()
{
    registerServerObjects(m_table);
    QString error;
    QVERIFY2(m_sqlite.create(EngineDatabase::Content::SmallDemo, &error), qPrintable(error));
    if (!m_postgres.create(EngineDatabase::Content::SmallDemo, &error))
        QVERIFY2(error.isEmpty(), qPrintable(error));
}

QVariant tst_QuotationGrids::call(const QString &method, QVariantList args)
{
    const MethodDecl *decl = m_table.find(kGridCotaPrecObject, method);
    if (!decl)
        throw ServerError(QStringLiteral("unknown-method"), method);
    const QString bad = MethodTable::checkArguments(*decl, args);
    if (!bad.isEmpty())
        throw ServerError::arguments(bad);
    MethodTable::normalizeArguments(*decl, args);
    Session session;
    session.operatorCode = padOperator(QStringLiteral("COMP01"));
    session.branch = kCentral;
    session.loggedIn = true;
    CallContext ctx{session, *m_current, decl->contract, args};
    return decl->fn(ctx);
}

void tst_QuotationGrids::exec(const QString &sql, const QVariantList &values)
{
    QVariantMap params;
    for (int i = 0; i < values.size(); ++i)
        params.insert(QStringLiteral("V%1").arg(i), values.at(i));
    m_current->exec(sql, params);
}

void tst_QuotationGrids::region(const QString &code, const QString &name)
{
    exec(QStringLiteral("INSERT INTO REGIAO (CDREGIAO, NMREGIAO) VALUES (:V0, :V1)"), {code, name});
}

void tst_QuotationGrids::supplier(const QString &code, const QString &company, const QVariant &trade,
                                  const QString &regions)
{
    exec(QStringLiteral("INSERT INTO FORNECEDOR (CDFORNECED, IDTPIJURFORN, NRINSJURFORN, NMRAZSOCFORN, NMFANTFORN) "
                        "VALUES (:V0, 'J', :V1, :V2, :V3)"),
         {code, code.right(14), company, trade});
    for (const QString &r : regions.split(QLatin1Char(','), Qt::SkipEmptyParts))
        exec(QStringLiteral("INSERT INTO REGIFORN (CDFORNECED, CDREGIAO) VALUES (:V0, :V1)"), {code, r});
}

void tst_QuotationGrids::product(const QString &code, const QString &tree, const QString &name)
{
    exec(QStringLiteral("INSERT INTO PRODUTO (CDPRODUTO, CDARVPROD, NMPRODUTO, CDNVPRODUTO, IDULTNIVPROD, SGUNIDADE) "
                        "VALUES (:V0, :V1, :V2, '3', 'S', 'CX')"),
         {code, tree, name});
}

void tst_QuotationGrids::brand(const QString &code, const QString &name)
{
    exec(QStringLiteral("INSERT INTO MARCA (CDMARCA, NMMARCA) VALUES (:V0, :V1)"), {code, name});
}

void tst_QuotationGrids::quotation(const Keys &c, const QStringList &regions)
{
    exec(QStringLiteral("INSERT INTO COLETAPR (CDFILIAL, NRCOLEPRECO, DTCOLEPREC, DTINIVALCOL, DTFINVALCOL, CDOPERADOR) "
                        "VALUES ('0001', :V0, :V1, :V2, :V3, :V4)"),
         {c.number, kCollection, kCollection.addDays(1), kCollection.addDays(7), padOperator(QStringLiteral("COMP01"))});
    for (const QString &r : regions)
        exec(QStringLiteral("INSERT INTO COLEREGI (CDFILIAL, NRCOLEPRECO, CDREGIAO) VALUES ('0001', :V0, :V1)"), {c.number, r});
}

void tst_QuotationGrids::takesPart(const Keys &c, const QString &region, const QString &supplier)
{
    exec(QStringLiteral("INSERT INTO COLEFORN (CDFILIAL, NRCOLEPRECO, CDREGIAO, CDFORNECED) VALUES ('0001', :V0, :V1, :V2)"),
         {c.number, region, supplier});
}

void tst_QuotationGrids::item(const Keys &c, const QString &region, const QString &supplier, const QString &product,
                              const QString &brand, double price)
{
    exec(QStringLiteral("INSERT INTO ITCOLETAPR (CDFILIAL, NRCOLEPRECO, CDREGIAO, CDFORNECED, CDPRODUTO, CDMARCA, "
                        "VRPRECUNIITM) VALUES ('0001', :V0, :V1, :V2, :V3, :V4, :V5)"),
         {c.number, region, supplier, product, brand, price});
}

// --- the grids -----------------------------------------------------------------------------------

void tst_QuotationGrids::regionsOfTheQuotationByCode()
{
    ENGINE();
    const Keys c(QStringLiteral("11"));
    const Keys other(QStringLiteral("12"));
    // Names in the other order than codes: the grid follows the codes.
    region(c.r2, QStringLiteral("Região Norte do teste"));
    region(c.r1, QStringLiteral("Região Sul do teste"));
    region(other.r1, QStringLiteral("Região de outra cotação"));
    quotation(c, {c.r2, c.r1});
    quotation(other, {other.r1});

    // The number as typed, without its leading zeros.
    const QVariant regions = call(QStringLiteral("GetGridRegiao"), {QStringLiteral("1"), QString::number(c.number.toInt())});
    QCOMPARE(table(regions, {"CDREGIAO", "NMREGIAO"}),
             QStringList({c.r1 + QStringLiteral("|Região Sul do teste"), c.r2 + QStringLiteral("|Região Norte do teste")}));
    QCOMPARE(regions.value<DataPacket>().fields(), Protocol::packetLayout(QStringLiteral("GridRegiao")));
}

void tst_QuotationGrids::supplierQuotedOnlyWithPriceInThatRegion()
{
    ENGINE();
    const Keys c(QStringLiteral("13"));
    region(c.r1, QStringLiteral("Norte"));
    region(c.r2, QStringLiteral("Sul"));
    product(c.product(1), QStringLiteral("13001"), QStringLiteral("Arroz"));
    brand(c.brand(1), QStringLiteral("Marca"));
    // Trade names put supplier 3 first and 2 before 1; 4 has none and sorts by its
    // company name.
    supplier(c.supplier(1), QStringLiteral("Fornecedor Um"), QStringLiteral("MERCADO"));
    supplier(c.supplier(2), QStringLiteral("Fornecedor Dois"), QStringLiteral("MERCADO"));
    supplier(c.supplier(3), QStringLiteral("Fornecedor Tres"), QStringLiteral("ATACADO"));
    supplier(c.supplier(4), QStringLiteral("DISTRIBUIDORA"), null());
    quotation(c, {c.r1, c.r2});
    for (int s = 1; s <= 4; ++s)
        takesPart(c, c.r1, c.supplier(s));
    takesPart(c, c.r2, c.supplier(2));
    // 1: a price in the region.  2: only zero prices in the region, a price in the other.
    // 3: a zero price.  4: no item.
    item(c, c.r1, c.supplier(1), c.product(1), c.brand(1), 0.01);
    item(c, c.r1, c.supplier(2), c.product(1), c.brand(1), 0);
    item(c, c.r2, c.supplier(2), c.product(1), c.brand(1), 7.5);
    item(c, c.r1, c.supplier(3), c.product(1), c.brand(1), 0);

    const QStringList fields = {"NRCOLEPRECO", "CDREGIAO", "CDFORNECED", "IDTPIJURFORN", "IDFORNCOT", "NRINSJURFORN", "NMFANTFORN"};
    const auto row = [&](const QString &region, int s, const char *quoted, const QString &name) {
        return QStringList{c.number, region, c.supplier(s), QStringLiteral("J"), QLatin1String(quoted),
                           c.supplier(s).right(14), name}
            .join(QLatin1Char('|'));
    };
    const QVariant r1 = call(QStringLiteral("GetGridFornecedor"), {kCentral, c.number, c.r1});
    QCOMPARE(table(r1, fields), QStringList({row(c.r1, 3, "N", QStringLiteral("ATACADO")),
                                             row(c.r1, 4, "N", QStringLiteral("DISTRIBUIDORA")),
                                             row(c.r1, 1, "S", QStringLiteral("MERCADO")),
                                             row(c.r1, 2, "N", QStringLiteral("MERCADO"))}));
    QCOMPARE(r1.value<DataPacket>().fields(), Protocol::packetLayout(QStringLiteral("GridFornecedor")));
    QCOMPARE(table(call(QStringLiteral("GetGridFornecedor"), {kCentral, c.number, c.r2}), fields),
             QStringList(row(c.r2, 2, "S", QStringLiteral("MERCADO"))));
}

void tst_QuotationGrids::itemsWithEveryFieldAndPriceList()
{
    ENGINE();
    const Keys c(QStringLiteral("14"));
    region(c.r1, QStringLiteral("Norte"));
    region(c.r2, QStringLiteral("Sul"));
    supplier(c.supplier(1), QStringLiteral("Fornecedor"), QStringLiteral("FORN"));
    supplier(c.supplier(2), QStringLiteral("Outro"), QStringLiteral("OUTRO"));
    // Product codes run against the tree order: the grid follows the tree.
    product(c.product(2), QStringLiteral("1401001"), QStringLiteral("Feijão carioca"));
    product(c.product(1), QStringLiteral("1401002"), QStringLiteral("Arroz agulhinha"));
    brand(c.brand(1), QStringLiteral("Marca Um"));
    brand(c.brand(2), QStringLiteral("Marca de nome comprido demais para a grade"));
    exec(QStringLiteral("INSERT INTO MARCPROD (CDPRODUTO, CDMARCA, QTDISPPRODMARC) VALUES (:V0, :V1, 12.5)"),
         {c.product(2), c.brand(2)});
    quotation(c, {c.r1, c.r2});
    for (const QString &r : {c.r1, c.r2}) {
        for (int s = 1; s <= 2; ++s) {
            takesPart(c, r, c.supplier(s));
            for (int p = 1; p <= 2; ++p) {
                for (int b = 1; b <= 2; ++b)
                    item(c, r, c.supplier(s), c.product(p), c.brand(b), 10 * p + b);
            }
        }
    }
    exec(QStringLiteral("UPDATE ITCOLETAPR SET VRPRECECOITM = 21.5, VRPRECOITMPI = -0.25, QTACMPITMCOL = 40, VRPERDESITM = 12.5, "
                        "IDITMCOTPREC = 'S', IDPRECALT = 'S', DSJUSTOPER = 'Reajuste', DSALTERITMCOT = 'De 20 para 22' "
                        "WHERE CDFILIAL = '0001' AND NRCOLEPRECO = :V0 AND CDREGIAO = :V1 AND CDFORNECED = :V2 "
                        "AND CDPRODUTO = :V3 AND CDMARCA = :V4"),
         {c.number, c.r1, c.supplier(1), c.product(2), c.brand(2)});
    // Product 2, brand 2 of supplier 1 in r1 is held by two lists; the same product and
    // brand in r2 and of supplier 2 by a third: neither marks other rows.
    for (const char *list : {"9140000001", "9140000002", "9140000003"})
        exec(QStringLiteral("INSERT INTO LISTPREC (CDFILIAL, NRSEQPRELIST, DSLISTPREC, DTINIVALLIS, DTFINVALLIS) "
                            "VALUES ('0001', :V0, 'Lista', :V1, :V1)"),
             {QLatin1String(list), kCollection});
    const auto listed = [&](const char *list, const QString &region, const QString &supplier) {
        exec(QStringLiteral("INSERT INTO ITLISTPREC (CDFILIAL, NRSEQPRELIST, NRCOLEPRECO, CDREGIAO, CDFORNECED, CDPRODUTO, "
                            "CDMARCA) VALUES ('0001', :V0, :V1, :V2, :V3, :V4, :V5)"),
             {QLatin1String(list), c.number, region, supplier, c.product(2), c.brand(2)});
    };
    listed("9140000002", c.r1, c.supplier(1));
    listed("9140000001", c.r1, c.supplier(1));
    listed("9140000003", c.r2, c.supplier(1));
    listed("9140000003", c.r1, c.supplier(2));

    const QVariant grid = call(QStringLiteral("GetGridProdMarc"), {kCentral, c.number, c.r1, c.supplier(1)});
    QCOMPARE(grid.value<DataPacket>().fields(), Protocol::packetLayout(QStringLiteral("GridProdMarc")));
    QStringList fields;
    for (const FieldDef &f : Protocol::packetLayout(QStringLiteral("GridProdMarc")))
        fields << f.name;
    const QString key = QStringLiteral("N|0001|%1|%2|%3|").arg(c.number, c.r1, c.supplier(1));
    QCOMPARE(table(grid, fields),
             QStringList({key + c.product(2) + QStringLiteral("|1401001|Feijão carioca|CX|") + c.brand(1)
                              + QStringLiteral("|Marca Um|21|0|0|0|0|N|N|N|-|-|-|0"),
                          key + c.product(2) + QStringLiteral("|1401001|Feijão carioca|CX|") + c.brand(2)
                              + QStringLiteral("|Marca de nome compri|22|21.5|-0.25|40|12.5|S|S|S|9140000002|Reajuste|"
                                               "De 20 para 22|12.5"),
                          key + c.product(1) + QStringLiteral("|1401002|Arroz agulhinha|CX|") + c.brand(1)
                              + QStringLiteral("|Marca Um|11|0|0|0|0|N|N|N|-|-|-|0"),
                          key + c.product(1) + QStringLiteral("|1401002|Arroz agulhinha|CX|") + c.brand(2)
                              + QStringLiteral("|Marca de nome compri|12|0|0|0|0|N|N|N|-|-|-|0")}));
}

void tst_QuotationGrids::eachSupplierOnce()
{
    ENGINE();
    const Keys c(QStringLiteral("15"));
    region(c.r1, QStringLiteral("Norte"));
    region(c.r2, QStringLiteral("Sul"));
    const QString longName = QStringLiteral("Zeta Comércio de Alimentos e Bebidas do Norte e Nordeste Ltda");
    supplier(c.supplier(1), longName, QStringLiteral("ZETA"));
    supplier(c.supplier(2), QStringLiteral("Alfa Ltda"), null());
    supplier(c.supplier(3), QStringLiteral("Beta Ltda"), QStringLiteral("BETA")); // not in the quotation
    quotation(c, {c.r1, c.r2});
    for (const QString &r : {c.r1, c.r2})
        takesPart(c, r, c.supplier(1));
    takesPart(c, c.r2, c.supplier(2));

    const QVariant suppliers = call(QStringLiteral("GetDistForns"), {kCentral, c.number});
    QCOMPARE(suppliers.value<DataPacket>().fields(), Protocol::packetLayout(QStringLiteral("DistForns")));
    QCOMPARE(table(suppliers, {"CDFORNECED", "NRINSJURFORN", "NMRAZSOCFORN", "NMFANTFORN", "IDTPIJURFORN"}),
             QStringList({QStringList{c.supplier(2), c.supplier(2).right(14), QStringLiteral("Alfa Ltda"), QStringLiteral("-"),
                                      QStringLiteral("J")}.join(QLatin1Char('|')),
                          QStringList{c.supplier(1), c.supplier(1).right(14), longName.left(40), QStringLiteral("ZETA"),
                                      QStringLiteral("J")}.join(QLatin1Char('|'))}));
}

// GetItensForn: the supplier's items of every region, for its price sheet, with the moment
// of each item's last change (what tells a filled sheet that an item changed since).
void tst_QuotationGrids::supplierItemsOfEveryRegionWithLastChange()
{
    ENGINE();
    const Keys c(QStringLiteral("47"));
    region(c.r1, QStringLiteral("Norte"));
    region(c.r2, QStringLiteral("Sul"));
    supplier(c.supplier(1), QStringLiteral("Alfa Ltda"), QStringLiteral("ALFA"));
    supplier(c.supplier(2), QStringLiteral("Beta Ltda"), QStringLiteral("BETA"));
    product(c.product(1), QStringLiteral("47.02"), QStringLiteral("Arroz"));
    product(c.product(2), QStringLiteral("47.01"), QStringLiteral("Feijão"));
    brand(c.brand(1), QStringLiteral("Boa"));
    quotation(c, {c.r1, c.r2});
    exec(QStringLiteral("UPDATE COLETAPR SET IDTIPCOLREG = 'G' WHERE CDFILIAL = '0001' AND NRCOLEPRECO = :V0"), {c.number});
    for (const QString &r : {c.r1, c.r2}) {
        takesPart(c, r, c.supplier(1));
        takesPart(c, r, c.supplier(2));
    }
    item(c, c.r2, c.supplier(1), c.product(1), c.brand(1), 2.5);
    item(c, c.r1, c.supplier(1), c.product(1), c.brand(1), 0);
    item(c, c.r2, c.supplier(1), c.product(2), c.brand(1), 7.125);
    item(c, c.r1, c.supplier(2), c.product(1), c.brand(1), 3);
    const QDateTime changed(QDate(2026, 12, 15), QTime(14, 5, 9), Qt::UTC);
    exec(QStringLiteral("UPDATE ITCOLETAPR SET DTHRALTE = :V0 WHERE NRCOLEPRECO = :V1 AND CDREGIAO = :V2 AND CDPRODUTO = :V3"),
         {changed, c.number, c.r2, c.product(2)});

    const QVariant items = call(QStringLiteral("GetItensForn"), {kCentral, c.number, c.supplier(1)});
    QCOMPARE(items.value<DataPacket>().fields(), Protocol::packetLayout(QStringLiteral("ItensForn")));
    const auto row = [&](const QString &region, const QString &name, const QString &product, const QString &tree,
                         const QString &productName, const char *price, const QString &stamp) {
        return QStringList{region, name, c.supplier(1), product, tree, productName, c.brand(1), QLatin1String(price), stamp,
                           QStringLiteral("G")}
            .join(QLatin1Char('|'));
    };
    QCOMPARE(table(items, {"CDREGIAO", "NMREGIAO", "CDFORNECED", "CDPRODUTO", "CDARVPROD", "NMPRODUTO", "CDMARCA",
                           "VRPRECUNIITM", "DTHRALTE", "IDTIPCOLREG"}),
             QStringList({row(c.r1, QStringLiteral("Norte"), c.product(1), QStringLiteral("47.02"), QStringLiteral("Arroz"), "0",
                              QStringLiteral("-")),
                          row(c.r2, QStringLiteral("Sul"), c.product(2), QStringLiteral("47.01"), QStringLiteral("Feijão"),
                              "7.125", changed.toString(Qt::ISODateWithMs)),
                          row(c.r2, QStringLiteral("Sul"), c.product(1), QStringLiteral("47.02"), QStringLiteral("Arroz"), "2.5",
                              QStringLiteral("-"))}));
    // The moment comes back exactly as stored: a filled sheet compares it to the second.
    QCOMPARE(items.value<DataPacket>().value(1, QStringLiteral("DTHRALTE")).toDateTime(), changed);
    QVERIFY(call(QStringLiteral("GetItensForn"), {kCentral, c.number, c.supplier(3)}).value<DataPacket>().isEmpty());
}

void tst_QuotationGrids::unknownKeysGiveEmptyPackets()
{
    ENGINE();
    const Keys c(QStringLiteral("16"));
    region(c.r1, QStringLiteral("Norte"));
    product(c.product(1), QStringLiteral("1601001"), QStringLiteral("Arroz"));
    brand(c.brand(1), QStringLiteral("Marca"));
    supplier(c.supplier(1), QStringLiteral("Fornecedor"), QStringLiteral("FORN"));
    quotation(c, {c.r1});
    takesPart(c, c.r1, c.supplier(1));
    item(c, c.r1, c.supplier(1), c.product(1), c.brand(1), 5);

    // Each with the real key first, then with one part unknown or empty (the workspace's
    // grids also ask with the keys of an empty grid): no error, no rows, the layout's fields.
    struct Case { const char *method; QVariantList args; int rows; };
    const QString unknown = QStringLiteral("999");
    const Case cases[] = {
        {"GetGridRegiao", {kCentral, c.number}, 1},
        {"GetGridRegiao", {kCentral, QStringLiteral("9999999999")}, 0},
        {"GetGridRegiao", {QStringLiteral("0002"), c.number}, 0},
        {"GetGridRegiao", {QString(), QString()}, 0},
        {"GetGridFornecedor", {kCentral, c.number, c.r1}, 1},
        {"GetGridFornecedor", {kCentral, c.number, unknown}, 0},
        {"GetGridFornecedor", {kCentral, c.number, QString()}, 0},
        {"GetGridFornecedor", {kCentral, c.number, QVariant()}, 0},
        {"GetGridProdMarc", {kCentral, c.number, c.r1, c.supplier(1)}, 1},
        {"GetGridProdMarc", {kCentral, c.number, c.r1, unknown}, 0},
        {"GetGridProdMarc", {kCentral, c.number, unknown, c.supplier(1)}, 0},
        {"GetGridProdMarc", {kCentral, c.number, QString(), QString()}, 0},
        {"GetDistForns", {kCentral, c.number}, 1},
        {"GetDistForns", {kCentral, QStringLiteral("9999999999")}, 0},
    };
    for (const Case &k : cases) {
        const QString method = QLatin1String(k.method);
        const QVariant result = call(method, k.args);
        QVERIFY2(isPacket(result), k.method);
        const DataPacket packet = result.value<DataPacket>();
        QVERIFY2(packet.rowCount() == k.rows,
                 qPrintable(QStringLiteral("%1 %2: %3 rows").arg(method, QVariant(k.args).toStringList().join(QLatin1Char(',')))
                                .arg(packet.rowCount())));
        QCOMPARE(packet.fields(), Protocol::packetLayout(Protocol::method(kGridCotaPrecObject, method).resultPacket));
    }
}

// --- ValidaDados ---------------------------------------------------------------------------------

void tst_QuotationGrids::validationBase(const Keys &c)
{
    region(c.r1, QStringLiteral("Com filial regional"));
    region(c.r2, QStringLiteral("Sem filial regional"));
    exec(QStringLiteral("INSERT INTO FILIAL (CDFILIAL, NMFILIAL, CDFILCENTCMP, IDTIPFILI, CDREGIAO) VALUES (:V0, 'Regional', '0001', 'R', :V1)"),
         {c.regional, c.r1});
    supplier(c.supplier(1), QStringLiteral("Atende"), QStringLiteral("ATENDE"), c.r1 + QLatin1Char(',') + c.r2);
    supplier(c.supplier(2), QStringLiteral("Não atende"), QStringLiteral("NAO ATENDE"));
    brand(c.brand(1), QStringLiteral("Marca Um"));
    brand(c.brand(2), QStringLiteral("Marca Dois"));
}

void tst_QuotationGrids::validProduct(const Keys &c, int n, const Valid &v)
{
    const QString p = c.product(n);
    product(p, c.prefix + QStringLiteral("01%1").arg(n, 3, 10, QLatin1Char('0')), QStringLiteral("Produto %1").arg(n));
    const QDate valid = kCollection.addDays(30);
    if (v.brandRegistered)
        exec(QStringLiteral("INSERT INTO MARCPROD (CDPRODUTO, CDMARCA, IDQUALMARC, DTVALQUALMARC) VALUES (:V0, :V1, :V2, :V3)"),
             {p, c.brand(1), v.brandQualified ? QStringLiteral("S") : QStringLiteral("N"), valid});
    if (v.brandRegistered && v.ean)
        exec(QStringLiteral("INSERT INTO EANPRODMARC (CDEAN, CDPRODUTO, CDMARCA) VALUES (:V0, :V1, :V2)"),
             {QStringLiteral("789%1").arg(p), p, c.brand(1)});
    if (v.productRegistered) {
        for (int s = 1; s <= 2; ++s)
            exec(QStringLiteral("INSERT INTO PRODFORN (CDFORNECED, CDPRODUTO, IDQUALPRODFORN, DTVALQUALPF) VALUES (:V0, :V1, :V2, :V3)"),
                 {c.supplier(s), p, v.productQualified ? QStringLiteral("S") : QStringLiteral("N"), valid});
    }
    if (v.corporate)
        exec(QStringLiteral("INSERT INTO PRODFILI (CDFILIAL, CDPRODUTO) VALUES ('0001', :V0)"), {p});
    if (v.regional)
        exec(QStringLiteral("INSERT INTO PRODFILI (CDFILIAL, CDPRODUTO) VALUES (:V0, :V1)"), {c.regional, p});
}

// A packet as the single-row validation builds it: price, region, supplier, product, brand.
DataPacket tst_QuotationGrids::itemRows(const QList<QStringList> &rows)
{
    DataPacket items({{QStringLiteral("VRPRECUNIITM"), FieldType::Float, 0},
                      {QStringLiteral("CDREGIAO"), FieldType::String, 3},
                      {QStringLiteral("CDFORNECED"), FieldType::String, 21},
                      {QStringLiteral("CDPRODUTO"), FieldType::String, 10},
                      {QStringLiteral("CDMARCA"), FieldType::String, 5}});
    for (const QStringList &r : rows)
        items.appendRow({1.5, r.value(0), r.value(1), r.value(2), r.value(3)});
    return items;
}

QStringList tst_QuotationGrids::validate(const DataPacket &items, const QDate &collection)
{
    const QVariant result = call(QStringLiteral("ValidaDados"), {packetVariant(items), QStringLiteral("0002"), kCentral, collection});
    return table(result, {"CDREGIAO", "CDFORNECED", "CDPRODUTO", "CDMARCA", "IDERRO"});
}

void tst_QuotationGrids::validationFlagsEachCheckAlone()
{
    ENGINE();
    const Keys c(QStringLiteral("21"));
    validationBase(c);
    // Product n fails only check n (3 and 7 by the row's supplier and brand); product 9
    // passes every check, and so does product 10 in r2, where no regional branch
    // negotiates it: that region has none.
    validProduct(c, 1, without(&Valid::brandQualified));
    validProduct(c, 2, without(&Valid::productQualified));
    validProduct(c, 3);
    validProduct(c, 4, without(&Valid::regional));
    validProduct(c, 5, without(&Valid::corporate));
    validProduct(c, 6, without(&Valid::productRegistered));
    validProduct(c, 7);
    validProduct(c, 8, without(&Valid::ean));
    validProduct(c, 9);
    validProduct(c, 10, without(&Valid::regional));

    for (int n = 1; n <= 8; ++n) {
        const QString supplier = c.supplier(n == 3 ? 2 : 1);
        const QString brand = c.brand(n == 7 ? 2 : 1);
        QString flags(8, QLatin1Char('N'));
        flags[n - 1] = QLatin1Char('S');
        const QStringList row = {c.r1, supplier, c.product(n), brand};
        QCOMPARE(validate(itemRows({row})), QStringList(row.join(QLatin1Char('|')) + QLatin1Char('|') + flags));
    }
    QCOMPARE(validate(itemRows({{c.r1, c.supplier(1), c.product(9), c.brand(1)}})), QStringList());
    QCOMPARE(validate(itemRows({{c.r2, c.supplier(1), c.product(10), c.brand(1)}})), QStringList());
    QCOMPARE(validate(itemRows({{c.r1, c.supplier(1), c.product(10), c.brand(1)}})),
             QStringList(QStringList{c.r1, c.supplier(1), c.product(10), c.brand(1), QStringLiteral("NNNSNNNN")}
                             .join(QLatin1Char('|'))));
}

void tst_QuotationGrids::validationOfManyRowsAnswersFailingOnesInOrder()
{
    ENGINE();
    const Keys c(QStringLiteral("22"));
    validationBase(c);
    validProduct(c, 1);
    validProduct(c, 2, without(&Valid::ean, &Valid::corporate));
    validProduct(c, 3, without(&Valid::productRegistered));

    // The product grid's own packet: every field of its layout, codes as stored or typed
    // without their leading zeros; the answer names each failing row as it was sent.
    DataPacket grid(Protocol::packetLayout(QStringLiteral("GridProdMarc")));
    const int region = grid.fieldIndex(QStringLiteral("CDREGIAO"));
    const int supplier = grid.fieldIndex(QStringLiteral("CDFORNECED"));
    const int product = grid.fieldIndex(QStringLiteral("CDPRODUTO"));
    const int brand = grid.fieldIndex(QStringLiteral("CDMARCA"));
    const QString typedBrand = c.brand(1).mid(c.brand(1).indexOf(QLatin1Char('9')));
    const QList<QStringList> rows = {
        {c.r1, c.supplier(1), c.product(3), c.brand(1)},  // not registered for the supplier
        {c.r1, c.supplier(1), c.product(1), c.brand(1)},  // valid
        {c.r1, c.supplier(2), c.product(2), typedBrand},  // serves no region, no corporate branch, no EAN
        {c.r2, c.supplier(1), c.product(1), c.brand(1)},  // valid
        {c.r1, c.supplier(1), c.product(1), c.brand(2)},  // brand not registered
    };
    for (const QStringList &r : rows) {
        QVariantList values(grid.fields().size());
        values[region] = r.at(0);
        values[supplier] = r.at(1);
        values[product] = r.at(2);
        values[brand] = r.at(3);
        grid.appendRow(values);
    }
    const QStringList answer = validate(grid);
    QCOMPARE(answer, QStringList({rows.at(0).join(QLatin1Char('|')) + QStringLiteral("|NNNNNSNN"),
                                  rows.at(2).join(QLatin1Char('|')) + QStringLiteral("|NNSNSNNS"),
                                  rows.at(4).join(QLatin1Char('|')) + QStringLiteral("|NNNNNNSN")}));

    // Many rows at once: one answer row for each failing one, the valid ones left out.
    QList<QStringList> many;
    for (int i = 0; i < 600; ++i)
        many << rows.at(i % rows.size());
    QCOMPARE(validate(itemRows(many)).size(), 360);
}

void tst_QuotationGrids::qualificationValidityToTheDayOrMonth()
{
    ENGINE();
    const Keys c(QStringLiteral("23"));
    validationBase(c);
    // Brand and product qualifications valid until: the day before the collection, in
    // its month (counts to the month's end); the last day of the month before (never
    // counts); the collection day itself (always counts).
    const QDate validities[] = {kCollection.addDays(-1), QDate(2026, 11, 30), kCollection};
    for (int n = 1; n <= 3; ++n) {
        validProduct(c, n);
        exec(QStringLiteral("UPDATE MARCPROD SET DTVALQUALMARC = :V0 WHERE CDPRODUTO = :V1"), {validities[n - 1], c.product(n)});
        exec(QStringLiteral("UPDATE PRODFORN SET DTVALQUALPF = :V0 WHERE CDPRODUTO = :V1"), {validities[n - 1], c.product(n)});
    }
    const auto flagsOf = [&] {
        QStringList out;
        for (int n = 1; n <= 3; ++n) {
            const QStringList answer = validate(itemRows({{c.r1, c.supplier(1), c.product(n), c.brand(1)}}));
            out << (answer.isEmpty() ? QStringLiteral("-") : answer.first().section(QLatin1Char('|'), 4));
        }
        return out;
    };
    const auto restore = qScopeGuard([&] { exec(QStringLiteral("UPDATE PARASUPRI SET IDULTIDTVALQ = 'D' WHERE CDFILIAL = '0001'")); });
    exec(QStringLiteral("UPDATE PARASUPRI SET IDULTIDTVALQ = 'D' WHERE CDFILIAL = '0001'"));
    QCOMPARE(flagsOf(), QStringList({"SSNNNNNN", "SSNNNNNN", "-"}));
    exec(QStringLiteral("UPDATE PARASUPRI SET IDULTIDTVALQ = 'M' WHERE CDFILIAL = '0001'"));
    QCOMPARE(flagsOf(), QStringList({"-", "SSNNNNNN", "-"}));

    // The rule is the central branch's, also when a branch buying through it is named.
    const QVariant viaBranch = call(QStringLiteral("ValidaDados"),
                                    {packetVariant(itemRows({{c.r1, c.supplier(1), c.product(1), c.brand(1)}})),
                                     QStringLiteral("0002"), QStringLiteral("0006"), kCollection});
    QCOMPARE(viaBranch.value<DataPacket>().rowCount(), 0);
}

void tst_QuotationGrids::emptyProductOrBrandIsFlaggedNotRefused()
{
    ENGINE();
    const Keys c(QStringLiteral("24"));
    validationBase(c);
    validProduct(c, 1);
    QCOMPARE(validate(itemRows({{c.r1, c.supplier(1), QString(), c.brand(1)},
                                {c.r2, c.supplier(1), QStringLiteral("  "), c.brand(1)},
                                {c.r1, c.supplier(1), c.product(1), QString()}})),
             QStringList({QStringList{c.r1, c.supplier(1), QString(), c.brand(1), QStringLiteral("NNNSSSSN")}.join(QLatin1Char('|')),
                          QStringList{c.r2, c.supplier(1), QStringLiteral("  "), c.brand(1), QStringLiteral("NNNNSSSN")}.join(QLatin1Char('|')),
                          QStringList{c.r1, c.supplier(1), c.product(1), QString(), QStringLiteral("NNNNNNSN")}.join(QLatin1Char('|'))}));
    // A null key reads as empty.
    DataPacket nulls = itemRows({{c.r1, c.supplier(1), c.product(1), c.brand(1)}});
    nulls.rows()[0][4] = QVariant();
    QCOMPARE(validate(nulls), QStringList(QStringList{c.r1, c.supplier(1), c.product(1), QStringLiteral("-"), QStringLiteral("NNNNNNSN")}
                                              .join(QLatin1Char('|'))));
}

void tst_QuotationGrids::validationArgumentsAreChecked()
{
    ENGINE();
    const auto refused = [&](const QVariantList &args) {
        try {
            call(QStringLiteral("ValidaDados"), args);
        } catch (const ServerError &e) {
            return e.code();
        }
        return QStringLiteral("accepted");
    };
    const DataPacket one = itemRows({{QStringLiteral("001"), QStringLiteral("1"), QStringLiteral("1"), QStringLiteral("1")}});
    QCOMPARE(refused({packetVariant(one), kCentral, QString(), kCollection}), QStringLiteral("arguments"));
    QCOMPARE(refused({QStringLiteral("itens"), kCentral, kCentral, kCollection}), QStringLiteral("arguments"));
    DataPacket noBrand({{QStringLiteral("CDREGIAO"), FieldType::String, 3}, {QStringLiteral("CDFORNECED"), FieldType::String, 21},
                        {QStringLiteral("CDPRODUTO"), FieldType::String, 10}});
    noBrand.appendRow({QStringLiteral("001"), QStringLiteral("1"), QStringLiteral("1")});
    QCOMPARE(refused({packetVariant(noBrand), kCentral, kCentral, kCollection}), QStringLiteral("arguments"));
    DataPacket delta = one;
    delta.rows().clear();
    delta.setDelta(true);
    delta.appendChange({RowChange::Insert, {}, {1.0, QStringLiteral("001"), QStringLiteral("1"), QStringLiteral("1"), QStringLiteral("1")}});
    QCOMPARE(refused({packetVariant(delta), kCentral, kCentral, kCollection}), QStringLiteral("arguments"));

    // Nothing to check: an empty answer, with the layout's fields.
    for (const QVariant &items : {QVariant(), packetVariant(itemRows({}))}) {
        const QVariant answer = call(QStringLiteral("ValidaDados"), {items, kCentral, kCentral, QVariant()});
        QVERIFY(isPacket(answer));
        QCOMPARE(answer.value<DataPacket>().rowCount(), 0);
        QCOMPARE(answer.value<DataPacket>().fields(), Protocol::packetLayout(QStringLiteral("ErrosCota")));
    }
}

QTEST_GUILESS_MAIN(tst_QuotationGrids)
#include "tst_quotationgrids.moc"
