#include "GridCotaPrecClient.h"

#include "Consiste.h"
#include "NetConnection.h"
#include "ProtocolContract.h"

namespace {

const MethodContract &method(const char *name)
{
    return Protocol::method(Protocol::kGridCotaPrec, QLatin1String(name));
}

// An invalid date travels as null: the server reads it as "not given".
QVariant dateValue(const QDate &date)
{
    return date.isValid() ? QVariant(date) : QVariant();
}

QDate dateOf(const QVariant &value)
{
    if (value.typeId() == QMetaType::QDateTime)
        return value.toDateTime().date();
    return value.typeId() == QMetaType::QDate ? value.toDate() : QDate();
}

DataPacket packetOf(const QVariant &result)
{
    DataPacket packet;
    Consiste::CheckResultServ(result, true, 0, &packet);
    return packet;
}

} // namespace

DataPacket GridCotaPrecClient::getFornCotados(const QString &branch, const QString &number)
{
    return packetOf(m_connection.call(method("GetFornCotados"),
                                      {{QStringLiteral("CDFILIAL"), branch}, {QStringLiteral("NRCOLEPRECO"), number}}));
}

GetColetaPrReply GridCotaPrecClient::getColetaPr(const ColetaPrFilter &filter)
{
    QVariantMap refs;
    const QVariant result = m_connection.call(method("GetColetaPr"),
                                              {{QStringLiteral("CDFILIAL"), filter.branch},
                                               {QStringLiteral("ListaComprador"), filter.buyers},
                                               {QStringLiteral("TodosComprador"), filter.allBuyers},
                                               {QStringLiteral("DtInicial"), dateValue(filter.firstDate)},
                                               {QStringLiteral("DtFinal"), dateValue(filter.lastDate)},
                                               {QStringLiteral("TodasDatas"), filter.allDates},
                                               {QStringLiteral("ListaForn"), filter.suppliers},
                                               {QStringLiteral("TodosForn"), filter.allSuppliers},
                                               {QStringLiteral("ListaRegiao"), filter.regions},
                                               {QStringLiteral("TodasRegioes"), filter.allRegions}},
                                              &refs);
    GetColetaPrReply reply;
    reply.packet = packetOf(result);
    reply.filter.branch = filter.branch;
    reply.filter.buyers = refs.value(QStringLiteral("ListaComprador")).toString();
    reply.filter.allBuyers = refs.value(QStringLiteral("TodosComprador")).toString();
    reply.filter.firstDate = dateOf(refs.value(QStringLiteral("DtInicial")));
    reply.filter.lastDate = dateOf(refs.value(QStringLiteral("DtFinal")));
    reply.filter.allDates = refs.value(QStringLiteral("TodasDatas")).toString();
    reply.filter.suppliers = refs.value(QStringLiteral("ListaForn")).toString();
    reply.filter.allSuppliers = refs.value(QStringLiteral("TodosForn")).toString();
    reply.filter.regions = refs.value(QStringLiteral("ListaRegiao")).toString();
    reply.filter.allRegions = refs.value(QStringLiteral("TodasRegioes")).toString();
    return reply;
}

DataPacket GridCotaPrecClient::getDadosFiltro(const QString &centralBranch, const QString &operatorCode)
{
    return packetOf(m_connection.call(method("GetDadosFiltro"), {{QStringLiteral("CDFILIAL"), centralBranch},
                                                                 {QStringLiteral("CDOPERADOR"), operatorCode}}));
}

VerifListaReply GridCotaPrecClient::verifLista(const QString &branch, const QString &number, const QString &region,
                                               const QString &supplier, const QString &product, const QString &brand)
{
    QVariantMap refs;
    const QVariant result = m_connection.call(method("Verif_Lista"),
                                              {{QStringLiteral("CDFILIAL"), branch},
                                               {QStringLiteral("NRCOLEPRECO"), number},
                                               {QStringLiteral("CDREGIAO"), region},
                                               {QStringLiteral("CDFORNECED"), supplier},
                                               {QStringLiteral("CDPRODUTO"), product},
                                               {QStringLiteral("CDMARCA"), brand}},
                                              &refs);
    return {result.toBool(), refs.value(QStringLiteral("CDREGIAO")).toString()};
}

QString GridCotaPrecClient::delColetaPr(const QString &branch, const QString &number, const QString &operatorCode)
{
    return m_connection
        .call(method("DelColetaPr"), {{QStringLiteral("CDFILIAL"), branch},
                                      {QStringLiteral("NRCOLEPRECO"), number},
                                      {QStringLiteral("CDOPERADOR"), operatorCode}})
        .toString();
}

SetItemColeReply GridCotaPrecClient::setItemCole(const SetItemColeArgs &a)
{
    QVariantMap refs;
    SetItemColeReply reply;
    reply.result = m_connection.call(method("SetItemCole"),
                                     {{QStringLiteral("DeltaColetapr"), a.headerDelta},
                                      {QStringLiteral("DeltaGridProdMarc"), a.itemDelta},
                                      {QStringLiteral("DTCOLEPREC"), dateValue(a.collectionDate)},
                                      {QStringLiteral("TodasRegioes"), a.allRegions},
                                      {QStringLiteral("FiliProc"), a.branch},
                                      {QStringLiteral("Operador"), a.operatorCode},
                                      {QStringLiteral("TodosForn"), a.allSuppliers},
                                      {QStringLiteral("TODASREG"), a.allRegionsText},
                                      {QStringLiteral("UMAREG"), a.oneRegionText},
                                      {QStringLiteral("TODOSFORN"), a.allSuppliersText},
                                      {QStringLiteral("UMFORN"), a.oneSupplierText},
                                      {QStringLiteral("boConsulta"), a.consultation},
                                      {QStringLiteral("NRCOMPRA"), a.purchase},
                                      {QStringLiteral("CDOPERADOR"), a.buyer},
                                      {QStringLiteral("DTINIVALCOL"), dateValue(a.firstDate)},
                                      {QStringLiteral("DTFINVALCOL"), dateValue(a.lastDate)}},
                                     &refs);
    reply.headerDelta = refs.value(QStringLiteral("DeltaColetapr"));
    reply.itemDelta = refs.value(QStringLiteral("DeltaGridProdMarc"));
    return reply;
}
