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

// Blank stands for "all" in the scope arguments of the removals.
QString scopeValue(bool all, const QString &code)
{
    return all || code.trimmed().isEmpty() ? QStringLiteral(" ") : code;
}

QString allMark(bool all)
{
    return all ? QStringLiteral("T") : QStringLiteral(" ");
}

// Element 0 of an array answer, as text; empty when the answer is no array.
QString firstElement(const QVariant &result)
{
    if (result.metaType() != QMetaType::fromType<QVariantList>())
        return QString();
    const QVariantList list = result.toList();
    return list.isEmpty() ? QString() : list.first().toString();
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

IncluirCotacaoReply GridCotaPrecClient::incluirCotacao(const IncluirCotacaoArgs &a)
{
    QVariantMap refs;
    IncluirCotacaoReply reply;
    reply.status = m_connection
                       .call(method("IncluirCotacao"),
                             {{QStringLiteral("CDFILIAL"), a.centralBranch},
                              {QStringLiteral("FiliProc"), a.branch},
                              {QStringLiteral("CDOPERADOR"), a.buyer},
                              {QStringLiteral("DTCOLEPREC"), dateValue(a.collectionDate)},
                              {QStringLiteral("NRSEMAINIC"), a.firstWeek},
                              {QStringLiteral("NRSEMAFINAL"), a.lastWeek},
                              {QStringLiteral("DTINIVALCOL"), dateValue(a.firstDate)},
                              {QStringLiteral("DTFINVALCOL"), dateValue(a.lastDate)},
                              {QStringLiteral("CDPRODINI"), a.firstProduct},
                              {QStringLiteral("CDPRODFIN"), a.lastProduct},
                              {QStringLiteral("ListaRegiao"), a.regions},
                              {QStringLiteral("ListaForn"), a.suppliers},
                              {QStringLiteral("ListaMarca"), a.brands},
                              {QStringLiteral("ListaVerif"), a.verifications},
                              {QStringLiteral("ProdTodos"), a.allProducts},
                              {QStringLiteral("CarregaPreco"), a.loadLastPrice},
                              {QStringLiteral("CarregaObs"), a.loadObservation},
                              {QStringLiteral("DSOBSCOTPREC"), a.observation},
                              {QStringLiteral("IDDISMONTLIS"), a.priceListFlag},
                              {QStringLiteral("Operador"), a.operatorCode},
                              {QStringLiteral("Dados_Inex"), a.noDataText},
                              {QStringLiteral("Dados_Inex_UltCot"), a.noLastQuotationText},
                              {QStringLiteral("NRCOMPRA"), a.purchase}},
                             &refs)
                       .toString();
    reply.sent = a;
    auto back = [&refs](const char *name, QString &value) {
        const QString key = QLatin1String(name);
        if (refs.contains(key))
            value = refs.value(key).toString();
    };
    back("CDPRODINI", reply.sent.firstProduct);
    back("CDPRODFIN", reply.sent.lastProduct);
    back("ListaRegiao", reply.sent.regions);
    back("ListaForn", reply.sent.suppliers);
    back("ListaMarca", reply.sent.brands);
    back("ListaVerif", reply.sent.verifications);
    back("IDDISMONTLIS", reply.sent.priceListFlag);
    return reply;
}

QString GridCotaPrecClient::getDetalhes(const GetDetalhesArgs &a)
{
    return m_connection
        .call(method("GetDetalhes"),
              {{QStringLiteral("CDFILIAL"), a.centralBranch},
               {QStringLiteral("CDOPERADOR"), a.buyer},
               {QStringLiteral("CDPRODINI"), a.firstProduct},
               {QStringLiteral("CDPRODFIN"), a.lastProduct},
               {QStringLiteral("TodosProd"), a.allProducts},
               {QStringLiteral("DTINIVALCOL"), dateValue(a.firstDate)},
               {QStringLiteral("DTFINVALCOL"), dateValue(a.lastDate)},
               {QStringLiteral("ListaRegiao"), a.regions},
               {QStringLiteral("TodasRegioes"), a.allRegions},
               {QStringLiteral("ListaForn"), a.suppliers},
               {QStringLiteral("TodosForn"), a.allSuppliers},
               {QStringLiteral("DTCOLEPREC"), dateValue(a.collectionDate)},
               {QStringLiteral("ListaMarca"), a.brands},
               {QStringLiteral("ProdComprar"), a.productsToBuy},
               {QStringLiteral("CarregaPreco"), a.loadLastPrice},
               {QStringLiteral("TodasMarcas"), a.allBrands},
               {QStringLiteral("FiliProc"), a.branch},
               {QStringLiteral("NProd_Cmp"), a.NProd_Cmp},
               {QStringLiteral("N_Acomprar"), a.N_Acomprar},
               {QStringLiteral("N_FornProdCmp"), a.N_FornProdCmp},
               {QStringLiteral("N_ProdComprador"), a.N_ProdComprador},
               {QStringLiteral("N_MarcProd"), a.N_MarcProd},
               {QStringLiteral("N_QualifMarcProd"), a.N_QualifMarcProd},
               {QStringLiteral("N_QfoProdForn"), a.N_QfoProdForn},
               {QStringLiteral("N_RefoReg_Inc"), a.N_RefoReg_Inc},
               {QStringLiteral("Pr_NFilCor"), a.Pr_NFilCor},
               {QStringLiteral("Pr_NFilReg"), a.Pr_NFilReg},
               {QStringLiteral("Produto_Inativo"), a.Produto_Inativo},
               {QStringLiteral("Valid_Venc"), a.Valid_Venc}})
        .toString();
}

DataPacket GridCotaPrecClient::getCompra()
{
    return packetOf(m_connection.call(method("GetCompra"), {}));
}

DataPacket GridCotaPrecClient::getPesqMarca(const QString &brand, const QString &all)
{
    return packetOf(m_connection.call(method("getPesqMarca"),
                                      {{QStringLiteral("CDMARCA"), brand}, {QStringLiteral("TodasMarcas"), all}}));
}

DataPacket GridCotaPrecClient::getGridRegiao(const QString &branch, const QString &number)
{
    return packetOf(m_connection.call(method("GetGridRegiao"),
                                      {{QStringLiteral("CDFILIAL"), branch}, {QStringLiteral("NRCOLEPRECO"), number}}));
}

DataPacket GridCotaPrecClient::getGridFornecedor(const QString &branch, const QString &number, const QString &region)
{
    return packetOf(m_connection.call(method("GetGridFornecedor"),
                                      {{QStringLiteral("CDFILIAL"), branch},
                                       {QStringLiteral("NRCOLEPRECO"), number},
                                       {QStringLiteral("CDREGIAO"), region}}));
}

DataPacket GridCotaPrecClient::getGridProdMarc(const QString &branch, const QString &number, const QString &region,
                                               const QString &supplier)
{
    return packetOf(m_connection.call(method("GetGridProdMarc"),
                                      {{QStringLiteral("CDFILIAL"), branch},
                                       {QStringLiteral("NRCOLEPRECO"), number},
                                       {QStringLiteral("CDREGIAO"), region},
                                       {QStringLiteral("CDFORNECED"), supplier}}));
}

DataPacket GridCotaPrecClient::getDistForns(const QString &branch, const QString &number)
{
    return packetOf(m_connection.call(method("GetDistForns"),
                                      {{QStringLiteral("CDFILIAL"), branch}, {QStringLiteral("NRCOLEPRECO"), number}}));
}

DataPacket GridCotaPrecClient::getItensForn(const QString &branch, const QString &number, const QString &supplier)
{
    return packetOf(m_connection.call(method("GetItensForn"), {{QStringLiteral("CDFILIAL"), branch},
                                                               {QStringLiteral("NRCOLEPRECO"), number},
                                                               {QStringLiteral("CDFORNECED"), supplier}}));
}

DataPacket GridCotaPrecClient::validaDados(const DataPacket &items, const QString &branch, const QString &centralBranch,
                                           const QDate &collectionDate)
{
    return packetOf(m_connection.call(method("ValidaDados"),
                                      {{QStringLiteral("Itens"), QVariant::fromValue(items)},
                                       {QStringLiteral("FiliProc"), branch},
                                       {QStringLiteral("CDFILIAL"), centralBranch},
                                       {QStringLiteral("DTCOLEPREC"), dateValue(collectionDate)}}));
}

QString GridCotaPrecClient::getVerPrZero(const QString &branch, const QString &number)
{
    return m_connection.call(method("GetVerPrZero"),
                             {{QStringLiteral("CDFILIAL"), branch}, {QStringLiteral("NRCOLEPRECO"), number}})
        .toString();
}

void GridCotaPrecClient::deleteItemCole(const QString &centralBranch, const QString &number)
{
    Consiste::CheckResultServ(m_connection.call(method("DeleteItemCole"),
                                                {{QStringLiteral("CDFILIAL"), centralBranch},
                                                 {QStringLiteral("NRCOLEPRECO"), number}}),
                              true, 0);
}

DataPacket GridCotaPrecClient::getPesqFornOL()
{
    return packetOf(m_connection.call(method("GetPesqFornOL"), {}));
}

DataPacket GridCotaPrecClient::getDadDuplica(const QString &branch)
{
    return packetOf(m_connection.call(method("GetDadDuplica"), {{QStringLiteral("CDFILIAL"), branch}}));
}

DataPacket GridCotaPrecClient::getComprador(const QString &operatorCode)
{
    return packetOf(m_connection.call(method("GetComprador"), {{QStringLiteral("CDOPERADOR"), operatorCode}}));
}

DataPacket GridCotaPrecClient::getRegiaoCorr(const QString &branch, const QString &number)
{
    return packetOf(m_connection.call(method("GetRegiaoCorr"),
                                      {{QStringLiteral("CDFILIAL"), branch}, {QStringLiteral("NRCOLEPRECO"), number}}));
}

bool GridCotaPrecClient::getConsCotAn(const ConsCotAnArgs &a)
{
    return m_connection
        .call(method("GetConsCotAn"), {{QStringLiteral("CDFILIAL"), a.branch},
                                       {QStringLiteral("DTINIVALCOL"), dateValue(a.firstDate)},
                                       {QStringLiteral("DTFINVALCOL"), dateValue(a.lastDate)},
                                       {QStringLiteral("Operador"), a.operatorCode},
                                       {QStringLiteral("TodosComprador"), a.allBuyers},
                                       {QStringLiteral("Modo"), a.mode},
                                       {QStringLiteral("NRCOLEPRECO"), a.number},
                                       {QStringLiteral("ListaRegiao"), a.regions},
                                       {QStringLiteral("DtIniNova"), dateValue(a.newFirstDate)},
                                       {QStringLiteral("DtFinNova"), dateValue(a.newLastDate)}})
        .toBool();
}

QString GridCotaPrecClient::duplicaCotacao(const DuplicaCotacaoArgs &a)
{
    return m_connection
        .call(method("DuplicaCotacao"), {{QStringLiteral("CDFILIAL"), a.branch},
                                         {QStringLiteral("NRSEMAINIC"), a.firstWeek},
                                         {QStringLiteral("NRSEMAFINAL"), a.lastWeek},
                                         {QStringLiteral("DTINIVALCOL"), dateValue(a.firstDate)},
                                         {QStringLiteral("DTFINVALCOL"), dateValue(a.lastDate)},
                                         {QStringLiteral("NRCOLEPRECO"), a.number},
                                         {QStringLiteral("DtIniPeriodo"), dateValue(a.periodFirst)},
                                         {QStringLiteral("DtFinPeriodo"), dateValue(a.periodLast)},
                                         {QStringLiteral("DTCOLEPREC"), dateValue(a.collectionDate)},
                                         {QStringLiteral("Reajuste"), a.readjustment},
                                         {QStringLiteral("ListaComprador"), a.buyers},
                                         {QStringLiteral("PorValidade"), a.byPeriod},
                                         {QStringLiteral("ListaCompradorEscolhida"), a.buyerListChosen},
                                         {QStringLiteral("FiliProc"), a.processingBranch},
                                         {QStringLiteral("Operador"), a.operatorCode},
                                         {QStringLiteral("ListaRegiaoEscolhida"), a.regionListChosen},
                                         {QStringLiteral("ListaRegiao"), a.regions},
                                         {QStringLiteral("ListaFornOL"), a.olSuppliers},
                                         {QStringLiteral("N_Dados"), a.noDataText}})
        .toString();
}

DataPacket GridCotaPrecClient::getCotacao(const GetCotacaoArgs &a)
{
    return packetOf(m_connection.call(method("GetCotacao"), {{QStringLiteral("CDFILIAL"), a.branch},
                                                             {QStringLiteral("DtIniAnt"), dateValue(a.firstDate)},
                                                             {QStringLiteral("DtFinAnt"), dateValue(a.lastDate)},
                                                             {QStringLiteral("ListaComprador"), a.buyers},
                                                             {QStringLiteral("TodosComprador"), a.allBuyers},
                                                             {QStringLiteral("ListaForn"), a.suppliers},
                                                             {QStringLiteral("TodosForn"), a.allSuppliers}}));
}

void GridCotaPrecClient::alteraValidade(const AlteraValidadeArgs &a)
{
    Consiste::CheckResultServ(m_connection.call(method("AlteraValidade"),
                                                {{QStringLiteral("DtIniAnt"), dateValue(a.oldFirstDate)},
                                                 {QStringLiteral("DtFinAnt"), dateValue(a.oldLastDate)},
                                                 {QStringLiteral("DtIniNova"), dateValue(a.newFirstDate)},
                                                 {QStringLiteral("DtFinNova"), dateValue(a.newLastDate)},
                                                 {QStringLiteral("ListaForn"), a.suppliers},
                                                 {QStringLiteral("ListaComprador"), a.buyers},
                                                 {QStringLiteral("ListaCotacao"), a.quotations},
                                                 {QStringLiteral("TodosForn"), a.allSuppliers},
                                                 {QStringLiteral("TodosComprador"), a.allBuyers},
                                                 {QStringLiteral("TodasCotacoes"), a.allQuotations},
                                                 {QStringLiteral("CDFILIAL"), a.branch}}),
                              true, 0);
}

DataPacket GridCotaPrecClient::getServRegiao(const QString &branch, const QString &number, const QString &allRegionsName)
{
    return packetOf(m_connection.call(method("GetServRegiao"), {{QStringLiteral("CDFILIAL"), branch},
                                                                {QStringLiteral("NRCOLEPRECO"), number},
                                                                {QStringLiteral("NMTODAS"), allRegionsName}}));
}

DataPacket GridCotaPrecClient::getStringList(const QString &branch, const QString &number, const QString &region)
{
    return packetOf(m_connection.call(method("GetStringList"), {{QStringLiteral("CDFILIAL"), branch},
                                                                {QStringLiteral("NRCOLEPRECO"), number},
                                                                {QStringLiteral("CDREGIAO"), region}}));
}

DataPacket GridCotaPrecClient::getHistorico(const QString &centralBranch, const QString &number, const QString &region,
                                            const QString &supplier, const QString &product, const QString &brand)
{
    return packetOf(m_connection.call(method("GetHistorico"), {{QStringLiteral("CDFILIAL"), centralBranch},
                                                               {QStringLiteral("NRCOLEPRECO"), number},
                                                               {QStringLiteral("CDREGIAO"), region},
                                                               {QStringLiteral("CDFORNECED"), supplier},
                                                               {QStringLiteral("CDPRODUTO"), product},
                                                               {QStringLiteral("CDMARCA"), brand}}));
}

QString GridCotaPrecClient::cargAcomprar(const QString &centralBranch, const QString &number)
{
    return m_connection
        .call(method("CargAcomprar"),
              {{QStringLiteral("CDFILIAL"), centralBranch}, {QStringLiteral("NRCOLEPRECO"), number}})
        .toString();
}

DataPacket GridCotaPrecClient::atualizaFormPgto(const QString &branch, const QString &number)
{
    return packetOf(m_connection.call(method("AtualizaFormPgto"),
                                      {{QStringLiteral("CDFILIAL"), branch}, {QStringLiteral("NRCOLEPRECO"), number}}));
}

namespace {

QVariantMap moduleItemArgs(const QString &branch, const QString &number, const QString &supplier,
                           const QString &product, const QString &brand, const QString &region)
{
    return {{QStringLiteral("CDFILIAL"), branch},     {QStringLiteral("NRCOLEPRECO"), number},
            {QStringLiteral("CDFORNECED"), supplier}, {QStringLiteral("CDPRODUTO"), product},
            {QStringLiteral("CDMARCA"), brand},       {QStringLiteral("CDREGIAO"), region}};
}

QVariantMap itemKeyArgs(const QuotationItemKey &key)
{
    return {{QStringLiteral("CDFILIAL"), key.branch},     {QStringLiteral("NRCOLEPRECO"), key.number},
            {QStringLiteral("CDREGIAO"), key.region},     {QStringLiteral("CDFORNECED"), key.supplier},
            {QStringLiteral("CDPRODUTO"), key.product},   {QStringLiteral("CDMARCA"), key.brand}};
}

} // namespace

DataPacket GridCotaPrecClient::getSimulacaoItem(const QString &branch, const QString &number,
                                                const QString &supplier, const QString &product,
                                                const QString &brand, const QString &region)
{
    return packetOf(m_connection.call(method("GetSimulacaoItem"),
                                      moduleItemArgs(branch, number, supplier, product, brand, region)));
}

DataPacket GridCotaPrecClient::getPlanilhaItem(const QString &branch, const QString &number,
                                               const QString &supplier, const QString &product,
                                               const QString &brand, const QString &region)
{
    return packetOf(m_connection.call(method("GetPlanilhaItem"),
                                      moduleItemArgs(branch, number, supplier, product, brand, region)));
}

ReajustePrecoReply GridCotaPrecClient::reajustePreco(const ReajustePrecoArgs &a)
{
    QVariantMap refs;
    const QVariant result = m_connection.call(method("ReajustePreco"),
                                              {{QStringLiteral("Reajuste"), a.percentage},
                                               {QStringLiteral("CDFILCENTCMP"), a.centralBranch},
                                               {QStringLiteral("NrColeta"), a.shownNumber},
                                               {QStringLiteral("CDPRODINI"), a.firstProduct},
                                               {QStringLiteral("CDPRODFIN"), a.lastProduct},
                                               {QStringLiteral("TodosProd"), a.allProducts},
                                               {QStringLiteral("CDFILIAL"), a.branch},
                                               {QStringLiteral("NRCOLEPRECO"), a.number},
                                               {QStringLiteral("CDFORNECED"), a.supplier},
                                               {QStringLiteral("CDREGIAO"), a.region},
                                               {QStringLiteral("DTCOLEPREC"), dateValue(a.collectionDate)},
                                               {QStringLiteral("Prefixo"), a.prefix},
                                               {QStringLiteral("Operador"), a.operatorCode}},
                                              &refs);
    ReajustePrecoReply reply;
    reply.status = result.toString();
    reply.allProducts = refs.value(QStringLiteral("TodosProd"), a.allProducts).toString();
    reply.prefix = refs.value(QStringLiteral("Prefixo"), a.prefix).toString();
    return reply;
}

QString GridCotaPrecClient::cargMelhorsPrs(const QString &branch, const QString &number, const QDate &firstDate,
                                           const QDate &lastDate)
{
    return m_connection
        .call(method("CargMelhorsPrs"), {{QStringLiteral("CDFILIAL"), branch},
                                         {QStringLiteral("NRCOLEPRECO"), number},
                                         {QStringLiteral("DtInicial"), dateValue(firstDate)},
                                         {QStringLiteral("DtFinal"), dateValue(lastDate)}})
        .toString();
}

DataPacket GridCotaPrecClient::getObsItmCol(const QuotationItemKey &key)
{
    return packetOf(m_connection.call(method("GetObsItmCol"), itemKeyArgs(key)));
}

void GridCotaPrecClient::setObsItmCol(const QuotationItemKey &key, const QString &text, const QString &oldText)
{
    QVariantMap args = itemKeyArgs(key);
    args.insert(QStringLiteral("DSOBSITMCOL"), text);
    args.insert(QStringLiteral("DSOBSITMCOLANT"), oldText);
    Consiste::CheckResultServ(m_connection.call(method("SetObsItmCol"), args), true, 0);
}

QString GridCotaPrecClient::vdProdForn(const VdProdFornArgs &a)
{
    const QVariant result = m_connection.call(method("Vd_ProdForn"),
                                              {{QStringLiteral("CDFILIAL"), a.branch},
                                               {QStringLiteral("CDFORNECED"), a.supplier},
                                               {QStringLiteral("DTCOLEPREC"), dateValue(a.collectionDate)},
                                               {QStringLiteral("Produtos"), QVariant::fromValue(a.products)}});
    if (!Consiste::CheckResultServ(result, false, 0))
        return QString();
    return firstElement(result);
}

QString GridCotaPrecClient::incFornecedor(const IncFornecedorArgs &a)
{
    const QVariant result = m_connection.call(method("IncFornecedor"),
                                              {{QStringLiteral("CDFILIAL"), a.branch},
                                               {QStringLiteral("NRCOLEPRECO"), a.number},
                                               {QStringLiteral("CDFORNECED"), a.supplier},
                                               {QStringLiteral("Operador"), a.operatorCode},
                                               {QStringLiteral("CargaTodasReg"),
                                                a.allServedRegions ? QStringLiteral("S") : QStringLiteral("N")},
                                               {QStringLiteral("CDFORNCARG"), a.sourceSupplier},
                                               {QStringLiteral("CDREGICARG"), a.sourceRegion}});
    Consiste::CheckResultServ(result, true, 0);
    return firstElement(result);
}

void GridCotaPrecClient::exclForn(const ExclFornArgs &a)
{
    Consiste::CheckResultServ(m_connection.call(method("ExclForn"),
                                                {{QStringLiteral("CDFILIAL"), a.branch},
                                                 {QStringLiteral("NRCOLEPRECO"), a.number},
                                                 {QStringLiteral("CDFORNECED"), a.supplier},
                                                 {QStringLiteral("CDREGIAO"), scopeValue(a.allRegions, a.region)},
                                                 {QStringLiteral("TodasRegioes"), allMark(a.allRegions)}}),
                              true, 0);
}

DataPacket GridCotaPrecClient::getCotForns(const QString &branch, const QString &number)
{
    return packetOf(m_connection.call(method("GetCotForns"),
                                      {{QStringLiteral("CDFILIAL"), branch}, {QStringLiteral("NRCOLEPRECO"), number}}));
}

QString GridCotaPrecClient::vdRefoReg(const QString &region, const DataPacket &suppliers)
{
    return m_connection
        .call(method("Vd_RefoReg"),
              {{QStringLiteral("CDREGIAO"), region}, {QStringLiteral("Fornecedores"), QVariant::fromValue(suppliers)}})
        .toString();
}

QString GridCotaPrecClient::incRegiao(const IncRegiaoArgs &a)
{
    const QVariant result = m_connection.call(method("IncRegiao"),
                                              {{QStringLiteral("Fornecedores"), QVariant::fromValue(a.suppliers)},
                                               {QStringLiteral("CDREGIAO"), a.region},
                                               {QStringLiteral("CDFILIAL"), a.centralBranch},
                                               {QStringLiteral("NRCOLEPRECO"), a.number},
                                               {QStringLiteral("CDREGICARG"), a.sourceRegion},
                                               {QStringLiteral("Operador"), a.operatorCode},
                                               {QStringLiteral("DTCOLEPREC"), dateValue(a.collectionDate)}});
    Consiste::CheckResultServ(result, true, 0);
    return firstElement(result);
}

void GridCotaPrecClient::exclRegiao(const QString &branch, const QString &number, const QString &region,
                                    const QString &supplier)
{
    Consiste::CheckResultServ(m_connection.call(method("ExclRegiao"),
                                                {{QStringLiteral("CDFILIAL"), branch},
                                                 {QStringLiteral("NRCOLEPRECO"), number},
                                                 {QStringLiteral("CDREGIAO"), region},
                                                 {QStringLiteral("CDFORNECED"), scopeValue(false, supplier)}}),
                              true, 0);
}

void GridCotaPrecClient::exclProd(const ExclProdArgs &a)
{
    Consiste::CheckResultServ(m_connection.call(method("ExclProd"),
                                                {{QStringLiteral("CDFILIAL"), a.branch},
                                                 {QStringLiteral("NRCOLEPRECO"), a.number},
                                                 {QStringLiteral("CDPRODUTO"), a.product},
                                                 {QStringLiteral("TodasRegioes"), allMark(a.allRegions)},
                                                 {QStringLiteral("CDREGIAO"), scopeValue(a.allRegions, a.region)},
                                                 {QStringLiteral("TodosForn"), allMark(a.allSuppliers)},
                                                 {QStringLiteral("CDFORNECED"), scopeValue(a.allSuppliers, a.supplier)},
                                                 {QStringLiteral("TodasMarcas"), allMark(a.allBrands)},
                                                 {QStringLiteral("CDMARCA"), scopeValue(a.allBrands, a.brand)}}),
                              true, 0);
}
