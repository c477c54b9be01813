#pragma once

#include <string>

#include "midi/MidiPlatform.h"

namespace tastiva {

// Result codes, with winmm's numbers and meanings.
inline constexpr MidiResult MMSYSERR_NOERROR = 0;
inline constexpr MidiResult MMSYSERR_ERROR = 1;
inline constexpr MidiResult MMSYSERR_BADDEVICEID = 2;
inline constexpr MidiResult MMSYSERR_NOTENABLED = 3;
inline constexpr MidiResult MMSYSERR_ALLOCATED = 4;
inline constexpr MidiResult MMSYSERR_INVALHANDLE = 5;
inline constexpr MidiResult MMSYSERR_NODRIVER = 6;
inline constexpr MidiResult MMSYSERR_NOMEM = 7;
inline constexpr MidiResult MMSYSERR_NOTSUPPORTED = 8;
inline constexpr MidiResult MMSYSERR_BADERRNUM = 9;
inline constexpr MidiResult MMSYSERR_INVALFLAG = 10;
inline constexpr MidiResult MMSYSERR_INVALPARAM = 11;
inline constexpr MidiResult MIDIERR_NOTREADY = 67;
inline constexpr MidiResult MIDIERR_NODEVICE = 68;
inline constexpr MidiResult MIDIERR_INVALIDSETUP = 69;

// This program's description of a result code; a generic text for unknown codes.
std::string MidiResultText(MidiResult code);

// Copies text into a caller's buffer of size bytes, cut to fit between UTF-8 characters,
// always NUL-terminated.
void CopyErrorText(const std::string& text, char* buffer, std::uint32_t size);

}  // namespace tastiva
