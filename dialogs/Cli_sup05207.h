#pragma once

#include "TfrmRotiGeral.h"

#include <QString>

#include <memory>

class ClientDataSet;
class DataSource;
class FieldExit;
class MaskEdit;
class ProductsPage;
class QCheckBox;
class QGroupBox;
class QLineEdit;
class QuotationContext;
class TADOIBQuery;
class TBtnPesquisa;
class TMessages;

namespace Ui {
class TfrmGridForneInsert;
}

// The supplier insertion "Inclusão de Fornecedor" (screen code SUP05207): adds a supplier
// to the workspace's current quotation; the server adds its items for the quotation's
// products (IncFornecedor), optionally with the prices of a supplier already quoted, for
// one region or for every region the new supplier serves.  Afterwards the workspace's
// caches are emptied and its regions reloaded.
class TfrmGridForneInsert : public TfrmRotiGeral
{
    Q_OBJECT

public:
    TfrmGridForneInsert(QuotationContext &context, ProductsPage &page, QWidget *parent = nullptr);
    ~TfrmGridForneInsert() override;

    // --- controls ------------------------------------------------------------------------
    MaskEdit *medNrInsJurForn = nullptr;
    TBtnPesquisa *btnPesqForn = nullptr;
    QLineEdit *edtNmRazSocForn = nullptr;
    QGroupBox *grbCargForn = nullptr;
    MaskEdit *medFornCarg = nullptr;
    TBtnPesquisa *btpFornCarg = nullptr;
    QLineEdit *edtNmFornCarg = nullptr;
    QGroupBox *grbCargReg = nullptr;
    MaskEdit *medCargReg = nullptr;
    TBtnPesquisa *btpCargReg = nullptr;
    QLineEdit *edtCargReg = nullptr;
    QCheckBox *chbCargTReg = nullptr;

    // --- data ----------------------------------------------------------------------------
    TADOIBQuery *qryPesqForn = nullptr;    // suppliers by registration (all with 'T')
    TADOIBQuery *qryQualifForn = nullptr;  // the supplier when qualified at the quotation date
    TADOIBQuery *qryRegiao = nullptr;      // a region by code
    ClientDataSet *cdsRegCota = nullptr;   // the quotation's regions
    ClientDataSet *cdsPesqFornCot = nullptr; // the suppliers already quoted
    DataSource *dtsPesqForn = nullptr;
    DataSource *dtsRegCota = nullptr;
    DataSource *dtsPesqFornCot = nullptr;

    // The chosen supplier's code and the price-source supplier's code.
    QString stCdFornIns;
    QString stCdFornCarg;

    // True once the server added the supplier (fully or in part).
    bool inserted() const { return m_inserted; }

    // --- checks and handlers ---------------------------------------------------------------
    void Vd_Fornecedor(bool required);
    void Vd_FornCarg();
    void Vd_ProdForn();
    void Vd_RegCot();
    void sbtConfirmarClick() override;

    // The insertion status of IncFornecedor and IncRegiao: position 1 the regions, 2 the
    // qualification for the products, 3 the registration for the products.  A "1"
    // anywhere raises "ErroIncForn" with the reasons marked "1"; otherwise a "2" anywhere
    // warns with "MensErro_4" and the reasons marked "2".  Other characters add nothing.
    static void TrataStatus(const QString &status, const TMessages &messages);

private:
    void createData();
    void wireEvents();
    QString msg(const QString &key) const;
    [[noreturn]] void fail(QWidget *control, const QString &key);
    QDate quotationDate() const;
    // Shows a supplier's registration through the mask of its person type.
    static void showRegistration(MaskEdit *edit, const QString &number, const QString &personType);

    std::unique_ptr<Ui::TfrmGridForneInsert> m_ui;
    QuotationContext &m_context;
    ProductsPage &m_page;
    FieldExit *m_exits = nullptr;
    bool m_inserted = false;
};

// Opens the supplier insertion over the workspace's current quotation, modally, a new
// one each call, with the hourglass around the call; true when a supplier was added.
bool CriaForneInsert(QuotationContext &context, ProductsPage &page, QWidget *owner = nullptr);
