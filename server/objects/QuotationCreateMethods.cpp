// "Sup05200.rdmGridCotaPrec": creating a quotation (IncluirCotacao), explaining why a
// selection gives nothing (GetDetalhes), and the two lookups of the new-quotation page
// (GetCompra, getPesqMarca).
//
// IncluirCotacao and GetDetalhes share one selection: the products, regions, suppliers
// and brands that pass every rule in force, taken in a fixed order so that GetDetalhes
// can tell which rule left which products out.

#include "AccessRules.h"
#include "Arguments.h"
#include "Codes.h"
#include "Database.h"
#include "MethodTable.h"
#include "PacketBuilder.h"
#include "QualificationValidity.h"
#include "QuotationNumbering.h"
#include "ServerObjects.h"
#include "ServerText.h"

#include <QDateTime>
#include <QHash>
#include <QSet>
#include <QSqlQuery>
#include <QStringList>

#include <algorithm>

namespace {

// The rules of the selection, in the order they are applied.
enum class Rule {
    Range,                 // no product of the range (only reported when the range is empty)
    Inactive,              // product inactive
    Buyer,                 // product not negotiated by the buyer (verification "0")
    ToBuy,                 // no open purchase request (only products to buy)
    Suppliers,             // no region or no supplier at all
    ProductQualification,  // product not qualified for any supplier (verification "2")
    SupplierQualification, // supplier qualification missing or expired (verification "1")
    Serves,                // no supplier serving a region of the quotation
    Brands,                // no registered brand (in the brand list)
    BrandQualification,    // no qualified brand (verification "3")
};

// What a selection is asked for, read from either method's arguments.
struct Request
{
    QString central;
    QString buyer;
    QDate collection;
    bool allProducts = true;
    QString firstProduct;
    QString lastProduct;
    QStringList regions;   // empty: every region
    QStringList suppliers; // empty: every active supplier
    QStringList brands;    // empty: every registered brand
    QSet<QChar> verifications;
    bool onlyToBuy = false;

    bool verifies(char which) const { return verifications.contains(QLatin1Char(which)); }
};

struct Product
{
    QString code;
    QString tree;
    QString name;
    bool active = true;
};

struct Supplier
{
    QString code;
    bool active = true;
    bool qualified = true;
    QString payment;
};

struct Brand
{
    QString code;
    bool qualified = false;
};

struct Elimination
{
    Rule rule;
    QList<const Product *> products;
};

// The codes of a selection list ("_001_007_" or a plain code), each at its stored width.
QStringList listCodes(const QString &list, int width)
{
    return Arguments::canonicalList(list, width).split(QLatin1Char('_'), Qt::SkipEmptyParts);
}

class Selection
{
public:
    Selection(Database &db, const Request &request) : m_db(db), m_request(request) {}

    // Runs every rule; afterwards products() holds the products left, in tree order.
    void run()
    {
        const QualificationValidity validity = QualificationValidity::ofCentralBranch(m_db, m_request.central);
        loadProducts();
        if (m_products.isEmpty()) {
            m_eliminations.append({Rule::Range, {}});
            return;
        }
        for (const Product &p : m_products)
            m_alive << &p;

        keepProducts(Rule::Inactive, [](const Product &p) { return p.active; });
        if (m_request.verifies('0')) {
            const QSet<QString> negotiated = codeSet(QStringLiteral("CreateBuyerProducts"),
                                                     {{QStringLiteral("P_CDOPERADOR"), m_request.buyer}});
            keepProducts(Rule::Buyer, [&](const Product &p) { return negotiated.contains(p.code); });
        }
        loadRequests();
        if (m_request.onlyToBuy)
            keepProducts(Rule::ToBuy, [&](const Product &p) { return m_toBuy.contains(p.code); });

        loadRegionsAndSuppliers(validity);
        loadProductSuppliers(validity);
        loadBrands(validity);

        // From here on a product is left while some supplier (and brand) can still quote
        // it under the rules applied so far.
        // The product qualification comes before the supplier rules, so that a product
        // only its unqualified or non-serving suppliers could quote is reported under
        // those rules.
        QList<const Supplier *> suppliers = m_suppliers;
        keepCombinations(Rule::Suppliers, suppliers, false, false, 0);
        const bool productQualification = m_request.verifies('2');
        if (productQualification)
            keepCombinations(Rule::ProductQualification, suppliers, false, true, 0);
        if (m_request.verifies('1')) {
            suppliers.erase(std::remove_if(suppliers.begin(), suppliers.end(),
                                           [](const Supplier *s) { return !s->qualified; }),
                            suppliers.end());
            keepCombinations(Rule::SupplierQualification, suppliers, false, productQualification, 0);
        }
        keepCombinations(Rule::Serves, suppliers, true, productQualification, 0);
        keepCombinations(Rule::Brands, suppliers, true, productQualification, 1);
        m_brandLevel = 1;
        if (m_request.verifies('3')) {
            keepCombinations(Rule::BrandQualification, suppliers, true, productQualification, 2);
            m_brandLevel = 2;
        }
        m_finalSuppliers = suppliers;
        m_productQualification = productQualification;
    }

