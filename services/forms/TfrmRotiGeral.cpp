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
    const DialogParts::DialogFrame frame = DialogParts::frame(this, QStringLiteral("frmRotiGeral"), QStringLiteral("panClient"));
    msgPadrao = frame.msgPadrao;
    msgMensagensPadroes = frame.msgMensagensPadroes;
    panClient = frame.client;
    panClientLayout = frame.clientLayout;
    QVBoxLayout *layout = frame.layout;

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
