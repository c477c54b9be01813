#include "midi/synth/SoundFontSearch.h"

namespace tastiva {

std::vector<std::string> BuiltInSoundFonts() {
  return {
#include "midi/synth/SoundFontPaths.inc"
  };
}

std::vector<std::string> ExpandSoundFonts(const std::vector<std::string>& places,
                                          fluid_settings_t* settings) {
  std::vector<std::string> paths;
  for (const std::string& place : places) {
    if (place != kFluidSynthDefault) {
      paths.push_back(place);
      continue;
    }
    char* value = nullptr;
    if (fluid_settings_dupstr(settings, place.c_str(), &value) == FLUID_OK && value != nullptr) {
      if (*value != '\0') paths.emplace_back(value);
      fluid_free(value);
    }
  }
  return paths;
}

}  // namespace tastiva
