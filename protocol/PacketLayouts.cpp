// The field layout of every packet the server returns: the server builds its packets
// with these fields and the package's datasets take them as their field definitions.

#include "ContractDeclarations.h"

namespace Protocol {

namespace {

FieldDef s(const char *name, int size)
{
    return {QString::fromLatin1(name), FieldType::String, size};
}

FieldDef f(const char *name)
{
    return {QString::fromLatin1(name), FieldType::Float, 0};
}

FieldDef dt(const char *name)
{
    return {QString::fromLatin1(name), FieldType::DateTime, 0};
}

} // namespace

QHash<QString, QList<FieldDef>> packetLayouts()
{
    return {
        // The quotation list of the workspace (cdsColetapr).
        {QStringLiteral("Coletapr"),
         {s("CDFILIAL", 4), s("NRCOLEPRECO", 10), dt("DTCOLEPREC"), s("NRSEMAINIC", 2), s("NRSEMAFINAL", 2),
          dt("DTINIVALCOL"), dt("DTFINVALCOL"), s("CDOPERADOR", 12), s("NMOPERADOR", 40), s("IDTIPCOLREG", 1),
          s("IDDISMONTLIS", 1), s("DSOBSCOTPREC", 2000), s("IDSITUCOLETA", 1), s("NRCOMPRA", 10)}},
        // The suppliers quoted in the current quotation (cdsFornCotados).
        {QStringLiteral("FornCotados"),
         {s("IDTPIJURFORN", 1), s("NRINSJURFORN", 20), s("NMRAZSOCFORN", 40), s("NMFANTFORN", 40),
          s("NRCOLEPRECO", 10), s("CDFORNECED", 21)}},
        // The validity period the filter dialog starts with (cdsDadosFiltro).
        {QStringLiteral("DadosFiltro"), {dt("DTINIVALCOL"), dt("DTFINVALCOL")}},
        // The purchases a new quotation may be linked to (cdsCompra).
        {QStringLiteral("Compra"), {s("NRCOMPRA", 10), s("DSCOMPRA", 50), s("CDCOMPRADOR", 12), s("NMOPERADOR", 40)}},
        // The brands of the brand searches and checks (cdsPesqMarca).
        {QStringLiteral("PesqMarca"), {s("IDMARCADO", 1), s("CDMARCA", 5), s("NMMARCA", 200)}},
        // The quotation's regions (cdsGridRegiao).
        {QStringLiteral("GridRegiao"), {s("CDREGIAO", 3), s("NMREGIAO", 30)}},
        // The suppliers of one region of the quotation (cdsGridFornecedor).
        {QStringLiteral("GridFornecedor"),
         {s("NRCOLEPRECO", 10), s("CDREGIAO", 3), s("CDFORNECED", 21), s("IDTPIJURFORN", 1), s("IDFORNCOT", 1),
          s("NRINSJURFORN", 20), s("NMFANTFORN", 40)}},
        // One supplier's items in one region (cdsGridProdMarc).  ALTERADO is the client's
        // change marker and always comes as "N".
        {QStringLiteral("GridProdMarc"),
         {{QStringLiteral("ALTERADO"), FieldType::FixedString, 1}, s("CDFILIAL", 4), s("NRCOLEPRECO", 10),
          s("CDREGIAO", 3), s("CDFORNECED", 21), s("CDPRODUTO", 10), s("CDARVPROD", 20), s("NMPRODUTO", 50),
          s("SGUNIDADE", 10), s("CDMARCA", 5), s("NMMARCA", 20), f("VRPRECUNIITM"), f("VRPRECECOITM"),
          f("VRPRECOITMPI"), f("QTACMPITMCOL"), f("VRPERDESITM"), s("IDITMCOTPREC", 1), s("IDITMLISPREC", 1),
          s("IDPRECALT", 1), s("NRSEQPRELIST", 10), s("DSJUSTOPER", 100), s("DSALTERITMCOT", 500),
          f("QTDISPPRODMARC")}},
        // Each supplier of a quotation once (supplier insertion).
        {QStringLiteral("DistForns"),
         {s("CDFORNECED", 21), s("NRINSJURFORN", 20), s("NMRAZSOCFORN", 40), s("NMFANTFORN", 40),
          s("IDTPIJURFORN", 1)}},
        // One supplier's items in every region of a quotation (supplier price sheets).
        {QStringLiteral("ItensForn"),
         {s("CDFILIAL", 4), s("NRCOLEPRECO", 10), s("CDREGIAO", 3), s("NMREGIAO", 30), s("CDFORNECED", 21),
          s("CDPRODUTO", 10), s("CDARVPROD", 20), s("NMPRODUTO", 50), s("SGUNIDADE", 10), s("CDMARCA", 5),
          s("NMMARCA", 20), f("QTACMPITMCOL"), f("VRPRECUNIITM"), s("DSJUSTOPER", 100), s("DSALTERITMCOT", 500),
          s("IDITMCOTPREC", 1), dt("DTHRALTE"), s("IDTIPCOLREG", 1)}},
        // The inconsistencies of validated items (cdsErrosCota); IDERRO holds eight flags.
        {QStringLiteral("ErrosCota"),
         {s("CDREGIAO", 3), s("CDFORNECED", 21), s("CDPRODUTO", 10), s("CDMARCA", 5), s("IDERRO", 8)}},
        // The procurement parameters of a central branch (cdsParaSupri).
        {QStringLiteral("ParaSupri"),
         {s("CDFILIAL", 4), s("IDUTISTATCOT", 1), s("IDAUDALTCOT", 1), s("IDUMPRODCMP", 1), s("IDUTLPROCMP", 1),
          s("IDULTIDTVALQ", 1), s("IDPERMREPLICREG", 1), s("IDPERMREPLICFOR", 1), s("IDUTILCONSSOLIOL", 1),
          s("IDCOTCONCLUI", 1)}},
        // The OL suppliers a copy may be restricted to (cdsPesqForn of the copy dialog).
        {QStringLiteral("PesqFornOL"),
         {s("IDMARCADO", 1), s("CDFORNECED", 21), s("IDTPIJURFORN", 1), s("NRINSJURFORN", 20),
          s("NMRAZSOCFORN", 100), s("NMFANTFORN", 40)}},
        // The last validity of a branch's quotations, where the copy's new validity starts
        // (cdsDadosTela).
        {QStringLiteral("DadDuplica"), {s("NRSEMAFINAL", 2), dt("DTFINVALCOL")}},
        // The buyers whose quotations a copy may take (cdsComprador of the copy dialog).
        {QStringLiteral("Comprador"), {s("IDMARCADO", 1), s("CDOPERADOR", 12), s("NMOPERADOR", 40)}},
        // The regions of the current quotation (cdsRegiaoCorr).
        {QStringLiteral("RegiaoCorr"), {s("IDMARCADO", 1), s("CDREGIAO", 3), s("NMREGIAO", 30)}},
        // The quotations of a validity a validity change may move (cdsCotacao).
        {QStringLiteral("Cotacao"),
         {{QStringLiteral("IDMARCADO"), FieldType::FixedString, 1}, s("NRCOLEPRECO", 10), dt("DTCOLEPREC"),
          dt("DTINIVALCOL"), dt("DTFINVALCOL"), s("CDOPERADOR", 12), s("NMOPERADOR", 40)}},
        // The consultation sheet: the quotation's regions with the all-regions row
        // (cdsServRegiao), one record per item with its composite keys and details
        // (cdsAltCotacao, cdsStringList), and the history of one item.
        {QStringLiteral("ServRegiao"), {s("CDREGIAO", 3), s("NMREGIAO", 30), s("NRCOLEPRECO", 10)}},
        {QStringLiteral("StringList"),
         {s("COCREGIAO", 35), s("COCFORNECED", 63), s("COCPRODUTO", 91), f("CONTA"), f("PRECOUNIT"), f("PRECOECON"),
          f("PRECOECONPI"), f("QTDE"), s("UN", 5), f("VRPERDESITM"), s("IDCOTALTER", 1), s("CDARVPROD", 20)}},
        {QStringLiteral("Historico"),
         {f("P_VRULTCOT_PRUN"), f("P_VRULTCOT_ECO"), dt("P_DTINIVAL_ULTCOT"), dt("P_DTFINVAL_ULTCOT"),
          f("P_PERVARIACAO"), s("P_NMFORN_NORM", 40), f("P_VRFNORM_PRUN"), f("P_VRFNORM_ECO"),
          dt("P_DTINIVAL_MINPRFN"), dt("P_DTFINVAL_MINPRFN"), s("P_NMFORN_ALTER", 40), f("P_VRFALTER_PRUN"),
          f("P_VRFALTER_ECO"), dt("P_DTINIVAL_MINPRFA"), dt("P_DTFINVAL_MINPRFA")}},
        // The payment term of each supplier of a quotation after its update.
        {QStringLiteral("FormPgtoCota"),
         {s("CDFORNECED", 21), s("NMFANTFORN", 40), s("CDFORMPGTO", 3), s("DSFORMPGTO", 40), f("QTITENS")}},
        // A product's prices across the regions and suppliers of a quotation (negotiation
        // and simulation module).
        {QStringLiteral("SimulacaoItem"),
         {s("CDREGIAO", 3), s("NMREGIAO", 30), s("CDFORNECED", 21), s("IDTPIJURFORN", 1), s("NRINSJURFORN", 20),
          s("NMFANTFORN", 40), s("CDPRODUTO", 10), s("CDARVPROD", 20), s("NMPRODUTO", 50), s("CDMARCA", 5),
          s("NMMARCA", 20), f("VRPRECUNIITM"), f("QTACMPITMCOL"), f("VRTOTITEM"), f("VRTOTFORN"),
          s("DSFORMPGTO", 40), s("IDMELHORPR", 1), s("IDITEMATUAL", 1)}},
        // An item's rows in its quotation and its price history (spreadsheet information
        // module).
        {QStringLiteral("PlanilhaItem"),
         {s("IDTIPOLINHA", 1), s("NRCOLEPRECO", 10), dt("DTCOLEPREC"), dt("DTINIVALCOL"), dt("DTFINVALCOL"),
          s("CDREGIAO", 3), s("NMREGIAO", 30), s("CDFORNECED", 21), s("NMFANTFORN", 40), s("CDPRODUTO", 10),
          s("CDARVPROD", 20), s("NMPRODUTO", 50), s("CDMARCA", 5), s("NMMARCA", 20), f("VRPRECUNIITM"),
          f("QTACMPITMCOL"), f("VRPERDESITM"), s("DSOBSITMCOL", 1000)}},
        // The observation of one quotation item (cdsObsItmCol).
        {QStringLiteral("ObsItmCol"), {s("DSOBSITMCOL", 1000)}},
    };
}

} // namespace Protocol
