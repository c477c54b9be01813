#include "midi/winmm/WinmmPlatform.h"

// After the project's headers: mmsystem.h makes MIDI_MAPPER and MOD_* macros.
// clang-format off
#include <windows.h>
#include <mmsystem.h>
// clang-format on

namespace tastiva {

static_assert(sizeof(MIDIOUTCAPSA) == sizeof(MidiOutCaps), "capabilities records must match");

namespace {

// winmm's codes are small; held as 16-bit as everywhere in the program.
MidiResult Result(MMRESULT code) {
  return static_cast<MidiResult>(code & 0xFFFF);
}

HMIDIOUT Handle(MidiHandle handle) {
  return reinterpret_cast<HMIDIOUT>(handle);
}

}  // namespace

std::uint32_t WinmmPlatform::midiOutGetNumDevs() {
  return ::midiOutGetNumDevs();
}

MidiResult WinmmPlatform::midiOutGetDevCapsA(std::uint32_t deviceId, MidiOutCaps* caps,
                                             std::uint32_t size) {
  return Result(::midiOutGetDevCapsA(static_cast<UINT_PTR>(deviceId),
                                     reinterpret_cast<LPMIDIOUTCAPSA>(caps), size));
}

MidiResult WinmmPlatform::midiOutOpen(MidiHandle* handle, std::uint32_t deviceId,
                                      std::uintptr_t callback, std::uintptr_t instance,
                                      std::uint32_t flags) {
  HMIDIOUT opened = nullptr;
  const MMRESULT code =
      ::midiOutOpen(&opened, static_cast<UINT>(deviceId), static_cast<DWORD_PTR>(callback),
                    static_cast<DWORD_PTR>(instance), static_cast<DWORD>(flags));
  // A refused open stores no handle.
  if (code == MMSYSERR_NOERROR) *handle = reinterpret_cast<MidiHandle>(opened);
  return Result(code);
}

MidiResult WinmmPlatform::midiOutClose(MidiHandle handle) {
  return Result(::midiOutClose(Handle(handle)));
}

MidiResult WinmmPlatform::midiOutShortMsg(MidiHandle handle, std::uint32_t message) {
  return Result(::midiOutShortMsg(Handle(handle), static_cast<DWORD>(message)));
}

MidiResult WinmmPlatform::midiOutGetErrorTextA(MidiResult code, char* text, std::uint32_t size) {
  return Result(
      ::midiOutGetErrorTextA(static_cast<MMRESULT>(static_cast<std::uint16_t>(code)), text, size));
}

}  // namespace tastiva
