#include "SuprimentosClient.h"

#include "Consiste.h"
#include "NetConnection.h"
#include "ProtocolContract.h"

namespace {

const MethodContract &method(const char *name)
{
    return Protocol::method(Protocol::kSuprimentos, QLatin1String(name));
}

} // namespace

DataPacket SuprimentosClient::getParaSupri(const QString &centralBranch)
{
    const QVariant result = m_connection.call(method("GetParaSupri"), {{QStringLiteral("P_CDFILIAL"), centralBranch}});
    DataPacket packet;
    Consiste::CheckResultServ(result, true, 0, &packet);
    return packet;
}

bool SuprimentosClient::confSenha(const QString &operatorCode, const QString &password)
{
    return m_connection
        .call(method("ConfSenha"), {{QStringLiteral("P_CDOPERADOR"), operatorCode}, {QStringLiteral("P_SENHA"), password}})
        .toBool();
}

DataPacket SuprimentosClient::getConsulta(const QString &textName, const QStringList &paramNames,
                                          const QVariantList &paramValues)
{
    QVariantList names;
    for (const QString &name : paramNames)
        names << name;
    const QVariant result = m_connection.call(method("GetConsulta"),
                                              {{QStringLiteral("P_NMCONSULTA"), textName},
                                               {QStringLiteral("P_NMPARAMETROS"), names},
                                               {QStringLiteral("P_VRPARAMETROS"), paramValues}});
    DataPacket packet;
    Consiste::CheckResultServ(result, true, 0, &packet);
    return packet;
}
