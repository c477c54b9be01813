#include <exception>
#include <memory>

#include "app/CommandLine.h"
#include "app/CreateMidiPlatform.h"
#include "app/Environment.h"
#include "app/MainForm.h"
#include "midi/MIDI_CMD.h"
#include "midi/MIDI_OUT.h"
#include "ui/AutoRepeat.h"
#include "ui/BusyCursor.h"
#include "ui/EndSignals.h"
#include "ui/FontWarmup.h"
#include "ui/MainWindow.h"
#include "ui/QtServices.h"
#include "ui/WindowSystem.h"
#include "ui/assets/Assets.h"

int main(int argc, char** argv) {
  using namespace tastiva;
  if (const auto status = ReadCommandLine(argc, argv)) return *status;
  PrepareEnvironment();
  RequireDisplay();
  // Another copy running: Form_Load ends this one at once, with nothing started.
  QtDesktop desktop;
  if (!desktop.PrevInstance()) WarmUpFonts();

  auto guard = std::make_unique<WindowSystemGuard>();
  Application app(argc, argv);
  guard.reset();
  // Lets desktop shells match the window to its menu entry.
  Application::setDesktopFileName(TASTIVA_APP_ID);
  InitAssets();
  UseDetectableAutoRepeat();

  QtMessageBox messageBox;
  const auto platform = CreateMidiPlatform(&BusyCursor::Busy);
  MIDI_OUT midiOut(*platform, messageBox);
  MIDI_CMD midiCmd(midiOut);

  MainWindow window;
  desktop.AnswerCalls(window);
  MainForm form(window, midiOut, midiCmd, desktop);
  window.SetEvents(&form);
  CloseOnEndSignals([&window] { window.close(); });
  try {
    form.Form_Load();
  } catch (const std::exception& e) {
    ReportRuntimeError(e.what());
  }
  return app.exec();
}
