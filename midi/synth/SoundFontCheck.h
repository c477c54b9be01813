#pragma once

#include <string>

namespace tastiva {

// What a place in the SoundFont search holds, found without FluidSynth.
struct SoundFontProbe {
  enum class State {
    kAbsent,      // nothing there (or not a file): the search goes on silently
    kDangling,    // a link to a file that is gone, such as a default-GM.sf2 left behind
    kTruncated,   // a SoundFont shorter than its header says: a download or copy cut short
    kUnreadable,  // a file that is not a SoundFont (.sf2 or .sf3), or one FluidSynth refused
    kPlausible,   // a file with a whole SoundFont's header, for FluidSynth to load
  };
  State state = State::kAbsent;
  // The file itself, links followed; for kDangling the missing one a link points at.
  std::string file;
  // Its samples are compressed (an .sf3: version 3 in its header), to be decoded as each
  // instrument loads: seconds for a piano, where an .sf2's load takes milliseconds.
  bool compressed = false;
};

// Checks the RIFF header as FluidSynth does ("RIFF", the file's size, "sfbk"). A file that
// fails here is not handed to FluidSynth.
SoundFontProbe ProbeSoundFont(const std::string& path);

}  // namespace tastiva
