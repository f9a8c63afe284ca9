#include "DemoData.h"

#include "Codes.h"
#include "Database.h"
#include "ServerError.h"

#include <QDate>
#include <QHash>
#include <QList>
#include <QSet>
#include <QSqlQuery>
#include <QStringList>
#include <QTimeZone>

#include <sodium.h>

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

// The generated calendar ends near this Monday, so the data never depends on the day it
// was generated.  Validity weeks run Monday to Sunday (ISO weeks), as the package
// numbers them.
const QDate kAnchor(2026, 12, 7);

// A small deterministic generator (xorshift64*): the same seed gives the same data on
// every platform and library.
class Random
{
public:
    explicit Random(std::uint64_t seed) : m_state(seed ? seed : 88172645463325252ull) {}
    std::uint64_t next()
    {
        m_state ^= m_state >> 12;
        m_state ^= m_state << 25;
        m_state ^= m_state >> 27;
        return m_state * 2685821657736338717ull;
    }
    int below(int n) { return n <= 0 ? 0 : int(next() % std::uint64_t(n)); }
    int between(int lo, int hi) { return lo + below(hi - lo + 1); }
    double real(double lo, double hi) { return lo + (hi - lo) * double(next() % 1000000) / 1000000.0; }
    bool chance(int percent) { return below(100) < percent; }
    template<typename T> const T &pick(const QList<T> &list) { return list.at(below(int(list.size()))); }
    template<typename T> QList<T> sample(QList<T> list, int count)
    {
        for (int i = int(list.size()) - 1; i > 0; --i)
            list.swapItemsAt(i, below(i + 1));
        return list.mid(0, std::min<int>(count, int(list.size())));
    }

private:
    std::uint64_t m_state;
};

double round5(double v) { return std::round(v * 100000.0) / 100000.0; }

// Inserts rows into one table through one prepared statement.
class Inserter
{
public:
    Inserter(Database &db, const QString &table, const QStringList &columns)
        : m_db(db), m_columns(columns)
    {
        QStringList marks;
        for (const QString &c : columns)
            marks << QLatin1Char(':') + c;
        m_query = db.prepare(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                 .arg(table, columns.join(QLatin1String(", ")), marks.join(QLatin1String(", "))));
    }
    void add(const QVariantList &values)
    {
        Q_ASSERT(values.size() == m_columns.size());
        QVariantMap params;
        for (int i = 0; i < m_columns.size(); ++i)
            params.insert(m_columns.at(i), values.at(i));
        m_db.run(m_query, params);
    }

private:
    Database &m_db;
    QStringList m_columns;
    QSqlQuery m_query;
};

QString hashPassword(const QString &password, bool fast)
{
    char out[crypto_pwhash_STRBYTES];
    const QByteArray pw = password.toUtf8();
    const auto ops = fast ? crypto_pwhash_OPSLIMIT_MIN : crypto_pwhash_OPSLIMIT_INTERACTIVE;
    const auto mem = fast ? crypto_pwhash_MEMLIMIT_MIN : crypto_pwhash_MEMLIMIT_INTERACTIVE;
    if (crypto_pwhash_str(out, pw.constData(), pw.size(), ops, mem) != 0)
        throw ServerError::failure(QStringLiteral("password hashing ran out of memory"));
    return QString::fromLatin1(out);
}

// CNPJ / CPF with valid check digits, from a base of 12 / 9 digits.
QString withCheckDigits(QString base, const QList<int> &w1, const QList<int> &w2)
{
    auto digit = [&](const QList<int> &w) {
        int sum = 0;
        for (int i = 0; i < w.size(); ++i)
            sum += base.at(i).digitValue() * w.at(i);
        const int r = sum % 11;
        return r < 2 ? 0 : 11 - r;
    };
    base += QString::number(digit(w1));
    base += QString::number(digit(w2));
    return base;
}

QString cnpj(Random &rnd)
{
    QString base;
    for (int i = 0; i < 8; ++i)
        base += QString::number(rnd.below(10));
    base += QStringLiteral("0001");
    return withCheckDigits(base, {5, 4, 3, 2, 9, 8, 7, 6, 5, 4, 3, 2}, {6, 5, 4, 3, 2, 9, 8, 7, 6, 5, 4, 3, 2});
}

QString cpf(Random &rnd)
{
    QString base;
    for (int i = 0; i < 9; ++i)
        base += QString::number(rnd.below(10));
    return withCheckDigits(base, {10, 9, 8, 7, 6, 5, 4, 3, 2}, {11, 10, 9, 8, 7, 6, 5, 4, 3, 2});
}

QString ean13(const QString &twelve)
{
    int sum = 0;
    for (int i = 0; i < 12; ++i)
        sum += twelve.at(i).digitValue() * (i % 2 ? 3 : 1);
    return twelve + QString::number((10 - sum % 10) % 10);
}

QString code(int n, int width) { return padCode(QString::number(n), width); }
QString week2(const QDate &d) { return padCode(QString::number(d.weekNumber()), 2); }

struct Product
{
    QString code;
    QString tree;
    QString name;
    QString unit;
    double basePrice = 0;
    bool active = true;
    QStringList brands;
};

struct Supplier
{
    QString code;
    QString name;
    QStringList regions;
    QSet<QString> products;
    QString payment;
    double discount = 0;
    double factor = 1;
    bool active = true;
};

struct Plan
{
    int productGroups, subGroups, productsPerGroup;
    int suppliers, quotations, spanWeeks;
    int regionsMin, regionsMax, suppliersMin, suppliersMax, productsMin, productsMax;
    bool fastHashes;
    // Suppliers per region of the one very large quotation (0: none).  With every
    // region, the buyer's active products and all their brands it holds over 100,000
    // items, the size the grid, sheet and maintenance benchmarks work on.
    int bigSuppliersPerRegion;
};

class Generator
{
public:
    Generator(Database &db, DemoData::Size size)
        : m_db(db), m_rnd(size == DemoData::Size::Small ? 20261206u : 52005200u)
    {
        if (size == DemoData::Size::Small)
            m_plan = {4, 3, 5, 24, 48, 24, 2, 4, 2, 4, 6, 14, false, 0};
        else
            m_plan = {6, 6, 10, 150, 5000, 200, 1, 2, 1, 3, 3, 6, true, 40};
    }

