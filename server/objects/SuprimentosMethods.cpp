// "Sup.rdmSuprimentos": the procurement parameters of a central purchasing branch.

#include "AccessRules.h"
#include "Arguments.h"
#include "Codes.h"
#include "Database.h"
#include "MethodTable.h"
#include "PacketBuilder.h"
#include "ServerObjects.h"
#include "ServerText.h"

#include <QSqlQuery>

namespace {

// GetParaSupri(central branch): one row.  A branch that is not central answers with
// its central branch's parameters; a central branch without parameters gets the
// defaults of the PARASUPRI table.
QVariant GetParaSupri(CallContext &ctx)
{
    const QString branch = Arguments::requiredCode(ctx, QStringLiteral("P_CDFILIAL"), 4, QStringLiteral("Nome_Filial"));
    const QString central = AccessRules::centralBranch(ctx.db, branch);
    if (central.isEmpty())
        throw ServerError::arguments(ServerText::message(QStringLiteral("Filial_N_Cad"), {branch}));
    PacketBuilder packet(ctx.method);
    ctx.db.readNamed(QStringLiteral("GetParaSupri"), {{QStringLiteral("P_CDFILIAL"), central}},
                     [&packet](QSqlQuery &q) { packet.addRows(q); });
    if (packet.packet().rowCount() == 0)
        packet.addRow({central, "S", "S", "N", "N", "D", "S", "S", "N", "S"});
    return packet.result();
}

} // namespace

void registerSuprimentosMethods(MethodTable &table)
{
    table.implement(kSuprimentosObject, QStringLiteral("GetParaSupri"), GetParaSupri);
}
