#pragma once

#include <string>

namespace tastiva {

// Checks the RIFF header as FluidSynth does. A file that fails here is not handed to
// FluidSynth, whose DLS fallback loader prints GLib warnings for it on stderr.
bool LooksLikeSoundFont(const std::string& path);

}  // namespace tastiva
