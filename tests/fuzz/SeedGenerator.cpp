// sup-fuzz-seeds OUTDIR: writes the seed corpus of the fuzz targets from a scratch demo
// server.  For every method of the protocol contract it builds the request a buyer's
// workspace sends (COMP01 at branch 0001, on one of her quotations in progress, with
// its first item), answers it with the real dispatcher, and keeps:
//   fuzz_dispatch/  the request frames, and SetItemCole frames whose deltas a client
//                   dataset made by changing a price and an observation;
//   fuzz_frames/    the same frames, with the first byte choosing how they are cut;
//   fuzz_cbor/      the items of requests and replies;
//   fuzz_dataset/   every packet of the replies, followed by a few edit operations.
// Files are named after their content, so running it again changes nothing.

#include "CborCodec.h"
#include "ClientDataSet.h"
#include "Codes.h"
#include "Dispatcher.h"
#include "FrameReader.h"
#include "FuzzCheck.h"
#include "MethodTable.h"
#include "ProtocolContract.h"
#include "ScratchDatabase.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QSqlQuery>

#include <cstdio>

namespace {

class SeedWriter
{
public:
    explicit SeedWriter(const QString &root) : m_root(root) {}

    void write(const QString &target, const QByteArray &bytes)
    {
        QDir().mkpath(m_root + QLatin1Char('/') + target);
        const QString name = QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex());
        QFile file(m_root + QLatin1Char('/') + target + QLatin1Char('/') + name);
        if (file.open(QIODevice::WriteOnly))
            file.write(bytes);
        ++m_count;
    }
    int count() const { return m_count; }

private:
    QString m_root;
    int m_count = 0;
};

// The values a buyer's workspace passes, by argument name, for one quotation and item.
QVariantMap realValues(Database &db)
{
    QSqlQuery q = db.exec(QStringLiteral(
        "SELECT C.NRCOLEPRECO, C.DTCOLEPREC, C.DTINIVALCOL, C.DTFINVALCOL, C.NRCOMPRA, "
        "       I.CDREGIAO, I.CDFORNECED, I.CDPRODUTO, I.CDMARCA "
        "FROM COLETAPR C JOIN ITCOLETAPR I ON I.CDFILIAL = C.CDFILIAL AND I.NRCOLEPRECO = C.NRCOLEPRECO "
        "WHERE C.CDFILIAL = '0001' AND C.CDOPERADOR = :P_OP AND C.IDSITUCOLETA = 'A' "
        "ORDER BY C.NRCOLEPRECO DESC, I.CDREGIAO, I.CDFORNECED, I.CDPRODUTO, I.CDMARCA LIMIT 1"),
        {{QStringLiteral("P_OP"), padOperator(QStringLiteral("COMP01"))}});
    if (!q.next())
        return {};
    const QDate collected = Database::toDate(q.value(1));
    const QDate from = Database::toDate(q.value(2));
    const QDate to = Database::toDate(q.value(3));
    const QString buyer = QStringLiteral("COMP01");
    QVariantMap v;
    for (const char *name : {"CDFILIAL", "P_CDFILIAL", "FiliProc", "CDFILCENTCMP"})
        v.insert(QString::fromLatin1(name), QStringLiteral("0001"));
    for (const char *name : {"CDOPERADOR", "Operador", "P_CDOPERADOR", "Comprador"})
        v.insert(QString::fromLatin1(name), buyer);
    for (const char *name : {"NRCOLEPRECO", "NrColeta", "Cotacao"})
        v.insert(QString::fromLatin1(name), q.value(0).toString());
    for (const char *name : {"DTCOLEPREC", "DtInicial"})
        v.insert(QString::fromLatin1(name), collected);
    for (const char *name : {"DTINIVALCOL", "DtIniAnt", "DtIniPeriodo"})
        v.insert(QString::fromLatin1(name), from);
    for (const char *name : {"DTFINVALCOL", "DtFinAnt", "DtFinPeriodo", "DtFinal"})
        v.insert(QString::fromLatin1(name), to);
    v.insert(QStringLiteral("DtIniNova"), from.addDays(7));
    v.insert(QStringLiteral("DtFinNova"), to.addDays(7));
    v.insert(QStringLiteral("NRCOMPRA"), q.value(4).toString());
    for (const char *name : {"CDREGIAO", "CDREGICARG"})
        v.insert(QString::fromLatin1(name), q.value(5).toString());
    v.insert(QStringLiteral("CDFORNECED"), q.value(6).toString());
    v.insert(QStringLiteral("CDPRODUTO"), q.value(7).toString());
    v.insert(QStringLiteral("CDMARCA"), q.value(8).toString());
    v.insert(QStringLiteral("P_SENHA"), QStringLiteral("demo"));
    v.insert(QStringLiteral("Reajuste"), 2.5);
    v.insert(QStringLiteral("CDPRODINI"), QStringLiteral("01"));
    v.insert(QStringLiteral("CDPRODFIN"), QStringLiteral("0102ZZZZZZZZZZ"));
    v.insert(QStringLiteral("NRSEMAINIC"), QStringLiteral("01"));
    v.insert(QStringLiteral("NRSEMAFINAL"), QStringLiteral("02"));
    v.insert(QStringLiteral("IDDISMONTLIS"), QStringLiteral("N"));
    v.insert(QStringLiteral("DSOBSITMCOL"), QStringLiteral("entrega em 48 horas"));
    return v;
}

