// "Sup.rdmSuprimentos": the procurement parameters and the password confirmation.

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
    };
}

} // namespace Protocol
