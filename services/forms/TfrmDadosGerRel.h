#pragma once

#include <QDialog>

class QFrame;
class QPagedPaintDevice;
class QPainter;
class QToolButton;
class QVBoxLayout;
class TMessages;

// The base report dialog: the derived dialog places its parameters in panParametros;
// sbtVisualizar shows the report in a print preview, sbtPdf writes it to a PDF file and
// sbtFechar closes.  The report itself is painted by paintReport, page after page.
class TfrmDadosGerRel : public QDialog
{
    Q_OBJECT

public:
    explicit TfrmDadosGerRel(QWidget *parent = nullptr);

    QWidget *panParametros;
    QVBoxLayout *panParametrosLayout;
    QFrame *panBotoes;
    QToolButton *sbtVisualizar;
    QToolButton *sbtPdf;
    QToolButton *sbtFechar;
    TMessages *msgPadrao;
    TMessages *msgMensagensPadroes;

    // The report's title (the window caption by default) and its code, printed in the
    // page header.
    QString reportTitle() const;
    void setReportTitle(const QString &title) { m_title = title; }
    QString reportCode() const { return m_code; }
    void setReportCode(const QString &code) { m_code = code; }

    virtual void sbtVisualizarClick();
    virtual void sbtPdfClick();
    virtual void sbtFecharClick();

    // Writes the report to a PDF file; false when the file cannot be written.
    bool exportPdf(const QString &fileName);
    // Pages painted by the last paintReport run.
    int pageCount() const { return m_pages; }

protected:
    // Paints the report on device, calling device.newPage() between pages.  The base
    // paints the header on the first page and nothing else.
    virtual void paintReport(QPainter &painter, QPagedPaintDevice &device);
    // Paints the page header (title, code, page number); returns the y below it.
    int paintPageHeader(QPainter &painter, QPagedPaintDevice &device, int pageNumber);
    // Starts a new page and paints its header; returns the y below it.
    int newPage(QPainter &painter, QPagedPaintDevice &device);

private:
    void runReport(QPagedPaintDevice &device);

    QString m_title;
    QString m_code;
    int m_pages = 0;
};
