#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <functional>

#include "midi/MidiResults.h"
#include "midi/devices/DeviceNames.h"
#include "midi/devices/DeviceTexts.h"
#include "midi/devices/FitText.h"
#include "midi/jack/JackTexts.h"
#include "midi/rtmidi/RtMidiTexts.h"
#include "midi/synth/SynthTexts.h"

namespace tastiva {
namespace {

using N = std::vector<std::string>;  // the names put into a text

// Every text a device builds, its names taken from the first of those given.
const std::function<std::string(const N&)> kTexts[] = {
    [](const N& n) { return FailedText("The MIDI port {}", n[0], n[1]); },
    [](const N& n) { return FailedText("Listing the MIDI ports", "", n[0]); },
    [](const N& n) { return NotInstalledText(n[0], n[1]); },
    [](const N& n) { return NotInstalledText(n[0], n[1] + ": " + n[2]); },
    [](const N& n) { return BrokenModuleText(n[0], n[1], "the file is not a program library"); },
    [](const N& n) { return PortGoneText(n[0]); },
    [](const N& n) { return PortSystemDownText(n[0], "the ALSA sequencer"); },
    [](const N& n) { return PortNotOpenedText(n[0]); },
    [](const N& n) { return JackOpenStallText(n[0]); },
    [](const N& n) { return JackSendStallText(n[0]); },
    [](const N& n) { return JackStoppedText(n[0]); },
    [](const N&) { return JackNotListedText(); },
    [](const N& n) { return RtStoppedAcceptingText(n[0]); },
    [](const N&) { return NoSoundFontText(); },
    [](const N&) { return NoAudioText(); },
    [](const N& n) {
      return BadSoundFontText({SoundFontProbe::State::kUnreadable, n[0]});
    },
    [](const N& n) { return AudioStoppedText(n[0]); },
    [](const N& n) { return RefusedText(n[0]); },
};

TEST(Texts, FitTheErrorBufferWholeWithTheLongestNames) {
  std::setlocale(LC_CTYPE, "C.UTF-8");  // mbstowcs then takes whole UTF-8 characters only
  std::string path;
  while (path.size() < 4000) path += "/Kl\u00e4nge \u00fcber \u20ac";
  const N longNames = {
      // The longest port names, 31 bytes of 1-, 2-, 3- and 4-byte characters.
      "synth-client-07:midi_playback_1",
      "\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9x",
      "\u20ac\u20ac\u20ac\u20ac\u20ac\u20ac\u20ac\u20ac\u20ac\u20acx",
      "\U0001F3B9\U0001F3B9\U0001F3B9\U0001F3B9\U0001F3B9\U0001F3B9\U0001F3B9abc",
      path,  // 4,000 bytes, and the loader's words about it
      path + ": cannot open shared object file: No such file or directory",
  };
  for (const auto& make : kTexts) {
    // The fixed words, around one-byte markers for the names.
    const std::string marked = make({"\x01", "\x02", "\x03"});
    std::vector<std::string> words(1);
    std::string filled = marked;  // with short names: exactly the words and the names
    for (const char c : marked) {
      if (c > 0 && c < 4) {
        words.emplace_back();
        filled.replace(filled.find(c), 1, "port");
      } else {
        words.back() += c;
      }
    }
    EXPECT_EQ(make({"port", "port", "port"}), filled);
    for (const std::string& name : longNames) {
      const std::string text = make({name, name, name});
      EXPECT_LE(text.size(), kMaxTextBytes) << text;
      EXPECT_NE(std::mbstowcs(nullptr, text.c_str(), 0), static_cast<std::size_t>(-1)) << text;
      std::size_t at = 0;  // every fixed word in order, from the first byte to the last
      for (const std::string& word : words) {
        const std::size_t found = text.find(word, at);
        ASSERT_TRUE(found != std::string::npos && (at > 0 || found == 0)) << word << ": " << text;
        at = found + word.size();
      }
      EXPECT_TRUE(text.ends_with(words.back())) << text;
    }
  }
  // A port's name stays whole where the words leave room; the longest names give up bytes
  // first, in their middle; a short buffer gets whole characters.
  EXPECT_NE(PortGoneText(longNames[3]).find(longNames[3]), std::string::npos);
  EXPECT_EQ(FitText("{} and {}", {"Synth", path}), "Synth and " + ShortenName(path, 127 - 10));
  char buffer[8];
  CopyErrorText("\u00e9\u00e9\u00e9\u00e9", buffer, sizeof buffer);
  EXPECT_STREQ(buffer, "\u00e9\u00e9\u00e9");
}

}  // namespace
}  // namespace tastiva
