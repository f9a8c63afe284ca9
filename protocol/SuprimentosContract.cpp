// "Sup.rdmSuprimentos": the procurement parameters, the password confirmation and the
// package's read-only look-ups.

#include "ContractDeclarations.h"

namespace Protocol {

QList<MethodContract> suprimentosMethods()
{
    return {
        {kSuprimentos,
         QStringLiteral("GetParaSupri"),
         {{QStringLiteral("P_CDFILIAL"), ArgType::String, QStringLiteral("central branch")}},
         QStringLiteral("ParaSupri"),
         QStringLiteral("one row of procurement parameters.")},
        {kSuprimentos,
         QStringLiteral("ConfSenha"),
         {{QStringLiteral("P_CDOPERADOR"), ArgType::String, QStringLiteral("operator whose password is asked"),
           false, false, false},
          {QStringLiteral("P_SENHA"), ArgType::String, QStringLiteral("the password typed"), false, false, false}},
         QString(),
         QStringLiteral("boolean, true when the password is the operator's; the confirmation is then "
                        "remembered by the connection's session.")},
        {kSuprimentos,
         QStringLiteral("GetConsulta"),
         {{QStringLiteral("P_NMCONSULTA"), ArgType::String,
           QStringLiteral("name of one of the package's SQL texts (`Cli_sup05209.qryRegiao`)"), false, false, false},
          {QStringLiteral("P_NMPARAMETROS"), ArgType::Array, QStringLiteral("parameter names, without ':'")},
          {QStringLiteral("P_VRPARAMETROS"), ArgType::Array,
           QStringLiteral("their values, in the same order (null, text, number, boolean, date, date-time)")}},
         QString(),
         QStringLiteral("a data packet with the text's columns (types as the query component gives them) and "
                        "rows, run read-only.")},
    };
}

} // namespace Protocol
