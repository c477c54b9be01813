#include "midi/synth/SoundFontCheck.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string_view>

namespace tastiva {

bool LooksLikeSoundFont(const std::string& path) {
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  if (error) return false;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return false;
  std::array<char, 12> header{};
  const bool read = std::fread(header.data(), 1, header.size(), file) == header.size();
  std::fclose(file);
  if (!read) return false;
  std::uintmax_t riffSize = 0;
  for (int i = 7; i >= 4; --i) riffSize = (riffSize << 8) | static_cast<unsigned char>(header[i]);
  const std::string_view text(header.data(), header.size());
  return text.substr(0, 4) == "RIFF" && text.substr(8, 4) == "sfbk" && riffSize + 8 == size;
}

}  // namespace tastiva
