#include "ModuleConnection.h"

#include "Corvane.h"
#include "NetConnection.h"
#include "ProtocolContract.h"

ModuleConnection::ModuleConnection()
    : m_net(std::make_unique<NetConnection>())
    , m_client(std::make_unique<GridCotaPrecClient>(*m_net))
{
    m_net->setObjectName(QStringLiteral("netGridCotaPrec"));
    m_net->setServerName(Protocol::kGridCotaPrec);
    m_net->beforeConnect = [](NetConnection &n) {
        n.setHost(Corvane::WebURL());
        n.setPort(Corvane::WebPort());
    };
}

ModuleConnection::~ModuleConnection()
{
    if (m_net->connected())
        m_net->close();
}

GridCotaPrecClient &ModuleConnection::gridCotaPrec()
{
    if (!m_net->connected())
        m_net->open();
    return *m_client;
}
