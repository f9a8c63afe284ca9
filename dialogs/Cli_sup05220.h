#pragma once

#include "TfrmRotiGeral.h"

#include <QString>

#include <memory>

class DataSource;
class MaskEdit;
class NumberEdit;
class QLineEdit;
class QuotationContext;
class TADOIBQuery;
class TBtnPesquisa;

namespace Ui {
class TfrmReajustedePreco;
}

// The price readjustment "Reajuste de Preços" (screen code SUP05220): the server raises or
// lowers by a percentage the unit prices of the current quotation for one region and one
// supplier, of every product or of a product range (ReajustePreco), recording each changed
// price with the readjustment's justification prefix when the parameters audit changes.
// The dialog stays open with its values after a check or a refusal; it closes once the
// prices were readjusted.
class TfrmReajustedePreco : public TfrmRotiGeral
{
    Q_OBJECT

public:
    // region and supplier: the workspace's current region and supplier of the products page.
    TfrmReajustedePreco(QuotationContext &context, const QString &region, const QString &supplier,
                        QWidget *parent = nullptr);
    ~TfrmReajustedePreco() override;

    // --- controls ------------------------------------------------------------------------
    NumberEdit *nedReajuste = nullptr;
    MaskEdit *medNrColeta = nullptr;
    MaskEdit *medCdProdIni = nullptr;
    TBtnPesquisa *sbtProdIni = nullptr;
    QLineEdit *edtNmProdIni = nullptr;
    MaskEdit *medCdProdFin = nullptr;
    TBtnPesquisa *sbtProdFin = nullptr;
    QLineEdit *edtNmProdFin = nullptr;

    // --- data ----------------------------------------------------------------------------
    TADOIBQuery *qryProduto = nullptr;
    DataSource *dtsProduto = nullptr;

    // True once the server readjusted the prices.
    bool readjusted() const { return m_readjusted; }

    // --- lifecycle, checks and commands ---------------------------------------------------
    void FormActivate();
    // The initial product: with required set, a final product asks for it; a code typed
    // must be a product and shows its name; the range may not be inverted.
    void Vd_ProdIni(bool required);
    void Vd_ProdFin(bool required);
    void nedReajusteKeyPress(QChar &key);
    // "Calcular": checks the range, sends the readjustment and reacts to its answer.
    void sbtConfirmarClick() override;

    // The last product code of the range as the server compares it: the code typed
    // followed by "Z" up to twenty characters.
    static QString rangeEnd(const QString &code);

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QString msg(const QString &key) const;
    void fail(QWidget *control, const QString &key);
    void showProductName(MaskEdit *edit, QLineEdit *name);

    std::unique_ptr<Ui::TfrmReajustedePreco> m_ui;
    QuotationContext &m_context;
    QString m_region;
    QString m_supplier;
    bool m_readjusted = false;
    bool m_leavingField = false;
};

// Opens the readjustment for the current quotation over the region and supplier of the
// products page, modally (a new one each call); true when prices were readjusted.  owner
// is the window it belongs to when the host has no main window.
bool CriaReajustedePreco(QuotationContext &context, const QString &region, const QString &supplier,
                         QWidget *owner = nullptr);
