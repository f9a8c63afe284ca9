// The consultation sheet's server methods (GetServRegiao, GetStringList, GetHistorico),
// called through the method table on SQLite and, when the environment names a PostgreSQL
// server, on PostgreSQL.  Each test builds its quotations, regions, suppliers, products
// and brands under codes of its own (a two-digit prefix), on the schema alone.

#include "Codes.h"
#include "DataPacket.h"
#include "Database.h"
#include "EngineDatabase.h"
#include "MethodTable.h"
#include "ProtocolContract.h"
#include "ServerError.h"
#include "Session.h"
#include "SheetKeys.h"

#include <QtTest>

namespace {

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
            values << (!v.isValid() || v.isNull() ? QStringLiteral("-")
                       : v.typeId() == QMetaType::QDateTime ? v.toDateTime().date().toString(Qt::ISODate)
                                                             : v.toString());
        }
        out << values.join(QLatin1Char('|'));
    }
    return out;
}

const QString C = SheetKeys::kCodeSeparator;
const QString B = SheetKeys::kBrandSeparator;

} // namespace

class tst_Consult : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void regionListStartsWithAllRegionsRow_data() { EngineDatabase::addEngineRows(); }
    void regionListStartsWithAllRegionsRow();
    void sheetRecordsCarryCompositeKeysAndDetails_data() { EngineDatabase::addEngineRows(); }
    void sheetRecordsCarryCompositeKeysAndDetails();
    void historyOfLastQuotationAndLowestPrices_data() { EngineDatabase::addEngineRows(); }
    void historyOfLastQuotationAndLowestPrices();
    void historyWithoutEarlierQuotationsIsEmpty_data() { EngineDatabase::addEngineRows(); }
    void historyWithoutEarlierQuotationsIsEmpty();

private:
    QVariant call(const QString &method, QVariantList args);
    void exec(const QString &sql, const QVariantList &values = {});
    QString code(const char *kind, int n) const;
    void base(const QString &prefix);
    void quotation(const QString &number, const QDate &start, const QStringList &regions);
    void item(const QString &number, const QString &region, const QString &supplier, const QString &product,
              const QString &brand, double price, double economic = 0, const QString &alternative = QStringLiteral("N"));

    EngineDatabase m_sqlite{DatabaseConfig::Engine::SQLite, QStringLiteral("consult")};
    EngineDatabase m_postgres{DatabaseConfig::Engine::PostgreSQL, QStringLiteral("consult")};
    Database *m_current = nullptr;
    MethodTable m_table;
    QString m_prefix;
};

#define ENGINE() SUP_ENGINE_ROW(m_sqlite, m_postgres, m_current)

void tst_Consult::initTestCase()
{
    registerServerObjects(m_table);
    QString error;
    QVERIFY2(m_sqlite.create(EngineDatabase::Content::SmallDemo, &error), qPrintable(error));
    if (!m_postgres.create(EngineDatabase::Content::SmallDemo, &error))
        QVERIFY2(error.isEmpty(), qPrintable(error));
}

QVariant tst_Consult::call(const QString &method, QVariantList args)
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
    session.branch = QStringLiteral("0001");
    session.loggedIn = true;
    CallContext ctx{session, *m_current, decl->contract, args};
    return decl->fn(ctx);
}

void tst_Consult::exec(const QString &sql, const QVariantList &values)
{
    QVariantMap params;
    for (int i = 0; i < values.size(); ++i)
        params.insert(QStringLiteral("V%1").arg(i), values.at(i));
    m_current->exec(sql, params);
}

// "r1" region, "s1" supplier, "p1" product, "b1" brand, "q1" quotation of the test.
QString tst_Consult::code(const char *kind, int n) const
{
    const QString k = QLatin1String(kind);
    if (k == QLatin1String("r"))
        return padCode(QString::number(100 * (n) + m_prefix.toInt()), 3);
    if (k == QLatin1String("s"))
        return padCode(QStringLiteral("8%1%2").arg(m_prefix).arg(n, 3, 10, QLatin1Char('0')), 21);
    if (k == QLatin1String("p"))
        return padCode(QStringLiteral("8%1%2").arg(m_prefix).arg(n, 7, 10, QLatin1Char('0')), 10);
    if (k == QLatin1String("b"))
        return padCode(QStringLiteral("8%1%2").arg(m_prefix).arg(n), 5);
    return padCode(QString::number(8000 + 10 * m_prefix.toInt() + n), 10);
}

