#include "midi/devices/ModuleDirectory.h"

#include <array>

#include "midi/devices/Failure.h"
#include "midi/devices/ModuleFile.h"

namespace tastiva {

ModuleDirectory::ModuleDirectory(Spec spec) : spec_(std::move(spec)) {}

// The directories' threads run the module's code: it is never unloaded.
ModuleDirectory::~ModuleDirectory() = default;

void ModuleDirectory::Load() {
  if (loaded_) return;
  loaded_ = true;
  using Factory = int (*)(PortDirectory * *out, int capacity);
  const auto make =
      reinterpret_cast<Factory>(ModuleSymbol(spec_.name, spec_.path, spec_.factory, error_));
  if (make == nullptr) return;
  std::array<PortDirectory*, kMaxDirectories> made{};
  const int count = make(made.data(), kMaxDirectories);
  for (int i = 0; i < count && i < kMaxDirectories; ++i) directories_.emplace_back(made[i]);
}

void ModuleDirectory::Prepare() {
  Load();
  for (const auto& directory : directories_) directory->Prepare();
}

PortListing ModuleDirectory::ListPorts() {
  Load();
  PortListing all;
  all.problem = error_;
  for (const auto& directory : directories_) {
    PortListing listing = ListPortsCaught(*directory);
    for (FoundPort& port : listing.ports) all.ports.push_back(std::move(port));
    if (!listing.problem.empty()) {
      all.problem += (all.problem.empty() ? "" : " ") + listing.problem;
    }
  }
  return all;
}

}  // namespace tastiva
