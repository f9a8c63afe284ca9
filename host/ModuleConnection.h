#pragma once

#include "GridCotaPrecClient.h"

#include <memory>

class NetConnection;

// The connection a module of the host opens of its own to the quotation server object
// "Sup05200.rdmGridCotaPrec", on the session's server address and credentials, and the
// typed client over it.  Opened on first use, closed with the object.
class ModuleConnection
{
public:
    ModuleConnection();
    ~ModuleConnection();
    ModuleConnection(const ModuleConnection &) = delete;
    ModuleConnection &operator=(const ModuleConnection &) = delete;

    // Connects when needed; raises NetError.
    GridCotaPrecClient &gridCotaPrec();

private:
    std::unique_ptr<NetConnection> m_net;
    std::unique_ptr<GridCotaPrecClient> m_client;
};
