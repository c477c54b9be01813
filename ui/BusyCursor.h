#pragma once

namespace tastiva {

// The busy cursor over the program's windows while work the user waits for is under way (the
// synthesizer preparing, an instrument loading). Busy may be told from any thread, and nests:
// the cursor shows from the first start to the last end.
class BusyCursor {
 public:
  static void Busy(bool on);
};

}  // namespace tastiva
