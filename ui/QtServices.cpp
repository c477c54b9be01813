#include "ui/QtServices.h"

#include <QDate>
#include <QMessageBox>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <utility>

#include "ui/FrontDesk.h"
#include "ui/NoticeWindow.h"

namespace tastiva {

void QtMessageBox::MsgBox(const std::string& prompt, int style, const std::string& title) {
  QMessageBox box(style == 16 ? QMessageBox::Critical : QMessageBox::NoIcon,
                  QString::fromStdString(title), QString::fromStdString(prompt), QMessageBox::Ok);
  box.setDefaultButton(QMessageBox::Ok);
  box.exec();
}

QtDesktop::QtDesktop(std::string lockName) : lock_(std::move(lockName)), call_(lock_.Name()) {}

bool QtDesktop::PrevInstance() {
  if (another_) return *another_;
  // Held for the life of the process and given back by the system when it ends.
  switch (lock_.Take()) {
    case InstanceLock::Result::Taken:
      another_ = false;
      // Without it a second copy still ends; the window just stays where it is.
      call_.Listen();
      break;
    case InstanceLock::Result::Refused:
      another_ = true;
      call_.Ring();
      break;
    case InstanceLock::Result::Unavailable:
      // Better two copies than none: starting is what the user asked for.
      std::fprintf(stderr, "Tastiva: %s; starting without the one-copy check\n",
                   lock_.Why().c_str());
      std::fflush(stderr);
      another_ = false;
      break;
  }
  return *another_;
}

int QtDesktop::Day() {
  return QDate::currentDate().day();
}

void QtDesktop::ShowNotice() {
  NoticeWindow notice;
  notice.ShowModal();
}

void QtDesktop::AnswerCalls(QWidget& window) {
  if (another_ == false) new FrontDesk(window, call_);
}

void QtDesktop::End() {
  call_.Close();
  std::fflush(stdout);
  std::fflush(stderr);
  std::_Exit(0);
}

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {}

bool Application::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& e) {
    ReportRuntimeError(e.what());
  } catch (...) {
    ReportRuntimeError("Unknown error");
  }
}

void ReportRuntimeError(const std::string& what) {
  std::fprintf(stderr, "Tastiva: run-time error: %s\n", what.c_str());
  std::fflush(stderr);
  QMessageBox::critical(nullptr, "Tastiva",
                        QString("Run-time error\n\n%1").arg(QString::fromStdString(what)));
  std::_Exit(1);
}

}  // namespace tastiva
