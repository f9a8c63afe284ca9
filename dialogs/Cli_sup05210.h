#pragma once

#include "TfrmRotiGeral.h"

#include <QString>

#include <memory>

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
class TfrmGridRegiaoDelete;
}

// The region removal "Exclusão de Região" (screen code SUP05210): removes a region from
// the workspace's current quotation for its current supplier or for every supplier
// (ExclRegiao), after the price-list warning when removed items belong to a price list.
// Afterwards the workspace reloads its regions, staying on the region when it is still
// quoted by other suppliers.
class TfrmGridRegiaoDelete : public TfrmRotiGeral
{
    Q_OBJECT

public:
    TfrmGridRegiaoDelete(QuotationContext &context, ProductsPage &page, QWidget *parent = nullptr);
    ~TfrmGridRegiaoDelete() override;

    // --- controls ------------------------------------------------------------------------
    MaskEdit *medCdRegiao = nullptr;
    TBtnPesquisa *btnRegiao = nullptr;
    QLineEdit *edtNmRegiao = nullptr;
    QGroupBox *drgForne = nullptr;        // "Fornecedor Corrente" (0), "Todos Fornecedores" (1)
    QRadioButton *rbtFornCorrente = nullptr;
    QRadioButton *rbtTodosForn = nullptr;

    int drgForneItemIndex() const;

    // --- data ----------------------------------------------------------------------------
    TADOIBQuery *qryRegiao = nullptr;
    DataSource *dtsRegiao = nullptr;

    // The supplier scope: "T" for all suppliers, else the current supplier's code.
    QString stFornExcl;
    bool removed() const { return m_removed; }

    // --- checks and handlers ---------------------------------------------------------------
    void Vd_Regiao(bool required);
    void Vd_RegForn();
    void ExclusaoRegiao();
    void sbtConfirmarClick() override;

private:
    QString msg(const QString &key) const;
    [[noreturn]] void fail(const QString &key);
    QString currentSupplier() const;

    std::unique_ptr<Ui::TfrmGridRegiaoDelete> m_ui;
    QuotationContext &m_context;
    ProductsPage &m_page;
    FieldExit *m_exits = nullptr;
    bool m_removed = false;
};

// Opens the region removal over the workspace's current region and supplier, modally, a
// new one each call, with the hourglass while it is built; true when a region was removed.
bool CriaRegiaoDelete(QuotationContext &context, ProductsPage &page, QWidget *owner = nullptr);
