#pragma once

namespace tastiva {

// Reading the system's font configuration holds up the first caption measured by about ten
// milliseconds, more on a desktop with many fonts. Begun before the application object, it
// runs beside Qt's own start on another core. Does nothing where Qt asks no fontconfig.
void WarmUpFonts();

}  // namespace tastiva
