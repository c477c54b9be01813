#include "midi/devices/ModuleFile.h"

#include <dlfcn.h>
#include <elf.h>
#include <link.h>

#include <cstring>
#include <fstream>
#include <vector>

#include "midi/devices/DeviceTexts.h"

namespace tastiva {

namespace {

// Whether [offset, offset + size) lies inside a file of fileSize bytes.
bool Inside(std::uint64_t offset, std::uint64_t size, std::uint64_t fileSize) {
  return offset <= fileSize && size <= fileSize - offset;
}

}  // namespace

std::string ModuleFileProblem(const std::string& path) {
  std::ifstream file(path, std::ios::binary | std::ios::ate);
  if (!file) return {};  // the loader says why it cannot open it
  const auto fileSize = static_cast<std::uint64_t>(file.tellg());
  if (fileSize == 0) return "the file is empty";
  ElfW(Ehdr) header{};
  file.seekg(0);
  file.read(reinterpret_cast<char*>(&header), sizeof header);
  if (file.gcount() < SELFMAG || std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0) {
    return "the file is not a program library";
  }
  const std::string cut = "the file is incomplete";
  if (file.gcount() < static_cast<std::streamsize>(sizeof header)) return cut;
  // Another kind of library (32-bit, another processor) the loader refuses by itself.
  if (header.e_ident[EI_CLASS] != (sizeof(void*) == 8 ? ELFCLASS64 : ELFCLASS32) ||
      header.e_phentsize != sizeof(ElfW(Phdr))) {
    return {};
  }
  const std::uint64_t tableSize = std::uint64_t{header.e_phnum} * header.e_phentsize;
  if (!Inside(header.e_phoff, tableSize, fileSize)) return cut;
  if (header.e_shoff != 0 &&
      !Inside(header.e_shoff, std::uint64_t{header.e_shnum} * header.e_shentsize, fileSize)) {
    return cut;
  }
  std::vector<ElfW(Phdr)> segments(header.e_phnum);
  file.seekg(static_cast<std::streamoff>(header.e_phoff));
  if (!file.read(reinterpret_cast<char*>(segments.data()),
                 static_cast<std::streamsize>(tableSize))) {
    return cut;
  }
  for (const ElfW(Phdr) & segment : segments) {
    const bool mapped = segment.p_type == PT_LOAD || segment.p_type == PT_DYNAMIC;
    if (mapped && !Inside(segment.p_offset, segment.p_filesz, fileSize)) return cut;
  }
  return {};
}

void* ModuleSymbol(const std::string& what, const std::string& path, const std::string& symbol,
                   std::string& error) {
  if (std::string problem = ModuleFileProblem(path); !problem.empty()) {
    error = BrokenModuleText(what, path, problem);
    return nullptr;
  }
  void* module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  void* address = module != nullptr ? ::dlsym(module, symbol.c_str()) : nullptr;
  if (address == nullptr) {
    const char* why = ::dlerror();  // the loader's words
    error = NotInstalledText(what, why != nullptr ? why : "unknown error");
  }
  return address;
}

}  // namespace tastiva
