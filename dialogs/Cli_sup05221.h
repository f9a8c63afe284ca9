#pragma once

#include "TfrmDadosGerRel.h"

#include <QDate>
#include <QList>
#include <QPair>
#include <QString>

class QFormLayout;
class QLabel;
class QuotationContext;
class TADOIBQuery;

// What a quotation copy was asked with, as its report prints it.
struct DuplicationParameters
{
    bool byPeriod = false;      // every quotation of a validity (else the current one)
    QString number;             // the current quotation
    QDate periodFirst;          // the source validity
    QDate periodLast;
    bool buyerList = false;
    QString buyers;             // list search format
    QString firstWeek;          // the new validity
    QString lastWeek;
    QDate firstDate;
    QDate lastDate;
    QDate collectionDate;
    double readjustment = 0;    // percent
    bool regionList = false;
    QString regions;
    bool olSuppliersUsed = true; // the OL group takes part
    QString olSuppliers;        // empty: every supplier
};

// One quotation a copy did not copy, and why.
struct NotCopiedQuotation
{
    QString number;
    QString reason;
};

// The quotations not copied in the copy's answer: lines "NRCOLEPRECO|reason".
QList<NotCopiedQuotation> notCopiedQuotations(const QString &list);

// The report "Duplicação de Cotação" (report code SUP052): the quotations a copy did not
// copy, one line each with its date, buyer, validity and the reason, under the copy's
// parameters.  Its query (qryRelDupCotacao) takes the quotations' branch (P_CDFILIAL)
// and the list of quotations not copied (P_LISTACOTACAO), both set before the report
// reads them.
class TfrmRelGridDupCotacao : public TfrmDadosGerRel
{
    Q_OBJECT

public:
    TfrmRelGridDupCotacao(QuotationContext &context, const QString &notCopied, const DuplicationParameters &parameters,
                          QWidget *parent = nullptr);
    ~TfrmRelGridDupCotacao() override;

    QLabel *lblNaoDuplicadas = nullptr;
    QFormLayout *layParametros = nullptr;
    TADOIBQuery *qryRelDupCotacao = nullptr;

    // The copy's parameters as label and text, in the order printed.
    QList<QPair<QString, QString>> parameterLines() const;

protected:
    void BeforeParams() override;
    ReportDocument reportDocument() override;

private:
    QString msg(const QString &key) const;
    QString listText(bool listChosen, const QString &list, const QString &allKey) const;

    QuotationContext &m_context;
    QString m_notCopied;
    DuplicationParameters m_parameters;
};

// Opens the report of a copy modally (a new one each call).  owner is the window it
// belongs to when the host has no main window.
void CriaRelDupCotacao(QuotationContext &context, const QString &notCopied, const DuplicationParameters &parameters,
                       QWidget *owner = nullptr);