QVariant defaultFor(const ArgDecl &arg, const QVariantMap &values)
{
    if (values.contains(arg.name))
        return values.value(arg.name);
    switch (arg.type) {
    case ArgType::String: return QString();
    case ArgType::Integer: return qlonglong(0);
    case ArgType::Float: return 0.0;
    case ArgType::Boolean: return true;
    case ArgType::Date: return values.value(QStringLiteral("DTCOLEPREC"));
    case ArgType::DateTime: return QDateTime(values.value(QStringLiteral("DTCOLEPREC")).toDate(), QTime(10, 0), Qt::UTC);
    case ArgType::Array: return QVariantList();
    case ArgType::Packet:
    case ArgType::Variant: return QVariant();
    }
    return QVariant();
}

// A one-column packet of the values of field in packet (the key packets the forms pass).
QVariant column(const QVariant &packet, const QString &field)
{
    DataPacket out;
    out.addField(field, FieldType::String, 21);
    if (isPacket(packet)) {
        const DataPacket p = packet.value<DataPacket>();
        for (int row = 0; row < p.rowCount(); ++row)
            out.appendRow({p.value(row, field)});
    }
    return packetVariant(out);
}

class Generator
{
public:
    Generator(ScratchDatabase &database, SeedWriter &seeds) : m_database(database), m_seeds(seeds)
    {
        registerServerObjects(m_table);
        m_session.operatorCode = padOperator(QStringLiteral("COMP01"));
        m_session.branch = QStringLiteral("0001");
        m_session.client = QStringLiteral("fuzz seeds");
        m_session.loggedIn = true;
    }

    // Sends a call and keeps its frame and every packet of its answer.
    QVariantMap call(const MethodContract &method, const QVariantList &args)
    {
        const QVariantMap message{{QStringLiteral("op"), QStringLiteral("call")},
                                  {QStringLiteral("id"), qulonglong(++m_id)},
                                  {QStringLiteral("object"), method.object},
                                  {QStringLiteral("method"), method.name},
                                  {QStringLiteral("args"), args}};
        return send(message);
    }

    QVariantMap send(const QVariantMap &message)
    {
        m_database.beginInput();
        const QByteArray frame = FrameReader::encodeFrame(message);
        m_seeds.write(QStringLiteral("fuzz_dispatch"), frame);
        m_seeds.write(QStringLiteral("fuzz_frames"), QByteArray(1, char(m_id % 64)) + frame);
        m_seeds.write(QStringLiteral("fuzz_cbor"), frame.mid(4));
        const DispatchOutcome outcome = m_dispatcher.handle(m_session, &m_database.db(), message);
        m_seeds.write(QStringLiteral("fuzz_cbor"), CborCodec::encode(outcome.reply));
        keepPackets(outcome.reply);
        QString error;
        if (!m_database.restore(&error))
            std::fprintf(stderr, "%s\n", qPrintable(error));
        return outcome.reply;
    }

    void allMethods(const QVariantMap &values)
    {
        for (const MethodContract &method : Protocol::methods()) {
            QVariantList args;
            for (const ArgDecl &arg : method.args)
                args.append(defaultFor(arg, values));
            const QVariantMap reply = call(method, args);
            if (reply.contains(QStringLiteral("error")))
                std::fprintf(stderr, "%s: %s\n", qPrintable(method.qualifiedName()),
                             qPrintable(reply.value(QStringLiteral("error")).toMap().value(QStringLiteral("message")).toString()));
            m_results.insert(method.name, reply.value(QStringLiteral("result")));
        }
    }

