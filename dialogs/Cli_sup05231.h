#pragma once

#include "PriceSheetCheck.h"
#include "TfrmPadrImportExport.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

class QLabel;
class QTableWidget;
class QuotationContext;

// "Importar Planilhas dos Fornecedores" (screen code SUP05231): reads the sheets the
// suppliers filled, checks each against the current quotation and the supplier's items
// as the server holds them now (PriceSheetCheck, then the item checks of ValidaDados), and
// previews every price to store (current -> new) and every refused line with its reason.
// "Gravar Preços" stores the accepted prices of each sheet in one SetItemCole call, the
// path keyed prices take: the justification "Planilha do fornecedor", a change text
// naming the file, the old-value check against other buyers, and the quotation's origin
// set to "E".  A sheet the server refuses stores nothing and stays in the preview,
// checked again, so nothing the supplier sent is lost.
class TfrmImportaPlanilha : public TfrmPadrImportExport
{
    Q_OBJECT

public:
    explicit TfrmImportaPlanilha(QuotationContext &context, QWidget *parent = nullptr);
    ~TfrmImportaPlanilha() override;

    QTableWidget *dbgPrevia = nullptr;
    QLabel *lblResumo = nullptr;

    enum Column { ColArquivo, ColLinha, ColRegiao, ColProduto, ColMarca, ColPrecoAnt, ColPrecoNovo, ColSituacao, ColCount };

    // Reads and checks the files; the preview shows the outcome.
    void load(const QStringList &files);

    struct Sheet
    {
        QString file;
        QString error;          // the file could not be read
        QString supplier;
        std::unique_ptr<PriceSheetCheck> check;
        QList<PriceSheetEntry> entries;
        bool stored = false;
    };
    const std::vector<Sheet> &sheets() const { return m_sheets; }
    int accepted() const;
    // True once prices were stored.
    bool changed() const { return m_changed; }

    void sbtImportExportClick() override;

    // The text of a refusal.
    QString reasonText(const PriceSheetEntry &entry) const;

private:
    QString msg(const QString &key) const;
    void checkSheet(Sheet &sheet);
    void store(Sheet &sheet);
    void fillPreview();

    QuotationContext &m_context;
    QStringList m_files;
    std::vector<Sheet> m_sheets;
    bool m_changed = false;
    bool m_originStored = false;  // by a sheet of the running confirmation
};

// Asks for the filled sheets and opens the preview over them; true when prices were stored.
bool CriaImportaPlanilha(QuotationContext &context, QWidget *owner);