// Regions 1 and 2, suppliers 1 to 3 (3 without a trade name), products 1 and 2, brands
// 1 and 2.
void tst_Consult::base(const QString &prefix)
{
    m_prefix = prefix;
    exec(QStringLiteral("INSERT INTO REGIAO (CDREGIAO, NMREGIAO) VALUES (:V0, 'Norte'), (:V1, 'Sul')"),
         {code("r", 1), code("r", 2)});
    const QList<QVariantList> suppliers = {{code("s", 1), QStringLiteral("Empresa Um"), QStringLiteral("ATACADO UM")},
                                           {code("s", 2), QStringLiteral("Empresa Dois"), QStringLiteral("MERCADO DOIS")},
                                           {code("s", 3), QStringLiteral("Empresa Tres Ltda"), QVariant()}};
    for (const QVariantList &s : suppliers)
        exec(QStringLiteral("INSERT INTO FORNECEDOR (CDFORNECED, IDTPIJURFORN, NRINSJURFORN, NMRAZSOCFORN, NMFANTFORN) "
                            "VALUES (:V0, 'J', :V3, :V1, :V2)"),
             s + QVariantList{s.at(0).toString().right(14)});
    exec(QStringLiteral("INSERT INTO PRODUTO (CDPRODUTO, CDARVPROD, NMPRODUTO, CDNVPRODUTO, IDULTNIVPROD, SGUNIDADE) "
                        "VALUES (:V0, :V1, 'ARROZ AGULHINHA', '3', 'S', 'PACOTE'), (:V2, :V3, 'FEIJAO', '3', 'S', 'KG')"),
         {code("p", 1), QStringLiteral("8%1.01").arg(prefix), code("p", 2), QStringLiteral("8%1.02").arg(prefix)});
    exec(QStringLiteral("INSERT INTO MARCA (CDMARCA, NMMARCA) VALUES (:V0, 'TIO'), (:V1, :V2)"),
         {code("b", 1), code("b", 2), QStringLiteral("MARCA DE NOME MUITO COMPRIDO DEMAIS")});
}

void tst_Consult::quotation(const QString &number, const QDate &start, const QStringList &regions)
{
    exec(QStringLiteral("INSERT INTO COLETAPR (CDFILIAL, NRCOLEPRECO, DTCOLEPREC, DTINIVALCOL, DTFINVALCOL, CDOPERADOR) "
                        "VALUES ('0001', :V0, :V1, :V2, :V3, :V4)"),
         {number, start.addDays(-3), start, start.addDays(6), padOperator(QStringLiteral("COMP01"))});
    for (const QString &r : regions) {
        exec(QStringLiteral("INSERT INTO COLEREGI (CDFILIAL, NRCOLEPRECO, CDREGIAO) VALUES ('0001', :V0, :V1)"), {number, r});
        for (int s = 1; s <= 3; ++s)
            exec(QStringLiteral("INSERT INTO COLEFORN (CDFILIAL, NRCOLEPRECO, CDREGIAO, CDFORNECED) "
                                "VALUES ('0001', :V0, :V1, :V2)"),
                 {number, r, code("s", s)});
    }
}

void tst_Consult::item(const QString &number, const QString &region, const QString &supplier, const QString &product,
                       const QString &brand, double price, double economic, const QString &alternative)
{
    exec(QStringLiteral("INSERT INTO ITCOLETAPR (CDFILIAL, NRCOLEPRECO, CDREGIAO, CDFORNECED, CDPRODUTO, CDMARCA, "
                        "VRPRECUNIITM, VRPRECECOITM, VRPRECOITMPI, QTACMPITMCOL, VRPERDESITM, IDPRECALT) "
                        "VALUES ('0001', :V0, :V1, :V2, :V3, :V4, :V5, :V6, :V7, 12.5, 3.5, :V8)"),
         {number, region, supplier, product, brand, price, economic, -economic, alternative});
}

