#include "ui/QtServices.h"

#include <QDate>
#include <QDir>
#include <QMessageBox>
#include <cstdio>
#include <cstdlib>
#include <exception>

#include "ui/NoticeWindow.h"

namespace tastiva {

void QtMessageBox::MsgBox(const std::string& prompt, int style, const std::string& title) {
  QMessageBox box(style == 16 ? QMessageBox::Critical : QMessageBox::NoIcon,
                  QString::fromStdString(title), QString::fromStdString(prompt), QMessageBox::Ok);
  box.setDefaultButton(QMessageBox::Ok);
  box.exec();
}

QtDesktop::QtDesktop(QString lockPath) : lock_(std::make_unique<QLockFile>(lockPath)) {
  lock_->setStaleLockTime(0);  // only a live process holds the lock
}

QString QtDesktop::DefaultLockPath() {
  return QDir(QDir::tempPath())
      .filePath("tastiva-" + qEnvironmentVariable("USER", "user") + ".lock");
}

bool QtDesktop::PrevInstance() {
  // Held for the life of the process; a crashed copy's lock is stale and taken over.
  return !lock_->isLocked() && !lock_->tryLock(0);
}

int QtDesktop::Day() {
  return QDate::currentDate().day();
}

void QtDesktop::ShowNotice() {
  NoticeWindow notice;
  notice.ShowModal();
}

void QtDesktop::End() {
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
