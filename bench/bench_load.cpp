// Many buyers at once against one sup-server: a plain program (not a Google Benchmark
// fixture) that starts the server as a child process on a fresh demo database (SQLite, or
// PostgreSQL when connection options or SUP_TEST_PG_HOST / _PORT / _USER name a server),
// adds the load's operators (LOAD001 ...; related to COMP01, allowed to handle her
// quotations) and one quotation of all products, regions and suppliers, and then runs the
// simulated buyers for the given time.  Each buyer holds its own socket, all driven by
// one event loop; it waits a random think time between its actions: list the quotations
// (GetColetaPr), browse a grid (GetGridRegiao / GetGridFornecedor / GetGridProdMarc),
// confirm new prices on one to three of its own items (SetItemCole), or read a shared
// item's grid and confirm a new price on it, racing the other buyers (refused with
// "conflict" when another buyer changed it first).
//
// At the end it checks that no confirmed change was lost and none appeared that was not
// confirmed: every accepted change is in the price history exactly once and the stored
// prices are the last accepted ones (for a shared item, the accepted changes chain from
// its first price to the stored one); every refusal was a "conflict"; no own item was ever
// refused.  It prints calls per second and p50 / p99 latency per method, and exits with
// status 1 when a change was lost or phantom, or a call failed.
//
//   bench_load [--buyers 200] [--seconds 60] [--think-ms 1000] [--shared 10] [--workers 4]
//              [--engine sqlite|postgres|all] [--pg-host H --pg-port P --pg-user U]

#include "CborCodec.h"
#include "Codes.h"
#include "DataPacket.h"
#include "Database.h"
#include "EngineDatabase.h"
#include "NetConnection.h"
#include "ProtocolContract.h"
#include "ServerProcess.h"
#include "SupplierTwins.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHash>
#include <QRandomGenerator>
#include <QSet>
#include <QSqlQuery>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>
#include <QtEndian>

#include <sodium.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <vector>

namespace {

const QString kBranch = QStringLiteral("0001");
const QString kOwner = QStringLiteral("COMP01");
const QString kJust = QStringLiteral("Renegociação com o fornecedor");

struct Options
{
    int buyers = 200;
    int seconds = 60;
    int thinkMs = 1000;
    int shared = 10;
    int workers = 4;
    quint32 seed = 20260517;
};

// One item of the load's quotation as the product grid shows it.
struct Item
{
    QVariantList row;   // the grid row, with the price last accepted for it (own items)
    QString region, supplier, product, brand;
    double firstPrice = 0;
    int owner = -1;     // the buyer that owns it; -1 shared
};

struct Change
{
    int item = 0;
    int buyer = 0;
    double oldPrice = 0, newPrice = 0;
};

struct Load
{
    Options options;
    QString number;                // the load's quotation
    QList<FieldDef> fields;
    int priceAt = 0, justAt = 0, textAt = 0, quotedAt = 0, productAt = 0, brandAt = 0;
    std::vector<Item> items;
    std::vector<Change> accepted, refused;
    QStringList failures;
    std::map<QString, std::vector<double>> latency; // method -> ms
    int nextPrice = 0;             // every new price is unique: 1.00 + n / 100
    bool running = true;
    int inFlight = 0;

    double uniquePrice() { return std::round(100.0 + ++nextPrice) / 100.0; }
    QString key(const Item &i) const { return i.region + QLatin1Char('|') + i.supplier + QLatin1Char('|') + i.product + QLatin1Char('|') + i.brand; }
};

QByteArray frame(const QVariantMap &message)
{
    const QByteArray item = CborCodec::encode(message);
    QByteArray out(4, Qt::Uninitialized);
    qToBigEndian<quint32>(quint32(item.size()), out.data());
    return out + item;
}

QString priceKey(double price) { return QString::number(price, 'f', 2); }

// One simulated buyer: a socket, one request at a time, a think time between actions.
class Buyer : public QObject
{
public:
    Buyer(Load &load, int index, quint16 port, QRandomGenerator &random)
        : m_load(load), m_index(index), m_port(port), m_random(random.generate())
    {
        m_operator = QStringLiteral("LOAD%1").arg(index + 1, 3, 10, QLatin1Char('0'));
        QObject::connect(&m_socket, &QTcpSocket::readyRead, this, [this] { readReplies(); });
        QObject::connect(&m_socket, &QTcpSocket::connected, this, [this] {
            send(QStringLiteral("login"), {{QStringLiteral("operator"), m_operator}, {QStringLiteral("password"), QStringLiteral("demo")},
                                           {QStringLiteral("branch"), kBranch}, {QStringLiteral("client"), QStringLiteral("bench_load")}});
        });
    }

