#pragma once

#include "TfrmPadrImportExport.h"

#include <QDate>
#include <QString>

#include <memory>

class ClientDataSet;
class DataSource;
class DateEdit;
class NumberEdit;
class QCheckBox;
class QGroupBox;
class QLineEdit;
class QRadioButton;
class QToolButton;
class QuotationContext;
class SpinEdit;
class TADOIBQuery;
class ValidityWeek;

namespace Ui {
class TfrmGridExportCota;
}

// What the workspace does once the copy dialog has closed: reload its quotation list
// (AtualizaCotacao) with these buyers and the new validity, when a copy was made.
struct CopyCotaOutcome
{
    bool reload = false;
    QString buyers;     // the buyer list of the copy
    QString allBuyers;  // " " with a buyer list, else "T"
    QDate firstDate;    // the new validity
    QDate lastDate;
};

// The quotation copy "Duplicar Cotação" (screen code SUP05213): copies the current
// quotation, or every quotation of a validity period (of every buyer or of a buyer list),
// to a new validity with a collection date and a price readjustment, optionally over a
// region list and an OL-supplier list; the server copies (DuplicaCotacao).  The
// quotations it could not copy are kept and listed by the report TfrmRelGridDupCotacao.
class TfrmGridExportCota : public TfrmPadrImportExport
{
    Q_OBJECT

public:
    TfrmGridExportCota(QuotationContext &context, QWidget *parent = nullptr);
    ~TfrmGridExportCota() override;

    // --- controls ------------------------------------------------------------------------
    QRadioButton *rbtCotCurr = nullptr;
    QRadioButton *rbtCotInfo = nullptr;
    QGroupBox *grbCotacao = nullptr;
    DateEdit *depDtIniCot = nullptr;
    DateEdit *depDtFinCot = nullptr;
    QLineEdit *edtDtIniCot = nullptr;
    QLineEdit *edtDtFinCot = nullptr;
    SpinEdit *speValIni = nullptr;
    SpinEdit *speValFin = nullptr;
    QGroupBox *grbComprador = nullptr;
    QRadioButton *rbtTodos = nullptr;
    QRadioButton *rbtLista = nullptr;
    QToolButton *sbtComprador = nullptr;
    QGroupBox *grbGroup = nullptr;
    DateEdit *depColeta = nullptr;
    QLineEdit *edtDtColeta = nullptr;
    NumberEdit *nedReajuste = nullptr;
    QGroupBox *grbValidade = nullptr;
    DateEdit *depDtInicial_Inc = nullptr;
    DateEdit *depDtFinal_Inc = nullptr;
    QLineEdit *edtNmSemInicial_Inc = nullptr;
    QLineEdit *edtNmSemFinal_Inc = nullptr;
    SpinEdit *speInicial_Inc = nullptr;
    SpinEdit *speFinal_Inc = nullptr;
    QGroupBox *grbRegiao = nullptr;
    QRadioButton *rbtTodasRegiao = nullptr;
    QRadioButton *rbtListaRegiao = nullptr;
    QToolButton *sbtRegiao = nullptr;
    QGroupBox *grbFornOL = nullptr;
    QCheckBox *chbFornOL = nullptr;
    QRadioButton *rbtTodosFornOL = nullptr;
    QRadioButton *rbtListaFornOL = nullptr;
    QToolButton *sbtFornOL = nullptr;
    QToolButton *sbtRelCotNDup = nullptr;

    // --- data ----------------------------------------------------------------------------
    ClientDataSet *cdsDadosTela = nullptr;   // NRSEMAFINAL, DTFINVALCOL: the last validity
    ClientDataSet *cdsComprador = nullptr;
    ClientDataSet *cdsRegiaoCorr = nullptr;  // regions of the current quotation
    ClientDataSet *cdsPesqForn = nullptr;    // the OL suppliers
    DataSource *dtsComprador = nullptr;
    DataSource *dtsRegiaoCorr = nullptr;
    DataSource *dtsPesqForn = nullptr;
    DataSource *dtsRegiaoVal = nullptr;
    TADOIBQuery *qryParamGeral = nullptr;    // IDSISDOS
    TADOIBQuery *qryRegiaoVal = nullptr;     // every region

    // --- state -----------------------------------------------------------------------------
    // Lists as the list search writes them.
    QString ListaComprador;
    QString ListaRegiao;
    QString ListaFornOL;
    // The quotations the last copy did not copy: lines "NRCOLEPRECO|reason".
    QString NaoDuplicadas;
    // A copy was requested (the action button's tag 99): closing reloads the list.
    bool copyAttempted() const;

    // What the workspace is to do now that the dialog is closed.
    const CopyCotaOutcome &outcome() const { return m_outcome; }

    // --- lifecycle -------------------------------------------------------------------------
    // Creation: the OL suppliers when the branch uses the OL group.  Raises what the server
    // call raises.
    void FormCreate();
    // Every opening; on the first, the new validity proposed after the branch's last one.
    void FormActivate();

    // --- handlers --------------------------------------------------------------------------
    void rbtCotCurrClick();
    void rbtCotInfoClick();
    void rbtTodosClick();
    void rbtListaClick();
    void rbtTodasRegiaoClick();
    void rbtListaRegiaoClick();
    void chbFornOLClick();
    void rbtTodosFornOLClick();
    void rbtListaFornOLClick();
    void sbtCompradorClick();
    void sbtRegiaoClick();
    void sbtFornOLClick();
    void sbtRelCotNDupClick();
    void depColetaChange();

    void sbtImportExportClick() override;
    void sbtCancelClick() override;

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void reject() override;

private:
    void createData();
    void wireEvents();
    QString msg(const QString &key) const;
    QString parameter(const QString &name) const;
    void setOlGroupVisible(bool visible);
    void proposeNewValidity();
    void leaveDate(DateEdit *date);
    void validateDate(DateEdit *date);
    void fail(QWidget *control, const QString &key);

    // The checks of a copy.
    void vd_Validade();
    void vd_Periodo();
    void vd_Coleta(bool required);
    void vd_Comprador();
    void vd_Regiao();
    void vd_FornOL();
    void runChecks();

    bool askInProgress();
    QString copy();
    void prepareReload();
    void showReport();

    std::unique_ptr<Ui::TfrmGridExportCota> m_ui;
    QuotationContext &m_context;
    std::unique_ptr<ValidityWeek> m_periodFirst;
    std::unique_ptr<ValidityWeek> m_periodLast;
    std::unique_ptr<ValidityWeek> m_newFirst;
    std::unique_ptr<ValidityWeek> m_newLast;
    bool m_firstActivation = true;
    bool m_leavingField = false;
    CopyCotaOutcome m_outcome;
};

// Opens the copy dialog over the quotation context modally (a new one each call) and
// answers what the workspace is to do afterwards.  owner is the window it belongs to when
// the host has no main window.  An error while it loads its data propagates.
CopyCotaOutcome CriaCopyCota(QuotationContext &context, QWidget *owner = nullptr);
