// Fuzz entry point for the packer's resource writer: whatever bytes are
// given as the Windows launcher, reading its resources and writing new ones
// read nothing outside the bytes and fail only with the packer's Error.
#include <cstddef>
#include <cstdint>

#include "pe_resources.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace quillpod::pack;
  Bytes image(data, data + size);
  try {
    (void)read_resources(image);
  } catch (const Error&) {
  }
  try {
    WindowsResources what;
    what.version = std::array<std::uint16_t, 4>{1, 2, 3, 4};
    what.product = "Pr\xC3\xB8" "be";
    Bytes written = add_resources(image, windows_resources(what));
    // What was written reads back.
    (void)read_resources(written);
  } catch (const Error&) {
  }
  return 0;
}
