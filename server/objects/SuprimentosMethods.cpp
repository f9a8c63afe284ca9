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

const QList<FieldDef> kParaSupriFields = {
    {QStringLiteral("CDFILIAL"), FieldType::String, 4},
    {QStringLiteral("IDUTISTATCOT"), FieldType::String, 1},
    {QStringLiteral("IDAUDALTCOT"), FieldType::String, 1},
    {QStringLiteral("IDUMPRODCMP"), FieldType::String, 1},
    {QStringLiteral("IDUTLPROCMP"), FieldType::String, 1},
    {QStringLiteral("IDULTIDTVALQ"), FieldType::String, 1},
    {QStringLiteral("IDPERMREPLICREG"), FieldType::String, 1},
    {QStringLiteral("IDPERMREPLICFOR"), FieldType::String, 1},
    {QStringLiteral("IDUTILCONSSOLIOL"), FieldType::String, 1},
};

// GetParaSupri(central branch): one row.  A branch that is not central answers with
// its central branch's parameters; a central branch without parameters gets the
// defaults of the PARASUPRI table.
QVariant GetParaSupri(CallContext &ctx)
{
    const QString branch = Arguments::requiredCode(ctx, 0, 4, QStringLiteral("Filial"));
    const QString central = AccessRules::centralBranch(ctx.db, branch);
    if (central.isEmpty())
        throw ServerError::arguments(ServerText::message(QStringLiteral("Filial_N_Cad"), {branch}));
    QSqlQuery q = ctx.db.execNamed(QStringLiteral("GetParaSupri"), {{QStringLiteral("P_CDFILIAL"), central}});
    PacketBuilder packet(kParaSupriFields);
    packet.addRows(q);
    if (packet.packet().rowCount() == 0)
        packet.addRow({central, "S", "S", "N", "N", "D", "S", "S", "N"});
    return packet.result();
}

} // namespace

void registerSuprimentosMethods(MethodTable &table)
{
    table.add({kSuprimentosObject, QStringLiteral("GetParaSupri"),
               {{QStringLiteral("P_CDFILIAL"), ArgType::String}}, GetParaSupri, {}});
}