void tst_Consult::regionListStartsWithAllRegionsRow()
{
    ENGINE();
    base(QStringLiteral("21"));
    quotation(code("q", 1), QDate(2026, 3, 2), {code("r", 2), code("r", 1)});
    const QString typed = QString::number(code("q", 1).toInt());
    const QVariant list = call(QStringLiteral("GetServRegiao"), {QStringLiteral("1"), typed, QStringLiteral("Todas")});
    QCOMPARE(table(list, {"CDREGIAO", "NMREGIAO", "NRCOLEPRECO"}),
             QStringList({"XXX|Todas|" + code("q", 1), code("r", 1) + "|Norte|" + code("q", 1),
                          code("r", 2) + "|Sul|" + code("q", 1)}));
    QCOMPARE(list.value<DataPacket>().fields(), Protocol::packetLayout(QStringLiteral("ServRegiao")));
    // An unknown quotation: the all-regions row alone.
    QCOMPARE(table(call(QStringLiteral("GetServRegiao"), {QStringLiteral("0001"), QStringLiteral("7777777"), QStringLiteral("T")}),
                   {"CDREGIAO"}),
             QStringList({"XXX"}));
}

void tst_Consult::sheetRecordsCarryCompositeKeysAndDetails()
{
    ENGINE();
    base(QStringLiteral("22"));
    const QString q = code("q", 1);
    quotation(q, QDate(2026, 3, 2), {code("r", 1), code("r", 2)});
    item(q, code("r", 1), code("s", 1), code("p", 1), code("b", 2), 10.5, 9.25, QStringLiteral("S"));
    item(q, code("r", 1), code("s", 3), code("p", 2), code("b", 1), 0);
    item(q, code("r", 2), code("s", 2), code("p", 1), code("b", 1), 7);

    const QStringList fields = {"COCREGIAO", "COCFORNECED", "COCPRODUTO", "CONTA", "PRECOUNIT", "PRECOECON",
                                "PRECOECONPI", "QTDE", "UN", "VRPERDESITM", "IDCOTALTER", "CDARVPROD"};
    const QVariant one = call(QStringLiteral("GetStringList"), {QStringLiteral("0001"), q, code("r", 1)});
    QCOMPARE(one.value<DataPacket>().fields(), Protocol::packetLayout(QStringLiteral("StringList")));
    // Brand name cut to 20; a supplier without trade name goes by its company name; the
    // unit cut to 5.
    QCOMPARE(table(one, fields),
             QStringList({code("r", 1) + C + "Norte|" + code("s", 1) + C + "ATACADO UM|ARROZ AGULHINHA" + C + code("p", 1) + B
                              + code("b", 2) + C + "MARCA DE NOME MUITO |1|10.5|9.25|-9.25|12.5|PACOT|3.5|S|822.01",
                          code("r", 1) + C + "Norte|" + code("s", 3) + C + "Empresa Tres Ltda|FEIJAO" + C + code("p", 2) + B
                              + code("b", 1) + C + "TIO|1|0|0|0|12.5|KG|3.5|N|822.02"}));
    // The keys split back into their parts.
    const DataPacket packet = one.value<DataPacket>();
    const SheetKeys::ProductParts parts = SheetKeys::productParts(packet.value(0, QStringLiteral("COCPRODUTO")).toString());
    QCOMPARE(parts.productCode, code("p", 1));
    QCOMPARE(parts.brandCode, code("b", 2));
    QCOMPARE(parts.brandName, QStringLiteral("MARCA DE NOME MUITO "));

    // "NULL" in any case: every region.
    QCOMPARE(table(call(QStringLiteral("GetStringList"), {QStringLiteral("0001"), q, QStringLiteral("null")}), {"PRECOUNIT"}),
             QStringList({"10.5", "0", "7"}));
    QCOMPARE(table(call(QStringLiteral("GetStringList"), {QStringLiteral("0001"), q, QStringLiteral("999")}), {"PRECOUNIT"}),
             QStringList());
}

