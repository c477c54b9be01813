#pragma once

#include <string>

namespace tastiva {

// Why the file at path cannot be loaded as a module, in words for the user ("the file is
// empty"), or "" if it looks whole. Asked before the loader maps it: a file cut short inside
// what the loader maps kills the process when it is touched, with no message.
std::string ModuleFileProblem(const std::string& path);

// The address of symbol in the module at path, loaded once its file looked whole and never
// unloaded; null, with why in the words of a refusal of what (a device's name), in error.
void* ModuleSymbol(const std::string& what, const std::string& path, const std::string& symbol,
                   std::string& error);

}  // namespace tastiva