    void start() { m_socket.connectToHost(QStringLiteral("127.0.0.1"), m_port); }
    bool loggedIn() const { return m_loggedIn; }
    void addOwn(int item) { m_own << item; }
    void act();

private:
    void send(const QString &op, QVariantMap fields)
    {
        fields.insert(QStringLiteral("op"), op);
        fields.insert(QStringLiteral("id"), ++m_nextId);
        ++m_load.inFlight;
        m_timer.start();
        m_socket.write(frame(fields));
    }
    void call(const QString &method, const QVariantMap &named)
    {
        m_method = method;
        send(QStringLiteral("call"), {{QStringLiteral("object"), Protocol::kGridCotaPrec}, {QStringLiteral("method"), method},
                                      {QStringLiteral("args"), Protocol::positional(Protocol::method(Protocol::kGridCotaPrec, method), named)}});
    }
    void readReplies();
    void handle(const QVariantMap &reply);
    void thinkThenAct()
    {
        if (!m_load.running)
            return;
        QTimer::singleShot(int(m_random.bounded(2 * m_load.options.thinkMs + 1)), this, [this] { act(); });
    }
    QVariantMap quotationKey() const
    {
        return {{QStringLiteral("CDFILIAL"), kBranch}, {QStringLiteral("NRCOLEPRECO"), m_load.number}};
    }
    void confirm(const QList<int> &items, const QList<QVariantList> &before);

