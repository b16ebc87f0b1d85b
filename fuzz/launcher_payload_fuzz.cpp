// Fuzz entry point for the launcher's record scan and configuration lookup:
// whatever the bytes of an executable, the scan and the lookup read nothing
// outside them and give answers that lie inside them.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "payload.h"

namespace {

void require(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace quillpod;
  for (char type : {'B', 'V', 'Z', '\0', '\xFF'}) {
    long long at = find_record(data, size, type);
    if (at < 0) continue;
    std::size_t offset = static_cast<std::size_t>(at);
    require(offset % kRecordAlignment == 0 && offset + kRecordMarkerSize + 1 <= size);
    require(data[offset + kRecordMarkerSize] == static_cast<unsigned char>(type));
    // Callers read the length only once the whole header lies in the image.
    if (offset + kRecordHeaderSize <= size) (void)record_length(data, offset);
  }

  std::optional<std::string_view> text = config_text(data, size);
  if (text) {
    const auto* begin = reinterpret_cast<const char*>(data);
    require(text->empty() || (text->data() >= begin && text->data() + text->size() <= begin + size));
  }
  for (std::string_view key : {"main", "target", "helpurl", "jars", "minver", ""}) {
    std::optional<std::string> value = lookup_config_value(text, key, std::string("fallback"));
    require(value.has_value());
    if (text && *value != "fallback") require(value->size() <= text->size());
  }
  // A key made of the text's own first bytes, so lookups also find what they look for.
  if (text && !text->empty()) {
    std::string_view key = text->substr(0, text->find_first_of("=\n"));
    (void)lookup_config_value(text, key.substr(0, 99), std::nullopt);
  }
  return 0;
}
