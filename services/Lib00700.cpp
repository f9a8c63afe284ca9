#include "Lib00700.h"

#include "Consiste.h"
#include "Corvane.h"
#include "NetConnection.h"
#include "ShowAvi.h"
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

bool CriaConfSenha(const QString &operatorCode, const QString &title, const QString &label)
{
    const QString code = Consiste::Ajusta(operatorCode, 12);
    const std::optional<QString> password = ui()->askPassword(code, title, label);
    if (!password)
        return false;

    NetConnection &net = connection();
    bool confirmed = false;
    {
        ShowAviGuard avi(nullptr, ShowAviKind::Storing);
        if (!net.connected())
            net.open();
        confirmed = net.call(QStringLiteral("ConfSenha"), {NetArg(code), NetArg(*password)}).toBool();
    }
    if (!confirmed)
        ui()->showError(TMessages::padrao().Msg(QStringLiteral("Senha_Invalida")));
    return confirmed;
}

} // namespace Lib00700