void tst_Consult::historyOfLastQuotationAndLowestPrices()
{
    ENGINE();
    base(QStringLiteral("23"));
    const QString current = code("q", 3), older = code("q", 1), last = code("q", 2), later = code("q", 4);
    quotation(older, QDate(2026, 1, 5), {code("r", 1), code("r", 2)});
    quotation(last, QDate(2026, 2, 2), {code("r", 1), code("r", 2)});
    quotation(current, QDate(2026, 3, 2), {code("r", 1)});
    quotation(later, QDate(2026, 4, 6), {code("r", 1)});
    const QString r1 = code("r", 1), r2 = code("r", 2), s1 = code("s", 1), s2 = code("s", 2), s3 = code("s", 3);
    const QString p1 = code("p", 1), b1 = code("b", 1);
    item(current, r1, s1, p1, b1, 12.0, 11.0);
    // The supplier's earlier prices: the latest earlier quotation wins, not the lowest.
    item(older, r1, s1, p1, b1, 8.0, 7.5);
    item(last, r1, s1, p1, b1, 10.0, 9.5);
    // Lowest normal: supplier 3 in another region of the older quotation; lower prices
    // in the current and a later quotation, of another brand, or zero do not count.
    item(older, r2, s3, p1, b1, 6.5, 6.0);
    item(last, r1, s2, p1, b1, 0);
    item(later, r1, s2, p1, b1, 1.0);
    item(current, r1, s2, p1, b1, 2.0);
    item(last, r2, s2, p1, code("b", 2), 1.5);
    // Lowest alternative: supplier 2.
    item(last, r2, s2, p1, b1, 9.0, 8.0, QStringLiteral("S"));
    item(older, r1, s3, p1, b1, 9.5, 8.5, QStringLiteral("S"));

    const QVariant h = call(QStringLiteral("GetHistorico"), {QStringLiteral("0001"), current, r1, s1, p1, b1});
    QCOMPARE(h.value<DataPacket>().fields(), Protocol::packetLayout(QStringLiteral("Historico")));
    QCOMPARE(table(h, {"P_VRULTCOT_PRUN", "P_VRULTCOT_ECO", "P_DTINIVAL_ULTCOT", "P_DTFINVAL_ULTCOT", "P_PERVARIACAO"}),
             QStringList({"10|9.5|2026-02-02|2026-02-08|20"}));
    QCOMPARE(table(h, {"P_NMFORN_NORM", "P_VRFNORM_PRUN", "P_VRFNORM_ECO", "P_DTINIVAL_MINPRFN", "P_DTFINVAL_MINPRFN"}),
             QStringList({"Empresa Tres Ltda|6.5|6|2026-01-05|2026-01-11"}));
    QCOMPARE(table(h, {"P_NMFORN_ALTER", "P_VRFALTER_PRUN", "P_VRFALTER_ECO", "P_DTINIVAL_MINPRFA", "P_DTFINVAL_MINPRFA"}),
             QStringList({"MERCADO DOIS|9|8|2026-02-02|2026-02-08"}));

    // A zero current price: no variation, the earlier prices still shown.
    item(current, r1, s3, p1, b1, 0);
    item(last, r1, s3, p1, b1, 4.0);
    QCOMPARE(table(call(QStringLiteral("GetHistorico"), {QStringLiteral("0001"), current, r1, s3, p1, b1}),
                   {"P_VRULTCOT_PRUN", "P_PERVARIACAO"}),
             QStringList({"4|0"}));
}

void tst_Consult::historyWithoutEarlierQuotationsIsEmpty()
{
    ENGINE();
    base(QStringLiteral("24"));
    const QString q = code("q", 1);
    quotation(q, QDate(2026, 3, 2), {code("r", 1)});
    item(q, code("r", 1), code("s", 1), code("p", 1), code("b", 1), 5);
    const QStringList all = {"P_VRULTCOT_PRUN", "P_DTINIVAL_ULTCOT", "P_PERVARIACAO", "P_NMFORN_NORM", "P_VRFNORM_PRUN",
                             "P_DTFINVAL_MINPRFN", "P_NMFORN_ALTER", "P_VRFALTER_ECO", "P_DTINIVAL_MINPRFA"};
    const QStringList none = {"0|-|0|-|0|-|-|0|-"};
    QCOMPARE(table(call(QStringLiteral("GetHistorico"),
                        {QStringLiteral("0001"), q, code("r", 1), code("s", 1), code("p", 1), code("b", 1)}),
                   all),
             none);
    // Unknown quotation: one record all the same.
    QCOMPARE(table(call(QStringLiteral("GetHistorico"),
                        {QStringLiteral("0001"), QStringLiteral("6666"), code("r", 1), code("s", 1), code("p", 1), code("b", 1)}),
                   all),
             none);
}

QTEST_GUILESS_MAIN(tst_Consult)
#include "tst_consult.moc"
