#include "midi/MidiResults.h"

#include <algorithm>
#include <cstring>

#include "base/Utf8.h"

namespace tastiva {

namespace {

struct ResultText {
  MidiResult code;
  const char* text;
};

// Each text fits winmm's 128-character buffer.
constexpr ResultText kTexts[] = {
    {0, "The operation succeeded."},
    {1, "The MIDI system reported an unspecified error."},
    {2, "This MIDI device does not exist (any more). Choose another device."},
    {3, "The MIDI driver failed to start. Choose another device."},
    {4, "This MIDI device is already in use by another program or connection."},
    {5, "No MIDI device is open. Choose a device in the Device list."},
    {6, "No driver or audio output is available for this device."},
    {7, "There is not enough memory for this MIDI operation."},
    {8, "This MIDI device does not support the operation."},
    {9, "The error number is not known."},
    {10, "An invalid flag was passed to the MIDI system."},
    {11, "An invalid parameter was passed to the MIDI system."},
    {64, "The MIDI header was not prepared."},
    {65, "The MIDI device is still playing."},
    {66, "No MIDI map is set up."},
    {67, "The MIDI port is not ready: it is busy or has gone away."},
    {68, "No MIDI device is installed on this computer."},
    {69, "The MIDI setup is invalid or incomplete."},
    {70, "The MIDI device cannot be opened in this mode."},
};

}  // namespace

std::string MidiResultText(MidiResult code) {
  const auto* it = std::find_if(std::begin(kTexts), std::end(kTexts),
                                [code](const ResultText& t) { return t.code == code; });
  if (it != std::end(kTexts)) return it->text;
  return "MIDI error " + std::to_string(code) + ": the MIDI system refused the operation.";
}

void CopyErrorText(const std::string& text, char* buffer, std::uint32_t size) {
  if (buffer == nullptr || size == 0) return;
  const std::size_t n = Utf8Head(text, size - 1).size();
  std::memcpy(buffer, text.data(), n);
  buffer[n] = '\0';
}

}  // namespace tastiva
