#include "midi/synth/SynthTexts.h"

#include "midi/devices/FitText.h"
#include "midi/synth/SoundFontSearch.h"

namespace tastiva {

namespace {

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
      return FitText("No General MIDI SoundFont found. Save one as {}.", {place});
  }
#endif
  return "No General MIDI SoundFont found. Install one, e.g. the Debian package "
         "timgm6mb-soundfont.";
}

std::string BadSoundFontText(const SoundFontProbe& problem) {
  using State = SoundFontProbe::State;
  const char* const pattern =
      problem.state == State::kDangling
          ? "The SoundFont {} is missing. Reinstall it or install another."
      : problem.state == State::kTruncated
          ? "The SoundFont {} is incomplete. Reinstall it or install another."
          : "The SoundFont {} could not be read. Reinstall it or install another.";
  return FitText(pattern, {problem.file});
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
  return FitText(
      "The audio output of the built-in synthesizer ({}) stopped. Start it, then choose the "
      "synthesizer again.",
      {AudioSystem(driver)});
}

std::string RefusedText(const std::string& reason) {
  return FitText("The built-in synthesizer refused: {}", {reason});
}

}  // namespace tastiva
