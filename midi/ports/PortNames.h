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

// A readable name for a port's full name, of any length.
std::string LongPortName(PortSystem system, const std::string& fullName);

// The same cut to at most kMaxPortNameBytes bytes.
std::string ReadablePortName(PortSystem system, const std::string& fullName);

// Device-list names for a listing's long names: each cut to at most maxBytes bytes, and names
// that would read the same keep the part where they differ (ports of "synth-client-07" and
// "synth-client-08"), numbered only where that does not tell them apart.
std::vector<std::string> DeviceNames(const std::vector<std::string>& longNames,
                                     std::size_t maxBytes);

// Text cut to at most maxBytes bytes by keeping its start and end, joined by "..", and
// cutting between words where that loses little. Never splits a UTF-8 character.
std::string ShortenName(const std::string& text, std::size_t maxBytes);

// Makes equal names distinct by appending " 2", " 3", ... to the later ones,
// still within maxBytes.
void MakeNamesUnique(std::vector<std::string>& names, std::size_t maxBytes);

}  // namespace tastiva
