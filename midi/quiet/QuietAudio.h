#pragma once

namespace tastiva {

// libasound and libjack print to stderr whenever the sequencer, card or server is missing,
// which is the normal case here: a missing one only means no ports or the next audio driver.
// Turns their messages off for the whole process; safe to call from any thread, any number
// of times.
void QuietAudioLibraries();

}  // namespace tastiva
