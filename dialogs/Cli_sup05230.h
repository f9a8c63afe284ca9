#pragma once

#include "TfrmPadrImportExport.h"

#include <QString>
#include <QStringList>

class QLabel;
class QLineEdit;
class QRadioButton;
class QToolButton;
class QuotationContext;
struct PriceSheet;
class DataPacket;

// "Exportar Planilhas dos Fornecedores" (screen code SUP05230): writes, into a folder the
// buyer chooses, one price sheet per supplier of the current quotation, or for the
// current supplier only, as XLSX workbooks or CSV files named after the quotation and the
// supplier; the progress panel follows the sheets as they are written.  The suppliers
// fill the price and observation cells and send the sheets back (TfrmImportaPlanilha).
class TfrmExportaPlanilha : public TfrmPadrImportExport
{
    Q_OBJECT

public:
    // currentSupplier: the supplier selected on the products page, empty for none.
    TfrmExportaPlanilha(QuotationContext &context, const QString &currentSupplier, const QString &currentSupplierName,
                        QWidget *parent = nullptr);

    QLabel *lblCotacao = nullptr;
    QLineEdit *edtPasta = nullptr;
    QToolButton *sbtPasta = nullptr;
    QRadioButton *rbtTodosForn = nullptr;
    QRadioButton *rbtFornAtual = nullptr;
    QRadioButton *rbtXlsx = nullptr;
    QRadioButton *rbtCsv = nullptr;

    // The files written by the last export.
    const QStringList &writtenFiles() const { return m_written; }

    // The sheet of one supplier from its items (layout "ItensForn") and the current
    // quotation of the context.
    static PriceSheet sheetFor(QuotationContext &context, const QString &supplier, const QString &supplierName,
                               const DataPacket &items);

    // The current quotation's validity as the sheet shows it.
    static QString sheetValidity(QuotationContext &context);

    void sbtPastaClick();
    void sbtImportExportClick() override;

private:
    QString msg(const QString &key) const;
    void Vd_Pasta();

    QuotationContext &m_context;
    QString m_supplier;
    QString m_supplierName;
    QStringList m_written;
};

// Opens the export over the workspace's quotation context.
void CriaExportaPlanilha(QuotationContext &context, const QString &currentSupplier, const QString &currentSupplierName,
                         QWidget *owner);
