#include "app/CommandLine.h"

#include <array>
#include <cstdio>
#include <string>
#include <string_view>

#ifdef _WIN32
#include <windows.h>
#endif

namespace tastiva {

namespace {

constexpr char kUsage[] =
    "Usage: tastiva [OPTION]...\n"
    "Play a 32-key MIDI keyboard, F3 to C6, with the mouse or two rows of the computer\n"
    "keyboard, to the built-in synthesizer or any MIDI output. Only one copy runs at a time:\n"
    "starting another brings the running one to the front.\n"
    "\n"
    "      --help     display this help and exit\n"
    "      --version  output version information and exit\n"
    "\n"
    "In the window, Alt+I chooses the instrument and Alt+D the device with the arrow keys.\n"
    "Qt's own options, such as -platform NAME and -style NAME, are passed on to Qt.\n";

constexpr char kVersion[] = "Tastiva " TASTIVA_VERSION
                            "\n"
                            "Copyright (C) 2026 The Tastiva authors. All rights reserved.\n";

// Qt's own options (QGuiApplication, QApplication, the X11 platform); those of the first kind
// take the next argument as their value unless given as -name=value.
constexpr std::array<std::string_view, 15> kQtWithValue{
    "platform",    "platformpluginpath", "platformtheme", "plugin",     "qwindowgeometry",
    "qwindowicon", "qwindowtitle",       "style",         "stylesheet", "session",
    "display",     "geometry",           "name",          "title",      "visual"};
constexpr std::array<std::string_view, 6> kQtAlone{"reverse", "widgetcount", "sync",
                                                   "nograb",  "dograb",      "qmljsdebugger"};

template <std::size_t N>
bool Among(const std::array<std::string_view, N>& names, std::string_view name) {
  for (std::string_view n : names) {
    if (n == name) return true;
  }
  return false;
}

int Fail(const std::string& what) {
  std::fprintf(stderr, "tastiva: %s\nTry 'tastiva --help' for more information.\n", what.c_str());
  return 2;
}

int Print(const char* text) {
#ifdef _WIN32
  // A program with windows has no console of its own: print to the one it was started from.
  if (GetFileType(GetStdHandle(STD_OUTPUT_HANDLE)) == FILE_TYPE_UNKNOWN &&
      AttachConsole(ATTACH_PARENT_PROCESS)) {
    std::freopen("CONOUT$", "w", stdout);
  }
#endif
  std::fputs(text, stdout);
  return std::fflush(stdout) == 0 ? 0 : 1;
}

}  // namespace

std::optional<int> ReadCommandLine(int argc, char** argv) {
  std::optional<int> ends;
  for (int i = 1; i < argc && !ends; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--") {
      if (i + 1 < argc) return Fail("extra operand '" + std::string(argv[i + 1]) + "'");
      break;
    }
    if (arg.size() < 2 || arg[0] != '-') return Fail("extra operand '" + std::string(arg) + "'");
    // Qt takes its options with one dash or two.
    std::string_view name = arg.substr(arg[1] == '-' ? 2 : 1);
    const auto equals = name.find('=');
    const bool valued = equals != std::string_view::npos;
    name = name.substr(0, equals);
    if (Among(kQtWithValue, name)) {
      if (!valued) ++i;
      continue;
    }
    if (Among(kQtAlone, name)) continue;
    if (arg[1] != '-') return Fail("invalid option -- '" + std::string(arg.substr(1, 1)) + "'");
    // A long option may be shortened while it stays unambiguous.
    for (const auto& [option, text] : {std::pair{std::string_view("help"), kUsage},
                                       std::pair{std::string_view("version"), kVersion}}) {
      if (name.empty() || !option.starts_with(name)) continue;
      if (valued) return Fail("option '--" + std::string(option) + "' doesn't allow an argument");
      ends = Print(text);
    }
    if (!ends) return Fail("unrecognized option '" + std::string(arg) + "'");
  }
  return ends;
}

}  // namespace tastiva
