#pragma once

#include <optional>

namespace tastiva {

// The command line, read as GNU programs read theirs: --help and --version print and end the
// program, anything else unknown is an error (status 2). Qt's own options (-platform NAME,
// -style NAME, ...) are left in argv for the application object.
// Returns the exit status when the program is to end here.
std::optional<int> ReadCommandLine(int argc, char** argv);

}  // namespace tastiva
