#pragma once

#include <array>
#include <string_view>

namespace tastiva {

// The 128 General MIDI instruments; position = program number.
extern const std::array<std::string_view, 128> InstrumentNames;

}  // namespace tastiva
