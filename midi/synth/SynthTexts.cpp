#include "midi/synth/SynthTexts.h"

#include <cstddef>

#include "base/Utf8.h"
#include "midi/synth/SoundFontSearch.h"

namespace tastiva {

namespace {

constexpr std::size_t kMaxBytes = 127;

std::string Fit(const std::string& text) {
  return std::string(Utf8Head(text, kMaxBytes));
}

// The words of FluidSynth's audio drivers as their users know them.
std::string AudioSystem(const std::string& driver) {
  if (driver == "jack") return "JACK";
  if (driver == "pulseaudio") return "PulseAudio";
  if (driver == "alsa") return "ALSA";
  if (driver == "coreaudio") return "Core Audio";
  return driver;
}

}  // namespace

std::string NoSoundFontText() {
#if defined(__APPLE__)
  for (const std::string& place : BuiltInSoundFonts()) {
    if (place != kFluidSynthDefault)
      return Fit("No General MIDI SoundFont found. Save one as " + place + ".");
  }
#endif
  return "No General MIDI SoundFont found. Install one, e.g. the Debian package "
         "timgm6mb-soundfont.";
}

std::string BadSoundFontText(const SoundFontProbe& problem) {
  using State = SoundFontProbe::State;
  const std::string before = "The SoundFont ";
  const std::string after = problem.state == State::kDangling    ? " is missing."
                            : problem.state == State::kTruncated ? " is incomplete."
                                                                 : " could not be read.";
  const std::string advice = " Reinstall it or install another.";
  // Keeps the end of a long path: the file name is what the user recognises.
  const std::size_t budget = kMaxBytes - before.size() - after.size() - advice.size();
  const std::string& file = problem.file;
  const std::string path =
      file.size() <= budget ? file : "..." + std::string(Utf8Tail(file, budget - 3));
  return Fit(before + path + after + advice);
}

std::string NoAudioText() {
#if defined(__APPLE__)
  return "No audio output for the built-in synthesizer. Check the sound output in System "
         "Settings.";
#else
  return "No audio output for the built-in synthesizer. Start PulseAudio, PipeWire or JACK.";
#endif
}

std::string AudioStoppedText(const std::string& driver) {
  return Fit("The audio output of the built-in synthesizer (" + AudioSystem(driver) +
             ") stopped. Start it, then choose the synthesizer again.");
}

std::string RefusedText(const std::string& reason) {
  return Fit("The built-in synthesizer refused: " + reason);
}

}  // namespace tastiva
