#pragma once

namespace tastiva {

// Settings of the process environment the libraries read, made once at start-up before any
// of them runs.
void PrepareEnvironment();

}  // namespace tastiva
