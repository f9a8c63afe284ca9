// "Sup.rdmSuprimentos": GetConsulta, the package's look-ups for a host without database
// access.

#include "Arguments.h"
#include "LookupRunner.h"
#include "MethodTable.h"
#include "ServerObjects.h"
#include "ServerText.h"

namespace {

// The parameters as the client sent them: two arrays of one length, names as text and
// values of the kinds a parameter binds (no arrays, no packets).
QVariantMap lookupParameters(const CallContext &ctx, const QString &textName)
{
    const QVariantList names = ctx.arg(QStringLiteral("P_NMPARAMETROS")).toList();
    const QVariantList values = ctx.arg(QStringLiteral("P_VRPARAMETROS")).toList();
    const auto refuse = [&](const QString &why) {
        return ServerError::arguments(ServerText::message(QStringLiteral("Consulta_Parametros"), {textName, why}));
    };
    if (names.size() != values.size())
        throw refuse(ServerText::message(QStringLiteral("Consulta_Param_Qtde"),
                                         {QString::number(names.size()), QString::number(values.size())}));
    QVariantMap params;
    for (int i = 0; i < names.size(); ++i) {
        const QVariant &name = names.at(i);
        if (name.typeId() != QMetaType::QString || name.toString().trimmed().isEmpty())
            throw refuse(ServerText::message(QStringLiteral("Consulta_Param_Nome"), {QString::number(i)}));
        const QVariant &value = values.at(i);
        switch (value.typeId()) {
        case QMetaType::UnknownType:
        case QMetaType::Nullptr:
        case QMetaType::Bool:
        case QMetaType::Int:
        case QMetaType::LongLong:
        case QMetaType::UInt:
        case QMetaType::ULongLong:
        case QMetaType::Double:
        case QMetaType::QString:
        case QMetaType::QDate:
        case QMetaType::QDateTime:
            break;
        default:
            throw refuse(ServerText::message(QStringLiteral("Consulta_Param_Valor"),
                                             {name.toString(), MethodTable::valueTypeName(value)}));
        }
        params.insert(name.toString(), value.typeId() == QMetaType::Nullptr ? QVariant() : value);
    }
    return params;
}

// GetConsulta(text name, parameter names, parameter values): the rows of one of the
// package's own SQL texts, run read-only.  Any logged operator may ask: these are the
// look-ups the forms make, which a desktop with database access reads directly.
QVariant GetConsulta(CallContext &ctx)
{
    const QString textName = Arguments::text(ctx, QStringLiteral("P_NMCONSULTA")).trimmed();
    const QVariantMap params = lookupParameters(ctx, textName);
    return packetVariant(LookupRunner::run(ctx.db, textName, params));
}

} // namespace

void registerLookupMethods(MethodTable &table)
{
    table.implement(kSuprimentosObject, QStringLiteral("GetConsulta"), GetConsulta);
}
