#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "base/Utf8.h"
#include "midi/devices/DeviceNames.h"
#include "midi/devices/DeviceTexts.h"
#include "midi/devices/FitText.h"
#include "midi/jack/JackTexts.h"
#include "midi/rtmidi/RtMidiTexts.h"
#include "midi/synth/SynthTexts.h"

namespace tastiva {
namespace {

using Names = std::vector<std::string>;
using State = SoundFontProbe::State;

// Every text a device builds, with the number of names it takes.
const std::vector<std::pair<int, std::function<std::string(const Names&)>>> kTexts = {
    {2, [](const Names& n) { return FailedText("The MIDI port {}", n[0], n[1]); }},
    {1, [](const Names& n) { return FailedText("Listing the MIDI ports", "", n[0]); }},
    {2, [](const Names& n) { return NotInstalledText(n[0], n[1]); }},
    {3, [](const Names& n) { return NotInstalledText(n[0], n[1] + ": " + n[2]); }},
    {2,
     [](const Names& n) {
       return BrokenModuleText(n[0], n[1], "the file is not a program library");
     }},
    {1, [](const Names& n) { return PortGoneText(n[0]); }},
    {1, [](const Names& n) { return PortSystemDownText(n[0], "the ALSA sequencer"); }},
    {1, [](const Names& n) { return PortSystemDownText(n[0], "JACK"); }},
    {1, [](const Names& n) { return PortNotOpenedText(n[0]); }},
    {1, [](const Names& n) { return JackOpenStallText(n[0]); }},
    {1, [](const Names& n) { return JackSendStallText(n[0]); }},
    {1, [](const Names& n) { return JackStoppedText(n[0]); }},
    {0, [](const Names&) { return JackNotListedText(); }},
    {1, [](const Names& n) { return RtStoppedAcceptingText(n[0]); }},
    {0, [](const Names&) { return NoSoundFontText(); }},
    {0, [](const Names&) { return NoAudioText(); }},
    {1,
     [](const Names& n) {
       return BadSoundFontText({State::kDangling, n[0]});
     }},
    {1,
     [](const Names& n) {
       return BadSoundFontText({State::kTruncated, n[0]});
     }},
    {1,
     [](const Names& n) {
       return BadSoundFontText({State::kUnreadable, n[0]});
     }},
    {1, [](const Names& n) { return AudioStoppedText(n[0]); }},
    {1, [](const Names& n) { return RefusedText(n[0]); }},
};

bool ValidUtf8(const std::string& s) {
  for (std::size_t i = 0; i < s.size();) {
    const auto c = static_cast<unsigned char>(s[i]);
    const std::size_t n = c < 0x80 ? 1 : c >> 5 == 6 ? 2 : c >> 4 == 14 ? 3 : c >> 3 == 30 ? 4 : 0;
    if (n == 0 || i + n > s.size()) return false;
    for (std::size_t k = 1; k < n; ++k) {
      if (!IsUtf8Continuation(s[i + k])) return false;
    }
    i += n;
  }
  return true;
}

std::string Repeat(const std::string& part, std::size_t times) {
  std::string s;
  while (times-- > 0) s += part;
  return s;
}

TEST(Texts, FitTheErrorBufferWholeWithTheLongestNames) {
  const std::string path = Repeat("/Kl\u00e4nge \u00fcber \u20ac", 250) + "/FluidR3_GM.sf2";
  const std::vector<std::string> longNames = {
      "synth-client-07:midi_playback_1",  // the longest port names: 31 bytes
      Repeat("\u00e9", 15) + "x",         // of 2-byte characters,
      Repeat("\u20ac", 10) + "x",         // 3-byte
      Repeat("\U0001F3B9", 7) + "abc",    // and 4-byte ones
      path,                               // a path of 4,000 bytes
      path + ": cannot open shared object file: No such file or directory",  // the loader's
  };
  for (const auto& [count, make] : kTexts) {
    // The fixed words, from the text with one-byte markers for the names.
    const std::string marked = make({"\x01", "\x02", "\x03"});
    SCOPED_TRACE(marked);
    std::vector<std::string> words(1);
    for (const char c : marked) {
      if (c >= 1 && c <= 3) {
        words.emplace_back();
      } else {
        words.back() += c;
      }
    }
    ASSERT_EQ(words.size(), static_cast<std::size_t>(count) + 1);

    // Short names: word for word the text with the names in it.
    std::string expected = marked;
    for (const auto& [marker, name] :
         {std::pair{'\x01', "Synth"}, {'\x02', "out"}, {'\x03', "x"}}) {
      if (const auto at = expected.find(marker); at != std::string::npos) {
        expected.replace(at, 1, name);
      }
    }
    EXPECT_EQ(make({"Synth", "out", "x"}), expected);

    // Long ones: within the buffer, whole characters, every fixed word there in order.
    for (const std::string& name : longNames) {
      const std::string text = make({name, name, name});
      EXPECT_LE(text.size(), kMaxTextBytes) << text;
      EXPECT_TRUE(ValidUtf8(text)) << text;
      EXPECT_EQ(text.rfind(words.front(), 0), 0u) << text;
      EXPECT_TRUE(text.ends_with(words.back())) << text;
      std::size_t at = 0;
      for (const std::string& word : words) {
        at = text.find(word, at);
        ASSERT_NE(at, std::string::npos) << word << " in " << text;
        at += word.size();
      }
    }
  }

  // A port's name stays whole where the words leave room; the longest names give up bytes
  // first, in their middle.
  EXPECT_NE(PortGoneText(longNames[3]).find(longNames[3]), std::string::npos);
  EXPECT_EQ(FitText("{} and {}", {"Synth", path}),
            "Synth and " + ShortenName(path, kMaxTextBytes - 5 - 5));
}

}  // namespace
}  // namespace tastiva
