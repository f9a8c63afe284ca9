#pragma once

#include <functional>

// Runs the handlers that widgets call on behalf of a form (grid events, navigator
// actions, page changes) so that no exception escapes into Qt's event loop.
//
// The component library installs its event boundary as the runner, so an error raised
// inside a grid event is shown (or silently dropped for an abort) exactly as in a form's
// own handler.  Without an installed runner, exceptions are caught and logged.
namespace EventGuard {

using Runner = std::function<bool(const std::function<void()> &handler)>;

// Returns false when the handler ended by an exception; the widget then refuses the
// action that the handler was guarding (a column change, a key, a page change).
bool run(const std::function<void()> &handler);
void setRunner(Runner runner);

} // namespace EventGuard
