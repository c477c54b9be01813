#pragma once

#include <QApplication>
#include <QLockFile>
#include <memory>
#include <string>

#include "base/Desktop.h"
#include "base/MessageBox.h"

namespace tastiva {

// The modal message box over Qt: OK only, no icon for style 0.
class QtMessageBox final : public MessageBox {
 public:
  void MsgBox(const std::string& prompt, int style, const std::string& title) override;
};

// The desktop services over Qt and the process.
class QtDesktop final : public Desktop {
 public:
  // lockPath: where the single-instance lock lives; a lock left by a killed copy is taken
  // over.
  explicit QtDesktop(QString lockPath = DefaultLockPath());

  bool PrevInstance() override;
  int Day() override;
  void ShowNotice() override;
  [[noreturn]] void End() override;

  static QString DefaultLockPath();

 private:
  std::unique_ptr<QLockFile> lock_;
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
