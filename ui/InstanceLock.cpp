#include "ui/InstanceLock.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <utility>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace tastiva {

InstanceLock::InstanceLock(std::string name) : name_(std::move(name)) {}

#ifdef _WIN32

std::string InstanceLock::DefaultName() {
  // "Local\" is the namespace of the session, and a session belongs to one signed-in user.
  return "Local\\Tastiva.SingleInstance";
}

InstanceLock::Result InstanceLock::Take() {
  if (taken_) return Result::Taken;
  const int size = MultiByteToWideChar(CP_UTF8, 0, name_.c_str(), -1, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(size > 0 ? size : 1), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, name_.c_str(), -1, wide.data(), size);
  // The mutex lives as long as a process has a handle to it; Windows closes the handles of a
  // process that ends, whatever way it ends.
  HANDLE mutex = CreateMutexW(nullptr, FALSE, wide.c_str());
  const DWORD error = GetLastError();
  if (mutex == nullptr) {
    why_ = "cannot create the mutex " + name_ + ": error " + std::to_string(error);
    return Result::Unavailable;
  }
  if (error == ERROR_ALREADY_EXISTS) {
    CloseHandle(mutex);
    return Result::Refused;
  }
  handle_ = reinterpret_cast<std::intptr_t>(mutex);
  taken_ = true;
  return Result::Taken;
}

InstanceLock::~InstanceLock() {
  if (taken_) CloseHandle(reinterpret_cast<HANDLE>(handle_));
}

#else

namespace {

bool OwnFolder(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid();
}

// Where the lock goes when no runtime folder is named: nothing here reads the environment.
std::string FallbackFolder() {
#ifdef __APPLE__
  // The user's own temporary folder, from the system rather than from TMPDIR.
  char folder[1024] = {};
  const std::size_t length = ::confstr(_CS_DARWIN_USER_TEMP_DIR, folder, sizeof folder);
  if (length > 1 && length <= sizeof folder) return std::string(folder, length - 1);
#endif
  const std::string uid = std::to_string(::geteuid());
  // The runtime folder the login manager makes for the user, when only the variable is gone
  // (su, some remote shells).
  if (OwnFolder("/run/user/" + uid)) return "/run/user/" + uid;
  return {};
}

}  // namespace

std::string InstanceLock::DefaultName() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime != nullptr && runtime[0] == '/') return std::string(runtime) + "/tastiva.lock";
  const std::string folder = FallbackFolder();
  if (!folder.empty()) return folder + (folder.back() == '/' ? "" : "/") + "tastiva.lock";
  // Last, the shared /tmp under the user's number; Take() refuses a file someone else owns.
  return "/tmp/tastiva-" + std::to_string(::geteuid()) + ".lock";
}

InstanceLock::Result InstanceLock::Take() {
  if (taken_) return Result::Taken;
  auto unavailable = [this](const char* reason) {
    why_ = "cannot lock " + name_ + ": " + reason;
    return Result::Unavailable;
  };
  // No symbolic links (the fallback lives in a shared folder); never waits on a FIFO.
  constexpr int kFlags = O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK;
  int fd = ::open(name_.c_str(), O_RDWR | O_CREAT | kFlags, 0600);
  // A lock file already there can be locked through a read-only descriptor too.
  if (fd < 0 && (errno == EROFS || errno == EACCES)) fd = ::open(name_.c_str(), O_RDONLY | kFlags);
  if (fd < 0) return unavailable(std::strerror(errno));

  struct stat st {};
  const char* wrong = nullptr;
  if (::fstat(fd, &st) != 0) {
    wrong = std::strerror(errno);
  } else if (!S_ISREG(st.st_mode)) {
    wrong = "not a regular file";
  } else if (st.st_uid != ::geteuid()) {
    wrong = "the file belongs to another user";
  }
  if (wrong != nullptr) {
    ::close(fd);
    return unavailable(wrong);
  }

  // flock, not fcntl: its lock belongs to this open file, so no other descriptor of the
  // process to the same file can drop it by being closed. The file is never removed:
  // removing it would let a later copy lock a new file while this one holds the old.
  int locked;
  do {
    locked = ::flock(fd, LOCK_EX | LOCK_NB);
  } while (locked != 0 && errno == EINTR);
  if (locked != 0) {
    const int error = errno;
    ::close(fd);
    if (error == EWOULDBLOCK) return Result::Refused;
    return unavailable(std::strerror(error));
  }
  handle_ = fd;
  taken_ = true;
  return Result::Taken;
}

InstanceLock::~InstanceLock() {
  if (taken_) ::close(static_cast<int>(handle_));
}

#endif

}  // namespace tastiva
