// For tests that destroy devices with work still in flight (a module loading, a synthesizer
// preparing, a JACK call that waits): that work runs on by design, so the binary ends as the
// program does, with _Exit, instead of running the libraries' destructors under a thread
// still inside them. Leaks are still checked first under AddressSanitizer.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  const int result = RUN_ALL_TESTS();
  std::fflush(nullptr);
#if defined(__SANITIZE_ADDRESS__)
  __lsan_do_leak_check();  // ends the process with an error when it finds one
#endif
  std::_Exit(result);
}
