#include "ProductsPageData.h"

#include "ServerFixture.h"

#include <QDate>
#include <QSet>
#include <QVariantMap>

namespace {

QString padded(const QString &code, int width)
{
    return code.rightJustified(width, QLatin1Char('0'));
}

QString day(int offset)
{
    return QDate::currentDate().addDays(offset).toString(Qt::ISODate);
}

QString buyer()
{
    return QString::fromLatin1(ServerFixture::kBuyer).leftJustified(12, QLatin1Char(' '));
}

} // namespace

QString ProductsPageData::region(int i) const { return QString::number(901 + i); }
QString ProductsPageData::regionName(int i) const { return QStringLiteral("Região de teste %1").arg(i + 1); }
QString ProductsPageData::supplier(int i) const { return padded(QStringLiteral("9%1").arg(i + 1, 3, 10, QLatin1Char('0')), 21); }
QString ProductsPageData::supplierName(int i) const
{
    static const char *const names[] = {"Alfa Atacado", "Beta Distribuidora", "Gama Alimentos"};
    return QString::fromLatin1(names[i % 3]);
}
QString ProductsPageData::product(int i) const { return QStringLiteral("99%1").arg(i + 1, 8, 10, QLatin1Char('0')); }
QString ProductsPageData::tree(int i) const { return QStringLiteral("0199%1").arg(i + 1, 3, 10, QLatin1Char('0')); }
QString ProductsPageData::productName(int i) const
{
    static const char *const names[] = {"Arroz de teste 5 kg", "Feijão de teste 1 kg", "Óleo de teste 900 ml",
                                        "Açúcar de teste 1 kg"};
    return QString::fromUtf8(names[i % 4]);
}
QString ProductsPageData::brand(int i) const { return QStringLiteral("9%1").arg(i + 1, 4, 10, QLatin1Char('0')); }
QString ProductsPageData::brandName(int i) const { return QStringLiteral("Marca teste %1").arg(i + 1); }

bool ProductsPageData::exec(const QString &sql, const QVariantMap &params, QString *error)
{
    if (m_server.execute(sql, params, error))
        return true;
    if (error)
        *error = sql.left(60) + QLatin1String(": ") + *error;
    return false;
}

bool ProductsPageData::ensureMasterData(QString *error)
{
    if (m_server.scalar(QStringLiteral("SELECT COUNT(*) FROM REGIAO WHERE CDREGIAO = :R"), {{QStringLiteral("R"), region(0)}})
            .toInt()
        > 0)
        return true;
    const QString valid = day(365);
    for (int r = 0; r < kRegions; ++r) {
        if (!exec(QStringLiteral("INSERT INTO REGIAO (CDREGIAO, NMREGIAO) VALUES (:R, :N)"),
                  {{QStringLiteral("R"), region(r)}, {QStringLiteral("N"), regionName(r)}}, error))
            return false;
    }
    for (int b = 0; b < kBrands; ++b) {
        if (!exec(QStringLiteral("INSERT INTO MARCA (CDMARCA, NMMARCA) VALUES (:B, :N)"),
                  {{QStringLiteral("B"), brand(b)}, {QStringLiteral("N"), brandName(b)}}, error))
            return false;
    }
    for (int p = 0; p < kProducts; ++p) {
        const QVariantMap prod = {{QStringLiteral("P"), product(p)}, {QStringLiteral("T"), tree(p)},
                                  {QStringLiteral("N"), productName(p)}};
        if (!exec(QStringLiteral("INSERT INTO PRODUTO (CDPRODUTO, CDARVPROD, NMPRODUTO, CDNVPRODUTO, IDULTNIVPROD, "
                                 "SGUNIDADE, CDPRODESTO, IDPRODATIVPR) VALUES (:P, :T, :N, '3', 'S', 'UN', :P, 'S')"),
                  prod, error)
            || !exec(QStringLiteral("INSERT INTO PRODCOMP (CDOPERADOR, CDPRODUTO) VALUES (:O, :P)"),
                     {{QStringLiteral("O"), buyer()}, {QStringLiteral("P"), product(p)}}, error)
            || !exec(QStringLiteral("INSERT INTO PRODFILI (CDFILIAL, CDPRODUTO) VALUES ('0001', :P)"),
                     {{QStringLiteral("P"), product(p)}}, error))
            return false;
        for (int b = 0; b < kBrands; ++b) {
            const QVariantMap pair = {{QStringLiteral("P"), product(p)}, {QStringLiteral("B"), brand(b)},
                                      {QStringLiteral("V"), valid}, {QStringLiteral("Q"), 100.0 * (p + 1) + b},
                                      {QStringLiteral("E"), QStringLiteral("99%1%2").arg(p + 1, 6, 10, QLatin1Char('0')).arg(b + 1, 6, 10, QLatin1Char('0'))}};
            if (!exec(QStringLiteral("INSERT INTO MARCPROD (CDPRODUTO, CDMARCA, IDQUALMARC, DTVALQUALMARC, "
                                     "QTDISPPRODMARC) VALUES (:P, :B, 'S', :V, :Q)"),
                      pair, error)
                || !exec(QStringLiteral("INSERT INTO EANPRODMARC (CDEAN, CDPRODUTO, CDMARCA) VALUES (:E, :P, :B)"), pair,
                         error))
                return false;
        }
    }
    for (int s = 0; s < kSuppliers; ++s) {
        const QVariantMap supp = {{QStringLiteral("F"), supplier(s)},
                                  {QStringLiteral("I"), QStringLiteral("99%1").arg(s + 1, 12, 10, QLatin1Char('0'))},
                                  {QStringLiteral("N"), supplierName(s)}};
        if (!exec(QStringLiteral("INSERT INTO FORNECEDOR (CDFORNECED, IDTPIJURFORN, NRINSJURFORN, NMRAZSOCFORN, "
                                 "NMFANTFORN, IDSITUCADA) VALUES (:F, 'J', :I, :N, :N, 'A')"),
                  supp, error))
            return false;
        for (int r = 0; r < kRegions; ++r) {
            if (!exec(QStringLiteral("INSERT INTO REGIFORN (CDFORNECED, CDREGIAO) VALUES (:F, :R)"),
                      {{QStringLiteral("F"), supplier(s)}, {QStringLiteral("R"), region(r)}}, error))
                return false;
        }
        for (int p = 0; p < kProducts; ++p) {
            if (!exec(QStringLiteral("INSERT INTO PRODFORN (CDFORNECED, CDPRODUTO, IDQUALPRODFORN, DTVALQUALPF) "
                                     "VALUES (:F, :P, 'S', :V)"),
                      {{QStringLiteral("F"), supplier(s)}, {QStringLiteral("P"), product(p)}, {QStringLiteral("V"), valid}},
                      error))
                return false;
        }
    }
    return true;
}

