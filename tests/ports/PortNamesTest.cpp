#include "midi/PortNames.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tastiva {
namespace {

// Whether every lead byte is followed by all of its continuation bytes.
bool IsValidUtf8(const std::string& s) {
  for (std::size_t i = 0; i < s.size();) {
    const auto c = static_cast<unsigned char>(s[i++]);
    const int more = c < 0x80 ? 0 : c < 0xE0 ? 1 : c < 0xF0 ? 2 : 3;
    if (c >= 0x80 && c < 0xC0) return false;
    for (int k = 0; k < more; ++k, ++i) {
      if (i >= s.size() || (static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) return false;
    }
  }
  return true;
}

TEST(PortNames, AlsaNamesLoseTheAddressAndARepeatedClientName) {
  const auto alsa = [](const std::string& full) {
    return ReadablePortName(PortSystem::kAlsa, full);
  };
  EXPECT_EQ(alsa("Midi Through:Midi Through Port-0 14:0"), "Midi Through Port-0");
  EXPECT_EQ(alsa("ZynAddSubFX:ZynAddSubFX 129:0"), "ZynAddSubFX");
  EXPECT_EQ(alsa("USB Keys:USB Keys MIDI 1 24:0"), "USB Keys MIDI 1");
  // A port that only starts with the client's letters is its own word: keep both.
  EXPECT_EQ(alsa("Synth:Synthesizer 130:0"), "Synth:Synthesizer");
  EXPECT_EQ(alsa("TiMidity:Port A 128:1"), "TiMidity:Port A");
  // Numbers inside the port's own name stay; only the trailing address goes.
  EXPECT_EQ(alsa("qsynth:Synth input (qsynth:0) 130:0"), "qsynth:Synth input (qsynth:0)");
  EXPECT_EQ(PortClientName(PortSystem::kAlsa, "FLUID Synth (1234):Synth (1234:0) 129:0"),
            "FLUID Synth (1234)");
}

TEST(PortNames, JackNamesKeepClientAndPortAndCoreMidiNamesStayWhole) {
  EXPECT_EQ(ReadablePortName(PortSystem::kJack, "receiver-12345:in"), "receiver-12345:in");
  EXPECT_EQ(ReadablePortName(PortSystem::kJack, "system:midi_playback_1"),
            "system:midi_playback_1");
  // Ports bridged from ALSA carry the ALSA client, its number and a direction.
  EXPECT_EQ(
      ReadablePortName(PortSystem::kJack, "a2j:Midi Through [14] (playback): Midi Through Port-0"),
      "a2j:Midi Through Port-0");
  EXPECT_EQ(PortClientName(PortSystem::kJack, "a2j:Midi Through [14] (playback): Port-0"), "a2j");
  // CoreMIDI names have no client part, whatever they contain.
  EXPECT_EQ(ReadablePortName(PortSystem::kCoreMidi, "Network:Session 1"), "Network:Session 1");
  EXPECT_EQ(PortClientName(PortSystem::kCoreMidi, "Network:Session 1"), "");
}

TEST(PortNames, LongNamesKeepTheirStartAndEndWithinTheLimit) {
  struct Case {
    PortSystem system;
    const char* full;
    const char* start;
    const char* end;
  };
  const Case cases[] = {
      {PortSystem::kAlsa, "FLUID Synth (1234):Synth input port (1234:0) 128:0", "FLUID Synth",
       "(1234:0)"},
      {PortSystem::kJack, "SomeVeryLongClientNameForTesting:midi_in", "SomeVeryLong", "midi_in"},
      {PortSystem::kJack, "a2j:FLUID Synth (1234) [128] (playback): Synth input port (1234:0)",
       "a2j:FLUID", "(1234:0)"},
      {PortSystem::kCoreMidi, "Roland Digital Piano Bluetooth MIDI Port 2", "Roland Digital",
       "Port 2"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.full);
    const std::string name = ReadablePortName(c.system, c.full);
    EXPECT_LE(name.size(), kMaxPortNameBytes);
    EXPECT_EQ(name.rfind(c.start, 0), 0u) << name;
    EXPECT_TRUE(name.ends_with(c.end)) << name;
    EXPECT_NE(name.find(".."), std::string::npos) << name;
  }
}

TEST(PortNames, ShorteningCutsBetweenWordsAndNeverInsideACharacter) {
  // Whole words where that loses little; no space or separator next to the "..".
  EXPECT_EQ(ShortenName("Alpha Bravo Charlie Delta Echo Foxtrot Golf", 31),
            "Alpha Bravo Charlie Delta..Golf");
  // Without word breaks the cut falls inside words.
  const std::string letters(40, 'a');
  EXPECT_EQ(ShortenName(letters, 31), std::string(29 - 11, 'a') + ".." + std::string(11, 'a'));

  // Multi-byte characters: every cut position in turn.
  const std::string accented = "Ünïcödé Ünïcödé Ünïcödé Ünïcödé Ünïcödé";
  for (std::size_t max = 1; max < accented.size(); ++max) {
    const std::string cut = ShortenName(accented, max);
    EXPECT_LE(cut.size(), max);
    EXPECT_TRUE(IsValidUtf8(cut)) << "max " << max;
  }
  EXPECT_EQ(ShortenName(std::string(31, 'x'), 31), std::string(31, 'x'));
}

TEST(PortNames, DuplicatesGetNumbersWithoutTakingOtherNames) {
  std::vector<std::string> names = {"Synth", "Synth", "Synth 2", "Synth", "Other"};
  MakeNamesUnique(names, kMaxPortNameBytes);
  EXPECT_EQ(names, (std::vector<std::string>{"Synth", "Synth 3", "Synth 2", "Synth 4", "Other"}));

  // At the limit the name gives way to the number.
  const std::string full(31, 'p');
  std::vector<std::string> longNames(11, full);
  MakeNamesUnique(longNames, kMaxPortNameBytes);
  EXPECT_EQ(longNames[0], full);
  EXPECT_EQ(longNames[1], std::string(29, 'p') + " 2");
  EXPECT_EQ(longNames[10], std::string(28, 'p') + " 11");
  for (const std::string& name : longNames) EXPECT_LE(name.size(), kMaxPortNameBytes);
}

}  // namespace
}  // namespace tastiva
