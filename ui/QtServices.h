#pragma once

#include <QApplication>
#include <optional>
#include <string>

#include "base/Desktop.h"
#include "base/MessageBox.h"
#include "ui/InstanceCall.h"
#include "ui/InstanceLock.h"

namespace tastiva {

// The modal message box over Qt: OK only, no icon for style 0.
class QtMessageBox final : public MessageBox {
 public:
  void MsgBox(const std::string& prompt, int style, const std::string& title) override;
};

// The desktop services over Qt and the process.
class QtDesktop final : public Desktop {
 public:
  // lockName: the single-instance lock; tests give each run its own.
  explicit QtDesktop(std::string lockName = InstanceLock::DefaultName());

  // Another copy running is asked to come to the front.
  bool PrevInstance() override;
  int Day() override;
  void ShowNotice() override;
  [[noreturn]] void End() override;

  // Once this copy runs: a second copy's call brings the window to the front.
  void AnswerCalls(QWidget& window);

 private:
  InstanceLock lock_;
  InstanceCall call_;
  std::optional<bool> another_;  // asked once; the answer holds for the life of the process
};

// The application object: an exception that no handler catches, in start-up or in any
// event, shows the run-time error report and ends the program.
class Application final : public QApplication {
 public:
  Application(int& argc, char** argv);
  bool notify(QObject* receiver, QEvent* event) override;
};

[[noreturn]] void ReportRuntimeError(const std::string& what);

}  // namespace tastiva
