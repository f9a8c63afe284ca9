#include "Lib00700.h"

#include "Consiste.h"
#include "Corvane.h"
#include "NetConnection.h"
#include "ShowAvi.h"
#include "SuprimentosClient.h"
#include "TMessages.h"
#include "UserInterface.h"

#include <memory>

namespace Lib00700 {

namespace {

// One connection for every confirmation of the process, opened on first use.
NetConnection &connection()
{
    static std::unique_ptr<NetConnection> c;
    if (!c) {
        c = std::make_unique<NetConnection>();
        c->setServerName(QStringLiteral("Sup.rdmSuprimentos"));
        c->beforeConnect = [](NetConnection &n) {
            n.setHost(Corvane::WebURL());
            n.setPort(Corvane::WebPort());
        };
    }
    return *c;
}

} // namespace

bool CriaConfSenha(SuprimentosClient &client, const QString &operatorCode, const QString &title,
                   const QString &label)
{
    const QString code = Consiste::Ajusta(operatorCode, 12);
    const std::optional<QString> password = ui()->askPassword(code, title, label);
    if (!password)
        return false;

    bool confirmed = false;
    {
        ShowAviGuard avi(nullptr, ShowAviKind::Storing);
        confirmed = client.confSenha(code, *password);
    }
    if (!confirmed)
        ui()->showError(TMessages::padrao().Msg(QStringLiteral("Senha_Invalida")));
    return confirmed;
}

bool CriaConfSenha(const QString &operatorCode, const QString &title, const QString &label)
{
    NetConnection &net = connection();
    if (!net.connected()) {
        ShowAviGuard avi(nullptr, ShowAviKind::Storing);
        net.open();
    }
    SuprimentosClient client(net);
    return CriaConfSenha(client, operatorCode, title, label);
}

} // namespace Lib00700
