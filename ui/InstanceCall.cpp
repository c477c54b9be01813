#include "ui/InstanceCall.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#endif

namespace tastiva {

InstanceCall::InstanceCall(const std::string& lockName) : path_(lockName) {
  // "tastiva.lock" calls at "tastiva.socket".
  if (path_.ends_with(".lock")) path_.resize(path_.size() - 5);
  path_ += ".socket";
}

InstanceCall::~InstanceCall() {
#ifndef _WIN32
  if (fd_ >= 0) ::close(fd_);
#endif
}

#ifdef _WIN32

namespace {
constexpr wchar_t kProperty[] = L"io.github.tastiva.Tastiva.Running";

BOOL CALLBACK FindMarked(HWND window, LPARAM found) {
  if (GetPropW(window, kProperty) == nullptr) return TRUE;
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;
}
}  // namespace

void InstanceCall::MarkWindow(std::intptr_t window) {
  SetPropW(reinterpret_cast<HWND>(window), kProperty, reinterpret_cast<HANDLE>(1));
}

unsigned InstanceCall::Message() {
  static const UINT message = RegisterWindowMessageW(L"io.github.tastiva.Tastiva.ComeForward");
  return message;
}

bool InstanceCall::Listen() {
  return true;
}
bool InstanceCall::Answer() {
  return false;
}
void InstanceCall::Close() {}

bool InstanceCall::Ring() const {
  HWND window = nullptr;
  EnumWindows(FindMarked, reinterpret_cast<LPARAM>(&window));
  if (window == nullptr) return false;
  // The copy the user just started may hand the foreground on; the running one may not take it.
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  AllowSetForegroundWindow(process);
  return PostMessageW(window, Message(), 0, 0) != 0;
}

#else

namespace {

bool Address(const std::string& path, sockaddr_un& address) {
  address = {};
  address.sun_family = AF_UNIX;
  if (path.size() >= sizeof address.sun_path) return false;
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  return true;
}

bool SameUser(int fd) {
#if defined(SO_PEERCRED)
  ucred peer{};
  socklen_t size = sizeof peer;
  return ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 && peer.uid == ::geteuid();
#else
  uid_t uid = 0;
  gid_t gid = 0;
  return ::getpeereid(fd, &uid, &gid) == 0 && uid == ::geteuid();
#endif
}

int Socket() {
  const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  if (fd < 0) return -1;
  // Never waits: a second copy ends at once whatever the running one does.
  ::fcntl(fd, F_SETFD, FD_CLOEXEC);
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
  return fd;
}

}  // namespace

bool InstanceCall::Listen() {
  sockaddr_un address;
  if (fd_ >= 0 || !Address(path_, address)) return fd_ >= 0;
  fd_ = Socket();
  if (fd_ < 0) return false;
  // The lock is held: a socket left here by a copy that died is stale.
  ::unlink(path_.c_str());
  if (::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::chmod(path_.c_str(), 0600) != 0 || ::listen(fd_, 8) != 0) {
    ::close(fd_);
    fd_ = -1;
  }
  return fd_ >= 0;
}

bool InstanceCall::Answer() {
  bool called = false;
  for (int caller; fd_ >= 0 && (caller = ::accept(fd_, nullptr, nullptr)) >= 0;) {
    called = called || SameUser(caller);
    ::close(caller);
  }
  return called;
}

void InstanceCall::Close() {
  if (fd_ < 0) return;
  ::close(fd_);
  fd_ = -1;
  ::unlink(path_.c_str());
}

bool InstanceCall::Ring() const {
  sockaddr_un address;
  if (!Address(path_, address)) return false;
  const int fd = Socket();
  if (fd < 0) return false;
  const bool rung = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  ::close(fd);
  return rung;
}

#endif

}  // namespace tastiva
