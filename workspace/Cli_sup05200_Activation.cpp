// The workspace's activation, deactivation and close: the message hook follows the
// active workspace, and closing releases everything the workspace holds.
#include "Cli_sup05200.h"

#include "Cli_sup05201.h"
#include "Corvane.h"
#include "NetConnection.h"

#include <QCloseEvent>
#include <QMdiArea>
#include <QMdiSubWindow>

void TfrmGridCotaPrec::FormActivate()
{
    m_active = true;
    Corvane::setMsgEventForm([this](QObject *receiver, QEvent *event) { OnMessage(receiver, event); });
    update();
}

void TfrmGridCotaPrec::FormDeactivate()
{
    if (!m_active)
        return;
    m_active = false;
    Corvane::clearMsgEventForm();
}

void TfrmGridCotaPrec::OnMessage(QObject *receiver, QEvent *event)
{
    Q_UNUSED(receiver)
    Q_UNUSED(event)
    Habilita();
}

void TfrmGridCotaPrec::Habilita()
{
}

void TfrmGridCotaPrec::FormClose()
{
    if (m_closed)
        return;
    m_closed = true;
    boStCriado = false;
    m_active = false;
    Corvane::clearMsgEventForm();
    disconnectAll();
    releaseReusedDialogs();
}

void TfrmGridCotaPrec::disconnectAll()
{
    // A connection may report itself connected again after a close while its socket
    // winds down: close until it says it is not, within reason.
    for (NetConnection *net : {netGridCotaPrec, netSuprimentos}) {
        for (int attempt = 0; attempt < 10 && net->connected(); ++attempt)
            net->close();
    }
}

void TfrmGridCotaPrec::releaseReusedDialogs()
{
    // The dialogs kept between openings start afresh with the next workspace.
    releaseFiltroGridCotacao();
}

void TfrmGridCotaPrec::bringForward()
{
    if (auto *sub = qobject_cast<QMdiSubWindow *>(parentWidget())) {
        followFrameActivation();
        if (QMdiArea *area = sub->mdiArea())
            area->setActiveSubWindow(sub);
        sub->raise();
    } else {
        raise();
        activateWindow();
    }
}

// Inside an MDI area the form is activated with its child window; the area tells which
// child window is the active one.
void TfrmGridCotaPrec::followFrameActivation()
{
    auto *sub = qobject_cast<QMdiSubWindow *>(parentWidget());
    if (!sub || sub == m_followedFrame || !sub->mdiArea())
        return;
    m_followedFrame = sub;
    connect(sub->mdiArea(), &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow *active) {
        if (m_closed)
            return;
        if (active && active == m_followedFrame) {
            if (!m_active)
                FormActivate();
        } else if (active) {
            FormDeactivate();
        }
    });
    if (sub->mdiArea()->activeSubWindow() == sub && !m_active)
        FormActivate();
}

bool TfrmGridCotaPrec::event(QEvent *event)
{
    if (event->type() == QEvent::ParentChange)
        followFrameActivation();
    return QWidget::event(event);
}

void TfrmGridCotaPrec::changeEvent(QEvent *event)
{
    // A workspace of its own (outside an MDI area) follows its window's activation.
    if (event->type() == QEvent::ActivationChange && !qobject_cast<QMdiSubWindow *>(parentWidget()) && !m_closed) {
        if (isActiveWindow())
            FormActivate();
        else
            FormDeactivate();
    }
    QWidget::changeEvent(event);
}

void TfrmGridCotaPrec::closeEvent(QCloseEvent *event)
{
    FormClose();
    event->accept();
}
