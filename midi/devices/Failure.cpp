#include "midi/devices/Failure.h"

#include <exception>
#include <new>

#include "midi/MidiResults.h"
#include "midi/devices/DeviceTexts.h"

namespace tastiva {

DeviceResult CaughtFailure(std::string_view subject, std::string_view name) {
  std::string why = "unknown error";
  try {
    throw;
  } catch (const std::bad_alloc&) {
    return MMSYSERR_NOMEM;
  } catch (const std::exception& e) {
    if (e.what() != nullptr && *e.what() != '\0') why = e.what();
  } catch (...) {
  }
  while (!why.empty() && (why.back() == '.' || why.back() == '\n')) why.pop_back();
  try {
    return {MMSYSERR_ERROR, FailedText(subject, name, why)};
  } catch (...) {
    return MMSYSERR_NOMEM;
  }
}

PortListing ListPortsCaught(PortDirectory& directory) {
  try {
    return directory.ListPorts();
  } catch (...) {
    PortListing failed;
    failed.problem = CaughtFailure("Listing the MIDI ports").detail;
    if (failed.problem.empty()) failed.problem = MidiResultText(MMSYSERR_NOMEM);
    return failed;
  }
}

}  // namespace tastiva
