#include "midi/rtmidi/RtOutput.h"

#if defined(__linux__)
#include <alsa/asoundlib.h>
#endif

#include "midi/quiet/QuietAudio.h"

namespace tastiva {

namespace {

// Whether RtMidi could connect to api's system without printing that it cannot.
bool SystemAnswers(RtMidi::Api api) {
#if defined(__linux__)
  if (api == RtMidi::LINUX_ALSA) {
    // The same open RtMidi makes; libasound's own complaint is silenced.
    snd_seq_t* sequencer = nullptr;
    if (snd_seq_open(&sequencer, "default", SND_SEQ_OPEN_OUTPUT, SND_SEQ_NONBLOCK) < 0) {
      return false;
    }
    snd_seq_close(sequencer);
  }
#else
  static_cast<void>(api);
#endif
  return true;
}

}  // namespace

std::shared_ptr<RtOutput> RtOutput::Create(RtMidi::Api api, const std::string& clientName) {
  QuietAudioLibraries();
  if (!SystemAnswers(api)) return nullptr;
  std::shared_ptr<RtOutput> output(new RtOutput);
  try {
    output->rt_ = std::make_unique<RtMidiOut>(api, clientName);
    output->rt_->setErrorCallback(&RtOutput::OnError, output.get());
  } catch (...) {
    return nullptr;
  }
  if (!output->Run([](RtMidiOut& rt) { rt.getPortCount(); })) return nullptr;
  return output;
}

std::vector<std::string> RtOutput::PortNames() {
  std::vector<std::string> names;
  Run([&](RtMidiOut& rt) {
    const unsigned count = rt.getPortCount();
    for (unsigned i = 0; i < count; ++i) {
      std::string name = rt.getPortName(i);
      if (!name.empty()) names.push_back(std::move(name));  // empty: it went away meanwhile
    }
  });
  return names;
}

int RtOutput::Find(const std::string& fullName, int hint) {
  int found = -1;
  Run([&](RtMidiOut& rt) {
    for (const int guess : {hint, hint - 1}) {
      if (guess >= 0 && rt.getPortName(static_cast<unsigned>(guess)) == fullName) {
        found = guess;
        return;
      }
    }
    const unsigned count = rt.getPortCount();
    for (unsigned i = 0; i < count && found < 0; ++i) {
      if (rt.getPortName(i) == fullName) found = static_cast<int>(i);
    }
  });
  return found;
}

void RtOutput::OnError(RtMidiError::Type, const std::string&, void* self) {
  static_cast<RtOutput*>(self)->failed_ = true;
}

}  // namespace tastiva
