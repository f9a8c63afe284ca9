#include "TfrmPadrImportExport.h"

#include "Consiste.h"
#include "DialogParts.h"
#include "EventGuard.h"
#include "TMessages.h"

#include <QFrame>
#include <QLabel>
#include <QProgressBar>
#include <QToolButton>
#include <QVBoxLayout>

TfrmPadrImportExport::TfrmPadrImportExport(QWidget *parent)
    : QDialog(parent)
{
    const DialogParts::DialogFrame frame = DialogParts::frame(this, QStringLiteral("frmPadrImportExport"), QStringLiteral("panClient"));
    msgPadrao = frame.msgPadrao;
    msgMensagensPadroes = frame.msgMensagensPadroes;
    panClient = frame.client;
    panClientLayout = frame.clientLayout;
    QVBoxLayout *layout = frame.layout;

    panProgresso = new QFrame(this);
    panProgresso->setObjectName(QStringLiteral("panProgresso"));
    panProgresso->setFrameShape(QFrame::StyledPanel);
    auto *progressLayout = new QVBoxLayout(panProgresso);
    lblProgresso = new QLabel(panProgresso);
    lblProgresso->setObjectName(QStringLiteral("lblProgresso"));
    pgbProgresso = new QProgressBar(panProgresso);
    pgbProgresso->setObjectName(QStringLiteral("pgbProgresso"));
    progressLayout->addWidget(lblProgresso);
    progressLayout->addWidget(pgbProgresso);
    panProgresso->hide();
    layout->addWidget(panProgresso);

    panBotoes = DialogParts::buttonBar(this, QStringLiteral("panBotoes"));
    layout->addWidget(panBotoes);
    sbtConfirmar = DialogParts::addButton(panBotoes, QStringLiteral("sbtConfirmar"), tr("&Executar"),
                                          QStringLiteral("executar"));
    sbtCancelar = DialogParts::addButton(panBotoes, QStringLiteral("sbtCancelar"), tr("C&ancelar"),
                                         QStringLiteral("cancelar"));
    connect(sbtConfirmar, &QToolButton::clicked, this, Consiste::guarded([this] { sbtConfirmarClick(); }));
    connect(sbtCancelar, &QToolButton::clicked, this, Consiste::guarded([this] { sbtCancelarClick(); }));
}

void TfrmPadrImportExport::sbtConfirmarClick() {}

void TfrmPadrImportExport::sbtCancelarClick()
{
    reject();
}

void TfrmPadrImportExport::setProgress(int position, int total, const QString &text)
{
    panProgresso->show();
    pgbProgresso->setRange(0, qMax(0, total));
    pgbProgresso->setValue(qBound(0, position, qMax(0, total)));
    if (!text.isNull())
        lblProgresso->setText(text);
    panProgresso->repaint();
}

void TfrmPadrImportExport::hideProgress()
{
    panProgresso->hide();
    lblProgresso->clear();
    pgbProgresso->reset();
}
