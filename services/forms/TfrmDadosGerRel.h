#pragma once

#include "ReportDocument.h"

#include <QDialog>
#include <QMap>
#include <QVariant>

class QFrame;
class QToolButton;
class QVBoxLayout;
class TMessages;

// The base report dialog: the derived dialog places what the report is asked with in
// panParametros; sbtVisualizar shows the report in a print preview, sbtImprimir prints it,
// sbtPdf writes it to a PDF file and sbtFechar closes.  Each of them first gives the
// derived dialog the chance to set the report's parameters (BeforeParams), then asks it
// for the report's content (reportDocument) and lays that out on A4 pages (ReportRenderer).
class TfrmDadosGerRel : public QDialog
{
    Q_OBJECT

public:
    explicit TfrmDadosGerRel(QWidget *parent = nullptr);

    QWidget *panParametros;
    QVBoxLayout *panParametrosLayout;
    QFrame *panBotoes;
    QToolButton *sbtVisualizar;
    QToolButton *sbtImprimir;
    QToolButton *sbtPdf;
    QToolButton *sbtFechar;
    TMessages *msgPadrao;
    TMessages *msgMensagensPadroes;

    // The report's title (the window caption by default) and its code.
    QString reportTitle() const;
    void setReportTitle(const QString &title) { m_title = title; }
    QString reportCode() const { return m_code; }
    void setReportCode(const QString &code) { m_code = code; }

    // The report's query parameters (":P_CDFILIAL" ...), declared by the derived dialog
    // with their starting value and set in BeforeParams.
    void declareParam(const QString &name, const QVariant &value = {});
    bool hasParam(const QString &name) const { return m_params.contains(name); }
    void setParamValue(const QString &name, const QVariant &value);
    QVariant paramValue(const QString &name) const { return m_params.value(name); }
    const QMap<QString, QVariant> &params() const { return m_params; }

    virtual void sbtVisualizarClick();
    virtual void sbtImprimirClick();
    virtual void sbtPdfClick();
    virtual void sbtFecharClick();

    // The report as it stands now: parameters set, content built.
    ReportDocument prepareReport();
    // Writes the report to a PDF file; false when the file cannot be written.
    bool exportPdf(const QString &fileName);
    // Pages of the last report written to a PDF file.
    int pageCount() const { return m_pages; }

protected:
    // Runs before the report reads its parameters: the place to set them.
    virtual void BeforeParams();
    // The report's content; the base gives title and code only.
    virtual ReportDocument reportDocument();

private:
    QString m_title;
    QString m_code;
    QMap<QString, QVariant> m_params;
    int m_pages = 0;
};
