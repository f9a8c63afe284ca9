#include "ShowAvi.h"

#include "NetConnection.h"
#include "UserInterface.h"


namespace {
int g_depth = 0;
}

void ActiveShowAvi(QWidget *mainForm, int kind, const QString &text)
{
    ++g_depth;
    ui()->progressStart(mainForm, kind, text);
}

void DeactiveShowAvi()
{
    if (g_depth == 0)
        return;
    if (--g_depth == 0)
        ui()->progressStop();
}

bool ShowAviActive()
{
    return g_depth > 0;
}

ShowAviGuard::ShowAviGuard(QWidget *mainForm, int kind, const QString &text)
{
    ActiveShowAvi(mainForm, kind, text);
}

ShowAviGuard::~ShowAviGuard()
{
    release();
}

void ShowAviGuard::release()
{
    if (!m_active)
        return;
    m_active = false;
    DeactiveShowAvi();
}

void attachShowAvi(NetConnection &connection, QWidget *mainForm, int kind)
{
    // The form owns the connection, so it outlives every call.
    connection.onBusy = [mainForm, kind](bool busy) {
        if (busy)
            ActiveShowAvi(mainForm, kind);
        else
            DeactiveShowAvi();
    };
}
