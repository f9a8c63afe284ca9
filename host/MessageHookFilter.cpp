#include "MessageHookFilter.h"

#include "Corvane.h"

#include <QtDebug>

#include <exception>

bool MessageHookFilter::eventFilter(QObject *watched, QEvent *event)
{
    if (!Corvane::hasMsgEventForm())
        return false;
    // A failing hook must not take the event down with it, and showing a message from
    // here would raise more events into the same hook: the failure is only logged.
    try {
        Corvane::MsgEventForm(watched, event);
    } catch (const std::exception &e) {
        qWarning("message hook failed: %s", e.what());
    } catch (...) {
        qWarning("message hook failed");
    }
    return false;
}
