// The desktop platform keeps winmm's meaning over its own devices.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <tuple>

#include "midi/devices/DesktopPlatform.h"
#include "tests/midi/FakeDevice.h"
#ifdef TASTIVA_TEST_SYNTH_MODULE
#include "midi/devices/ModuleDevice.h"
#include "midi/devices/ModuleDirectory.h"
#endif

namespace tastiva {
namespace {

using test::FakeDevice;
using Words = std::vector<std::uint32_t>;

// Ports the test changes between listings, and a listing that fails.
struct FakePorts final : PortDirectory {
  PortListing ListPorts() override {
    if (fails) throw std::runtime_error("the port table is locked");
    PortListing listing = FixedDevices(devices).ListPorts();
    listing.problem = problem;
    return listing;
  }
  std::vector<std::shared_ptr<MidiDevice>> devices;
  bool fails = false;
  std::string problem;
};

class Desktop : public ::testing::Test {
 protected:
  std::string Text(MidiResult code) {
    char text[128];
    platform.midiOutGetErrorTextA(code, text, sizeof text);
    return text;
  }
  std::string Name(std::uint32_t id) {
    MidiOutCaps caps;
    EXPECT_EQ(platform.midiOutGetDevCapsA(id, &caps, sizeof caps), 0);
    return std::string(caps.szPname);
  }

  std::shared_ptr<FakeDevice> synth = std::make_shared<FakeDevice>("Built-in Synthesizer");
  std::shared_ptr<FakeDevice> port =
      std::make_shared<FakeDevice>("A port whose name is far longer than the field");
  FakePorts* ports = new FakePorts;  // the platform's
  std::vector<std::string> reported;
  DesktopPlatform platform{Directories(),
                           [&](const std::string& problem) { reported.push_back(problem); }};

