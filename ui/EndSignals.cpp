#include "ui/EndSignals.h"

#include <QSocketNotifier>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace tastiva {

#ifdef Q_OS_UNIX
namespace {

int wakeUp = -1;  // the write end, all the handler touches

void OnSignal(int) {
  const char byte = 0;
  [[maybe_unused]] const ssize_t written = ::write(wakeUp, &byte, 1);  // async-signal-safe
}

}  // namespace

void CloseOnEndSignals(std::function<void()> close) {
  int ends[2];
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, ends) != 0) return;
  wakeUp = ends[0];
  // Lives as long as the program: the notifier hands the signal to the event loop.
  auto* notifier = new QSocketNotifier(ends[1], QSocketNotifier::Read);
  QObject::connect(notifier, &QSocketNotifier::activated, [close = std::move(close)] {
    close();  // the first signal is enough; the program ends in it
  });
  struct sigaction action {};
  action.sa_handler = &OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (const int signal : {SIGTERM, SIGINT, SIGHUP}) ::sigaction(signal, &action, nullptr);
}

#else

void CloseOnEndSignals(std::function<void()>) {}

#endif

}  // namespace tastiva