    const QList<Elimination> &eliminations() const { return m_eliminations; }
    const QList<const Product *> &products() const { return m_alive; }
    const QStringList &regions() const { return m_regions; }

    // The suppliers left that serve region, in code order.
    QList<const Supplier *> suppliersOf(const QString &region) const
    {
        QList<const Supplier *> out;
        for (const Supplier *s : m_finalSuppliers) {
            if (m_served.contains(s->code + QLatin1Char('|') + region))
                out << s;
        }
        return out;
    }

    // Whether supplier may quote product (always, unless verification "2" is in force).
    bool quotes(const Supplier *s, const Product *p) const
    {
        return !m_productQualification || m_productQualified.contains(s->code + QLatin1Char('|') + p->code);
    }

    // The brands of product left by the brand rules in force.
    QStringList brandsOf(const Product *p) const { return brands(p, m_brandLevel); }

    double toBuy(const QString &product) const { return m_toBuy.value(product, 0.0); }
    QString observation(const QString &product) const
    {
        return m_notes.value(product).join(QStringLiteral("; ")).left(1000);
    }

private:
    QSet<QString> codeSet(const QString &statement, const QVariantMap &params)
    {
        QSet<QString> out;
        QSqlQuery q = m_db.execNamed(statement, params);
        while (q.next())
            out.insert(q.value(0).toString());
        return out;
    }

    void loadProducts()
    {
        QSqlQuery q = m_db.execNamed(QStringLiteral("CreateProducts"),
                                     {{QStringLiteral("P_TPRODUTO"), m_request.allProducts ? QStringLiteral("T") : QStringLiteral("N")},
                                      {QStringLiteral("P_CDPRODINI"), m_request.firstProduct},
                                      {QStringLiteral("P_CDPRODFIN"), m_request.lastProduct}});
        while (q.next()) {
            m_products.append({q.value(0).toString(), q.value(1).toString(), q.value(2).toString(),
                               q.value(3).toString() != QLatin1String("N")});
        }
    }

    void loadRequests()
    {
        QSqlQuery q = m_db.execNamed(QStringLiteral("CreateOpenRequests"), {{QStringLiteral("P_CDFILIAL"), m_request.central}});
        while (q.next()) {
            const QString product = q.value(0).toString();
            m_toBuy[product] += q.value(1).toDouble();
            const QString note = q.value(2).toString().trimmed();
            if (!note.isEmpty() && !m_notes[product].contains(note))
                m_notes[product] << note;
        }
    }

    void loadRegionsAndSuppliers(const QualificationValidity &validity)
    {
        const QSet<QString> existing = codeSet(QStringLiteral("CreateRegions"), {});
        if (m_request.regions.isEmpty()) {
            m_regions = existing.values();
        } else {
            for (const QString &r : m_request.regions) {
                if (existing.contains(r) && !m_regions.contains(r))
                    m_regions << r;
            }
        }
        std::sort(m_regions.begin(), m_regions.end());

        const QSet<QString> listed(m_request.suppliers.begin(), m_request.suppliers.end());
        QSqlQuery q = m_db.execNamed(QStringLiteral("CreateSuppliers"));
        while (q.next()) {
            Supplier s;
            s.code = q.value(0).toString();
            s.active = q.value(1).toString() == QLatin1String("A");
            if (listed.isEmpty() ? !s.active : !listed.contains(s.code))
                continue;
            if (!q.value(2).toString().trimmed().isEmpty()) {
                const QString kind = q.value(4).toString();
                const bool allowed = kind == QLatin1String("1")
                    || (kind == QLatin1String("2") && q.value(5).toString() == QLatin1String("S"));
                s.qualified = allowed && validity.holdsAt(Database::toDate(q.value(3)), m_request.collection);
            }
            s.payment = q.value(6).toString();
            m_supplierRows.append(s);
        }
        for (const Supplier &s : m_supplierRows)
            m_suppliers << &s;

        const QSet<QString> regions(m_regions.begin(), m_regions.end());
        QSqlQuery serves = m_db.execNamed(QStringLiteral("CreateServedRegions"));
        while (serves.next()) {
            const QString region = serves.value(1).toString();
            if (regions.contains(region)) {
                m_served.insert(serves.value(0).toString() + QLatin1Char('|') + region);
                m_servesAny.insert(serves.value(0).toString());
            }
        }
    }