bool ProductsPageData::createQuotation(const QList<Item> &items, QString *number, QString *error,
                                       const QString &situation, const QString &origin)
{
    if (!ensureMasterData(error))
        return false;
    static int s_next = 0;
    *number = QStringLiteral("8%1").arg(++s_next, 9, 10, QLatin1Char('0'));
    m_quotations << *number;
    const QDate today = QDate::currentDate();
    const QVariantMap key = {{QStringLiteral("F"), QStringLiteral("0001")}, {QStringLiteral("N"), *number}};
    QVariantMap head = key;
    head.insert(QStringLiteral("DC"), day(-2));
    head.insert(QStringLiteral("WI"), QStringLiteral("%1").arg(today.weekNumber(), 2, 10, QLatin1Char('0')));
    head.insert(QStringLiteral("WF"), QStringLiteral("%1").arg(today.addDays(6).weekNumber(), 2, 10, QLatin1Char('0')));
    head.insert(QStringLiteral("DI"), day(0));
    head.insert(QStringLiteral("DF"), day(6));
    head.insert(QStringLiteral("O"), buyer());
    head.insert(QStringLiteral("S"), situation);
    head.insert(QStringLiteral("T"), origin);
    if (!exec(QStringLiteral("INSERT INTO COLETAPR (CDFILIAL, NRCOLEPRECO, DTCOLEPREC, NRSEMAINIC, NRSEMAFINAL, "
                             "DTINIVALCOL, DTFINVALCOL, CDOPERADOR, IDTIPCOLREG, IDDISMONTLIS, IDSITUCOLETA, CDFILPROC, "
                             "CDOPERINCL) VALUES (:F, :N, :DC, :WI, :WF, :DI, :DF, :O, :T, 'S', :S, :F, :O)"),
              head, error))
        return false;
    QSet<int> regions;
    QSet<QPair<int, int>> suppliers;
    for (const Item &item : items) {
        QVariantMap row = key;
        row.insert(QStringLiteral("R"), region(item.region));
        row.insert(QStringLiteral("FO"), supplier(item.supplier));
        if (!regions.contains(item.region)) {
            regions.insert(item.region);
            if (!exec(QStringLiteral("INSERT INTO COLEREGI (CDFILIAL, NRCOLEPRECO, CDREGIAO) VALUES (:F, :N, :R)"),
                      {{QStringLiteral("F"), QStringLiteral("0001")}, {QStringLiteral("N"), *number},
                       {QStringLiteral("R"), region(item.region)}},
                      error))
                return false;
        }
        if (!suppliers.contains({item.region, item.supplier})) {
            suppliers.insert({item.region, item.supplier});
            if (!exec(QStringLiteral("INSERT INTO COLEFORN (CDFILIAL, NRCOLEPRECO, CDREGIAO, CDFORNECED) "
                                     "VALUES (:F, :N, :R, :FO)"),
                      row, error))
                return false;
        }
        row.insert(QStringLiteral("P"), product(item.product));
        row.insert(QStringLiteral("M"), brand(item.brand));
        row.insert(QStringLiteral("V"), item.price);
        row.insert(QStringLiteral("E"), item.economic);
        row.insert(QStringLiteral("PI"), item.economicPI);
        row.insert(QStringLiteral("Q"), item.quantity);
        row.insert(QStringLiteral("D"), item.discount);
        row.insert(QStringLiteral("A"), item.priceAltered ? QStringLiteral("S") : QStringLiteral("N"));
        row.insert(QStringLiteral("K"), item.keyedWhileEditing ? QStringLiteral("S") : QStringLiteral("N"));
        row.insert(QStringLiteral("J"), item.justification.isEmpty() ? QVariant() : QVariant(item.justification));
        if (!exec(QStringLiteral("INSERT INTO ITCOLETAPR (CDFILIAL, NRCOLEPRECO, CDREGIAO, CDFORNECED, CDPRODUTO, "
                                 "CDMARCA, VRPRECUNIITM, VRPRECECOITM, VRPRECOITMPI, QTACMPITMCOL, VRPERDESITM, "
                                 "IDPRECALT, IDITMCOTPREC, DSJUSTOPER) "
                                 "VALUES (:F, :N, :R, :FO, :P, :M, :V, :E, :PI, :Q, :D, :A, :K, :J)"),
                  row, error))
            return false;
    }
    return true;
}

