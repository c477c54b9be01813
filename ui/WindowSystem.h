#pragma once

namespace tastiva {

// Qt ends a program that finds no window system with an abort and a core dump. The program
// says so instead, in one plain line on stderr, and exits with status 1.

// Before the application object: ends the program when no display is named at all.
void RequireDisplay();

// Held while the application object is built: a window system that cannot be opened ends the
// program the same way. Qt's messages meanwhile are held back and passed on once it opened.
class WindowSystemGuard {
 public:
  WindowSystemGuard();
  ~WindowSystemGuard();
  WindowSystemGuard(const WindowSystemGuard&) = delete;
  WindowSystemGuard& operator=(const WindowSystemGuard&) = delete;
};

}  // namespace tastiva
