#include "payload.h"

#include <cstring>

namespace quillpod {

long long find_record(const unsigned char* bytes, std::size_t size, char type) {
  // A header needs 16 bytes (marker and type); a smaller image holds none.
  if (bytes == nullptr || size <= kRecordMarkerSize + 1) return -1;
  for (std::size_t i = 0; i < size - (kRecordMarkerSize + 1); i += kRecordAlignment) {
    std::size_t k = 0;
    while (k < kRecordMarkerSize && bytes[i + k] == record_marker_byte(k)) ++k;
    if (k == kRecordMarkerSize && bytes[i + kRecordMarkerSize] == static_cast<unsigned char>(type))
      return static_cast<long long>(i);
  }
  return -1;
}

std::uint32_t record_length(const unsigned char* bytes, std::size_t offset) {
  const unsigned char* p = bytes + offset + 16;
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

std::optional<std::string_view> config_text(const unsigned char* bytes, std::size_t size) {
  long long at = find_record(bytes, size, 'V');
  if (at < 0) return std::nullopt;
  std::size_t start = static_cast<std::size_t>(at) + kRecordHeaderSize;
  if (start >= size) return std::string_view();
  const char* text = reinterpret_cast<const char*>(bytes + start);
  const void* nul = std::memchr(text, 0, size - start);
  std::size_t length = nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - text) : size - start;
  return std::string_view(text, length);
}

std::optional<std::string> lookup_config_value(std::optional<std::string_view> text,
                                               std::string_view key,
                                               std::optional<std::string> fallback) {
  if (!text) return fallback;
  std::string search(key);
  search += '=';
  std::size_t at = text->find(search);
  if (at == std::string_view::npos) return fallback;
  std::size_t value_start = at + search.size();
  std::size_t line_end = text->find('\n', value_start);
  if (line_end == std::string_view::npos) return fallback;
  return std::string(text->substr(value_start, line_end - value_start));
}

}  // namespace quillpod