    void run()
    {
        regions();
        branches();
        parameters();
        people();
        productsAndBrands();
        suppliers();
        purchases();
        quotations();
        priceLists();
    }

private:
    void regions()
    {
        const QStringList names = {QStringLiteral("Grande São Paulo"), QStringLiteral("Interior Paulista"),
                                   QStringLiteral("Rio de Janeiro"), QStringLiteral("Minas Gerais"),
                                   QStringLiteral("Sul"), QStringLiteral("Nordeste"),
                                   QStringLiteral("Centro-Oeste"), QStringLiteral("Norte")};
        Inserter ins(m_db, QStringLiteral("REGIAO"), {QStringLiteral("CDREGIAO"), QStringLiteral("NMREGIAO")});
        for (int i = 0; i < names.size(); ++i) {
            m_regions << code(i + 1, 3);
            ins.add({m_regions.last(), names.at(i)});
        }
    }

    void branches()
    {
        Inserter ins(m_db, QStringLiteral("FILIAL"),
                     {QStringLiteral("CDFILIAL"), QStringLiteral("NMFILIAL"), QStringLiteral("CDFILCENTCMP"),
                      QStringLiteral("IDTIPFILI"), QStringLiteral("CDREGIAO"), QStringLiteral("NRINSJURFILI"),
                      QStringLiteral("NMCIDADE"), QStringLiteral("SGESTADO")});
        const QVariant none;
        struct B { int n; const char *name; int central; char kind; int region; const char *city; const char *uf; };
        const B list[] = {
            {1, "Matriz São Paulo", 0, 'C', 1, "São Paulo", "SP"},
            {2, "Regional Campinas", 1, 'R', 2, "Campinas", "SP"},
            {3, "Regional Rio de Janeiro", 1, 'R', 3, "Rio de Janeiro", "RJ"},
            {4, "Regional Belo Horizonte", 1, 'R', 4, "Belo Horizonte", "MG"},
            {5, "Regional Curitiba", 1, 'R', 5, "Curitiba", "PR"},
            {6, "Loja Santos", 1, 'L', 1, "Santos", "SP"},
            {7, "Loja Ribeirão Preto", 1, 'L', 2, "Ribeirão Preto", "SP"},
            {8, "Loja Niterói", 1, 'L', 3, "Niterói", "RJ"},
            {10, "Central Recife", 0, 'C', 6, "Recife", "PE"},
            {11, "Regional Salvador", 10, 'R', 6, "Salvador", "BA"},
            {12, "Regional Goiânia", 10, 'R', 7, "Goiânia", "GO"},
        };
        for (const B &b : list) {
            ins.add({code(b.n, 4), QString::fromUtf8(b.name), b.central ? QVariant(code(b.central, 4)) : none,
                     QString(QLatin1Char(b.kind)), code(b.region, 3), cnpj(m_rnd), QString::fromUtf8(b.city),
                     QString::fromLatin1(b.uf)});
            if (b.central == 1 || b.n == 1)
                m_centralOneBranches << code(b.n, 4);
        }
    }

    void parameters()
    {
        Inserter general(m_db, QStringLiteral("PARAMGERAL"),
                         {QStringLiteral("CDPARAMGERAL"), QStringLiteral("NMEMPRESA"), QStringLiteral("IDSISDOS")});
        general.add({1, QStringLiteral("Distribuidora Boa Compra Ltda."), QStringLiteral("1")});
        Inserter ins(m_db, QStringLiteral("PARASUPRI"),
                     {QStringLiteral("CDFILIAL"), QStringLiteral("IDUTISTATCOT"), QStringLiteral("IDAUDALTCOT"),
                      QStringLiteral("IDUMPRODCMP"), QStringLiteral("IDUTLPROCMP"), QStringLiteral("IDULTIDTVALQ"),
                      QStringLiteral("IDPERMREPLICREG"), QStringLiteral("IDPERMREPLICFOR"),
                      QStringLiteral("IDUTILCONSSOLIOL")});
        ins.add({code(1, 4), "S", "S", "N", "N", "D", "S", "S", "N"});
        ins.add({code(10, 4), "N", "N", "S", "S", "M", "N", "N", "S"});

        Inserter just(m_db, QStringLiteral("JUSTSOLI"), {QStringLiteral("CDJUSTSOL"), QStringLiteral("DSJUSTSOL")});
        const QStringList texts = {QStringLiteral("Erro de digitação"), QStringLiteral("Renegociação com o fornecedor"),
                                   QStringLiteral("Troca de marca"), QStringLiteral("Reajuste de tabela do fornecedor"),
                                   QStringLiteral("Promoção do fornecedor"), QStringLiteral("Preço informado por e-mail")};
        for (int i = 0; i < texts.size(); ++i)
            just.add({code(i + 1, 4), texts.at(i)});
        m_justifications = texts;

        Inserter qual(m_db, QStringLiteral("QUALIFICACAO"),
                      {QStringLiteral("CDQUALIF"), QStringLiteral("NMQUALIF"), QStringLiteral("IDPERCOTCMP")});
        qual.add({code(1, 3), QStringLiteral("Qualificado para cotação"), "1"});
        qual.add({code(2, 3), QStringLiteral("Qualificação automática"), "2"});
        qual.add({code(3, 3), QStringLiteral("Homologado pela qualidade"), "1"});

        Inserter pay(m_db, QStringLiteral("FORMPGTO"),
                     {QStringLiteral("CDFORMPGTO"), QStringLiteral("DSFORMPGTO"), QStringLiteral("QTDIASPGTO"),
                      QStringLiteral("VRPERDESC")});
        pay.add({code(1, 3), QStringLiteral("À vista"), 0, 3.0});
        pay.add({code(2, 3), QStringLiteral("28 dias"), 28, 1.5});
        pay.add({code(3, 3), QStringLiteral("28/56 dias"), 42, 0.0});
        pay.add({code(4, 3), QStringLiteral("30/60/90 dias"), 60, 0.0});
        m_payments = {{code(1, 3), 3.0}, {code(2, 3), 1.5}, {code(3, 3), 0.0}, {code(4, 3), 0.0}};
    }

