#pragma once

#include <cstdint>
#include <string>

namespace tastiva {

// How a second copy asks the running one to come to the front. On Linux and macOS the running
// copy listens on a local socket beside its instance lock, and a connection from the same user
// is the request. On Windows the running copy marks its window, and a second copy lets it take
// the foreground and posts it a message.
class InstanceCall {
 public:
  // lockName: the instance lock's name (InstanceLock::Name()), which the socket's follows.
  explicit InstanceCall(const std::string& lockName);
  ~InstanceCall();
  InstanceCall(const InstanceCall&) = delete;
  InstanceCall& operator=(const InstanceCall&) = delete;

  // The running copy, holding the lock. Linux and macOS: listens; Descriptor() becomes readable
  // when a call waits. False when it cannot (the place is not the user's, the name too long).
  bool Listen();
  int Descriptor() const { return fd_; }
  // Takes every call waiting; true if one of them came from this user.
  bool Answer();
  // Removes the socket on the way out.
  void Close();

  // A second copy: asks the running one, without waiting for it. False if none listens.
  bool Ring() const;

#ifdef _WIN32
  // The running copy's window, found and called by a second copy's Ring.
  static void MarkWindow(std::intptr_t window);
  // The message Ring posts to it.
  static unsigned Message();
#endif

  const std::string& Path() const {
    return path_;
  }

 private:
  std::string path_;
  int fd_ = -1;
};

}  // namespace tastiva
