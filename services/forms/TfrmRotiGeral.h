#pragma once

#include <QDialog>

class QFrame;
class QToolButton;
class QVBoxLayout;
class TMessages;

// The general dialog of the maintenance routines: a client area the derived dialog
// fills (panClient) and a button bar with confirm (sbtConfirmar) and cancel
// (sbtCancelar).  Cancel closes the dialog; confirm does nothing in the base: the derived
// handler does the work and closes the dialog with accept() when it succeeded.  Handlers
// run under the component library's event boundary.
class TfrmRotiGeral : public QDialog
{
    Q_OBJECT

public:
    explicit TfrmRotiGeral(QWidget *parent = nullptr);

    QWidget *panClient;
    QVBoxLayout *panClientLayout;
    QFrame *panBotoes;
    QToolButton *sbtConfirmar;
    QToolButton *sbtCancelar;
    TMessages *msgPadrao;            // the dialog's own message table
    TMessages *msgMensagensPadroes;  // the standard confirmations ("Excl", "Canc")

    virtual void sbtConfirmarClick();
    virtual void sbtCancelarClick();
};