    void people()
    {
        Inserter op(m_db, QStringLiteral("OPERADOR"),
                    {QStringLiteral("CDOPERADOR"), QStringLiteral("NMOPERADOR"), QStringLiteral("DSSENHAOPER"),
                     QStringLiteral("IDATIVOOPER"), QStringLiteral("CDFILIAL"), QStringLiteral("DSEMAILOPER")});
        struct O { const char *code; const char *name; const char *active; int branch; };
        const O ops[] = {
            {"COMP01", "Ana Paula Ribeiro", "S", 1},  {"COMP02", "Carlos Eduardo Souza", "S", 1},
            {"COMP03", "Fernanda Lima Cavalcanti", "S", 10}, {"GER01", "Roberto Almeida Santos", "S", 1},
            {"AUX01", "Juliana Costa Martins", "S", 1}, {"AUX02", "Marcos Pereira Rocha", "S", 1},
            {"CONS01", "Patrícia Gomes Ferreira", "S", 1}, {"INATIVO", "Sérgio Nogueira (desligado)", "N", 1},
        };
        for (const O &o : ops) {
            const QString c = padOperator(QString::fromLatin1(o.code));
            op.add({c, QString::fromUtf8(o.name), hashPassword(DemoData::demoPassword(), m_plan.fastHashes),
                    QString::fromLatin1(o.active), code(o.branch, 4),
                    QString::fromLatin1(o.code).toLower() + QStringLiteral("@boacompra.com.br")});
        }
        Inserter buyer(m_db, QStringLiteral("COMPRADOR"), {QStringLiteral("CDOPERADOR"), QStringLiteral("CDFILIAL")});
        buyer.add({padOperator("COMP01"), code(1, 4)});
        buyer.add({padOperator("COMP02"), code(1, 4)});
        buyer.add({padOperator("COMP03"), code(10, 4)});
        m_buyersCentral1 = {padOperator("COMP01"), padOperator("COMP02")};

        Inserter rel(m_db, QStringLiteral("COMPROPER"),
                     {QStringLiteral("CDCOMPRADOR"), QStringLiteral("CDOPERADOR"), QStringLiteral("IDEXSENHCMPOPER"),
                      QStringLiteral("IDCOTCMPOPER"), QStringLiteral("IDAPURCMPOPER"), QStringLiteral("IDAFCMPOPER")});
        rel.add({padOperator("COMP01"), padOperator("AUX01"), "S", "S", "S", "N"});
        rel.add({padOperator("COMP01"), padOperator("COMP01"), "N", "S", "S", "S"});
        rel.add({padOperator("COMP02"), padOperator("AUX02"), "N", "N", "N", "N"});
        rel.add({padOperator("COMP02"), padOperator("COMP02"), "N", "S", "S", "S"});

        Inserter mgr(m_db, QStringLiteral("GERECOMP"), {QStringLiteral("CDOPERCOMP"), QStringLiteral("CDOPERGERE")});
        mgr.add({padOperator("COMP01"), padOperator("GER01")});
        mgr.add({padOperator("COMP02"), padOperator("GER01")});
        mgr.add({padOperator("COMP03"), padOperator("GER01")});
    }