    void loadProductSuppliers(const QualificationValidity &validity)
    {
        if (!m_request.verifies('2'))
            return;
        QSqlQuery q = m_db.execNamed(QStringLiteral("CreateProductSuppliers"));
        while (q.next()) {
            if (q.value(2).toString() == QLatin1String("S")
                && validity.holdsAt(Database::toDate(q.value(3)), m_request.collection))
                m_productQualified.insert(q.value(0).toString() + QLatin1Char('|') + q.value(1).toString());
        }
    }

    void loadBrands(const QualificationValidity &validity)
    {
        const QSet<QString> listed(m_request.brands.begin(), m_request.brands.end());
        QSqlQuery q = m_db.execNamed(QStringLiteral("CreateBrands"));
        while (q.next()) {
            const QString brand = q.value(1).toString();
            if (!listed.isEmpty() && !listed.contains(brand))
                continue;
            m_brands[q.value(0).toString()].append(
                {brand, q.value(2).toString() == QLatin1String("S")
                            && validity.holdsAt(Database::toDate(q.value(3)), m_request.collection)});
        }
    }

    // level 1: registered (and listed) brands; 2: those also qualified.
    QStringList brands(const Product *p, int level) const
    {
        QStringList out;
        for (const Brand &b : m_brands.value(p->code)) {
            if (level < 2 || b.qualified)
                out << b.code;
        }
        return out;
    }

    template<typename Keep>
    void keepProducts(Rule rule, Keep keep)
    {
        Elimination out{rule, {}};
        QList<const Product *> left;
        for (const Product *p : std::as_const(m_alive)) {
            if (keep(*p))
                left << p;
            else
                out.products << p;
        }
        m_alive = left;
        if (!out.products.isEmpty())
            m_eliminations.append(out);
    }

    // Keeps the products some supplier of suppliers can still quote: serving a region of
    // the quotation (serve), qualified for the product (productQualification), with a
    // brand of brandLevel (0: brands not looked at yet).
    void keepCombinations(Rule rule, const QList<const Supplier *> &suppliers, bool serve, bool productQualification,
                          int brandLevel)
    {
        QList<const Supplier *> usable;
        if (!m_regions.isEmpty()) {
            for (const Supplier *s : suppliers) {
                if (!serve || m_servesAny.contains(s->code))
                    usable << s;
            }
        }
        keepProducts(rule, [&](const Product &p) {
            if (brandLevel > 0 && brands(&p, brandLevel).isEmpty())
                return false;
            for (const Supplier *s : usable) {
                if (!productQualification || m_productQualified.contains(s->code + QLatin1Char('|') + p.code))
                    return true;
            }
            return false;
        });
    }

