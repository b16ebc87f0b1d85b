// Test support: writes records in the appended-payload layout, so the tests
// craft their own executables without the packer.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillpod::testing {

using Bytes = std::vector<unsigned char>;

inline void pad_to_grid(Bytes& image) {
  while (image.size() % 16 != 0) image.push_back(0xFF);
}

// Appends one record (header, data, FF filler to the 16-byte grid); a
// `length` other than the data's size writes a lying header.
inline void append_record(Bytes& image, char type, std::string_view data, std::int64_t length = -1) {
  pad_to_grid(image);
  for (unsigned k = 0; k < 15; ++k) image.push_back(static_cast<unsigned char>(74 + (3 * k) / 2));
  image.push_back(static_cast<unsigned char>(type));
  std::uint32_t n = length < 0 ? static_cast<std::uint32_t>(data.size()) : static_cast<std::uint32_t>(length);
  for (int b = 0; b < 4; ++b) image.push_back(static_cast<unsigned char>(n >> (8 * b)));
  image.insert(image.end(), data.begin(), data.end());
  pad_to_grid(image);
}

// A configuration text as the `V` record carries it: lines and the NUL.
inline std::string config(std::string_view lines) {
  std::string text(lines);
  text += '\0';
  return text;
}

inline Bytes bytes_of(std::string_view s) { return Bytes(s.begin(), s.end()); }

}  // namespace quillpod::testing

namespace quillpod::testing {

// A stand-in launcher image followed by `B` and, when `config_lines` is
// given, a `V` record carrying them.
// The start of a class file a Java 8 VM takes: magic number, version 52.0.
constexpr std::string_view kClassHeader("\xCA\xFE\xBA\xBE\0\0\0\x34", 8);

inline Bytes game_image(const std::optional<std::string>& config_lines,
                        std::string_view boot = std::string_view("\xCA\xFE\xBA\xBE\0\0\0\x34 boot", 13)) {
  Bytes image = bytes_of("\x7F" "ELF launcher image stands here");
  image.resize(200, 0);
  append_record(image, 'B', boot);
  if (config_lines) append_record(image, 'V', config(*config_lines));
  append_record(image, 'Z', "archive");
  return image;
}

}  // namespace quillpod::testing