    void productsAndBrands()
    {
        const QStringList groups = {QStringLiteral("Mercearia"), QStringLiteral("Limpeza"), QStringLiteral("Higiene Pessoal"),
                                    QStringLiteral("Bebidas"), QStringLiteral("Frios e Laticínios"), QStringLiteral("Papelaria")};
        const QList<QStringList> subgroups = {
            {QStringLiteral("Grãos"), QStringLiteral("Massas"), QStringLiteral("Óleos"), QStringLiteral("Açúcar e Café"),
             QStringLiteral("Enlatados"), QStringLiteral("Farinhas")},
            {QStringLiteral("Detergentes"), QStringLiteral("Desinfetantes"), QStringLiteral("Sabão em Pó"),
             QStringLiteral("Esponjas"), QStringLiteral("Amaciantes"), QStringLiteral("Limpa-vidros")},
            {QStringLiteral("Sabonetes"), QStringLiteral("Cremes Dentais"), QStringLiteral("Xampus"),
             QStringLiteral("Desodorantes"), QStringLiteral("Papel Higiênico"), QStringLiteral("Fraldas")},
            {QStringLiteral("Refrigerantes"), QStringLiteral("Sucos"), QStringLiteral("Águas"),
             QStringLiteral("Cervejas"), QStringLiteral("Chás"), QStringLiteral("Energéticos")},
            {QStringLiteral("Queijos"), QStringLiteral("Iogurtes"), QStringLiteral("Manteigas"),
             QStringLiteral("Presuntos"), QStringLiteral("Leites"), QStringLiteral("Requeijões")},
            {QStringLiteral("Cadernos"), QStringLiteral("Canetas"), QStringLiteral("Papel A4"),
             QStringLiteral("Pastas"), QStringLiteral("Colas"), QStringLiteral("Lápis")},
        };
        const QStringList variants = {QStringLiteral("Tradicional"), QStringLiteral("Premium"), QStringLiteral("Econômico"),
                                      QStringLiteral("Light"), QStringLiteral("Integral"), QStringLiteral("Extra"),
                                      QStringLiteral("Família"), QStringLiteral("Profissional"), QStringLiteral("Mini"),
                                      QStringLiteral("Orgânico")};
        const QStringList sizes = {QStringLiteral("1 kg"), QStringLiteral("500 g"), QStringLiteral("5 kg"), QStringLiteral("2 L"),
                                   QStringLiteral("1 L"), QStringLiteral("12 un"), QStringLiteral("200 ml"), QStringLiteral("cx 24")};
        const QStringList units = {QStringLiteral("UN"), QStringLiteral("CX"), QStringLiteral("FD"), QStringLiteral("PCT"),
                                   QStringLiteral("KG"), QStringLiteral("L")};
        const QStringList brandNames = {
            QStringLiteral("Sabor do Campo"), QStringLiteral("Bom Grão"), QStringLiteral("Estrela do Sul"),
            QStringLiteral("Vale Verde"), QStringLiteral("Serra Azul"), QStringLiteral("Casa Nobre"),
            QStringLiteral("Primavera"), QStringLiteral("Rio Claro"), QStringLiteral("Tropical"),
            QStringLiteral("Brisa do Mar"), QStringLiteral("Aurora"), QStringLiteral("Pérola"),
            QStringLiteral("Cristal"), QStringLiteral("Boa Safra"), QStringLiteral("Mineirinha"),
            QStringLiteral("Gaúcha"), QStringLiteral("Nordestina"), QStringLiteral("Ipê Amarelo"),
            QStringLiteral("Jequitibá"), QStringLiteral("Marca Própria")};
        Inserter brand(m_db, QStringLiteral("MARCA"), {QStringLiteral("CDMARCA"), QStringLiteral("NMMARCA")});
        for (int i = 0; i < brandNames.size(); ++i) {
            m_brands << code(i + 1, 5);
            brand.add({m_brands.last(), brandNames.at(i)});
        }

        Inserter prod(m_db, QStringLiteral("PRODUTO"),
                      {QStringLiteral("CDPRODUTO"), QStringLiteral("CDARVPROD"), QStringLiteral("NMPRODUTO"),
                       QStringLiteral("CDNVPRODUTO"), QStringLiteral("IDULTNIVPROD"), QStringLiteral("SGUNIDADE"),
                       QStringLiteral("CDPRODESTO"), QStringLiteral("IDPRODATIVPR")});
        Inserter marcProd(m_db, QStringLiteral("MARCPROD"),
                          {QStringLiteral("CDPRODUTO"), QStringLiteral("CDMARCA"), QStringLiteral("IDQUALMARC"),
                           QStringLiteral("DTVALQUALMARC"), QStringLiteral("QTDISPPRODMARC")});
        Inserter ean(m_db, QStringLiteral("EANPRODMARC"),
                     {QStringLiteral("CDEAN"), QStringLiteral("CDPRODUTO"), QStringLiteral("CDMARCA")});
        int next = 1;
        const QVariant none;
        for (int g = 0; g < m_plan.productGroups; ++g) {
            const QString gTree = code(g + 1, 2);
            const QString gCode = code(next++, 10);
            prod.add({gCode, gTree, groups.at(g), "1", "N", none, none, "S"});
            m_groupCodes << gCode;
            for (int s = 0; s < m_plan.subGroups; ++s) {
                const QString sTree = gTree + code(s + 1, 2);
                const QString sName = subgroups.at(g).at(s);
                prod.add({code(next++, 10), sTree, sName, "2", "N", none, none, "S"});
                for (int p = 0; p < m_plan.productsPerGroup; ++p) {
                    Product pr;
                    pr.code = code(next++, 10);
                    pr.tree = sTree + code(p + 1, 3);
                    pr.name = QStringLiteral("%1 %2 %3").arg(sName, variants.at(p % variants.size()), sizes.at(m_rnd.below(int(sizes.size()))));
                    pr.unit = m_rnd.pick(units);
                    pr.basePrice = round5(m_rnd.real(1.5, 90.0));
                    pr.active = !m_rnd.chance(5);
                    // Now and then a product is stocked under another product's code.
                    const QString stock = (m_rnd.chance(10) && !m_products.isEmpty()) ? m_products.last().code : pr.code;
                    prod.add({pr.code, pr.tree, pr.name.left(50), "3", "S", pr.unit, stock, pr.active ? "S" : "N"});
                    pr.brands = m_rnd.sample(m_brands, m_rnd.between(1, 3));
                    for (const QString &b : pr.brands) {
                        const int q = m_rnd.below(10);
                        const QVariant validity = q < 6 ? QVariant(kAnchor.addDays(m_rnd.between(30, 400)))
                                                 : q < 8 ? QVariant(kAnchor.addDays(-m_rnd.between(1, 200)))
                                                         : none;
                        marcProd.add({pr.code, b, q < 8 ? "S" : "N", validity, double(m_rnd.between(0, 5000))});
                        if (!m_rnd.chance(8))
                            ean.add({ean13(QStringLiteral("789") + code(next, 5) + b.right(4)), pr.code, b});
                    }
                    m_products << pr;
                }
            }
        }

        // What each buyer negotiates: whole groups for the central branch's buyers,
        // everything for the other central branch's buyer.
        Inserter pc(m_db, QStringLiteral("PRODCOMP"), {QStringLiteral("CDOPERADOR"), QStringLiteral("CDPRODUTO")});
        for (int g = 0; g < m_groupCodes.size(); ++g) {
            pc.add({g % 2 == 0 ? padOperator("COMP01") : padOperator("COMP02"), m_groupCodes.at(g)});
            pc.add({padOperator("COMP03"), m_groupCodes.at(g)});
        }
        const int perGroup = m_plan.subGroups * m_plan.productsPerGroup;
        for (int i = 0; i < m_products.size(); ++i)
            m_productBuyer.insert(m_products.at(i).code, (i / perGroup) % 2 == 0 ? padOperator("COMP01") : padOperator("COMP02"));

        // Branches that negotiate each product: the corporate branch nearly all, each
        // regional branch most of them.
        Inserter pf(m_db, QStringLiteral("PRODFILI"), {QStringLiteral("CDFILIAL"), QStringLiteral("CDPRODUTO")});
        const QStringList negotiating = {code(1, 4), code(2, 4), code(3, 4), code(4, 4), code(5, 4), code(10, 4),
                                         code(11, 4), code(12, 4)};
        for (const Product &p : m_products) {
            for (const QString &b : negotiating) {
                if (m_rnd.chance(b == code(1, 4) || b == code(10, 4) ? 97 : 85))
                    pf.add({b, p.code});
            }
        }
    }

