// The host's windows as the session knows them.  This library links no widgets: the
// pointers are only kept and handed back; the host clears them before its window goes.
#include "Corvane.h"

namespace {
QMdiArea *s_mdiArea = nullptr;
QWidget *s_mainWindow = nullptr;
} // namespace

namespace Corvane {

void setMdiArea(QMdiArea *area)
{
    s_mdiArea = area;
}

QMdiArea *mdiArea()
{
    return s_mdiArea;
}

void setMainWindow(QWidget *window)
{
    s_mainWindow = window;
}

QWidget *mainWindow()
{
    return s_mainWindow;
}

} // namespace Corvane
