#pragma once

#include <QString>

class NetConnection;
class QWidget;

// The progress animation over the main form while the server works: kind 1 while it
// validates or stores, kind 6 while data is received (ShowAviKind), with an optional text.
// Shown through the user interface.  Calls nest: the animation goes away when every
// ActiveShowAvi has had its DeactiveShowAvi (a surplus DeactiveShowAvi does nothing).
void ActiveShowAvi(QWidget *mainForm, int kind, const QString &text = {});
void DeactiveShowAvi();
bool ShowAviActive();

// Shows the animation for its lifetime, so that it is removed on every path, also when
// the call in between throws.
class ShowAviGuard
{
public:
    ShowAviGuard(QWidget *mainForm, int kind, const QString &text = {});
    ~ShowAviGuard();
    ShowAviGuard(const ShowAviGuard &) = delete;
    ShowAviGuard &operator=(const ShowAviGuard &) = delete;

    // Removes the animation before the end of the scope (once).
    void release();

private:
    bool m_active = true;
};

// Shows the animation of the given kind during every call of a connection (its onBusy).
void attachShowAvi(NetConnection &connection, QWidget *mainForm, int kind);
