#pragma once

#include "TfrmRotiGeral.h"

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
class TBtnPesquisa;

namespace Ui {
class TfrmGridExclProd;
}

// The product exclusion "Exclusão de Produto" (screen code SUP05206): removes a product
// of the workspace's current product grid from the current quotation (ExclProd), for the
// selected or every region, supplier and brand, after the warnings of the wide choices,
// the confirmation and the price-list warning.  The dialog is kept between openings and
// starts each one from the workspace's current row.
class TfrmGridExclProd : public TfrmRotiGeral
{
    Q_OBJECT

public:
    TfrmGridExclProd(QuotationContext &context, ProductsPage &page, QWidget *parent = nullptr);
    ~TfrmGridExclProd() override;

    // --- controls ------------------------------------------------------------------------
    MaskEdit *medCdProduto = nullptr;
    TBtnPesquisa *btnProduto = nullptr;
    QLineEdit *edtNmProduto = nullptr;
    QGroupBox *GroupBox1 = nullptr;  // region
    QRadioButton *rbtSelRegiao = nullptr;
    QRadioButton *rbtTodRegiao = nullptr;
    QLineEdit *edtRegiao = nullptr;
    QGroupBox *GroupBox2 = nullptr;  // supplier
    QRadioButton *rbtSelForn = nullptr;
    QRadioButton *rbtTodForn = nullptr;
    QLineEdit *edtFornecedor = nullptr;
    QGroupBox *GroupBox3 = nullptr;  // brand
    QRadioButton *rbtSelMarca = nullptr;
    QRadioButton *rbtTodMarca = nullptr;
    QLineEdit *edtMarca = nullptr;

    // --- data ----------------------------------------------------------------------------
    ClientDataSet *cdsProduto = nullptr;  // the distinct products of the workspace's grid
    DataSource *dtsProduto = nullptr;

    // True once a product was removed during the last opening.
    bool removed() const { return m_removed; }

    // --- lifecycle, checks and handlers -----------------------------------------------------
    void FormActivate();
    void vd_Produto(bool required);
    void sbtConfirmarClick() override;

protected:
    void showEvent(QShowEvent *event) override;
    void done(int result) override;

private:
    QString msg(const QString &key) const;
    [[noreturn]] void fail(const QString &key);
    bool askYes(const QString &text);

    std::unique_ptr<Ui::TfrmGridExclProd> m_ui;
    QuotationContext &m_context;
    ProductsPage &m_page;
    FieldExit *m_exits = nullptr;
    bool m_boAtivar = true;
    bool m_removed = false;
};

namespace Cli_sup05206 {
// The dialog exists and is reused; cleared when it is destroyed.
extern bool boIdCriado;
// Its instance for the current workspace.
extern TfrmGridExclProd *frmGridExclProd;
}

// Opens the product exclusion modally, creating it on the first call and reusing it
// afterwards, with the hourglass while it is built; true when a product was removed.
bool CriaGridExclProd(QuotationContext &context, ProductsPage &page, QWidget *owner = nullptr);
// Destroys the kept dialog, so that the next opening creates it afresh (workspace close).
void releaseGridExclProd();
