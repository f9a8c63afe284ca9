#pragma once

#include "TfrmRotiGeral.h"

#include <QString>

#include <functional>
#include <memory>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace Ui {
class TfrmGridErrInsCota;
}

// The inclusion error list "Inclusão de Cotação" (screen code SUP05216): tells the user
// why the server refused to create a quotation and, on request, shows the detailed
// reasons.  It gets the refusal text and the way to ask for the details (the workspace's
// GetDetalhes call for the inclusion it describes); it knows nothing else of the
// workspace.
class TfrmGridErrInsCota : public TfrmRotiGeral
{
    Q_OBJECT

public:
    using Details = std::function<QString()>;

    TfrmGridErrInsCota(const QString &text, Details details, QWidget *parent = nullptr);
    ~TfrmGridErrInsCota() override;

    QLabel *imgErroOri = nullptr;
    QLabel *lblErro = nullptr;
    QPushButton *btnDetalhes = nullptr;
    QPushButton *btnOk = nullptr;
    QPlainTextEdit *memErro = nullptr;

    // The details in the memo (the refusal itself when the server has none), the dialog
    // grown to show them; asked once per dialog.
    void btnDetalhesClick();
    void btnOkClick();

private:
    std::unique_ptr<Ui::TfrmGridErrInsCota> m_ui;
    Details m_details;
};

// Shows the inclusion error list modally with the refusal text; details asks for the
// detailed reasons.  owner is the window it belongs to when the host has no main window.
void CriaErroInclusao(const QString &text, const TfrmGridErrInsCota::Details &details, QWidget *owner = nullptr);