bool ProductsPageData::putInPriceList(const QString &number, const Item &item, QString *list, QString *error)
{
    return putInPriceList(number,
                          {region(item.region), supplier(item.supplier), product(item.product), brand(item.brand)},
                          item.price, list, error);
}

bool ProductsPageData::putInPriceList(const QString &number, const QStringList &itemKey, double price, QString *list,
                                      QString *error)
{
    static int s_next = 0;
    *list = QStringLiteral("8%1").arg(++s_next, 9, 10, QLatin1Char('0'));
    m_lists << *list;
    return exec(QStringLiteral("INSERT INTO LISTPREC (CDFILIAL, NRSEQPRELIST, DSLISTPREC, DTINIVALLIS, DTFINVALLIS, "
                               "IDSITULIST, CDOPERADOR) VALUES ('0001', :L, 'Lista de teste', :DI, :DF, 'A', :O)"),
                {{QStringLiteral("L"), *list}, {QStringLiteral("DI"), day(-30)}, {QStringLiteral("DF"), day(30)},
                 {QStringLiteral("O"), buyer()}},
                error)
           && exec(QStringLiteral("INSERT INTO ITLISTPREC (CDFILIAL, NRSEQPRELIST, NRCOLEPRECO, CDREGIAO, CDFORNECED, "
                                  "CDPRODUTO, CDMARCA, VRPRECLIST, IDPRECCONF) VALUES ('0001', :L, :N, :R, :FO, :P, :M, "
                                  ":V, 'N')"),
                   {{QStringLiteral("L"), *list}, {QStringLiteral("N"), number}, {QStringLiteral("R"), itemKey.value(0)},
                    {QStringLiteral("FO"), itemKey.value(1)}, {QStringLiteral("P"), itemKey.value(2)},
                    {QStringLiteral("M"), itemKey.value(3)}, {QStringLiteral("V"), price}},
                   error);
}

void ProductsPageData::removeQuotations()
{
    for (const QString &list : std::as_const(m_lists)) {
        for (const char *table : {"ITLISTPREC", "LISTPREC"})
            m_server.execute(QStringLiteral("DELETE FROM %1 WHERE CDFILIAL = '0001' AND NRSEQPRELIST = :L")
                                 .arg(QLatin1String(table)),
                             {{QStringLiteral("L"), list}});
    }
    for (const QString &number : std::as_const(m_quotations)) {
        for (const char *table : {"ITLISTPREC", "HISTITCOLE", "HISTCOLETA", "ITCOLETAPR", "COLEFORN", "COLEREGI",
                                  "COLETAPR"})
            m_server.execute(QStringLiteral("DELETE FROM %1 WHERE CDFILIAL = '0001' AND NRCOLEPRECO = :N")
                                 .arg(QLatin1String(table)),
                             {{QStringLiteral("N"), number}});
    }
    m_lists.clear();
    m_quotations.clear();
}
