#include "EventGuard.h"

#include <QDebug>

#include <exception>

namespace EventGuard {

namespace {
Runner &installedRunner()
{
    static Runner runner;
    return runner;
}
} // namespace

bool run(const std::function<void()> &handler)
{
    if (!handler)
        return true;
    if (const Runner &runner = installedRunner())
        return runner(handler);
    try {
        handler();
        return true;
    } catch (const std::exception &e) {
        qWarning().noquote() << "event handler failed:" << e.what();
    } catch (...) {
        qWarning() << "event handler failed";
    }
    return false;
}

void setRunner(Runner runner)
{
    installedRunner() = std::move(runner);
}

} // namespace EventGuard
