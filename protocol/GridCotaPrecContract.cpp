// "Sup05200.rdmGridCotaPrec": every quotation method.

#include "ContractDeclarations.h"

namespace Protocol {

namespace {

ArgDecl text(const char *name, const char *meaning, bool byRef = false)
{
    return {QString::fromLatin1(name), ArgType::String, QString::fromUtf8(meaning), byRef};
}

ArgDecl operatorArg(const char *name, const char *meaning)
{
    return {QString::fromLatin1(name), ArgType::String, QString::fromUtf8(meaning), false, true};
}

} // namespace

QList<MethodContract> gridCotaPrecMethods()
{
    const ArgType date = ArgType::Date;
    const ArgType boolean = ArgType::Boolean;
    return {
        {kGridCotaPrec,
         QStringLiteral("GetFornCotados"),
         {text("CDFILIAL", "branch of the quotation"), text("NRCOLEPRECO", "quotation number")},
         QStringLiteral("FornCotados"),
         QStringLiteral("the suppliers taking part in any region of the quotation.")},
        {kGridCotaPrec,
         QStringLiteral("GetColetaPr"),
         {text("CDFILIAL", "central branch"),
          text("ListaComprador", "buyer list", true),
          text("TodosComprador", "all-buyers mark", true),
          {QStringLiteral("DtInicial"), date, QStringLiteral("first validity date"), true},
          {QStringLiteral("DtFinal"), date, QStringLiteral("last validity date"), true},
          text("TodasDatas", "all-dates mark", true),
          text("ListaForn", "supplier list", true),
          text("TodosForn", "all-suppliers mark", true),
          text("ListaRegiao", "region list", true),
          text("TodasRegioes", "all-regions mark", true)},
         QStringLiteral("Coletapr"),
         QStringLiteral("the quotations of the branch the filter selects, by number.")},
        {kGridCotaPrec,
         QStringLiteral("GetDadosFiltro"),
         {text("CDFILIAL", "central branch"), operatorArg("CDOPERADOR", "logged operator")},
         QStringLiteral("DadosFiltro"),
         QStringLiteral("one row: the validity period the filter starts with.")},
        {kGridCotaPrec,
         QStringLiteral("Verif_Lista"),
         {text("CDFILIAL", "branch of the quotation"),
          text("NRCOLEPRECO", "quotation number"),
          text("CDREGIAO", "region, blank for all", true),
          text("CDFORNECED", "supplier, blank for all"),
          text("CDPRODUTO", "product, blank for all"),
          text("CDMARCA", "brand, blank for all")},
         QString(),
         QStringLiteral("boolean, true when an item of the quotation within the scope belongs to a price list.")},
        {kGridCotaPrec,
         QStringLiteral("DelColetaPr"),
         {text("CDFILIAL", "branch of the quotation"), text("NRCOLEPRECO", "quotation number"),
          operatorArg("CDOPERADOR", "logged operator")},
         QString(),
         QStringLiteral("\"\" when deleted, else the refusal text.")},
        {kGridCotaPrec,
         QStringLiteral("SetItemCole"),
         {{QStringLiteral("DeltaColetapr"), ArgType::Variant, QStringLiteral("header delta of the quotation list, or null"), true},
          {QStringLiteral("DeltaGridProdMarc"), ArgType::Variant, QStringLiteral("item delta of the product/brand grid, or null"), true},
          {QStringLiteral("DTCOLEPREC"), date, QStringLiteral("collection date")},
          {QStringLiteral("TodasRegioes"), boolean, QStringLiteral("apply item changes to all regions")},
          text("FiliProc", "logged branch"),
          operatorArg("Operador", "logged operator"),
          {QStringLiteral("TodosForn"), boolean, QStringLiteral("apply item changes to all suppliers")},
          text("TODASREG", "scope text \"all regions\""),
          text("UMAREG", "scope text \"this region\""),
          text("TODOSFORN", "scope text \"all suppliers\""),
          text("UMFORN", "scope text \"this supplier\""),
          {QStringLiteral("boConsulta"), boolean, QStringLiteral("workspace started on a packet")},
          text("NRCOMPRA", "purchase of the quotation"),
          text("CDOPERADOR", "buyer of the quotation"),
          {QStringLiteral("DTINIVALCOL"), date, QStringLiteral("first validity date")},
          {QStringLiteral("DTFINVALCOL"), date, QStringLiteral("last validity date")}},
         QString(),
         QStringLiteral("`true` when every change was stored.")},
    };
}

} // namespace Protocol