    Database &m_db;
    const Request &m_request;
    QList<Product> m_products;
    QList<const Product *> m_alive;
    QList<Elimination> m_eliminations;
    QHash<QString, double> m_toBuy;
    QHash<QString, QStringList> m_notes;
    QStringList m_regions;
    QList<Supplier> m_supplierRows;
    QList<const Supplier *> m_suppliers;
    QList<const Supplier *> m_finalSuppliers;
    QSet<QString> m_served;    // "supplier|region", regions of the quotation only
    QSet<QString> m_servesAny; // suppliers serving some region of the quotation
    QSet<QString> m_productQualified; // "supplier|product"
    QHash<QString, QList<Brand>> m_brands;
    int m_brandLevel = 1;
    bool m_productQualification = false;
};

QSet<QChar> verificationSet(const QString &list)
{
    QSet<QChar> out;
    for (const QString &code : list.split(QLatin1Char('_'), Qt::SkipEmptyParts)) {
        const QString c = code.trimmed();
        if (c.size() == 1 && c.at(0) >= QLatin1Char('0') && c.at(0) <= QLatin1Char('3'))
            out.insert(c.at(0));
    }
    if (out.isEmpty())
        out = {QLatin1Char('0'), QLatin1Char('1'), QLatin1Char('2'), QLatin1Char('3')};
    return out;
}

QString operatorOf(const CallContext &ctx)
{
    return padOperator(ctx.session.operatorCode.isEmpty() ? Arguments::text(ctx, QStringLiteral("Operador"))
                                                          : ctx.session.operatorCode);
}

// IncluirCotacao: "2" + the no-data text when nothing qualifies (nothing written), "3" +
// the refusal when the operator may not create it, else the new quotation's number.
QVariant IncluirCotacao(CallContext &ctx)
{
    const QString op = operatorOf(ctx);
    const QString branch = Arguments::requiredCode(ctx, QStringLiteral("CDFILIAL"), 4, QStringLiteral("Nome_Filial"));
    Request request;
    request.central = AccessRules::centralBranch(ctx.db, branch);
    if (request.central.isEmpty())
        return QString(QLatin1Char('3') + ServerText::message(QStringLiteral("Filial_N_Cad"), {branch}));
    request.buyer = Arguments::requiredCode(ctx, QStringLiteral("CDOPERADOR"), kOperatorCodeWidth, QStringLiteral("Nome_Comprador"));
    request.collection = Arguments::date(ctx, QStringLiteral("DTCOLEPREC"));
    const QDate firstDay = Arguments::date(ctx, QStringLiteral("DTINIVALCOL"));
    const QDate lastDay = Arguments::date(ctx, QStringLiteral("DTFINVALCOL"));
    if (!request.collection.isValid())
        return QString(QLatin1Char('3') + ServerText::message(QStringLiteral("Data_N_Inf"), {QStringLiteral("Data da coleta")}));
    if (!firstDay.isValid() || !lastDay.isValid())
        return QString(QLatin1Char('3') + ServerText::message(QStringLiteral("Data_N_Inf"), {QStringLiteral("Data de validade")}));
    if (lastDay < firstDay)
        return QString(QLatin1Char('3') + ServerText::message(QStringLiteral("Validade_Invertida")));

    // Each query below ends before the transaction begins: an open SQLite statement
    // would hold a read snapshot into it.
    if (!ctx.db.execNamed(QStringLiteral("IsBuyer"), {{QStringLiteral("P_CDOPERADOR"), request.buyer}}).next())
        return QString(QLatin1Char('3') + ServerText::message(QStringLiteral("Comp_N_Cad"), {request.buyer.trimmed()}));
    const QString refusal = AccessRules::quotationRefusal(ctx.db, op, request.buyer, request.central);
    if (!refusal.isEmpty())
        return QString(QLatin1Char('3') + refusal);

    const QString purchase = Arguments::code(ctx, QStringLiteral("NRCOMPRA"), 10);
    if (!purchase.isEmpty()) {
        QSqlQuery q = ctx.db.execNamed(QStringLiteral("PurchaseBuyer"), {{QStringLiteral("P_NRCOMPRA"), purchase}});
        if (!q.next())
            return QString(QLatin1Char('3') + ServerText::message(QStringLiteral("Compra_N_Cad"), {purchase}));
        if (q.value(0).toString() != request.buyer)
            return QString(QLatin1Char('3') + ServerText::message(QStringLiteral("Compra_Outro_Comp"),
                                                                  {purchase, request.buyer.trimmed()}));
    }

    request.firstProduct = Arguments::text(ctx, QStringLiteral("CDPRODINI")).trimmed();
    request.lastProduct = Arguments::text(ctx, QStringLiteral("CDPRODFIN")).trimmed();
    request.allProducts = request.firstProduct.isEmpty() && request.lastProduct.isEmpty();
    request.regions = listCodes(Arguments::text(ctx, QStringLiteral("ListaRegiao")), 3);
    request.suppliers = listCodes(Arguments::text(ctx, QStringLiteral("ListaForn")), 21);
    request.brands = listCodes(Arguments::text(ctx, QStringLiteral("ListaMarca")), 5);
    request.verifications = verificationSet(Arguments::text(ctx, QStringLiteral("ListaVerif")));
    request.onlyToBuy = !ctx.arg(QStringLiteral("ProdTodos")).toBool();
    const bool loadPrice = ctx.arg(QStringLiteral("CarregaPreco")).toBool();
    const bool loadNotes = ctx.arg(QStringLiteral("CarregaObs")).toBool();
    const QString noData = Arguments::text(ctx, QStringLiteral("Dados_Inex"));
    const QString noLast = Arguments::text(ctx, QStringLiteral("Dados_Inex_UltCot"));
    const QString observation = Arguments::text(ctx, QStringLiteral("DSOBSCOTPREC"));
    if (observation.size() > 2000)
        return QString(QLatin1Char('3') + ServerText::message(QStringLiteral("Obs_Longa")));
    const QString priceList = Arguments::text(ctx, QStringLiteral("IDDISMONTLIS")).trimmed().toUpper() == QLatin1String("N")
        ? QStringLiteral("N") : QStringLiteral("S");

    QString result;
    ctx.db.transaction(
        [&] {
            Selection selection(ctx.db, request);
            selection.run();
            // Every item first, so that nothing is written when none qualifies.
            struct Item { QString region; const Supplier *supplier; const Product *product; QString brand; };
            QList<Item> items;
            QStringList usedRegions;
            QList<QPair<QString, QString>> usedSuppliers;
            for (const QString &region : selection.regions()) {
                bool regionUsed = false;
                for (const Supplier *s : selection.suppliersOf(region)) {
                    bool supplierUsed = false;
                    for (const Product *p : selection.products()) {
                        if (!selection.quotes(s, p))
                            continue;
                        for (const QString &brand : selection.brandsOf(p)) {
                            items.append({region, s, p, brand});
                            supplierUsed = true;
                        }
                    }
                    if (supplierUsed) {
                        usedSuppliers.append({region, s->code});
                        regionUsed = true;
                    }
                }
                if (regionUsed)
                    usedRegions << region;
            }
            if (items.isEmpty()) {
                result = QLatin1Char('2') + noData;
                return;
            }

            // The prices of the buyer's most recent earlier quotation.
            QHash<QString, double> lastPrices;
            if (loadPrice) {
                QSqlQuery last = ctx.db.execNamed(QStringLiteral("CreateLastQuotation"),
                                                  {{QStringLiteral("P_CDFILIAL"), request.central},
                                                   {QStringLiteral("P_CDOPERADOR"), request.buyer}});
                if (last.next()) {
                    QSqlQuery prices = ctx.db.execNamed(QStringLiteral("CreateLastPrices"),
                                                        {{QStringLiteral("P_CDFILIAL"), request.central},
                                                         {QStringLiteral("P_NRCOLEPRECO"), last.value(0).toString()}});
                    while (prices.next()) {
                        lastPrices.insert(QStringList{prices.value(0).toString(), prices.value(1).toString(),
                                                      prices.value(2).toString(), prices.value(3).toString()}
                                              .join(QLatin1Char('|')),
                                          prices.value(4).toDouble());
                    }
                }
                if (lastPrices.isEmpty()) {
                    result = QLatin1Char('2') + noLast;
                    return;
                }
            }

            const QString number = QuotationNumbering::next(ctx.db, request.central);
            const QDateTime now = QDateTime::currentDateTimeUtc();
            const QVariant none{QMetaType(QMetaType::QString)};
            ctx.db.execNamed(QStringLiteral("CreateHeader"),
                             {{QStringLiteral("P_CDFILIAL"), request.central},
                              {QStringLiteral("P_NRCOLEPRECO"), number},
                              {QStringLiteral("P_DTCOLEPREC"), request.collection},
                              {QStringLiteral("P_NRSEMAINIC"), padCode(Arguments::text(ctx, QStringLiteral("NRSEMAINIC")), 2)},
                              {QStringLiteral("P_NRSEMAFINAL"), padCode(Arguments::text(ctx, QStringLiteral("NRSEMAFINAL")), 2)},
                              {QStringLiteral("P_DTINIVALCOL"), firstDay},
                              {QStringLiteral("P_DTFINVALCOL"), lastDay},
                              {QStringLiteral("P_CDOPERADOR"), request.buyer},
                              {QStringLiteral("P_IDDISMONTLIS"), priceList},
                              {QStringLiteral("P_DSOBSCOTPREC"), observation.isEmpty() ? none : QVariant(observation)},
                              {QStringLiteral("P_NRCOMPRA"), purchase.isEmpty() ? none : QVariant(purchase)},
                              {QStringLiteral("P_IDPRODCOMPRAR"), request.onlyToBuy ? QStringLiteral("S") : QStringLiteral("N")},
                              {QStringLiteral("P_CDFILPROC"),
                               Arguments::code(ctx, QStringLiteral("FiliProc"), 4).isEmpty()
                                   ? QVariant(request.central) : QVariant(Arguments::code(ctx, QStringLiteral("FiliProc"), 4))},
                              {QStringLiteral("P_CDOPERINCL"), op},
                              {QStringLiteral("P_DTHRINCL"), now}});
            QSqlQuery region = ctx.db.prepare(ServerText::sql(QStringLiteral("CreateRegion"), ctx.db.isPostgres()));
            for (const QString &r : usedRegions)
                ctx.db.run(region, {{QStringLiteral("P_CDFILIAL"), request.central}, {QStringLiteral("P_NRCOLEPRECO"), number},
                                    {QStringLiteral("P_CDREGIAO"), r}});
            QSqlQuery supplier = ctx.db.prepare(ServerText::sql(QStringLiteral("CreateSupplier"), ctx.db.isPostgres()));
            for (const auto &rs : usedSuppliers)
                ctx.db.run(supplier, {{QStringLiteral("P_CDFILIAL"), request.central}, {QStringLiteral("P_NRCOLEPRECO"), number},
                                      {QStringLiteral("P_CDREGIAO"), rs.first}, {QStringLiteral("P_CDFORNECED"), rs.second}});

            // One statement for every item.
            QSqlQuery insert = ctx.db.prepare(ServerText::sql(QStringLiteral("CreateItem"), ctx.db.isPostgres()));
            QVariantMap row = {{QStringLiteral("P_CDFILIAL"), request.central}, {QStringLiteral("P_NRCOLEPRECO"), number}};
            for (const Item &item : std::as_const(items)) {
                row.insert(QStringLiteral("P_CDREGIAO"), item.region);
                row.insert(QStringLiteral("P_CDFORNECED"), item.supplier->code);
                row.insert(QStringLiteral("P_CDPRODUTO"), item.product->code);
                row.insert(QStringLiteral("P_CDMARCA"), item.brand);
                double price = 0;
                if (loadPrice) {
                    price = lastPrices.value(QStringList{item.region, item.supplier->code, item.product->code, item.brand}
                                                 .join(QLatin1Char('|')),
                                             0.0);
                }
                row.insert(QStringLiteral("P_VRPRECUNIITM"), price);
                row.insert(QStringLiteral("P_QTACMPITMCOL"), selection.toBuy(item.product->code));
                row.insert(QStringLiteral("P_CDFORMPGTO"),
                           item.supplier->payment.trimmed().isEmpty() ? none : QVariant(item.supplier->payment));
                const QString note = loadNotes ? selection.observation(item.product->code) : QString();
                row.insert(QStringLiteral("P_DSOBSITMCOL"), note.isEmpty() ? none : QVariant(note));
                ctx.db.run(insert, row);
            }

            ctx.db.execNamed(QStringLiteral("HeaderAudit"),
                             {{QStringLiteral("P_CDFILIAL"), request.central},
                              {QStringLiteral("P_NRCOLEPRECO"), number},
                              {QStringLiteral("P_CDOPERADOR"), op},
                              {QStringLiteral("P_DTHRALTER"), now},
                              {QStringLiteral("P_NMCAMPO"), QStringLiteral("INCLUSAO")},
                              {QStringLiteral("P_DSVALORANT"), none},
                              {QStringLiteral("P_DSVALORNOVO"),
                               QStringLiteral("CDOPERADOR=%1;ITENS=%2").arg(request.buyer.trimmed()).arg(items.size())}});
            result = number;
        },
        Database::Begin::Immediate);
    return result;
}

// GetDetalhes: for each rule that left products out, the text passed for that rule and
// those products ("tree code - name"), one per line.  Every verification applies.
QVariant GetDetalhes(CallContext &ctx)
{
    const QString branch = Arguments::requiredCode(ctx, QStringLiteral("CDFILIAL"), 4, QStringLiteral("Nome_Filial"));
    Request request;
    request.central = AccessRules::centralBranch(ctx.db, branch);
    if (request.central.isEmpty())
        throw ServerError::arguments(ServerText::message(QStringLiteral("Filial_N_Cad"), {branch}));
    request.buyer = Arguments::requiredCode(ctx, QStringLiteral("CDOPERADOR"), kOperatorCodeWidth, QStringLiteral("Nome_Comprador"));
    request.collection = Arguments::date(ctx, QStringLiteral("DTCOLEPREC"));
    if (!request.collection.isValid())
        request.collection = QDate::currentDate();
    request.allProducts = Arguments::isAllMark(ctx.arg(QStringLiteral("TodosProd")));
    request.firstProduct = Arguments::text(ctx, QStringLiteral("CDPRODINI")).trimmed();
    request.lastProduct = Arguments::text(ctx, QStringLiteral("CDPRODFIN")).trimmed();
    if (!Arguments::isAllMark(ctx.arg(QStringLiteral("TodasRegioes"))))
        request.regions = listCodes(Arguments::text(ctx, QStringLiteral("ListaRegiao")), 3);
    if (!Arguments::isAllMark(ctx.arg(QStringLiteral("TodosForn"))))
        request.suppliers = listCodes(Arguments::text(ctx, QStringLiteral("ListaForn")), 21);
    if (!ctx.arg(QStringLiteral("TodasMarcas")).toBool())
        request.brands = listCodes(Arguments::text(ctx, QStringLiteral("ListaMarca")), 5);
    request.verifications = verificationSet(QString());
    request.onlyToBuy = ctx.arg(QStringLiteral("ProdComprar")).toBool();

    Selection selection(ctx.db, request);
    selection.run();
    QStringList lines;
    for (const Elimination &e : selection.eliminations()) {
        const char *text = nullptr;
        switch (e.rule) {
        case Rule::Range: text = "NProd_Cmp"; break;
        case Rule::Inactive: text = "Produto_Inativo"; break;
        case Rule::Buyer: text = "N_ProdComprador"; break;
        case Rule::ToBuy: text = "N_Acomprar"; break;
        case Rule::Suppliers: text = "N_FornProdCmp"; break;
        case Rule::SupplierQualification: text = "Valid_Venc"; break;
        case Rule::Serves: text = "N_RefoReg_Inc"; break;
        case Rule::ProductQualification: text = "N_QfoProdForn"; break;
        case Rule::Brands: text = "N_MarcProd"; break;
        case Rule::BrandQualification: text = "N_QualifMarcProd"; break;
        }
        lines << Arguments::text(ctx, QLatin1String(text));
        for (const Product *p : e.products)
            lines << p->tree.trimmed() + QStringLiteral(" - ") + p->name.trimmed();
    }
    return lines.join(QLatin1Char('\n'));
}

// GetCompra: the open purchases, with their buyer.
QVariant GetCompra(CallContext &ctx)
{
    QSqlQuery q = ctx.db.execNamed(QStringLiteral("GetCompra"));
    PacketBuilder packet(ctx.method);
    packet.addRows(q);
    return packet.result();
}

// getPesqMarca(CDMARCA, TodasMarcas): the brand, or every brand with "T", unmarked.
QVariant getPesqMarca(CallContext &ctx)
{
    const bool all = Arguments::isAllMark(ctx.arg(QStringLiteral("TodasMarcas")));
    QSqlQuery q = ctx.db.execNamed(QStringLiteral("GetPesqMarca"),
                                   {{QStringLiteral("P_TMARCA"), all ? QStringLiteral("T") : QStringLiteral("N")},
                                    {QStringLiteral("P_CDMARCA"), Arguments::code(ctx, QStringLiteral("CDMARCA"), 5)}});
    PacketBuilder packet(ctx.method);
    packet.addRows(q);
    return packet.result();
}

} // namespace

void registerQuotationCreateMethods(MethodTable &table)
{
    table.implement(kGridCotaPrecObject, QStringLiteral("IncluirCotacao"), IncluirCotacao);
    table.implement(kGridCotaPrecObject, QStringLiteral("GetDetalhes"), GetDetalhes);
    table.implement(kGridCotaPrecObject, QStringLiteral("GetCompra"), GetCompra);
    table.implement(kGridCotaPrecObject, QStringLiteral("getPesqMarca"), getPesqMarca);
}
