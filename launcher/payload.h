// Reading the records appended to the executable and the configuration text
// that one of them carries. Pure byte handling: no file or OS access, so the
// packer and the tests can use it on any image held in memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "payload_format.h"

namespace quillpod {

// Offset of the header of the first record of `type` in the image, or -1.
// Only offsets on the 16-byte grid count; the length field is not checked.
long long find_record(const unsigned char* bytes, std::size_t size, char type);

// The little-endian 32-bit length stored in the header at `offset`; the
// caller makes sure the header lies inside the image.
std::uint32_t record_length(const unsigned char* bytes, std::size_t offset);

// The configuration text of the image: the data of its first `V` record up to
// the NUL that ends it, or nullopt when there is no `V` record. A text without
// its NUL stops at the end of the image, never beyond.
std::optional<std::string_view> config_text(const unsigned char* bytes, std::size_t size);

// The value of `key` in the configuration text, or `fallback` when there is
// no text, no "key=" anywhere in it, or no line feed after the value. The
// search is a plain substring search: "xmain=1" also answers `main`, and a
// value keeps a carriage return that precedes its line feed, because stored
// executables were written against exactly that reading.
std::optional<std::string> lookup_config_value(std::optional<std::string_view> text,
                                               std::string_view key,
                                               std::optional<std::string> fallback);

}  // namespace quillpod
