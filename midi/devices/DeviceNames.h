#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace tastiva {

// How the names the MIDI systems give their ports become device-list names. Pure.

// The longest device name: winmm's szPname holds 31 bytes and a NUL.
inline constexpr std::size_t kMaxDeviceNameBytes = 31;

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

// One name for a client and its port, as "client:port"; ports are usually named after their
// client, and then the port's name alone says it.
std::string MergeClientAndPort(const std::string& client, const std::string& port);

// "client:port" split at its first colon; no colon: an empty client.
std::pair<std::string, std::string> SplitAtColon(const std::string& name);

}  // namespace tastiva