 private:
  std::vector<std::unique_ptr<PortDirectory>> Directories() {
    std::vector<std::unique_ptr<PortDirectory>> directories;
    directories.push_back(
        std::make_unique<FixedDevices>(std::vector<std::shared_ptr<MidiDevice>>{synth}));
    ports->devices = {port};
    directories.emplace_back(ports);
    return directories;
  }
};

TEST_F(Desktop, SynthIsDeviceZeroAndThereIsNoMapper) {
  EXPECT_EQ(synth->prepared, 0);
  EXPECT_EQ(platform.midiOutGetNumDevs(), 2u);
  // What opening waits for starts with the first listing, once.
  EXPECT_EQ(platform.midiOutGetNumDevs(), 2u);
  EXPECT_EQ(synth->prepared, 1);
  MidiOutCaps caps;
  EXPECT_EQ(platform.midiOutGetDevCapsA(MIDI_MAPPER, &caps, sizeof caps), MMSYSERR_BADDEVICEID);
  EXPECT_EQ(platform.midiOutGetDevCapsA(2, &caps, sizeof caps), MMSYSERR_BADDEVICEID);
  EXPECT_EQ(Name(0), "Built-in Synthesizer");
  EXPECT_EQ(Name(1), "A port whose name is..the field");
  MidiHandle handle = 0;
  EXPECT_EQ(platform.midiOutOpen(&handle, MIDI_MAPPER, 0, 0, 0), MMSYSERR_BADDEVICEID);
  EXPECT_EQ(handle, 0u);
}

TEST_F(Desktop, NamesAreUniqueAcrossDirectoriesAndAListingThatFailsSaysWhy) {
  ports->devices.push_back(std::make_shared<FakeDevice>("Built-in Synthesizer"));
  ports->problem = "JACK is not responding: its MIDI ports are not listed.";
  EXPECT_EQ(platform.midiOutGetNumDevs(), 3u);
  EXPECT_EQ(Name(0), "Built-in Synthesizer");
  EXPECT_EQ(Name(2), "Built-in Synthesizer 2");
  ports->fails = true;
  EXPECT_EQ(platform.midiOutGetNumDevs(), 1u);
  EXPECT_EQ(reported,
            (std::vector<std::string>{"JACK is not responding: its MIDI ports are not listed.",
                                      "Listing the MIDI ports failed: the port table is locked."}));
}

TEST_F(Desktop, HandlesRouteMessagesOutliveARelistingAndStaleOnesAreRefused) {
  MidiHandle a = 0, b = 0;
  ASSERT_EQ(platform.midiOutOpen(&a, 0, 0, 0, 0), 0);
  ASSERT_EQ(platform.midiOutOpen(&b, 1, 0, 0, 0), 0);
  EXPECT_NE(a, 0u);
  EXPECT_NE(a, b);
  MidiHandle again = 0;
  EXPECT_EQ(platform.midiOutOpen(&again, 0, 0, 0, 0), MMSYSERR_ALLOCATED);

  EXPECT_EQ(platform.midiOutShortMsg(a, 0x007F3C90), 0);
  EXPECT_EQ(platform.midiOutShortMsg(b, 0xC0), 0);
  EXPECT_EQ(platform.midiOutClose(a), 0);
  EXPECT_EQ(platform.midiOutClose(a), MMSYSERR_INVALHANDLE);
  EXPECT_EQ(platform.midiOutShortMsg(a, 0x90), MMSYSERR_INVALHANDLE);
  EXPECT_EQ(platform.midiOutShortMsg(0, 0x90), MMSYSERR_INVALHANDLE);
  EXPECT_EQ(synth->Log(), (Words{0x007F3C90, FakeDevice::kClosed}));
  EXPECT_EQ(port->Log(), Words{0xC0});

  // An open handle survives a relisting that drops its device.
  ports->devices.clear();
  EXPECT_EQ(platform.midiOutGetNumDevs(), 1u);
  EXPECT_EQ(platform.midiOutShortMsg(b, 0x90), 0);
  EXPECT_EQ(platform.midiOutClose(b), 0);
}

TEST_F(Desktop, RefusalsCarryTheDevicesOwnWordsCutToTheBuffer) {
  synth->answer = {MIDIERR_INVALIDSETUP, "No General MIDI SoundFont found."};
  MidiHandle handle = 0;
  EXPECT_EQ(platform.midiOutOpen(&handle, 0, 0, 0, 0), MIDIERR_INVALIDSETUP);
  EXPECT_EQ(handle, 0u);
  EXPECT_EQ(Text(MIDIERR_INVALIDSETUP), "No General MIDI SoundFont found.");
  EXPECT_EQ(Text(MMSYSERR_INVALHANDLE), MidiResultText(MMSYSERR_INVALHANDLE));
  EXPECT_EQ(Text(1234), "MIDI error 1234: the MIDI system refused the operation.");

  // A later refusal with the same code and no words of its own gets the standard text.
  port->answer = MIDIERR_INVALIDSETUP;
  EXPECT_EQ(platform.midiOutOpen(&handle, 1, 0, 0, 0), MIDIERR_INVALIDSETUP);
  EXPECT_EQ(Text(MIDIERR_INVALIDSETUP), MidiResultText(MIDIERR_INVALIDSETUP));

  // Texts fit the buffer and end with a NUL.
  char small[8];
  std::memset(small, 'x', sizeof small);
  platform.midiOutGetErrorTextA(MMSYSERR_NOMEM, small, sizeof small);
  EXPECT_EQ(std::string(small), "There i");
  for (MidiResult code = 0; code < 80; ++code) EXPECT_LT(MidiResultText(code).size(), 128u);
}

#ifdef TASTIVA_TEST_SYNTH_MODULE
TEST(Module, ItsDeviceIsListedUnloadedAndAMissingOrWrongModuleRefusesToOpenSayingWhy) {
  const auto spec = [](std::string path, std::string factory = "TastivaCreateBuiltinSynth") {
    return ModuleDevice::Spec{"Built-in Synthesizer", MOD_SWSYNTH, path, factory};
  };
  ModuleDevice missing(spec("/nonexistent/libtastiva-synth.so"));
  EXPECT_EQ(missing.Send(0x007F3C90).code, MMSYSERR_INVALHANDLE);
  missing.Prepare();
  const DeviceResult refused = missing.Open();
  EXPECT_EQ(refused.code, MMSYSERR_NODRIVER);
  EXPECT_EQ(refused.detail.rfind("The Built-in Synthesizer is not installed properly: ", 0), 0u);
  EXPECT_NE(refused.detail.find("cannot open"), std::string::npos) << refused.detail;
  EXPECT_TRUE(refused.detail.ends_with("Install the program again.")) << refused.detail;
  EXPECT_EQ(missing.Close().code, MMSYSERR_INVALHANDLE);

  ModuleDevice wrong(spec(TASTIVA_TEST_SYNTH_MODULE, "NoSuchFactory"));
  EXPECT_NE(wrong.Open().detail.find("NoSuchFactory"), std::string::npos);

  // Broken files are refused before the loader touches them: one cut short inside what the
  // loader maps would kill the process.
  const std::string dir = testing::TempDir() + "tastiva-module-" + std::to_string(getpid());
  std::filesystem::create_directories(dir);
  const std::string module = TASTIVA_TEST_SYNTH_MODULE;
  const auto size = std::filesystem::file_size(module);
  const std::tuple<const char*, std::uintmax_t, const char*> broken[] = {
      {"empty.so", 0, "is empty"},
      {"text.so", 0, "is not a program library"},
      {"cut.so", size / 2, "is incomplete"},
      {"header.so", 40, "is incomplete"},
  };
  for (const auto& [name, keep, why] : broken) {
    const std::string path = dir + "/" + name;
    if (std::string(name) == "text.so") {
      std::ofstream(path) << "INPUT(-lc)\n";
    } else {
      std::filesystem::copy_file(module, path);
      std::filesystem::resize_file(path, keep);
    }
    ModuleDevice device(spec(path));
    device.Prepare();
    const DeviceResult result = device.Open();
    EXPECT_EQ(result.code, MMSYSERR_NODRIVER) << name;
    EXPECT_NE(result.detail.find(why), std::string::npos) << result.detail;
    EXPECT_NE(result.detail.find("Install the program again."), std::string::npos);
  }
  std::filesystem::remove_all(dir);

  // Destroyed while it loads: nothing is left running on what is gone.
  for (int i = 0; i < 3; ++i) ModuleDevice(spec(TASTIVA_TEST_SYNTH_MODULE)).Prepare();

  // The real one opens as the synthesizer does: here, with no audio system, it says so.
  ModuleDevice synth(spec(TASTIVA_TEST_SYNTH_MODULE));
  synth.Prepare();
  const DeviceResult opened = synth.Open();
  if (opened.code != MMSYSERR_NOERROR) {
    EXPECT_EQ(opened.detail,
              "No audio output for the built-in synthesizer. Start PulseAudio, PipeWire or JACK.");
  }
}
#endif

#ifdef TASTIVA_TEST_PORTS_MODULE
TEST(Module, PortDirectoriesListOnceLoadedAndAMissingModuleSaysWhy) {
  ModuleDirectory missing(
      {"MIDI port library", "/nonexistent/libtastiva-ports.so", "TastivaCreatePorts"});
  missing.Prepare();
  const PortListing none = missing.ListPorts();
  EXPECT_TRUE(none.ports.empty());
  EXPECT_EQ(none.problem.rfind("The MIDI port library is not installed properly: ", 0), 0u)
      << none.problem;

  // ALSA's sequencer is missing here and no JACK server runs: no ports, and nothing wrong.
  ModuleDirectory ports({"MIDI port library", TASTIVA_TEST_PORTS_MODULE, "TastivaCreatePorts"});
  ports.Prepare();
  const PortListing listed = ports.ListPorts();
  EXPECT_EQ(listed.problem, "");
  EXPECT_TRUE(listed.ports.empty());
}
#endif

}  // namespace
}  // namespace tastiva