    void suppliers()
    {
        const QStringList first = {QStringLiteral("Atacadão"), QStringLiteral("Distribuidora"), QStringLiteral("Comercial"),
                                   QStringLiteral("Indústria"), QStringLiteral("Armazém"), QStringLiteral("Central"),
                                   QStringLiteral("Empório"), QStringLiteral("Mercantil")};
        const QStringList second = {QStringLiteral("Paulista"), QStringLiteral("Bandeirantes"), QStringLiteral("Carioca"),
                                    QStringLiteral("Mineira"), QStringLiteral("do Vale"), QStringLiteral("Sertaneja"),
                                    QStringLiteral("Litorânea"), QStringLiteral("Serrana"), QStringLiteral("Real"),
                                    QStringLiteral("Imperial"), QStringLiteral("Progresso"), QStringLiteral("União")};
        const QStringList persons = {QStringLiteral("João Batista de Oliveira"), QStringLiteral("Maria Aparecida Silva"),
                                     QStringLiteral("José Carlos Moreira"), QStringLiteral("Antônia Rodrigues Lima")};
        const QStringList cities = {QStringLiteral("São Paulo|SP"), QStringLiteral("Campinas|SP"), QStringLiteral("Rio de Janeiro|RJ"),
                                    QStringLiteral("Belo Horizonte|MG"), QStringLiteral("Curitiba|PR"), QStringLiteral("Porto Alegre|RS"),
                                    QStringLiteral("Recife|PE"), QStringLiteral("Goiânia|GO"), QStringLiteral("Belém|PA")};
        Inserter ins(m_db, QStringLiteral("FORNECEDOR"),
                     {QStringLiteral("CDFORNECED"), QStringLiteral("IDTPIJURFORN"), QStringLiteral("NRINSJURFORN"),
                      QStringLiteral("NMRAZSOCFORN"), QStringLiteral("NMFANTFORN"), QStringLiteral("IDTIPOFORN"),
                      QStringLiteral("IDSITUCADA"), QStringLiteral("IDFORNOL"), QStringLiteral("IDFORNAUTO"),
                      QStringLiteral("CDQUALIF"), QStringLiteral("DTVALQUALIF"), QStringLiteral("CDFORMPGTO"),
                      QStringLiteral("NMCIDADE"), QStringLiteral("SGESTADO")});
        Inserter serves(m_db, QStringLiteral("REGIFORN"), {QStringLiteral("CDFORNECED"), QStringLiteral("CDREGIAO")});
        Inserter reg(m_db, QStringLiteral("PRODFORN"),
                     {QStringLiteral("CDFORNECED"), QStringLiteral("CDPRODUTO"), QStringLiteral("CDPRODFORN"),
                      QStringLiteral("IDQUALPRODFORN"), QStringLiteral("DTVALQUALPF")});
        const QVariant none;
        for (int i = 0; i < m_plan.suppliers; ++i) {
            Supplier s;
            s.code = code(i + 1, 21);
            // Every person type and qualification state occurs among the first suppliers.
            const QString type = i % 8 == 5 ? QStringLiteral("F") : i % 8 == 6 ? QStringLiteral("I")
                               : i % 8 == 7 ? QStringLiteral("O") : QStringLiteral("J");
            QString number, corporate, trade;
            const QString a = m_rnd.pick(first), b = m_rnd.pick(second);
            if (type == QLatin1String("F")) {
                number = cpf(m_rnd);
                corporate = m_rnd.pick(persons);
                trade = corporate.section(QLatin1Char(' '), 0, 0) + QStringLiteral(" Representações");
            } else if (type == QLatin1String("I")) {
                number = code(m_rnd.between(100000000, 999999999), 12);
                corporate = QStringLiteral("%1 %2 Produtor Rural").arg(a, b);
                trade = QStringLiteral("Sítio %1").arg(b);
            } else if (type == QLatin1String("O")) {
                number = code(m_rnd.between(1000000, 9999999), 10);
                corporate = QStringLiteral("Cooperativa %1 de Abastecimento").arg(b);
                trade = QStringLiteral("Coop %1").arg(b);
            } else {
                number = cnpj(m_rnd);
                corporate = QStringLiteral("%1 %2 de Alimentos Ltda.").arg(a, b);
                trade = QStringLiteral("%1 %2").arg(a, b);
            }
            s.name = trade;
            const int q = i % 5;  // 0,1 valid; 2 expired; 3 none needed; 4 automatic
            QVariant qualif = code(q == 4 ? 2 : (i % 2 ? 3 : 1), 3);
            QVariant validity = kAnchor.addDays(m_rnd.between(60, 500));
            if (q == 2)
                validity = kAnchor.addDays(-m_rnd.between(10, 120));
            if (q == 3) {
                qualif = none;
                validity = none;
            }
            s.active = !(i % 11 == 10);
            const auto pay = m_rnd.pick(m_payments);
            s.payment = pay.first;
            s.discount = pay.second;
            s.factor = m_rnd.real(0.85, 1.15);
            const QStringList city = m_rnd.pick(cities).split(QLatin1Char('|'));
            ins.add({s.code, type, number, corporate, trade, i % 6 == 4 ? "A" : "N", s.active ? "A" : "I",
                     i % 4 == 0 ? "S" : "N", q == 4 ? "S" : "N", qualif, validity, s.payment, city.at(0), city.at(1)});
            s.regions = m_rnd.sample(m_regions, m_rnd.between(2, 5));
            std::sort(s.regions.begin(), s.regions.end());
            for (const QString &r : s.regions)
                serves.add({s.code, r});
            for (const Product &p : m_products) {
                if (!m_rnd.chance(55))
                    continue;
                s.products.insert(p.code);
                const int pq = m_rnd.below(10);
                reg.add({s.code, p.code, QStringLiteral("F%1-%2").arg(i + 1).arg(p.tree),
                         pq < 8 ? "S" : "N",
                         pq < 6 ? QVariant(kAnchor.addDays(m_rnd.between(30, 400)))
                                : pq < 8 ? QVariant(kAnchor.addDays(-m_rnd.between(1, 90))) : none});
            }
            m_suppliers << s;
        }
    }