    Load &m_load;
    int m_index;
    quint16 m_port;
    QRandomGenerator m_random;
    QString m_operator;
    QTcpSocket m_socket;
    QByteArray m_buffer;
    quint64 m_nextId = 0;
    bool m_loggedIn = false;
    QList<int> m_own;
    QElapsedTimer m_timer;
    QString m_method;
    QString m_label;               // the latency bucket of the call in flight
    QList<Change> m_pending;       // the changes of the confirmation in flight
    int m_sharedItem = -1;         // the shared item whose grid is being read
};

void Buyer::act()
{
    if (!m_load.running || m_own.isEmpty())
        return;
    const int dice = int(m_random.bounded(100));
    const Item &own = m_load.items[size_t(m_own.at(int(m_random.bounded(m_own.size()))))];
    if (dice < 10) {
        m_label = QStringLiteral("GetColetaPr");
        call(m_label, {{QStringLiteral("CDFILIAL"), kBranch}, {QStringLiteral("TodosComprador"), QStringLiteral("T")},
                       {QStringLiteral("TodasDatas"), QStringLiteral("T")}, {QStringLiteral("TodosForn"), QStringLiteral("T")},
                       {QStringLiteral("TodasRegioes"), QStringLiteral("T")}});
    } else if (dice < 40) {
        QVariantMap key = quotationKey();
        const int which = int(m_random.bounded(3));
        if (which > 0)
            key.insert(QStringLiteral("CDREGIAO"), own.region);
        if (which > 1)
            key.insert(QStringLiteral("CDFORNECED"), own.supplier);
        m_label = which == 0 ? QStringLiteral("GetGridRegiao") : which == 1 ? QStringLiteral("GetGridFornecedor")
                                                                            : QStringLiteral("GetGridProdMarc");
        call(m_label, key);
    } else if (dice < 85 || m_load.options.shared == 0) {
        QList<int> chosen;
        const int want = 1 + int(m_random.bounded(3));
        for (int i = 0; i < want && chosen.size() < m_own.size(); ++i) {
            const int item = m_own.at(int(m_random.bounded(m_own.size())));
            if (!chosen.contains(item))
                chosen << item;
        }
        QList<QVariantList> before;
        for (int item : std::as_const(chosen))
            before << m_load.items[size_t(item)].row;
        m_label = QStringLiteral("SetItemCole (own items)");
        confirm(chosen, before);
    } else {
        // A shared item: read its grid for the current values, then confirm on them.
        m_sharedItem = int(m_random.bounded(m_load.options.shared));
        const Item &shared = m_load.items[size_t(m_sharedItem)];
        QVariantMap key = quotationKey();
        key.insert(QStringLiteral("CDREGIAO"), shared.region);
        key.insert(QStringLiteral("CDFORNECED"), shared.supplier);
        m_label = QStringLiteral("GetGridProdMarc");
        call(m_label, key);
    }
}

void Buyer::confirm(const QList<int> &items, const QList<QVariantList> &before)
{
    DataPacket delta(m_load.fields);
    delta.setDelta(true);
    m_pending.clear();
    for (int i = 0; i < items.size(); ++i) {
        QVariantList old = before.at(i);
        old[m_load.justAt] = kJust;
        QVariantList now = old;
        const double price = m_load.uniquePrice();
        now[m_load.priceAt] = price;
        now[m_load.textAt] = QStringLiteral("Preço Unitário - de: %1 para: %2 /").arg(old.at(m_load.priceAt).toString(), now.at(m_load.priceAt).toString());
        now[m_load.quotedAt] = QStringLiteral("S");
        delta.appendChange({RowChange::Modify, old, now});
        m_pending.append({items.at(i), m_index, old.at(m_load.priceAt).toDouble(), price});
    }
    call(QStringLiteral("SetItemCole"),
         {{QStringLiteral("DeltaGridProdMarc"), packetVariant(delta)}, {QStringLiteral("DTCOLEPREC"), QDate::currentDate()},
          {QStringLiteral("TodasRegioes"), false}, {QStringLiteral("FiliProc"), kBranch}, {QStringLiteral("Operador"), m_operator},
          {QStringLiteral("TodosForn"), false}, {QStringLiteral("TODASREG"), QStringLiteral("Todas as regiões ")},
          {QStringLiteral("UMAREG"), QStringLiteral("Somente esta região ")},
          {QStringLiteral("TODOSFORN"), QStringLiteral(" Todos os fornecedores")},
          {QStringLiteral("UMFORN"), QStringLiteral(" Somente este fornecedor")}, {QStringLiteral("boConsulta"), false},
          {QStringLiteral("CDOPERADOR"), m_operator}});
}

void Buyer::readReplies()
{
    m_buffer += m_socket.readAll();
    while (m_buffer.size() >= 4) {
        const quint32 length = qFromBigEndian<quint32>(m_buffer.constData());
        if (m_buffer.size() < 4 + qsizetype(length))
            return;
        QVariant value;
        QString error;
        const bool ok = CborCodec::decode(m_buffer.mid(4, length), &value, &error);
        m_buffer.remove(0, 4 + length);
        --m_load.inFlight;
        if (!ok) {
            m_load.failures << m_operator + QStringLiteral(": undecodable reply: ") + error;
            continue;
        }
        handle(value.toMap());
    }
}

void Buyer::handle(const QVariantMap &reply)
{
    const double ms = m_timer.nsecsElapsed() / 1e6;
    if (!m_loggedIn) {
        m_loggedIn = reply.value(QStringLiteral("ok")).toBool();
        if (!m_loggedIn)
            m_load.failures << m_operator + QStringLiteral(": login refused");
        return;
    }
    m_load.latency[m_label].push_back(ms);
    const QVariantMap error = reply.value(QStringLiteral("error")).toMap();
    const QString code = error.value(QStringLiteral("code")).toString();
    if (m_method == QLatin1String("SetItemCole")) {
        m_load.latency[QStringLiteral("SetItemCole (all)")].push_back(ms);
        const bool sharedCall = m_label.contains(QLatin1String("shared"));
        if (error.isEmpty()) {
            for (const Change &c : std::as_const(m_pending)) {
                m_load.accepted.push_back(c);
                if (!sharedCall)
                    m_load.items[size_t(c.item)].row[m_load.priceAt] = c.newPrice;
            }
        } else if (code == QLatin1String("conflict") && sharedCall) {
            for (const Change &c : std::as_const(m_pending))
                m_load.refused.push_back(c);
        } else {
            m_load.failures << QStringLiteral("%1: SetItemCole of %2 answered %3: %4")
                                   .arg(m_operator, sharedCall ? QStringLiteral("a shared item") : QStringLiteral("its own items"),
                                        code, error.value(QStringLiteral("message")).toString());
        }
        m_pending.clear();
    } else if (!error.isEmpty()) {
        m_load.failures << QStringLiteral("%1: %2 answered %3: %4")
                               .arg(m_operator, m_method, code, error.value(QStringLiteral("message")).toString());
    } else if (m_sharedItem >= 0) {
        // The shared item's grid: confirm a new price on the values just read.
        const int item = m_sharedItem;
        m_sharedItem = -1;
        const DataPacket grid = reply.value(QStringLiteral("result")).value<DataPacket>();
        const Item &shared = m_load.items[size_t(item)];
        for (int r = 0; r < grid.rowCount(); ++r) {
            const QVariantList &row = grid.rows().at(r);
            if (row.at(m_load.productAt).toString() == shared.product && row.at(m_load.brandAt).toString() == shared.brand) {
                m_label = QStringLiteral("SetItemCole (shared item)");
                confirm({item}, {row});
                return;
            }
        }
        m_load.failures << m_operator + QStringLiteral(": the shared item is missing from its grid");
    }
    thinkThenAct();
}

double percentile(std::vector<double> values, double p)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t at = std::min(values.size() - 1, size_t(std::ceil(p * double(values.size()))) - (p > 0 ? 1 : 0));
    return values[at];
}

