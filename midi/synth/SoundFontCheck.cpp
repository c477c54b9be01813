#include "midi/synth/SoundFontCheck.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string_view>

namespace tastiva {

namespace fs = std::filesystem;

namespace {

using State = SoundFontProbe::State;

State CheckHeader(const fs::path& file, bool* compressed) {
  std::error_code error;
  const std::uintmax_t size = fs::file_size(file, error);
  std::FILE* stream = error ? nullptr : std::fopen(file.c_str(), "rb");
  if (stream == nullptr) return State::kUnreadable;
  // "RIFF" size "sfbk", then as a rule "LIST" size "INFO" and first "ifil" 4 major minor.
  std::array<char, 34> header{};
  const std::size_t got = std::fread(header.data(), 1, header.size(), stream);
  std::fclose(stream);
  const std::string_view text(header.data(), got);
  if (got < 12 || text.substr(0, 4) != "RIFF" || text.substr(8, 4) != "sfbk")
    return State::kUnreadable;
  *compressed = got == header.size() && text.substr(12, 4) == "LIST" &&
                text.substr(20, 8) == "INFOifil" && static_cast<unsigned char>(header[32]) >= 3;
  std::uintmax_t riffSize = 0;
  for (int i = 7; i >= 4; --i) riffSize = (riffSize << 8) | static_cast<unsigned char>(header[i]);
  // A file cut short still declares its whole size.
  if (riffSize + 8 > size) return State::kTruncated;
  return riffSize + 8 == size ? State::kPlausible : State::kUnreadable;
}

// The first file along a chain of links that does not exist.
fs::path MissingTarget(fs::path link) {
  std::error_code error;
  for (int hops = 0; hops < 40 && fs::is_symlink(fs::symlink_status(link, error)); ++hops) {
    const fs::path target = fs::read_symlink(link, error);
    if (error) break;
    link = target.is_absolute() ? target : link.parent_path() / target;
  }
  return link.lexically_normal();
}

}  // namespace

SoundFontProbe ProbeSoundFont(const std::string& path) {
  std::error_code error;
  const fs::file_status status = fs::status(path, error);
  if (!fs::exists(status)) {
    if (fs::is_symlink(fs::symlink_status(path, error))) {
      return {State::kDangling, MissingTarget(path).string()};
    }
    return {};
  }
  if (!fs::is_regular_file(status)) return {};
  fs::path file = fs::canonical(path, error);
  if (error) file = path;
  bool compressed = false;
  const State state = CheckHeader(file, &compressed);
  return {state, file.string(), compressed};
}

}  // namespace tastiva
