#pragma once

#include <memory>

namespace tastiva {

// Keeps what belonged to a JACK server that went away, unused, for good: libjack frees the
// clients of a vanished server on the next jack_client_open, so closing them afterwards (as
// their destructors would) touches freed memory.
void Bury(std::shared_ptr<void> remains);

}  // namespace tastiva
