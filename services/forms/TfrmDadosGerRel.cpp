#include "TfrmDadosGerRel.h"

#include "Consiste.h"
#include "DialogParts.h"
#include "EventGuard.h"
#include "TMessages.h"

#include <QDateTime>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintPreviewDialog>
#include <QPrinter>
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
    sbtPdf = DialogParts::addButton(panBotoes, QStringLiteral("sbtPdf"), tr("&PDF"), QStringLiteral("pdf"));
    sbtFechar = DialogParts::addButton(panBotoes, QStringLiteral("sbtFechar"), tr("&Fechar"),
                                       QStringLiteral("cancelar"));
    connect(sbtVisualizar, &QToolButton::clicked, this, Consiste::guarded([this] { sbtVisualizarClick(); }));
    connect(sbtPdf, &QToolButton::clicked, this, Consiste::guarded([this] { sbtPdfClick(); }));
    connect(sbtFechar, &QToolButton::clicked, this, Consiste::guarded([this] { sbtFecharClick(); }));
}

QString TfrmDadosGerRel::reportTitle() const
{
    return m_title.isEmpty() ? windowTitle() : m_title;
}

void TfrmDadosGerRel::sbtVisualizarClick()
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setDocName(reportTitle());
    QPrintPreviewDialog preview(&printer, this);
    preview.setWindowTitle(reportTitle());
    connect(&preview, &QPrintPreviewDialog::paintRequested, this, [this](QPrinter *target) {
        Consiste::runGuarded([this, target] { runReport(*target); });
    });
    preview.exec();
}

void TfrmDadosGerRel::sbtPdfClick()
{
    const QString fileName = QFileDialog::getSaveFileName(this, reportTitle(),
                                                          reportTitle() + QStringLiteral(".pdf"),
                                                          QStringLiteral("PDF (*.pdf)"));
    if (!fileName.isEmpty())
        exportPdf(fileName);
}

void TfrmDadosGerRel::sbtFecharClick()
{
    reject();
}

bool TfrmDadosGerRel::exportPdf(const QString &fileName)
{
    QPdfWriter writer(fileName);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setResolution(300);
    writer.setTitle(reportTitle());
    writer.setCreator(QStringLiteral("SUP05200"));
    runReport(writer);
    return m_pages > 0 && QFileInfo::exists(fileName);
}

void TfrmDadosGerRel::runReport(QPagedPaintDevice &device)
{
    m_pages = 0;
    QPainter painter;
    if (!painter.begin(&device))
        return;
    m_pages = 1;
    paintReport(painter, device);
    painter.end();
}

void TfrmDadosGerRel::paintReport(QPainter &painter, QPagedPaintDevice &device)
{
    paintPageHeader(painter, device, 1);
}

int TfrmDadosGerRel::paintPageHeader(QPainter &painter, QPagedPaintDevice &device, int pageNumber)
{
    const int width = device.width();
    const int line = painter.fontMetrics().height();
    QFont bold = painter.font();
    bold.setBold(true);
    painter.save();
    painter.setFont(bold);
    painter.drawText(QRect(0, 0, width, line), Qt::AlignLeft, reportTitle());
    painter.restore();
    painter.drawText(QRect(0, 0, width, line), Qt::AlignRight,
                     tr("Página %1").arg(pageNumber));
    painter.drawText(QRect(0, line, width, line), Qt::AlignLeft, m_code);
    painter.drawText(QRect(0, line, width, line), Qt::AlignRight,
                     QDateTime::currentDateTime().toString(QStringLiteral("dd/MM/yyyy HH:mm")));
    const int y = 2 * line + line / 2;
    painter.drawLine(0, y, width, y);
    return y + line / 2;
}

int TfrmDadosGerRel::newPage(QPainter &painter, QPagedPaintDevice &device)
{
    device.newPage();
    ++m_pages;
    return paintPageHeader(painter, device, m_pages);
}
