#include "midi/synth/SynthTexts.h"

#include <cstddef>

#include "base/Utf8.h"

namespace tastiva {

namespace {

constexpr std::size_t kMaxBytes = 127;

std::string Fit(const std::string& text) {
  return std::string(Utf8Head(text, kMaxBytes));
}

}  // namespace

std::string NoSoundFontText(const std::string& firstBroken) {
  if (firstBroken.empty()) {
#if defined(__APPLE__)
    return "No General MIDI SoundFont found. Save one as "
           "/opt/homebrew/share/soundfonts/default.sf2.";
#else
    return "No General MIDI SoundFont found. Install one, e.g. the Debian package "
           "timgm6mb-soundfont.";
#endif
  }
  const std::string before = "The SoundFont ";
  const std::string after = " could not be read. Reinstall it or install another.";
  // Keeps the end of a long path: the file name is what the user recognises.
  const std::size_t budget = kMaxBytes - before.size() - after.size();
  const std::string path = firstBroken.size() <= budget
                               ? firstBroken
                               : "..." + std::string(Utf8Tail(firstBroken, budget - 3));
  return Fit(before + path + after);
}

std::string NoAudioText() {
#if defined(__APPLE__)
  return "No audio output for the built-in synthesizer. Check the sound output in System "
         "Settings.";
#else
  return "No audio output for the built-in synthesizer. Start PulseAudio, PipeWire or JACK.";
#endif
}

std::string RefusedText(const std::string& reason) {
  return Fit("The built-in synthesizer refused: " + reason);
}

}  // namespace tastiva
