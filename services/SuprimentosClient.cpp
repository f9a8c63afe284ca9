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
