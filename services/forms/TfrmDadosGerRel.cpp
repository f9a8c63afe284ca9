#include "TfrmDadosGerRel.h"

#include "Consiste.h"
#include "DialogParts.h"
#include "EventGuard.h"
#include "ReportRenderer.h"
#include "TMessages.h"
#include "UserInterface.h"

#include <QFrame>
#include <QToolButton>
#include <QVBoxLayout>

TfrmDadosGerRel::TfrmDadosGerRel(QWidget *parent)
    : QDialog(parent)
{
    const DialogParts::DialogFrame frame = DialogParts::frame(this, QStringLiteral("frmDadosGerRel"), QStringLiteral("panParametros"));
    msgPadrao = frame.msgPadrao;
    msgMensagensPadroes = frame.msgMensagensPadroes;
    panParametros = frame.client;
    panParametrosLayout = frame.clientLayout;
    QVBoxLayout *layout = frame.layout;

    panBotoes = DialogParts::buttonBar(this, QStringLiteral("panBotoes"));
    layout->addWidget(panBotoes);
    sbtVisualizar = DialogParts::addButton(panBotoes, QStringLiteral("sbtVisualizar"), tr("&Visualizar"),
                                           QStringLiteral("visualizar"));
    sbtImprimir = DialogParts::addButton(panBotoes, QStringLiteral("sbtImprimir"), tr("&Imprimir"),
                                         QStringLiteral("imprimir"));
    sbtPdf = DialogParts::addButton(panBotoes, QStringLiteral("sbtPdf"), tr("&PDF"), QStringLiteral("pdf"));
    sbtFechar = DialogParts::addButton(panBotoes, QStringLiteral("sbtFechar"), tr("&Fechar"),
                                       QStringLiteral("cancelar"));
    connect(sbtVisualizar, &QToolButton::clicked, this, Consiste::guarded([this] { sbtVisualizarClick(); }));
    connect(sbtImprimir, &QToolButton::clicked, this, Consiste::guarded([this] { sbtImprimirClick(); }));
    connect(sbtPdf, &QToolButton::clicked, this, Consiste::guarded([this] { sbtPdfClick(); }));
    connect(sbtFechar, &QToolButton::clicked, this, Consiste::guarded([this] { sbtFecharClick(); }));
}

QString TfrmDadosGerRel::reportTitle() const
{
    return m_title.isEmpty() ? windowTitle() : m_title;
}

void TfrmDadosGerRel::declareParam(const QString &name, const QVariant &value)
{
    m_params.insert(name, value);
}

void TfrmDadosGerRel::setParamValue(const QString &name, const QVariant &value)
{
    if (m_params.contains(name))
        m_params.insert(name, value);
}

void TfrmDadosGerRel::BeforeParams() {}

ReportDocument TfrmDadosGerRel::reportDocument()
{
    ReportDocument document;
    document.title = reportTitle();
    document.code = m_code;
    return document;
}

ReportDocument TfrmDadosGerRel::prepareReport()
{
    BeforeParams();
    return reportDocument();
}

void TfrmDadosGerRel::sbtVisualizarClick()
{
    const ReportDocument document = prepareReport();
    ui()->previewDocument(reportTitle(), [document](QPagedPaintDevice &device) {
        return ReportRenderer::render(document, device);
    });
}

void TfrmDadosGerRel::sbtImprimirClick()
{
    const ReportDocument document = prepareReport();
    ui()->printDocument(reportTitle(), [document](QPagedPaintDevice &device) {
        return ReportRenderer::render(document, device);
    });
}

void TfrmDadosGerRel::sbtPdfClick()
{
    const std::optional<QString> fileName =
        ui()->askSaveFileName(reportTitle(), reportTitle() + QStringLiteral(".pdf"), QStringLiteral("PDF (*.pdf)"));
    if (fileName)
        exportPdf(*fileName);
}

void TfrmDadosGerRel::sbtFecharClick()
{
    reject();
}

bool TfrmDadosGerRel::exportPdf(const QString &fileName)
{
    m_pages = ReportRenderer::exportPdf(prepareReport(), fileName);
    return m_pages > 0;
}