    void purchases()
    {
        Inserter buy(m_db, QStringLiteral("COMPRA"),
                     {QStringLiteral("NRCOMPRA"), QStringLiteral("CDFILIAL"), QStringLiteral("DSCOMPRA"),
                      QStringLiteral("CDCOMPRADOR"), QStringLiteral("DTCOMPRA"), QStringLiteral("IDSITUCOMPRA")});
        const QStringList what = {QStringLiteral("Reposição mensal de mercearia"), QStringLiteral("Campanha de limpeza"),
                                  QStringLiteral("Abastecimento das lojas"), QStringLiteral("Compra programada trimestral"),
                                  QStringLiteral("Estoque de segurança"), QStringLiteral("Inauguração de loja")};
        for (int i = 0; i < 12; ++i) {
            m_purchases << code(i + 1, 10);
            m_purchaseBuyer << (i % 3 == 2 ? padOperator("COMP03") : m_buyersCentral1.at(i % 2));
            buy.add({m_purchases.last(), i % 3 == 2 ? code(10, 4) : code(1, 4),
                     QStringLiteral("%1 nº %2").arg(m_rnd.pick(what)).arg(i + 1), m_purchaseBuyer.last(),
                     kAnchor.addDays(-7 * m_rnd.between(0, 30)), i < 8 ? "A" : "F"});
        }

        Inserter req(m_db, QStringLiteral("SOLICOMPRA"),
                     {QStringLiteral("CDFILIAL"), QStringLiteral("NRSOLICOMP"), QStringLiteral("CDPRODUTO"),
                      QStringLiteral("CDMARCA"), QStringLiteral("QTSOLICOMP"), QStringLiteral("QTATENDSOLI"),
                      QStringLiteral("DTSOLICOMP"), QStringLiteral("IDSITUSOLI"), QStringLiteral("DSOBSSOLI"),
                      QStringLiteral("CDOPERADOR")});
        const QStringList notes = {QStringLiteral("Urgente: estoque abaixo do mínimo"), QStringLiteral("Entregar no CD"),
                                   QStringLiteral("Preferência pela marca habitual"), QStringLiteral("Promoção do fim de semana"),
                                   QString()};
        const QStringList requesting = {code(2, 4), code(3, 4), code(4, 4), code(5, 4), code(6, 4), code(7, 4),
                                        code(8, 4), code(11, 4), code(12, 4)};
        int n = 0;
        for (const QString &branch : requesting) {
            const int count = std::min<int>(int(m_products.size()), m_rnd.between(10, 25));
            for (const Product &p : m_rnd.sample(m_products, count)) {
                const QString state = m_rnd.chance(70) ? QStringLiteral("A") : m_rnd.chance(50) ? QStringLiteral("F") : QStringLiteral("C");
                const double qty = double(m_rnd.between(1, 60) * 10);
                const QString note = m_rnd.pick(notes);
                req.add({branch, code(++n, 10), p.code, m_rnd.chance(40) ? QVariant(m_rnd.pick(p.brands)) : QVariant(),
                         qty, state == QLatin1String("F") ? qty : 0.0, kAnchor.addDays(-m_rnd.between(0, 60)), state,
                         note.isEmpty() ? QVariant() : QVariant(note), padOperator("CONS01")});
                if (state == QLatin1String("A"))
                    m_toBuy[p.code] += qty;
            }
        }
    }

