// Fuzz entry point for the packer's listing of an executable held in memory:
// whatever the bytes, it reads nothing outside them and throws nothing but
// an allocation failure.
#include <cstddef>
#include <cstdint>
#include <sstream>

#include "pack.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::ostringstream listing;
  (void)quillpod::pack::list_executable(data, size, listing);
  return 0;
}
