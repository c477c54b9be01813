#include "midi/ports/SystemPorts.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "midi/MidiResults.h"
#include "tests/ports/PortsTestSupport.h"

// The tests with a server run under run_with_jack.sh, which starts a private JACK server and
// the jack_receiver client; without it they are skipped.

namespace tastiva {
namespace {

TEST(SystemPortsWithoutServer, ListsNothingAndPrintsNothing) {
  if (std::getenv("JACK_DEFAULT_SERVER") != std::string("tastiva-no-such-server")) {
    GTEST_SKIP() << "run by ctest's ports_noserver, which names an absent server";
  }
  testing::internal::CaptureStderr();  // descriptor 2: libraries print there too
  std::size_t listed = 1;
  EXPECT_NO_THROW({
    SystemPorts ports(kClientName);
    listed = ports.ListPorts().size() + ports.ListPorts().size();  // the second tries again
  });
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  if (access("/dev/snd/seq", F_OK) != 0) {  // else ALSA's ports are listed
    EXPECT_EQ(listed, 0u);
  }
}

// The bytes each message becomes at a JACK receiver are checked end to end in
// tests/e2e/play_test.sh.
TEST(SystemPortsWithJack, OwnPortsAreSkipped) {
  REQUIRE_JACK();
  JackInput own("own");  // as another instance of this program would be named
  SystemPorts ports("own");
  const auto devices = ports.ListPorts();
  EXPECT_EQ(Named(devices, own.port()), nullptr);
  const auto receiver = Named(devices, std::getenv("TASTIVA_RECEIVER_PORT"));
  ASSERT_TRUE(receiver);
  ASSERT_EQ(receiver->Open().code, MMSYSERR_NOERROR);
  EXPECT_EQ(receiver->Send(0x000028C0u).code, MMSYSERR_NOERROR);
}

TEST(SystemPortsWithJack, VanishedPortsAreRefusedByName) {
  REQUIRE_JACK();
  JackInput vanishing("vanishing");
  SystemPorts ports(kClientName);
  const auto device = Named(ports.ListPorts(), vanishing.port());
  ASSERT_TRUE(device);

  vanishing.Stop();  // between listing and opening
  const DeviceResult gone = device->Open();
  EXPECT_EQ(gone.code, MMSYSERR_BADDEVICEID);
  EXPECT_NE(gone.detail.find(vanishing.port() + " is gone"), std::string::npos) << gone.detail;

  // Gone and back (in the same slot of JACK's port table) between two sends: the connection
  // did not come back with it. Refused as soon as JACK's notice arrives, until opened again.
  vanishing.Start();
  ASSERT_EQ(device->Open().code, MMSYSERR_NOERROR);
  EXPECT_EQ(device->Send(kNoteOn).code, MMSYSERR_NOERROR);
  vanishing.Stop();
  vanishing.Start();
  DeviceResult refused;
  EXPECT_TRUE(WaitFor(2s, [&] {
    refused = device->Send(kNoteOff);
    return refused.code == MIDIERR_NOTREADY;
  }));
  EXPECT_NE(refused.detail.find(vanishing.port()), std::string::npos) << refused.detail;
  EXPECT_EQ(device->Close().code, MMSYSERR_NOERROR);
  EXPECT_EQ(device->Open().code, MMSYSERR_NOERROR);
  EXPECT_EQ(device->Send(kNoteOff).code, MMSYSERR_NOERROR);
}
}  // namespace
}  // namespace tastiva