    void quotations()
    {
        Inserter head(m_db, QStringLiteral("COLETAPR"),
                      {QStringLiteral("CDFILIAL"), QStringLiteral("NRCOLEPRECO"), QStringLiteral("DTCOLEPREC"),
                       QStringLiteral("NRSEMAINIC"), QStringLiteral("NRSEMAFINAL"), QStringLiteral("DTINIVALCOL"),
                       QStringLiteral("DTFINVALCOL"), QStringLiteral("CDOPERADOR"), QStringLiteral("IDTIPCOLREG"),
                       QStringLiteral("IDDISMONTLIS"), QStringLiteral("DSOBSCOTPREC"), QStringLiteral("IDSITUCOLETA"),
                       QStringLiteral("NRCOMPRA"), QStringLiteral("IDPRODCOMPRAR"), QStringLiteral("CDFILPROC"),
                       QStringLiteral("CDOPERINCL"), QStringLiteral("DTHRINCL")});
        Inserter reg(m_db, QStringLiteral("COLEREGI"),
                     {QStringLiteral("CDFILIAL"), QStringLiteral("NRCOLEPRECO"), QStringLiteral("CDREGIAO")});
        Inserter forn(m_db, QStringLiteral("COLEFORN"),
                      {QStringLiteral("CDFILIAL"), QStringLiteral("NRCOLEPRECO"), QStringLiteral("CDREGIAO"),
                       QStringLiteral("CDFORNECED")});
        Inserter item(m_db, QStringLiteral("ITCOLETAPR"),
                      {QStringLiteral("CDFILIAL"), QStringLiteral("NRCOLEPRECO"), QStringLiteral("CDREGIAO"),
                       QStringLiteral("CDFORNECED"), QStringLiteral("CDPRODUTO"), QStringLiteral("CDMARCA"),
                       QStringLiteral("VRPRECUNIITM"), QStringLiteral("VRPRECECOITM"), QStringLiteral("VRPRECOITMPI"),
                       QStringLiteral("QTACMPITMCOL"), QStringLiteral("VRPERDESITM"), QStringLiteral("CDFORMPGTO"),
                       QStringLiteral("IDITMCOTPREC"), QStringLiteral("IDPRECALT"), QStringLiteral("DSJUSTOPER"),
                       QStringLiteral("DSALTERITMCOT"), QStringLiteral("DSOBSITMCOL"), QStringLiteral("CDOPERALTE"),
                       QStringLiteral("DTHRALTE")});
        Inserter hist(m_db, QStringLiteral("HISTITCOLE"),
                      {QStringLiteral("CDFILIAL"), QStringLiteral("NRCOLEPRECO"), QStringLiteral("CDREGIAO"),
                       QStringLiteral("CDFORNECED"), QStringLiteral("CDPRODUTO"), QStringLiteral("CDMARCA"),
                       QStringLiteral("CDOPERADOR"), QStringLiteral("DTHRALTER"), QStringLiteral("IDTIPALTER"),
                       QStringLiteral("VRPRECANT"), QStringLiteral("VRPRECNOVO"), QStringLiteral("CDMARCAANT"),
                       QStringLiteral("CDMARCANOVA"), QStringLiteral("DSJUSTOPER"), QStringLiteral("DSALTERITMCOT"),
                       QStringLiteral("DSABRANGENCIA")});
        const QStringList observations = {QStringLiteral("Cotação semanal de reposição."),
                                          QStringLiteral("Negociar frete CIF com os fornecedores."),
                                          QStringLiteral("Prazo de entrega máximo de 5 dias úteis."), QString()};
        const QVariant none;
        QHash<QString, int> lastNumber;
        // Buyers of both central branches; quotation validity is one or two weeks,
        // going back from the anchor, the newest in progress and the oldest concluded.
        const int count = m_plan.quotations;
        for (int i = 0; i < count; ++i) {
            const bool other = i % 8 == 7;
            const QString branch = other ? code(10, 4) : code(1, 4);
            const QString buyer = other ? padOperator("COMP03") : m_buyersCentral1.at(i % 2);
            const int number = ++lastNumber[branch];
            const QString nr = code(number, 10);
            const int weeksBack = (count - 1 - i) * m_plan.spanWeeks / count;
            const QDate start = kAnchor.addDays(-7 * weeksBack + 7);
            const QDate end = start.addDays(m_rnd.chance(70) ? 6 : 13);
            const QDate collected = start.addDays(-m_rnd.between(1, 4));
            const bool concluded = end < kAnchor.addDays(-14) && !m_rnd.chance(10);
            const QString origin = QString(QLatin1Char("LGGGEW"[m_rnd.below(6)]));
            QVariant purchase;
            for (int k = 0; k < m_purchases.size(); ++k) {
                if (m_purchaseBuyer.at(k) == buyer && m_rnd.chance(12)) {
                    purchase = m_purchases.at(k);
                    break;
                }
            }
            const QString obs = m_rnd.pick(observations);
            head.add({branch, nr, collected, week2(start), week2(end), start, end, buyer, origin,
                      m_rnd.chance(75) ? "S" : "N", obs.isEmpty() ? none : QVariant(obs), concluded ? "C" : "A",
                      purchase, m_rnd.chance(30) ? "S" : "N", branch, buyer,
                      QDateTime(collected, QTime(8 + m_rnd.below(9), m_rnd.below(60)), Qt::UTC)});
            Quotation q{branch, nr, buyer, !concluded, {}};

            // Products the buyer negotiates, then the regions, suppliers and brands.
            QList<const Product *> candidates;
            for (const Product &p : m_products) {
                if (p.active && (other || m_productBuyer.value(p.code) == buyer))
                    candidates << &p;
            }
            const auto products = m_rnd.sample(candidates, m_rnd.between(m_plan.productsMin, m_plan.productsMax));
            const auto regions = m_rnd.sample(m_regions, m_rnd.between(m_plan.regionsMin, m_plan.regionsMax));
            for (const QString &r : regions) {
                reg.add({branch, nr, r});
                QList<const Supplier *> serving;
                for (const Supplier &s : m_suppliers) {
                    if (s.active && s.regions.contains(r))
                        serving << &s;
                }
                for (const Supplier *s : m_rnd.sample(serving, m_rnd.between(m_plan.suppliersMin, m_plan.suppliersMax))) {
                    forn.add({branch, nr, r, s->code});
                    for (const Product *p : products) {
                        if (!s->products.contains(p->code) && !m_rnd.chance(15))
                            continue;
                        const QString brand = m_rnd.pick(p->brands);
                        const bool priced = concluded ? !m_rnd.chance(5) : !m_rnd.chance(25);
                        const double price = priced ? round5(p->basePrice * s->factor * m_rnd.real(0.95, 1.05)) : 0.0;
                        const double eco = round5(price * (1.0 - s->discount / 100.0));
                        const bool changed = priced && m_rnd.chance(12);
                        const double before = changed ? round5(price * m_rnd.real(0.9, 1.12)) : price;
                        const QDateTime when(collected.addDays(m_rnd.between(0, 3)), QTime(9 + m_rnd.below(8), m_rnd.below(60)), Qt::UTC);
                        const QString just = changed ? m_rnd.pick(m_justifications) : QString();
                        const QString text = changed ? QStringLiteral("Preço Unitário - de: %1 para: %2 /")
                                                           .arg(before, 0, 'f', 5).arg(price, 0, 'f', 5)
                                                     : QString();
                        item.add({branch, nr, r, s->code, p->code, brand, price, eco, round5(eco * 0.93),
                                  m_toBuy.value(p->code, 0.0), s->discount, s->payment, changed ? "S" : "N",
                                  changed ? "S" : "N", changed ? QVariant(just) : none,
                                  changed ? QVariant(text) : none,
                                  m_rnd.chance(5) ? QVariant(QStringLiteral("Embalagem reforçada.")) : none,
                                  priced ? QVariant(buyer) : none, priced ? QVariant(when) : none});
                        if (priced) {
                            // Keying the first price, then the later change when there was one.
                            hist.add({branch, nr, r, s->code, p->code, brand, buyer, when.addSecs(-3600), "P", 0.0,
                                      before, brand, brand, none, none, QStringLiteral("Somente esta região  Somente este fornecedor")});
                            if (changed)
                                hist.add({branch, nr, r, s->code, p->code, brand, buyer, when, "P", before, price,
                                          brand, brand, just, text, QStringLiteral("Somente esta região  Somente este fornecedor")});
                            q.pricedItems << QStringList{r, s->code, p->code, brand, QString::number(price, 'f', 5)};
                        }
                    }
                }
            }
            m_quotations << q;
        }
        if (m_plan.bigSuppliersPerRegion > 0)
            bigQuotation(code(++lastNumber[code(1, 4)], 10));
        Inserter num(m_db, QStringLiteral("NUMERADOR"),
                     {QStringLiteral("CDFILIAL"), QStringLiteral("NMSERIE"), QStringLiteral("NRULTIMO")});
        for (auto it = lastNumber.constBegin(); it != lastNumber.constEnd(); ++it)
            num.add({it.key(), QStringLiteral("COLETAPR"), it.value()});
    }

