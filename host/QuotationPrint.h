#pragma once

#include "TfrmDadosGerRel.h"

#include <QString>

class QLabel;
class TADOIBQuery;

// The print module SUP07000 the workspace's print command opens with the current
// quotation's number: the report of that quotation of the logged branch's central branch,
// its header and its items by region and supplier, to preview, print or save as PDF.
// Shown in the host's MDI area like any module window.
class QuotationPrint : public TfrmDadosGerRel
{
    Q_OBJECT

public:
    explicit QuotationPrint(const QString &number, QWidget *parent = nullptr);

    QString number() const { return m_number; }

    QLabel *lblCotacao = nullptr;
    TADOIBQuery *qryCotacao = nullptr;
    TADOIBQuery *qryItens = nullptr;

    void sbtFecharClick() override;

protected:
    void BeforeParams() override;
    ReportDocument reportDocument() override;

private:
    QString m_number;
    QString m_branch;
    QString m_branchName;
};