QString hashFast(const QString &password)
{
    char out[crypto_pwhash_STRBYTES];
    const QByteArray pw = password.toUtf8();
    if (crypto_pwhash_str(out, pw.constData(), pw.size(), crypto_pwhash_OPSLIMIT_MIN, crypto_pwhash_MEMLIMIT_MIN) != 0)
        return {};
    return QString::fromLatin1(out);
}

// The load's operators, related to the quotation's buyer and allowed to handle it.
void addOperators(Database &db, int count)
{
    const QString hash = hashFast(QStringLiteral("demo"));
    db.transaction([&] {
        for (int i = 1; i <= count; ++i) {
            const QString code = padOperator(QStringLiteral("LOAD%1").arg(i, 3, 10, QLatin1Char('0')));
            db.exec(QStringLiteral("INSERT INTO OPERADOR (CDOPERADOR, NMOPERADOR, DSSENHAOPER, IDATIVOOPER, CDFILIAL) "
                                   "VALUES (:C, :N, :H, 'S', :F)"),
                    {{QStringLiteral("C"), code}, {QStringLiteral("N"), QStringLiteral("Comprador de carga %1").arg(i)},
                     {QStringLiteral("H"), hash}, {QStringLiteral("F"), kBranch}});
            db.exec(QStringLiteral("INSERT INTO COMPROPER (CDCOMPRADOR, CDOPERADOR, IDEXSENHCMPOPER, IDCOTCMPOPER, "
                                   "IDAPURCMPOPER, IDAFCMPOPER) VALUES (:B, :C, 'N', 'S', 'N', 'N')"),
                    {{QStringLiteral("B"), padOperator(kOwner)}, {QStringLiteral("C"), code}});
        }
    });
}

QVariant ownerCall(NetConnection &c, const QString &method, const QVariantMap &args)
{
    return c.call(Protocol::method(Protocol::kGridCotaPrec, method), args);
}

