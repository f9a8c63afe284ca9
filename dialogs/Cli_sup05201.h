#pragma once

#include "TfrmFiltroPadrao.h"

#include <QDate>
#include <QString>

#include <memory>

class ValidityWeek;

class ClientDataSet;
class QuotationContext;
class DataSource;
class DateEdit;
class QGroupBox;
class QLineEdit;
class QRadioButton;
class QToolButton;
class SpinEdit;
class TADOIBQuery;

namespace Ui {
class TfrmFiltroGridCotacao;
}

// The last confirmed filter, kept by the dialog and put back into its controls at
// every opening.
struct TFILTRO
{
    struct Choice
    {
        bool listChosen = false; // "Lista" (true) or "Todos" / "Todas"
        QString list;            // the keys chosen, "_" + key + "_" each
    };
    Choice TCOMPRADOR;
    Choice TREGIAO;
    QDate firstDate;
    QDate lastDate;
    Choice TFORN;
};

// The quotation filter "Filtro de Cotação de Preços" (screen code SUP05201): chooses the
// quotations the workspace lists by buyer, region, validity period and supplier, and
// loads them into the quotation context's list (GetColetaPr).  One instance per
// workspace: created by CriaFiltroGridCotacao, reused at every opening, hidden on close.
class TfrmFiltroGridCotacao : public TfrmFiltroPadrao
{
    Q_OBJECT

public:
    TfrmFiltroGridCotacao(QuotationContext &context, QWidget *parent = nullptr);
    ~TfrmFiltroGridCotacao() override;

    // --- controls ------------------------------------------------------------------------
    QGroupBox *grbComprador = nullptr;
    QRadioButton *rbtListaComprador = nullptr;
    QRadioButton *rbtTodosComprador = nullptr;
    QToolButton *sbtComprador = nullptr;
    QGroupBox *grbRegiao = nullptr;
    QRadioButton *rbtListaRegiao = nullptr;
    QRadioButton *rbtTodosRegiao = nullptr;
    QToolButton *sbtRegiao = nullptr;
    QGroupBox *grbValidade = nullptr;
    DateEdit *depDtInicial = nullptr;
    DateEdit *depDtFinal = nullptr;
    SpinEdit *speInicial = nullptr;
    SpinEdit *speFinal = nullptr;
    QLineEdit *edtNmSemInicial = nullptr;
    QLineEdit *edtNmSemFinal = nullptr;
    QGroupBox *grbFornecedor = nullptr;
    QRadioButton *rbtLForn = nullptr;
    QRadioButton *rbtTForn = nullptr;
    QToolButton *sbtForn = nullptr;

    // --- data ----------------------------------------------------------------------------
    ClientDataSet *cdsDadosFiltro = nullptr; // DTINIVALCOL, DTFINVALCOL: the starting period
    TADOIBQuery *qryComprador = nullptr;
    TADOIBQuery *qryRegiao = nullptr;
    TADOIBQuery *qryPesqForn = nullptr;
    DataSource *dtsComprador = nullptr;
    DataSource *dtsRegiao = nullptr;
    DataSource *dtsPesqForn = nullptr;

    // --- current filter values -----------------------------------------------------------
    // Lists as the list search writes them; marks "T" for "all", empty otherwise.
    QString stComprador;
    QString stTComprador = QStringLiteral("T");
    QString stPesqRegiao;
    QString stTRegiao = QStringLiteral("T");
    QString stPesqForn;
    QString stTForn = QStringLiteral("T");
    QString stTData = QStringLiteral("T");

    const TFILTRO &savedFilter() const { return m_filtro; }

    // --- lifecycle -------------------------------------------------------------------------
    // Runs once, when the dialog is created: reads the starting validity period from the
    // server (GetDadosFiltro) and makes a buyer's filter start on his own quotations.
    // Raises what the server call or the query raise.
    void FormCreate();
    // Every opening: the saved filter back into the controls.
    void FormActivate();
    // Every close: the context's list is left open (maybe empty) and the context is told,
    // so the workspace recomputes its enabling rule.
    void FormClose();

    // --- handlers --------------------------------------------------------------------------
    void rbtListaCompradorClick();
    void rbtTodosCompradorClick();
    void rbtListaRegiaoClick();
    void rbtTodosRegiaoClick();
    void rbtLFornClick();
    void rbtTFornClick();
    void sbtCompradorClick();
    void sbtRegiaoClick();
    void sbtFornClick();
    void speInicialChange();
    void speFinalChange();
    void depDtInicialChange();
    void depDtFinalChange();
    void depDtInicialExit();
    void depDtFinalExit();

    void sbtConfirmaClick() override;
    void btfSaveOpcClick() override;
    void btfLoadOpcClick() override;

protected:
    void showEvent(QShowEvent *event) override;
    void done(int result) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void validateDate(DateEdit *date);

    void createData();
    void wireEvents();
    QString msg(const QString &key) const;
    QString centralBranch();
    void fail(QWidget *control, const QString &key);
    void checkFilter();
    void saveControls();
    void restoreControls();
    void loadQuotations();

    std::unique_ptr<Ui::TfrmFiltroGridCotacao> m_ui;
    QuotationContext &m_context;
    TFILTRO m_filtro;
    // The two ends of the validity period.
    std::unique_ptr<ValidityWeek> m_initial;
    std::unique_ptr<ValidityWeek> m_final;
    bool m_validatingDate = false;
};

// The dialog's instance for the current workspace; null until the first opening and
// after the workspace closes.
extern TfrmFiltroGridCotacao *frmFiltroGridCotacao;

// Opens the filter dialog of a quotation context modally, creating it (and loading its
// filter data) when it does not exist yet; later calls reuse it.  owner is the window it
// belongs to when the host has no main window.  An error while the data loads propagates
// to the caller; the dialog stays created.
void CriaFiltroGridCotacao(QuotationContext &context, QWidget *owner = nullptr);

// Destroys the kept filter dialog and clears its reference, so that the next opening
// creates it afresh.
void releaseFiltroGridCotacao();
