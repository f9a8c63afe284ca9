#pragma once

#include "TfrmRotiGeral.h"

#include "DataPacket.h"

#include <QString>

#include <memory>

class ClientDataSet;
class DataSource;
class FieldExit;
class MaskEdit;
class ProductsPage;
class QGroupBox;
class QLineEdit;
class QRadioButton;
class QuotationContext;
class TADOIBQuery;
class TBtnPesquisa;

namespace Ui {
class TfrmGridRegiaoInsert;
}

// The region insertion "Inclusão de Região" (screen code SUP05209): adds a region to the
// workspace's current quotation for its current supplier or for every supplier of the
// quotation (IncRegiao), optionally with the prices of another region of the quotation.
// Afterwards the workspace reloads its regions and shows the new one.
class TfrmGridRegiaoInsert : public TfrmRotiGeral
{
    Q_OBJECT

public:
    TfrmGridRegiaoInsert(QuotationContext &context, ProductsPage &page, QWidget *parent = nullptr);
    ~TfrmGridRegiaoInsert() override;

    // --- controls ------------------------------------------------------------------------
    MaskEdit *medCdRegiao = nullptr;
    TBtnPesquisa *btnRegiao = nullptr;
    QLineEdit *edtNmRegiao = nullptr;
    QGroupBox *drgForne = nullptr;         // "Fornecedor Corrente" (0), "Todos Fornecedores" (1)
    QRadioButton *rbtFornCorrente = nullptr;
    QRadioButton *rbtTodosForn = nullptr;
    QGroupBox *grbCargReg = nullptr;
    MaskEdit *medCargReg = nullptr;
    TBtnPesquisa *btpCargReg = nullptr;
    QLineEdit *edtCargReg = nullptr;

    // The chosen item of the radio group drgForne.
    int drgForneItemIndex() const;

    // --- data ----------------------------------------------------------------------------
    TADOIBQuery *qryRegiao = nullptr;     // a region by code (all with 'T')
    TADOIBQuery *qryVd_Forne = nullptr;   // a supplier when active and qualified
    ClientDataSet *cdsRegCota = nullptr;  // the quotation's regions
    DataSource *dtsRegiao = nullptr;
    DataSource *dtsRegCota = nullptr;

    // True once the region was added.
    bool inserted() const { return m_inserted; }

    // --- checks and handlers ---------------------------------------------------------------
    void Vd_Regiao(bool required);
    void Vd_Fornecedor();
    void Vd_RegCot();
    void InclusaoRegiao();
    void sbtConfirmarClick() override;
    // The suppliers that receive the region: the workspace's current supplier, or every
    // supplier of the quotation (GetCotForns); one field CDFORNECED.
    DataPacket supplierPacket();

private:
    void createData();
    void wireEvents();
    QString msg(const QString &key) const;
    [[noreturn]] void fail(QWidget *control, const QString &key);
    QDate quotationDate() const;

    std::unique_ptr<Ui::TfrmGridRegiaoInsert> m_ui;
    QuotationContext &m_context;
    ProductsPage &m_page;
    FieldExit *m_exits = nullptr;
    bool m_inserted = false;
};

// Opens the region insertion over the workspace's current quotation, modally, a new one
// each call, with the hourglass while it is built; true when a region was added.
bool CriaRegiaoInsert(QuotationContext &context, ProductsPage &page, QWidget *owner = nullptr);
