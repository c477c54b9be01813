#include "midi/devices/DeviceNames.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "midi/jack/JackNames.h"
#include "midi/rtmidi/RtMidiNames.h"

namespace tastiva {
namespace {

enum class System { kAlsa, kJack, kCoreMidi };

// The readable long name of a port and its client's name, from its full name.
std::pair<std::string, std::string> Names(System system, const std::string& full) {
  if (system == System::kJack) return {JackLongName(full), JackClientName(full)};
  const auto api = system == System::kAlsa ? RtMidi::LINUX_ALSA : RtMidi::MACOSX_CORE;
  return {RtMidiLongName(api, full), RtMidiClientName(api, full)};
}

TEST(PortNames, FullNamesBecomeShortReadableDistinctNames) {
  using enum System;
  // The full name, its readable name and its client's name.
  const std::tuple<System, const char*, const char*, const char*> cases[] = {
      // ALSA: the address goes, and the client's name where the port's name repeats it.
      {kAlsa, "Midi Through:Midi Through Port-0 14:0", "Midi Through Port-0", "Midi Through"},
      // A port that only starts with the client's letters is its own word: both stay.
      {kAlsa, "Synth:Synthesizer 130:0", "Synth:Synthesizer", "Synth"},
      {kAlsa, "qsynth:Synth input (qsynth:0) 130:0", "qsynth:Synth input (qsynth:0)", "qsynth"},
      // JACK keeps client and port, whole up to 31 bytes; a2j's bridged names lose the ALSA
      // client and direction.
      {kJack, "system:midi_playback_1234567890", "system:midi_playback_1234567890", "system"},
      {kJack, "a2j:Midi Through [14] (playback): Midi Through Port-0", "a2j:Midi Through Port-0",
       "a2j"},
      {kCoreMidi, "Network:Session 1", "Network:Session 1", ""},  // no client part
      // Over 31 bytes: start and end stay, cut between words where there are any.
      {kAlsa, "FLUID Synth (1234):Synth input port (1234:0) 128:0", "FLUID Synth (1234)..(1234:0)",
       "FLUID Synth (1234)"},
      {kJack, "SomeVeryLongClientNameForTesting:midi_in", "SomeVeryLongClientName..midi_in",
       "SomeVeryLongClientNameForTesting"},
      {kCoreMidi, "Roland Digital Piano Bluetooth MIDI Port 2", "Roland Digital Piano..Port 2", ""},
  };
  for (const auto& [system, full, readable, client] : cases) {
    const auto [longName, clientName] = Names(system, full);
    EXPECT_EQ(ShortenName(longName, kMaxDeviceNameBytes), readable);
    EXPECT_EQ(clientName, client) << full;
  }

  // Cut at every length, two-byte characters stay whole: each lead byte keeps its one
  // continuation byte.
  const std::string accented = "Ünïcödé Ünïcödé Ünïcödé Ünïcödé Ünïcödé";
  for (std::size_t max = 1; max < accented.size(); ++max) {
    const std::string cut = ShortenName(accented, max);
    EXPECT_LE(cut.size(), max);
    for (std::size_t i = 0; i <= cut.size(); ++i) {
      const bool afterLead = i > 0 && (cut[i - 1] & 0xE0) == 0xC0;
      EXPECT_EQ(afterLead, i < cut.size() && (cut[i] & 0xC0) == 0x80) << cut << " at " << i;
    }
  }

  // Sixty ports whose long names differ only in a number, at the end or in the middle (their
  // clients): all distinct, each with its own number.
  for (const char* pattern : {"longclient:a_long_port_name_that_differs_at_its_end_%02d",
                              "a-long-client-name-for-testing-%02d:midi_in"}) {
    std::vector<std::string> longNames;
    for (int i = 1; i <= 60; ++i) {
      char fullName[80];
      std::snprintf(fullName, sizeof fullName, pattern, i);
      longNames.push_back(JackLongName(fullName));
    }
    const std::vector<std::string> names = DeviceNames(longNames, kMaxDeviceNameBytes);
    EXPECT_EQ(std::set<std::string>(names.begin(), names.end()).size(), 60u);
    for (int i = 1; i <= 60; ++i) {
      const std::string& name = names[static_cast<std::size_t>(i - 1)];
      EXPECT_LE(name.size(), kMaxDeviceNameBytes);
      EXPECT_NE(name.find((i < 10 ? "0" : "") + std::to_string(i)), std::string::npos) << name;
    }
  }
  EXPECT_EQ(DeviceNames({"a-long-client-name-for-testing-07:midi_in",
                         "a-long-client-name-for-testing-08:midi_in"},
                        kMaxDeviceNameBytes)[0],
            "a-long-client-name..07:midi_in");

  // Later duplicates are numbered without taking a name that exists; at the limit the name
  // gives way to the number.
  std::vector<std::string> names = {"Synth", "Synth", "Synth 2", "Synth", "Other"};
  MakeNamesUnique(names, kMaxDeviceNameBytes);
  EXPECT_EQ(names, (std::vector<std::string>{"Synth", "Synth 3", "Synth 2", "Synth 4", "Other"}));
  std::vector<std::string> longNames(11, std::string(31, 'p'));
  MakeNamesUnique(longNames, kMaxDeviceNameBytes);
  EXPECT_EQ(longNames[1], std::string(29, 'p') + " 2");
  EXPECT_EQ(longNames[10], std::string(28, 'p') + " 11");
}

}  // namespace
}  // namespace tastiva
