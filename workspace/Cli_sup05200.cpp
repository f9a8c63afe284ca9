#include "Cli_sup05200.h"
#include "ui_Cli_sup05200.h"

#include "Corvane.h"
#include "NetConnection.h"

#include <QMdiSubWindow>

TfrmGridCotaPrec *frmGridCotaPrec = nullptr;
bool boStCriado = false;
bool boConsulta = false;
QVariant OlColetaPr;
int ActiveRow = 0;
int ActiveCol = 0;

TfrmGridCotaPrec::TfrmGridCotaPrec(QWidget *parent)
    : QWidget(parent)
    , m_ui(std::make_unique<Ui::TfrmGridCotaPrec>())
{
    m_ui->setupUi(this);

    netGridCotaPrec = new NetConnection(this);
    netGridCotaPrec->setObjectName(QStringLiteral("netGridCotaPrec"));
    setUpConnection(netGridCotaPrec, QStringLiteral("Sup05200.rdmGridCotaPrec"));

    netSuprimentos = new NetConnection(this);
    netSuprimentos->setObjectName(QStringLiteral("netSuprimentos"));
    setUpConnection(netSuprimentos, QStringLiteral("Sup.rdmSuprimentos"));
}

TfrmGridCotaPrec::~TfrmGridCotaPrec()
{
    // Destroyed without closing (the host ends with the workspace open): the hook must
    // not outlive the form.
    if (!m_closed && boStCriado && frmGridCotaPrec == this)
        boStCriado = false;
    if (m_active)
        Corvane::clearMsgEventForm();
    if (frmGridCotaPrec == this)
        frmGridCotaPrec = nullptr;
}

void TfrmGridCotaPrec::setUpConnection(NetConnection *connection, const QString &serverName)
{
    connection->setServerName(serverName);
    connection->setThrowException(false);
    connection->beforeConnect = [](NetConnection &net) {
        net.setHost(Corvane::WebURL());
        net.setPort(Corvane::WebPort());
    };
}

void TfrmGridCotaPrec::FormCreate()
{
    netGridCotaPrec->open();
    netSuprimentos->open();
}

QWidget *TfrmGridCotaPrec::frame()
{
    if (auto *sub = qobject_cast<QMdiSubWindow *>(parentWidget()))
        return sub;
    return this;
}
