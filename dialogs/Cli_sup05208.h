#pragma once

#include "TfrmRotiGeral.h"

#include <QString>

#include <memory>

class DataSource;
class MaskEdit;
class ProductsPage;
class QCheckBox;
class QLineEdit;
class QuotationContext;
class TADOIBQuery;
class TBtnPesquisa;

namespace Ui {
class TfrmGridForneDelete;
}

// The supplier removal "Exclusão de Fornecedor" (screen code SUP05208): removes a
// supplier of the workspace's current region from the current quotation, for that region
// or for every region (ExclForn), after the price-list warning when removed items belong
// to a price list (Verif_Lista).  Afterwards the workspace's product grid loses the
// supplier's rows and its suppliers are reloaded.
class TfrmGridForneDelete : public TfrmRotiGeral
{
    Q_OBJECT

public:
    TfrmGridForneDelete(QuotationContext &context, ProductsPage &page, QWidget *parent = nullptr);
    ~TfrmGridForneDelete() override;

    // --- controls ------------------------------------------------------------------------
    MaskEdit *medNrInsJurForn = nullptr;
    TBtnPesquisa *btnPesqForn = nullptr;
    QLineEdit *edtNmRazSocForn = nullptr;
    QCheckBox *chkExclRegiao = nullptr;

    // --- data ----------------------------------------------------------------------------
    TADOIBQuery *qryPesqForn = nullptr;  // the suppliers of the region (search)
    TADOIBQuery *qryForne = nullptr;     // one supplier by code
    TADOIBQuery *qryDadForn = nullptr;   // one supplier by registration and type
    DataSource *dtsPesqForn = nullptr;

    // The codes of the current region's suppliers, each followed by "_".
    QString supplierList() const { return m_supplierList; }
    // True once a supplier was removed.
    bool removed() const { return m_removed; }

    // --- lifecycle, checks and handlers -----------------------------------------------------
    void FormActivate();
    void Vd_Fornecedor(bool required);
    void medNrInsJurFornKeyUp(int key);
    void sbtConfirmarClick() override;

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createData();
    QString msg(const QString &key) const;
    [[noreturn]] void fail(const QString &key);

    std::unique_ptr<Ui::TfrmGridForneDelete> m_ui;
    QuotationContext &m_context;
    ProductsPage &m_page;
    QString m_supplierList;
    bool m_boAtivar = true;
    bool m_removed = false;
};

// Opens the supplier removal over the workspace's current region and supplier, modally,
// a new one each call, with the hourglass while it is built; true when a supplier was
// removed.
bool CriaForneDelete(QuotationContext &context, ProductsPage &page, QWidget *owner = nullptr);
