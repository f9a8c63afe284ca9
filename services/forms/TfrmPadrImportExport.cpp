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
    sbtImportExport = DialogParts::addButton(panBotoes, QStringLiteral("sbtImportExport"), tr("&Executar"),
                                             QStringLiteral("executar"));
    sbtCancel = DialogParts::addButton(panBotoes, QStringLiteral("sbtCancel"), tr("C&ancelar"),
                                       QStringLiteral("cancelar"));
    connect(sbtImportExport, &QToolButton::clicked, this, Consiste::guarded([this] { sbtImportExportClick(); }));
    connect(sbtCancel, &QToolButton::clicked, this, Consiste::guarded([this] { sbtCancelClick(); }));
}

void TfrmPadrImportExport::sbtImportExportClick() {}

void TfrmPadrImportExport::sbtCancelClick()
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
