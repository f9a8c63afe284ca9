#include "Pkg_Sup05200.h"

#include "Cli_sup05200.h"
#include "Cli_sup05201.h"
#include "DecisionCube_Sup05200.h"

#include "Corvane.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScopeGuard>
#include <QScreen>

namespace {

std::function<int()> s_screenHeight;
std::function<void()> s_filterDialogOpener;

void openFilterDialog()
{
    if (s_filterDialogOpener)
        s_filterDialogOpener();
    else if (frmGridCotaPrec)
        CriaFiltroGridCotacao(*frmGridCotaPrec->context(), frmGridCotaPrec);
}

// Makes the new workspace a child window of the host's MDI area; without one (a
// module run on its own) it is a window of its own.  Either way it is freed on close.
void placeWorkspace(TfrmGridCotaPrec *form)
{
    form->setAttribute(Qt::WA_DeleteOnClose);
    if (QMdiArea *area = Corvane::mdiArea()) {
        QMdiSubWindow *sub = area->addSubWindow(form);
        sub->setAttribute(Qt::WA_DeleteOnClose);
        sub->setWindowIcon(area->windowIcon());
    }
}

// Creates the workspace with its creation handler; on failure nothing of it remains.
void createWorkspace()
{
    auto *form = new TfrmGridCotaPrec;
    form->maximizeOnActivation = [] { return Pkg_Sup05200::screenHeight() == 480; };
    frmGridCotaPrec = form;
    try {
        form->FormCreate();
    } catch (...) {
        frmGridCotaPrec = nullptr;
        delete form;
        throw;
    }
    placeWorkspace(form);
}

} // namespace

extern "C" void IniProc(const QVariant *Param)
{
    if (!Param || Param->isNull()) {
        boConsulta = false;
    } else {
        boConsulta = true;
        OlColetaPr = *Param;
    }
    CriaGridCotaPrec();
}

extern "C" void PackageLoad()
{
    boStCriado = false;
    DecisionCube_Sup05200::initialize();
}

extern "C" void PackageUnload()
{
    OlColetaPr = QVariant();
}

void CriaGridCotaPrec()
{
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    auto restoreCursor = qScopeGuard([] { QGuiApplication::restoreOverrideCursor(); });

    if (!boStCriado) {
        createWorkspace();
        boStCriado = true;
        if (!boConsulta) {
            // The user works in the filter dialog: no hourglass over it.
            QGuiApplication::restoreOverrideCursor();
            auto setAgain = qScopeGuard([] { QGuiApplication::setOverrideCursor(Qt::WaitCursor); });
            openFilterDialog();
        }
    }
    if (!boStCriado || !frmGridCotaPrec)
        return; // the workspace was closed while the filter dialog was open

    frmGridCotaPrec->update();
    QWidget *frame = frmGridCotaPrec->frame();
    if (Pkg_Sup05200::screenHeight() == 480)
        frame->showMaximized();
    else
        frame->showNormal();
    frmGridCotaPrec->bringForward();
}

namespace Pkg_Sup05200 {

void setScreenHeightProvider(std::function<int()> provider)
{
    s_screenHeight = std::move(provider);
}

int screenHeight()
{
    if (s_screenHeight)
        return s_screenHeight();
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().height() : 0;
}

void setFilterDialogOpener(std::function<void()> opener)
{
    s_filterDialogOpener = std::move(opener);
}

} // namespace Pkg_Sup05200
