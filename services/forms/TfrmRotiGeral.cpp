#include "TfrmRotiGeral.h"

#include "Consiste.h"
#include "DialogParts.h"
#include "EventGuard.h"
#include "TMessages.h"

#include <QFrame>
#include <QToolButton>
#include <QVBoxLayout>

TfrmRotiGeral::TfrmRotiGeral(QWidget *parent)
    : QDialog(parent)
{
    EventGuard::setRunner(&Consiste::runGuarded);
    setObjectName(QStringLiteral("frmRotiGeral"));
    msgPadrao = new TMessages(this);
    msgPadrao->setObjectName(QStringLiteral("msgPadrao"));
    msgMensagensPadroes = new TMessages(QStringLiteral("padrao"), this);
    msgMensagensPadroes->setObjectName(QStringLiteral("msgMensagensPadroes"));

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    panClient = new QWidget(this);
    panClient->setObjectName(QStringLiteral("panClient"));
    panClientLayout = new QVBoxLayout(panClient);
    panClientLayout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(panClient, 1);

    panBotoes = DialogParts::buttonBar(this, QStringLiteral("panBotoes"));
    layout->addWidget(panBotoes);
    sbtConfirmar = DialogParts::addButton(panBotoes, QStringLiteral("sbtConfirmar"), tr("&Confirmar"),
                                          QStringLiteral("confirmar"));
    sbtCancelar = DialogParts::addButton(panBotoes, QStringLiteral("sbtCancelar"), tr("C&ancelar"),
                                         QStringLiteral("cancelar"));
    connect(sbtConfirmar, &QToolButton::clicked, this, Consiste::guarded([this] { sbtConfirmarClick(); }));
    connect(sbtCancelar, &QToolButton::clicked, this, Consiste::guarded([this] { sbtCancelarClick(); }));
}

void TfrmRotiGeral::sbtConfirmarClick() {}

void TfrmRotiGeral::sbtCancelarClick()
{
    reject();
}
