#pragma once

#include <functional>

namespace tastiva {

// SIGTERM, SIGINT and SIGHUP (a logout, a service manager, Ctrl+C in the terminal that started
// it) close the program as its window's close button does, on the UI thread, so that the
// notes still sounding end first. Where there are no such signals, it does nothing.
void CloseOnEndSignals(std::function<void()> close);

}  // namespace tastiva
