#pragma once

#include "TfrmPadrImportExport.h"

#include <QString>

#include <memory>

class ClientDataSet;
class DataSource;
class DateEdit;
class QLineEdit;
class QRadioButton;
class QToolButton;
class QuotationContext;
class SpinEdit;
class TADOIBQuery;
class ValidityWeek;

namespace Ui {
class TfrmAltValidade;
}

// The validity change "Alteração de Validade da Cotação" (screen code SUP05225): moves
// the quotations of a validity ("Validade Anterior") to a new one ("Nova Validade"), of
// every buyer or a buyer list, with every supplier or a supplier list, every quotation
// found or a list picked from them; the server moves them in one operation
// (AlteraValidade).  The dialog stays open for a further change.
class TfrmAltValidade : public TfrmPadrImportExport
{
    Q_OBJECT

public:
    TfrmAltValidade(QuotationContext &context, QWidget *parent = nullptr);
    ~TfrmAltValidade() override;

    // --- controls ------------------------------------------------------------------------
    SpinEdit *speValIni = nullptr;
    DateEdit *depDtIniCot = nullptr;
    QLineEdit *edtDtIniCot = nullptr;
    SpinEdit *speValFin = nullptr;
    DateEdit *depDtFinCot = nullptr;
    QLineEdit *edtDtFinCot = nullptr;
    SpinEdit *speInicial_Inc = nullptr;
    DateEdit *depDtInicial_Inc = nullptr;
    QLineEdit *edtNmSemInicial_Inc = nullptr;
    SpinEdit *speFinal_Inc = nullptr;
    DateEdit *depDtFinal_Inc = nullptr;
    QLineEdit *edtNmSemFinal_Inc = nullptr;
    QRadioButton *rbtTodosComprador = nullptr;
    QRadioButton *rbtListaComprador = nullptr;
    QToolButton *sbtComprador = nullptr;
    QRadioButton *rbtTodosForn = nullptr;
    QRadioButton *rbtListaForn = nullptr;
    QToolButton *sbtPesqForn = nullptr;
    QRadioButton *rbtTodasCotacao = nullptr;
    QRadioButton *rbtListaCotacao = nullptr;
    QToolButton *sbtCotacao = nullptr;

    // --- data ----------------------------------------------------------------------------
    TADOIBQuery *qryComprador = nullptr;
    TADOIBQuery *qryPesqForn = nullptr;
    TADOIBQuery *qryCentCmp = nullptr;
    ClientDataSet *cdsCotacao = nullptr;
    DataSource *dtsComprador = nullptr;
    DataSource *dtsPesqForn = nullptr;
    DataSource *dtsCotacao = nullptr;

    // --- selections (list search format) -------------------------------------------------
    QString ListaCompAltVal;
    QString ListaFornAltVal;
    QString ListaCotAltVal;

    // True once a change was made while the dialog was open.
    bool changed() const { return m_changed; }

    // --- lifecycle -------------------------------------------------------------------------
    void FormActivate();

    // --- handlers --------------------------------------------------------------------------
    void rbtTodosCompradorClick();
    void rbtListaCompradorClick();
    void rbtTodosFornClick();
    void rbtListaFornClick();
    void rbtTodasCotacaoClick();
    void rbtListaCotacaoClick();
    void sbtCompradorClick();
    void sbtPesqFornClick();
    void sbtCotacaoClick();

    void sbtImportExportClick() override;

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createData();
    void wireEvents();
    QString msg(const QString &key) const;
    QString centralBranch() const;
    void fail(QWidget *control, const QString &key);
    void validateDate(DateEdit *date);
    void leaveDate(DateEdit *date);

    void vd_Validade();
    void vd_PerCotacao();
    void vd_Fornecedor();
    void vd_Comprador();
    void vd_Cotacao();
    void vd_validade_diferente();

    std::unique_ptr<Ui::TfrmAltValidade> m_ui;
    QuotationContext &m_context;
    std::unique_ptr<ValidityWeek> m_oldFirst;
    std::unique_ptr<ValidityWeek> m_oldLast;
    std::unique_ptr<ValidityWeek> m_newFirst;
    std::unique_ptr<ValidityWeek> m_newLast;
    bool m_firstActivation = true;
    bool m_leavingField = false;
    bool m_changed = false;
};

// Opens the validity change over the quotation context modally (a new one each call);
// true when it moved quotations.  owner is the window it belongs to when the host has no
// main window.
bool CriaAltValidade(QuotationContext &context, QWidget *owner = nullptr);