    // COMP01's quotation of the current week in progress over every region: the first
    // active suppliers serving each region, every active product she negotiates with all
    // its registered brands; nine items in ten priced.  No price history: these prices
    // stand as if keyed once.
    void bigQuotation(const QString &nr)
    {
        const QString branch = code(1, 4);
        const QString buyer = padOperator("COMP01");
        const QDate start = kAnchor;
        const QDate end = start.addDays(6);
        const QDate collected = start.addDays(-1);
        Inserter head(m_db, QStringLiteral("COLETAPR"),
                      {QStringLiteral("CDFILIAL"), QStringLiteral("NRCOLEPRECO"), QStringLiteral("DTCOLEPREC"),
                       QStringLiteral("NRSEMAINIC"), QStringLiteral("NRSEMAFINAL"), QStringLiteral("DTINIVALCOL"),
                       QStringLiteral("DTFINVALCOL"), QStringLiteral("CDOPERADOR"), QStringLiteral("IDTIPCOLREG"),
                       QStringLiteral("IDDISMONTLIS"), QStringLiteral("DSOBSCOTPREC"), QStringLiteral("IDSITUCOLETA"),
                       QStringLiteral("CDFILPROC"), QStringLiteral("CDOPERINCL"), QStringLiteral("DTHRINCL")});
        head.add({branch, nr, collected, week2(start), week2(end), start, end, buyer, "G", "S",
                  QStringLiteral("Cotação geral de todas as regiões."), "A", branch, buyer,
                  QDateTime(collected, QTime(8, 0), Qt::UTC)});
        Inserter reg(m_db, QStringLiteral("COLEREGI"),
                     {QStringLiteral("CDFILIAL"), QStringLiteral("NRCOLEPRECO"), QStringLiteral("CDREGIAO")});
        Inserter forn(m_db, QStringLiteral("COLEFORN"),
                      {QStringLiteral("CDFILIAL"), QStringLiteral("NRCOLEPRECO"), QStringLiteral("CDREGIAO"),
                       QStringLiteral("CDFORNECED")});
        Inserter item(m_db, QStringLiteral("ITCOLETAPR"),
                      {QStringLiteral("CDFILIAL"), QStringLiteral("NRCOLEPRECO"), QStringLiteral("CDREGIAO"),
                       QStringLiteral("CDFORNECED"), QStringLiteral("CDPRODUTO"), QStringLiteral("CDMARCA"),
                       QStringLiteral("VRPRECUNIITM"), QStringLiteral("VRPRECECOITM"), QStringLiteral("VRPRECOITMPI"),
                       QStringLiteral("QTACMPITMCOL"), QStringLiteral("VRPERDESITM"), QStringLiteral("CDFORMPGTO"),
                       QStringLiteral("CDOPERALTE"), QStringLiteral("DTHRALTE")});
        QList<const Product *> products;
        for (const Product &p : m_products) {
            if (p.active && m_productBuyer.value(p.code) == buyer)
                products << &p;
        }
        const QVariant none;
        const QDateTime when(collected, QTime(10, 0), Qt::UTC);
        for (const QString &r : m_regions) {
            reg.add({branch, nr, r});
            int taken = 0;
            for (const Supplier &s : m_suppliers) {
                if (!s.active || !s.regions.contains(r))
                    continue;
                if (taken++ >= m_plan.bigSuppliersPerRegion)
                    break;
                forn.add({branch, nr, r, s.code});
                for (const Product *p : products) {
                    for (const QString &brand : p->brands) {
                        const bool priced = !m_rnd.chance(10);
                        const double price = priced ? round5(p->basePrice * s.factor * m_rnd.real(0.95, 1.05)) : 0.0;
                        const double eco = round5(price * (1.0 - s.discount / 100.0));
                        item.add({branch, nr, r, s.code, p->code, brand, price, eco, round5(eco * 0.93),
                                  m_toBuy.value(p->code, 0.0), s.discount, s.payment,
                                  priced ? QVariant(buyer) : none, priced ? QVariant(when) : none});
                    }
                }
            }
        }
    }

    // Two price lists of the first central branch: a concluded one with confirmed
    // prices from quotation 0000000001 (so that quotation cannot be deleted) and one
    // being assembled from the newest quotation of buyer COMP01 that is in progress.
    void priceLists()
    {
        Inserter list(m_db, QStringLiteral("LISTPREC"),
                      {QStringLiteral("CDFILIAL"), QStringLiteral("NRSEQPRELIST"), QStringLiteral("DSLISTPREC"),
                       QStringLiteral("DTINIVALLIS"), QStringLiteral("DTFINVALLIS"), QStringLiteral("IDSITULIST"),
                       QStringLiteral("CDOPERADOR")});
        Inserter items(m_db, QStringLiteral("ITLISTPREC"),
                       {QStringLiteral("CDFILIAL"), QStringLiteral("NRSEQPRELIST"), QStringLiteral("NRCOLEPRECO"),
                        QStringLiteral("CDREGIAO"), QStringLiteral("CDFORNECED"), QStringLiteral("CDPRODUTO"),
                        QStringLiteral("CDMARCA"), QStringLiteral("VRPRECLIST"), QStringLiteral("IDPRECCONF")});
        const Quotation *first = nullptr;
        const Quotation *newest = nullptr;
        for (const Quotation &q : m_quotations) {
            if (q.branch != code(1, 4))
                continue;
            if (q.number == code(1, 10))
                first = &q;
            if (q.buyer == padOperator("COMP01") && q.inProgress && !q.pricedItems.isEmpty())
                newest = &q;
        }
        auto fill = [&](int number, const Quotation *q, const char *state, const QString &name, const char *confirmed) {
            list.add({code(1, 4), code(number, 10), name, kAnchor.addDays(-60), kAnchor.addDays(30), state,
                      padOperator("COMP01")});
            if (!q)
                return;
            int taken = 0;
            for (const QStringList &it : q->pricedItems) {
                if (taken++ >= 6)
                    break;
                items.add({code(1, 4), code(number, 10), q->number, it.at(0), it.at(1), it.at(2), it.at(3),
                           it.at(4).toDouble(), confirmed});
            }
        };
        fill(1, first, "C", QStringLiteral("Lista de preços das lojas - concluída"), "S");
        fill(2, newest, "A", QStringLiteral("Lista de preços em montagem"), "N");
    }

    struct Quotation
    {
        QString branch;
        QString number;
        QString buyer;
        bool inProgress = false;
        QList<QStringList> pricedItems;  // region, supplier, product, brand, price
    };

    Database &m_db;
    Random m_rnd;
    Plan m_plan{};
    QStringList m_regions;
    QStringList m_centralOneBranches;
    QStringList m_justifications;
    QList<QPair<QString, double>> m_payments;
    QStringList m_buyersCentral1;
    QStringList m_brands;
    QStringList m_groupCodes;
    QList<Product> m_products;
    QHash<QString, QString> m_productBuyer;
    QList<Supplier> m_suppliers;
    QStringList m_purchases;
    QStringList m_purchaseBuyer;
    QHash<QString, double> m_toBuy;
    QList<Quotation> m_quotations;
};

} // namespace

bool DemoData::generate(Database &db, Size size, QString *error)
{
    if (sodium_init() < 0) {
        if (error)
            *error = QStringLiteral("libsodium could not be initialised");
        return false;
    }
    try {
        QSqlQuery existing = db.execNamed(QStringLiteral("DemoDataOperators"));
        if (existing.next() && existing.value(0).toLongLong() > 0) {
            if (error)
                *error = QStringLiteral("the database already holds operators; demo data is only generated into an empty database");
            return false;
        }
        db.transaction([&] {
            Generator generator(db, size);
            generator.run();
        });
    } catch (const ServerError &e) {
        if (error)
            *error = e.message();
        return false;
    }
    return true;
}
