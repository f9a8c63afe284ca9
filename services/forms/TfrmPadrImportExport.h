#pragma once

#include <QDialog>

class QFrame;
class QLabel;
class QProgressBar;
class QToolButton;
class QVBoxLayout;
class TMessages;

// The base import / export dialog: a client area for the derived dialog's parameters, an
// action button (sbtImportExport: the derived dialog gives it its hint and picture) and
// cancel (sbtCancel), and a progress panel (panProgresso: bar pgbProgresso and text
// lblProgresso) hidden until the work reports progress.  The derived handler does the
// work and closes the dialog with accept().
class TfrmPadrImportExport : public QDialog
{
    Q_OBJECT

public:
    explicit TfrmPadrImportExport(QWidget *parent = nullptr);

    QWidget *panClient;
    QVBoxLayout *panClientLayout;
    QFrame *panProgresso;
    QProgressBar *pgbProgresso;
    QLabel *lblProgresso;
    QFrame *panBotoes;
    QToolButton *sbtImportExport;
    QToolButton *sbtCancel;
    TMessages *msgPadrao;
    TMessages *msgMensagensPadroes;

    virtual void sbtImportExportClick();
    virtual void sbtCancelClick();

    // Shows the progress panel with position of total and a text; the panel repaints at
    // once, so a long loop in the handler shows its progress.
    void setProgress(int position, int total, const QString &text = {});
    void hideProgress();
};
