#pragma once

#include <QPointer>
#include <QVariant>
#include <QWidget>

#include <memory>

class NetConnection;
class QMdiSubWindow;

namespace Ui {
class TfrmGridCotaPrec;
}

// The quotation workspace "Planilha de Cotação de Preços" (screen code SUP05200): the
// package's only non-modal form, a child window of the host's MDI area.  It owns the
// server connections and the datasets every dialog of the package works on; dialogs
// reach it through frmGridCotaPrec.
class TfrmGridCotaPrec : public QWidget
{
    Q_OBJECT

public:
    explicit TfrmGridCotaPrec(QWidget *parent = nullptr);
    ~TfrmGridCotaPrec() override;

    // The connections to the server objects "Sup05200.rdmGridCotaPrec" (every quotation
    // method) and "Sup.rdmSuprimentos" (procurement parameters).
    NetConnection *netGridCotaPrec = nullptr;
    NetConnection *netSuprimentos = nullptr;

    // Creation: connects both connections.  Raises what the connection raises.
    void FormCreate();
    // Activation registers OnMessage as the message hook; deactivation clears it.
    void FormActivate();
    void FormDeactivate();
    // Close: the workspace no longer exists for the package, the hook is cleared, the
    // connections are closed and the dialogs kept between openings are destroyed.
    void FormClose();

    // Every application event while the workspace is active.
    void OnMessage(QObject *receiver, QEvent *event);
    // Recomputes which commands are enabled.
    void Habilita();

    // The window that frames the workspace: its MDI child window, or the form itself
    // when it runs outside a host.
    QWidget *frame();
    // Shows the workspace in front of the host's other child windows and activates it.
    void bringForward();
    bool isActiveForm() const { return m_active; }

protected:
    bool event(QEvent *event) override;
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void setUpConnection(NetConnection *connection, const QString &serverName);
    void followFrameActivation();
    void disconnectAll();
    void releaseReusedDialogs();

    std::unique_ptr<Ui::TfrmGridCotaPrec> m_ui;
    QPointer<QMdiSubWindow> m_followedFrame;
    bool m_active = false;
    bool m_closed = false;
};

// The package-level state of the workspace unit.
extern TfrmGridCotaPrec *frmGridCotaPrec; // the single workspace; null while none exists
extern bool boStCriado;                   // the workspace exists
extern bool boConsulta;                   // started on a packet of quotations
extern QVariant OlColetaPr;               // that packet (quotation-list layout)
extern int ActiveRow;                     // cell shared with the consultation sheet
extern int ActiveCol;
