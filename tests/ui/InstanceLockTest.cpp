// The single-instance lock: one holder, given back when it ends (across processes, ended or
// killed, in tests/e2e/startup_test.sh and, under Wine, tests/windows/e2e_test.sh), never
// wedged by what a lock file holds, and saying why when there is none; and a second copy's call
// to the holder.
#include "ui/InstanceLock.h"

#include <gtest/gtest.h>

#include "ui/InstanceCall.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace tastiva {
namespace {

using Result = InstanceLock::Result;

class InstanceLockTest : public ::testing::Test {
 protected:
#ifdef _WIN32
  std::string path_ = "Local\\Tastiva.Test." + std::to_string(GetCurrentProcessId());
#else
  void SetUp() override {
    char pattern[] = "/tmp/tastiva-lock-test.XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    dir_ = pattern;
    path_ = dir_ + "/tastiva.lock";
  }
  void TearDown() override {
    std::filesystem::remove_all(dir_);
  }

  std::string dir_, path_;
#endif
};

// Another open of the lock in this process is refused too: a lock held against other processes
// only (fcntl's) would go with the first close of any descriptor of its file.
TEST_F(InstanceLockTest, OneHolderGivenBackWhenItEnds) {
  {
    InstanceLock lock(path_);
    ASSERT_EQ(lock.Take(), Result::Taken);
    EXPECT_EQ(lock.Take(), Result::Taken);
    EXPECT_EQ(InstanceLock(path_).Take(), Result::Refused);
  }
  EXPECT_EQ(InstanceLock(path_).Take(), Result::Taken);
}

#ifndef _WIN32

// Empty and garbled leftover files are taken in tests/e2e/startup_test.sh.
TEST_F(InstanceLockTest, LeftoverFilesNeverWedgeAndNoPlaceForTheLockSaysWhy) {
  std::ofstream(path_) << "12345\n";
  ::chmod(path_.c_str(), 0400);  // still locked, through a read-only open
  EXPECT_EQ(InstanceLock(path_).Take(), Result::Taken);

  ::symlink("/dev/null", (dir_ + "/link").c_str());
  const std::pair<std::string, std::string> cases[] = {
      {dir_ + "/missing/tastiva.lock", "No such file or directory"},
      {path_ + "/tastiva.lock", "Not a directory"},
      {dir_, "Is a directory"},
      {dir_ + "/link", "Too many levels of symbolic links"},
  };
  for (const auto& [path, reason] : cases) {
    InstanceLock lock(path);
    EXPECT_EQ(lock.Take(), Result::Unavailable) << path;
    EXPECT_EQ(lock.Why(), "cannot lock " + path + ": " + reason);
  }
}

// A second copy's call: the running copy listens beside its lock, over a socket a copy that
// died left there; calls wait until taken, all at once; none is heard where none listens.
TEST_F(InstanceLockTest, ASecondCopyCallsTheHolderWithoutWaiting) {
  InstanceCall call(path_);
  EXPECT_EQ(call.Path(), dir_ + "/tastiva.socket");
  EXPECT_FALSE(InstanceCall(path_).Ring());
  std::ofstream(call.Path()) << "left behind";
  ASSERT_TRUE(call.Listen());
  struct stat st {};
  ASSERT_EQ(::stat(call.Path().c_str(), &st), 0);
  EXPECT_TRUE(S_ISSOCK(st.st_mode));
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_FALSE(call.Answer());
  EXPECT_TRUE(InstanceCall(path_).Ring());
  EXPECT_TRUE(InstanceCall(path_).Ring());
  EXPECT_TRUE(call.Answer());
  EXPECT_FALSE(call.Answer());
  call.Close();
  EXPECT_FALSE(std::filesystem::exists(call.Path()));
  EXPECT_FALSE(InstanceCall(path_).Ring());

  const std::string tooLong = dir_ + "/" + std::string(120, 'x') + ".lock";
  EXPECT_FALSE(InstanceCall(tooLong).Listen());
  EXPECT_FALSE(InstanceCall(tooLong).Ring());
}

#endif

}  // namespace
}  // namespace tastiva
