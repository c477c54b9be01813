#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace tastiva {

// Internal to the system ports: how the full names RtMidi gives become device-list names.

enum class PortSystem { kAlsa, kJack, kCoreMidi };

// The longest device name: winmm's szPname holds 31 bytes and a NUL.
inline constexpr std::size_t kMaxPortNameBytes = 31;

// The owning client's name ("" for CoreMIDI, which has no clients in its names).
std::string PortClientName(PortSystem system, const std::string& fullName);

// A readable name of at most kMaxPortNameBytes bytes for a port's full name.
std::string ReadablePortName(PortSystem system, const std::string& fullName);

// Text cut to at most maxBytes bytes by keeping its start and end, joined by "..", and
// cutting between words where that loses little. Never splits a UTF-8 character.
std::string ShortenName(const std::string& text, std::size_t maxBytes);

// Makes equal names distinct by appending " 2", " 3", ... to the later ones,
// still within maxBytes.
void MakeNamesUnique(std::vector<std::string>& names, std::size_t maxBytes);

}  // namespace tastiva
