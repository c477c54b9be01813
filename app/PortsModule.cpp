// The system's MIDI ports as a module of their own (libtastiva-ports), loaded by the program at
// the first listing of its devices: RtMidi's, ALSA's and JACK's libraries cost its start
// nothing.
#include "app/SystemPorts.h"

extern "C" __attribute__((visibility("default"))) int TastivaCreatePorts(
    tastiva::PortDirectory** out, int capacity) {
  try {
    int made = 0;
    for (auto& directory : tastiva::SystemPortDirectories()) {
      if (made < capacity) out[made++] = directory.release();
    }
    return made;
  } catch (...) {
    return 0;
  }
}
