#pragma once

#include <cstdint>
#include <string>

namespace tastiva {

// One copy of the program per user and session. The lock is an object the operating system
// gives back when the process ends, however it ends: an advisory lock (flock) on a file on
// Linux and macOS, a named mutex on Windows. What the lock file holds never matters, so an
// empty or garbled one left by a copy that died cannot keep a later start from running.
class InstanceLock {
 public:
  enum class Result {
    Taken,        // this process holds the lock
    Refused,      // another process holds it
    Unavailable,  // no lock can be had here; Why() says why
  };

  // name: the lock file's path on Linux and macOS, the mutex's name on Windows.
  explicit InstanceLock(std::string name);
  ~InstanceLock();
  InstanceLock(const InstanceLock&) = delete;
  InstanceLock& operator=(const InstanceLock&) = delete;

  // Tries once, without waiting. Once taken, the lock stays taken.
  Result Take();
  // For Unavailable: one line naming the lock and the system's reason.
  const std::string& Why() const { return why_; }
  const std::string& Name() const { return name_; }

  // The lock of the user's session: "tastiva.lock" in the user's runtime folder on Linux and
  // macOS, a mutex in the session's namespace on Windows. Not moved by TMPDIR, USER or the
  // current directory.
  static std::string DefaultName();

 private:
  std::string name_;
  std::string why_;
  bool taken_ = false;
  std::intptr_t handle_ = -1;  // file descriptor, or the mutex's HANDLE
};

}  // namespace tastiva