    // Calls whose packet arguments come from other answers, and the deltas of a buyer's edits.
    void packetCalls(const QVariantMap &values)
    {
        const QVariant items = m_results.value(QStringLiteral("GetGridProdMarc"));
        callWith(QStringLiteral("ValidaDados"), values, {{QStringLiteral("Itens"), items}});
        callWith(QStringLiteral("Vd_ProdForn"), values, {{QStringLiteral("Produtos"), column(items, QStringLiteral("CDPRODUTO"))}});
        const QVariant suppliers = column(m_results.value(QStringLiteral("GetCotForns")), QStringLiteral("CDFORNECED"));
        callWith(QStringLiteral("Vd_RefoReg"), values, {{QStringLiteral("Fornecedores"), suppliers}});
        callWith(QStringLiteral("IncRegiao"), values, {{QStringLiteral("Fornecedores"), suppliers}});

        if (isPacket(items)) {
            ClientDataSet grid;
            grid.setData(items.value<DataPacket>());
            grid.first();
            grid.edit();
            grid.fieldByName(QStringLiteral("VRPRECUNIITM"))->setValue(12.34567);
            grid.fieldByName(QStringLiteral("DSJUSTOPER"))->setValue(QStringLiteral("Reajuste do fornecedor"));
            grid.post();
            const QVariant delta = packetVariant(grid.delta());
            for (bool allRegions : {false, true})
                callWith(QStringLiteral("SetItemCole"), values,
                         {{QStringLiteral("DeltaGridProdMarc"), delta}, {QStringLiteral("TodasRegioes"), allRegions},
                          {QStringLiteral("TodosForn"), !allRegions}});
        }
        const QVariant list = m_results.value(QStringLiteral("GetColetaPr"));
        if (isPacket(list) && list.value<DataPacket>().rowCount() > 0) {
            ClientDataSet header;
            header.setData(list.value<DataPacket>());
            header.locate(QStringLiteral("NRCOLEPRECO"), values.value(QStringLiteral("NRCOLEPRECO")));
            header.edit();
            header.fieldByName(QStringLiteral("DSOBSCOTPREC"))->setValue(QStringLiteral("Cotação revisada"));
            header.post();
            callWith(QStringLiteral("SetItemCole"), values, {{QStringLiteral("DeltaColetapr"), packetVariant(header.delta())}});
        }
        // A connection's usual start: a ping, then the quotation list.
        send({{QStringLiteral("op"), QStringLiteral("ping")}, {QStringLiteral("id"), qulonglong(++m_id)}});
        send({{QStringLiteral("op"), QStringLiteral("login")}, {QStringLiteral("id"), qulonglong(++m_id)},
              {QStringLiteral("operator"), QStringLiteral("COMP01")}, {QStringLiteral("password"), QStringLiteral("demo")},
              {QStringLiteral("branch"), QStringLiteral("0001")}, {QStringLiteral("client"), QStringLiteral("sup-host")}});
    }

private:
    void callWith(const QString &name, const QVariantMap &values, const QVariantMap &overrides)
    {
        for (const MethodContract &method : Protocol::methods()) {
            if (method.name != name)
                continue;
            QVariantList args;
            for (const ArgDecl &arg : method.args)
                args.append(overrides.contains(arg.name) ? overrides.value(arg.name) : defaultFor(arg, values));
            call(method, args);
        }
    }

    void keepPackets(const QVariant &value)
    {
        if (isPacket(value)) {
            // A few edits after the packet: move, edit the first field, post.
            static const QByteArray edits = QByteArray::fromHex("00050b0001410806");
            m_seeds.write(QStringLiteral("fuzz_dataset"), CborCodec::encode(value) + edits);
        } else if (value.typeId() == QMetaType::QVariantMap) {
            for (const QVariant &v : value.toMap())
                keepPackets(v);
        } else if (value.typeId() == QMetaType::QVariantList) {
            for (const QVariant &v : value.toList())
                keepPackets(v);
        } else if (value.metaType() == QMetaType::fromType<IndexMap>()) {
            for (const QVariant &v : value.value<IndexMap>())
                keepPackets(v);
        }
    }

    ScratchDatabase &m_database;
    SeedWriter &m_seeds;
    MethodTable m_table;
    Dispatcher m_dispatcher{m_table, 0};
    Session m_session;
    quint64 m_id = 0;
    QMap<QString, QVariant> m_results;
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: sup-fuzz-seeds OUTDIR\n");
        return 2;
    }
    FuzzCheck::silenceLogs();
    ScratchDatabase database;
    QString error;
    if (!database.create(&error)) {
        std::fprintf(stderr, "scratch database: %s\n", qPrintable(error));
        return 1;
    }
    const QVariantMap values = realValues(database.db());
    if (values.isEmpty()) {
        std::fprintf(stderr, "the demo data has no quotation of COMP01 in progress\n");
        return 1;
    }
    SeedWriter seeds(QString::fromLocal8Bit(argv[1]));
    Generator generator(database, seeds);
    generator.allMethods(values);
    generator.packetCalls(values);
    std::printf("%d seeds written\n", seeds.count());
    return 0;
}