// Creates the load's quotation as its buyer and reads every item that passes the item
// checks, as the product grids show them.
bool prepareQuotation(Load &load, quint16 port, QString *error)
{
    NetConnection c;
    NetCredentials credentials;
    credentials.operatorCode = kOwner;
    credentials.password = QStringLiteral("demo");
    credentials.branch = kBranch;
    credentials.client = QStringLiteral("bench_load");
    c.setCredentials(credentials);
    c.setServerName(Protocol::kGridCotaPrec);
    c.setHost(QStringLiteral("127.0.0.1"));
    c.setPort(port);
    c.setTimeoutMs(300000);
    try {
        const QDate today = QDate::currentDate();
        const QDate monday = today.addDays(8 - today.dayOfWeek());
        load.number = ownerCall(c, QStringLiteral("IncluirCotacao"),
                                {{QStringLiteral("CDFILIAL"), kBranch}, {QStringLiteral("FiliProc"), kBranch},
                                 {QStringLiteral("CDOPERADOR"), kOwner}, {QStringLiteral("DTCOLEPREC"), today},
                                 {QStringLiteral("NRSEMAINIC"), QStringLiteral("01")}, {QStringLiteral("NRSEMAFINAL"), QStringLiteral("01")},
                                 {QStringLiteral("DTINIVALCOL"), monday}, {QStringLiteral("DTFINVALCOL"), monday.addDays(6)},
                                 {QStringLiteral("ProdTodos"), true}, {QStringLiteral("CarregaPreco"), false},
                                 {QStringLiteral("CarregaObs"), false}, {QStringLiteral("DSOBSCOTPREC"), QStringLiteral("Carga")},
                                 {QStringLiteral("IDDISMONTLIS"), QStringLiteral("N")}, {QStringLiteral("Operador"), kOwner},
                                 {QStringLiteral("Dados_Inex"), QStringLiteral("Nada")}, {QStringLiteral("Dados_Inex_UltCot"), QStringLiteral("Nada")}})
                          .toString();
        if (load.number.size() != 10) {
            *error = QStringLiteral("the quotation was not created: ") + load.number;
            return false;
        }
        const QVariantMap quotation = {{QStringLiteral("CDFILIAL"), kBranch}, {QStringLiteral("NRCOLEPRECO"), load.number}};
        const DataPacket regions = ownerCall(c, QStringLiteral("GetGridRegiao"), quotation).value<DataPacket>();
        for (int g = 0; g < regions.rowCount(); ++g) {
            QVariantMap regionKey = quotation;
            regionKey.insert(QStringLiteral("CDREGIAO"), regions.value(g, QStringLiteral("CDREGIAO")));
            const DataPacket suppliers = ownerCall(c, QStringLiteral("GetGridFornecedor"), regionKey).value<DataPacket>();
            for (int s = 0; s < suppliers.rowCount(); ++s) {
                QVariantMap key = regionKey;
                key.insert(QStringLiteral("CDFORNECED"), suppliers.value(s, QStringLiteral("CDFORNECED")));
                const DataPacket grid = ownerCall(c, QStringLiteral("GetGridProdMarc"), key).value<DataPacket>();
                load.fields = grid.fields();
                const DataPacket failing = ownerCall(c, QStringLiteral("ValidaDados"),
                                                     {{QStringLiteral("Itens"), packetVariant(grid)}, {QStringLiteral("FiliProc"), kBranch},
                                                      {QStringLiteral("CDFILIAL"), kBranch}, {QStringLiteral("DTCOLEPREC"), QDate::currentDate()}})
                                               .value<DataPacket>();
                QSet<QString> refused;
                for (int f = 0; f < failing.rowCount(); ++f)
                    refused.insert(failing.value(f, QStringLiteral("CDPRODUTO")).toString() + QLatin1Char('|')
                                   + failing.value(f, QStringLiteral("CDMARCA")).toString());
                for (int r = 0; r < grid.rowCount(); ++r) {
                    Item item;
                    item.product = grid.value(r, QStringLiteral("CDPRODUTO")).toString();
                    item.brand = grid.value(r, QStringLiteral("CDMARCA")).toString();
                    if (refused.contains(item.product + QLatin1Char('|') + item.brand))
                        continue;
                    item.region = regionKey.value(QStringLiteral("CDREGIAO")).toString();
                    item.supplier = key.value(QStringLiteral("CDFORNECED")).toString();
                    item.row = grid.rows().at(r);
                    load.items.push_back(item);
                }
            }
        }
    } catch (const NetError &e) {
        *error = e.message();
        return false;
    }
    DataPacket layout(load.fields);
    load.priceAt = layout.fieldIndex(QStringLiteral("VRPRECUNIITM"));
    load.justAt = layout.fieldIndex(QStringLiteral("DSJUSTOPER"));
    load.textAt = layout.fieldIndex(QStringLiteral("DSALTERITMCOT"));
    load.quotedAt = layout.fieldIndex(QStringLiteral("IDITMCOTPREC"));
    load.productAt = layout.fieldIndex(QStringLiteral("CDPRODUTO"));
    load.brandAt = layout.fieldIndex(QStringLiteral("CDMARCA"));
    for (Item &item : load.items)
        item.firstPrice = item.row.at(load.priceAt).toDouble();
    return true;
}

