// The methods that only read.  The client sends one of them again, once, after a
// connection dropped before its answer; any other method is taken to write and is never
// sent twice by the connection.

#include "ProtocolContract.h"

namespace Protocol {

const QStringList &readOnlyMethods()
{
    static const QStringList names = [] {
        QStringList out;
        for (const char *name : {"GetParaSupri"})
            out << kSuprimentos + QLatin1Char('.') + QLatin1String(name);
        for (const char *name :
             {"GetColetaPr", "GetDadosFiltro", "GetFornCotados", "GetDetalhes", "GetCompra", "getPesqMarca",
              "GetGridRegiao", "GetGridFornecedor", "GetGridProdMarc", "GetDistForns", "GetItensForn", "ValidaDados",
              "Verif_Lista", "GetVerPrZero", "GetPesqFornOL", "GetDadDuplica", "GetComprador", "GetRegiaoCorr",
              "GetConsCotAn", "GetCotacao", "GetServRegiao", "GetStringList", "GetHistorico", "GetSimulacaoItem",
              "GetPlanilhaItem", "GetObsItmCol", "Vd_ProdForn", "GetCotForns", "Vd_RefoReg"})
            out << kGridCotaPrec + QLatin1Char('.') + QLatin1String(name);
        return out;
    }();
    return names;
}

} // namespace Protocol