// Waits in the event loop until done() holds or the time is up.
bool waitFor(const std::function<bool()> &done, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

QString itemKey(const QString &region, const QString &supplier, const QString &product, const QString &brand)
{
    return region.trimmed() + QLatin1Char('|') + supplier.trimmed() + QLatin1Char('|') + product.trimmed() + QLatin1Char('|')
           + brand.trimmed();
}

// No lost and no phantom change: the history since the run began holds exactly the
// accepted changes; each item holds the price its accepted changes lead to.
int verify(Load &load, Database &db, qlonglong historyMark)
{
    int problems = 0;
    auto problem = [&](const QString &text) {
        if (++problems <= 20)
            std::fprintf(stderr, "bench_load: %s\n", qPrintable(text));
    };
    QHash<QString, int> history;
    QSqlQuery h = db.exec(QStringLiteral("SELECT CDREGIAO, CDFORNECED, CDPRODUTO, CDMARCA, CDOPERADOR, VRPRECANT, VRPRECNOVO "
                                         "FROM HISTITCOLE WHERE CDFILIAL = :F AND NRCOLEPRECO = :N AND NRSEQHIST > :W"),
                          {{QStringLiteral("F"), kBranch}, {QStringLiteral("N"), load.number}, {QStringLiteral("W"), historyMark}});
    while (h.next())
        ++history[itemKey(h.value(0).toString(), h.value(1).toString(), h.value(2).toString(), h.value(3).toString())
                  + QLatin1Char('|') + h.value(4).toString().trimmed() + QLatin1Char('|') + priceKey(h.value(5).toDouble())
                  + QLatin1Char('|') + priceKey(h.value(6).toDouble())];
    h.finish();
    for (const Change &c : load.accepted) {
        const Item &item = load.items[size_t(c.item)];
        const QString key = itemKey(item.region, item.supplier, item.product, item.brand) + QLatin1Char('|')
                            + QStringLiteral("LOAD%1").arg(c.buyer + 1, 3, 10, QLatin1Char('0')) + QLatin1Char('|')
                            + priceKey(c.oldPrice) + QLatin1Char('|') + priceKey(c.newPrice);
        if (--history[key] < 0)
            problem(QStringLiteral("lost: an accepted change is not in the history: ") + key);
    }
    for (auto it = history.cbegin(); it != history.cend(); ++it) {
        if (it.value() > 0)
            problem(QStringLiteral("phantom: a history row no accepted change explains: ") + it.key());
    }

    QHash<QString, double> stored;
    QSqlQuery q = db.exec(QStringLiteral("SELECT CDREGIAO, CDFORNECED, CDPRODUTO, CDMARCA, VRPRECUNIITM FROM ITCOLETAPR "
                                         "WHERE CDFILIAL = :F AND NRCOLEPRECO = :N"),
                          {{QStringLiteral("F"), kBranch}, {QStringLiteral("N"), load.number}});
    while (q.next())
        stored.insert(itemKey(q.value(0).toString(), q.value(1).toString(), q.value(2).toString(), q.value(3).toString()),
                      q.value(4).toDouble());
    q.finish();
    // The accepted changes of each item, in the order they were answered.
    std::vector<std::vector<const Change *>> byItem(load.items.size());
    for (const Change &c : load.accepted)
        byItem[size_t(c.item)].push_back(&c);
    for (size_t i = 0; i < load.items.size(); ++i) {
        const Item &item = load.items[i];
        const QString key = itemKey(item.region, item.supplier, item.product, item.brand);
        double expected = item.firstPrice;
        if (item.owner >= 0) {
            if (!byItem[i].empty())
                expected = byItem[i].back()->newPrice;
        } else {
            // Follow the chain from the first price; every accepted change must be on it.
            QHash<QString, double> next;
            for (const Change *c : byItem[i])
                next.insert(priceKey(c->oldPrice), c->newPrice);
            size_t steps = 0;
            while (next.contains(priceKey(expected)) && steps <= byItem[i].size()) {
                expected = next.value(priceKey(expected));
                ++steps;
            }
            if (steps != byItem[i].size())
                problem(QStringLiteral("the accepted changes of shared item %1 do not chain (%2 of %3)")
                            .arg(key).arg(steps).arg(byItem[i].size()));
        }
        if (!stored.contains(key))
            problem(QStringLiteral("lost: item %1 is gone").arg(key));
        else if (priceKey(stored.value(key)) != priceKey(expected))
            problem(QStringLiteral("item %1 holds %2, the accepted changes lead to %3")
                        .arg(key, priceKey(stored.value(key)), priceKey(expected)));
    }
    return problems;
}

int run(const Options &options, DatabaseConfig::Engine engine, const char *name)
{
    EngineDatabase database(engine, QStringLiteral("load"));
    QString error;
    if (!database.create(EngineDatabase::Content::SmallDemo, &error)) {
        std::fprintf(stderr, "bench_load: %s: %s\n", name, qPrintable(error.isEmpty() ? database.skipReason() : error));
        return error.isEmpty() ? 0 : 1;
    }
    // Five times the demo's suppliers, for thousands of items to share out.
    if (!SupplierTwins::add(database.db(), 4, &error)) {
        std::fprintf(stderr, "bench_load: %s\n", qPrintable(error));
        return 1;
    }
    addOperators(database.db(), options.buyers);
    QTemporaryDir logDir;
    ServerProcess server(database.config(), logDir.filePath(QStringLiteral("server.log")));
    server.setExtraArguments({QStringLiteral("--workers"), QString::number(options.workers)});
    if (!server.start(&error)) {
        std::fprintf(stderr, "bench_load: %s\n", qPrintable(error));
        return 1;
    }
    Load load;
    load.options = options;
    if (!prepareQuotation(load, server.port(), &error)) {
        std::fprintf(stderr, "bench_load: %s\n", qPrintable(error));
        return 1;
    }
    if (int(load.items.size()) < options.shared + options.buyers) {
        std::fprintf(stderr, "bench_load: only %zu valid items for %d buyers and %d shared items\n", load.items.size(),
                     options.buyers, options.shared);
        return 1;
    }
    QRandomGenerator random(options.seed);
    std::vector<std::unique_ptr<Buyer>> buyers;
    for (int b = 0; b < options.buyers; ++b)
        buyers.push_back(std::make_unique<Buyer>(load, b, server.port(), random));
    for (size_t i = size_t(options.shared); i < load.items.size(); ++i) {
        const int owner = int((i - size_t(options.shared)) % size_t(options.buyers));
        load.items[i].owner = owner;
        buyers[size_t(owner)]->addOwn(int(i));
    }
    for (auto &b : buyers)
        b->start();
    if (!waitFor([&] { return std::all_of(buyers.begin(), buyers.end(), [](const auto &b) { return b->loggedIn(); }); }, 120000)) {
        std::fprintf(stderr, "bench_load: not every buyer could log in\n");
        return 1;
    }
    QSqlQuery mark = database.db().exec(QStringLiteral("SELECT COALESCE(MAX(NRSEQHIST), 0) FROM HISTITCOLE"));
    const qlonglong historyMark = mark.next() ? mark.value(0).toLongLong() : 0;
    mark.finish();
    std::printf("%s: %d buyers on quotation %s (%zu items, %d shared), %d s, think time 0-%d ms, %d workers\n", name,
                options.buyers, qPrintable(load.number), load.items.size(), options.shared, options.seconds,
                2 * options.thinkMs, options.workers);
    std::fflush(stdout);

    load.latency.clear();
    QElapsedTimer clock;
    clock.start();
    for (auto &b : buyers) {
        Buyer *buyer = b.get();
        QTimer::singleShot(int(random.bounded(2 * options.thinkMs + 1)), buyer, [buyer] { buyer->act(); });
    }
    waitFor([&] { return clock.elapsed() >= qint64(options.seconds) * 1000; }, options.seconds * 1000 + 1000);
    load.running = false;
    const double seconds = clock.elapsed() / 1000.0;
    if (!waitFor([&] { return load.inFlight == 0; }, 120000))
        load.failures << QStringLiteral("%1 calls never answered").arg(load.inFlight);
    buyers.clear();

    std::printf("%-28s %8s %8s %9s %9s %9s\n", "method", "calls", "per s", "p50 ms", "p99 ms", "max ms");
    for (const auto &[method, values] : load.latency) {
        std::printf("%-28s %8zu %8.1f %9.1f %9.1f %9.1f\n", qPrintable(method), values.size(), double(values.size()) / seconds,
                    percentile(values, 0.5), percentile(values, 0.99), values.empty() ? 0.0 : *std::max_element(values.begin(), values.end()));
    }
    const int problems = verify(load, database.db(), historyMark);
    for (const QString &f : std::as_const(load.failures).mid(0, 20))
        std::fprintf(stderr, "bench_load: failure: %s\n", qPrintable(f));
    std::printf("%s: %zu changes accepted, %zu refused with \"conflict\", %lld failed calls, %d lost or phantom changes\n",
                name, load.accepted.size(), load.refused.size(), qlonglong(load.failures.size()), problems);
    server.stop();
    return problems == 0 && load.failures.isEmpty() ? 0 : 1;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (sodium_init() < 0)
        return 1;
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Many simulated buyers against one sup-server."));
    parser.addHelpOption();
    const QCommandLineOption buyers(QStringLiteral("buyers"), QStringLiteral("simulated buyers"), QStringLiteral("N"), QStringLiteral("200"));
    const QCommandLineOption seconds(QStringLiteral("seconds"), QStringLiteral("duration"), QStringLiteral("S"), QStringLiteral("60"));
    const QCommandLineOption think(QStringLiteral("think-ms"), QStringLiteral("mean think time between actions"), QStringLiteral("MS"), QStringLiteral("1000"));
    const QCommandLineOption shared(QStringLiteral("shared"), QStringLiteral("items every buyer confirms on"), QStringLiteral("N"), QStringLiteral("10"));
    const QCommandLineOption workers(QStringLiteral("workers"), QStringLiteral("server worker threads"), QStringLiteral("N"), QStringLiteral("4"));
    const QCommandLineOption engine(QStringLiteral("engine"), QStringLiteral("sqlite, postgres or all"), QStringLiteral("E"), QStringLiteral("all"));
    const QCommandLineOption pgHost(QStringLiteral("pg-host"), QStringLiteral("PostgreSQL host or socket folder"), QStringLiteral("H"));
    const QCommandLineOption pgPort(QStringLiteral("pg-port"), QStringLiteral("PostgreSQL port"), QStringLiteral("P"));
    const QCommandLineOption pgUser(QStringLiteral("pg-user"), QStringLiteral("PostgreSQL user"), QStringLiteral("U"));
    parser.addOptions({buyers, seconds, think, shared, workers, engine, pgHost, pgPort, pgUser});
    parser.process(app);
    Options options;
    options.buyers = qMax(1, parser.value(buyers).toInt());
    options.seconds = qMax(1, parser.value(seconds).toInt());
    options.thinkMs = qMax(1, parser.value(think).toInt());
    options.shared = qMax(0, parser.value(shared).toInt());
    options.workers = qMax(1, parser.value(workers).toInt());
    // The scratch database takes its PostgreSQL server from the environment.
    if (parser.isSet(pgHost))
        qputenv("SUP_TEST_PG_HOST", parser.value(pgHost).toLocal8Bit());
    if (parser.isSet(pgPort))
        qputenv("SUP_TEST_PG_PORT", parser.value(pgPort).toLocal8Bit());
    if (parser.isSet(pgUser))
        qputenv("SUP_TEST_PG_USER", parser.value(pgUser).toLocal8Bit());
    const QString which = parser.value(engine);
    int status = 0;
    if (which == QLatin1String("sqlite") || which == QLatin1String("all"))
        status |= run(options, DatabaseConfig::Engine::SQLite, "SQLite");
    if (which == QLatin1String("postgres") || (which == QLatin1String("all") && !qEnvironmentVariableIsEmpty("SUP_TEST_PG_HOST")))
        status |= run(options, DatabaseConfig::Engine::PostgreSQL, "PostgreSQL");
    return status;
}
