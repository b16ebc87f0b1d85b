#include "utf8.h"

#include <cstdint>

namespace quillpod::pack {

std::string utf8_text_problem(const std::string& text) {
  for (std::size_t i = 0; i < text.size();) {
    auto b = static_cast<unsigned char>(text[i]);
    std::uint32_t c;
    std::size_t n;
    if (b < 0x80) {
      c = b, n = 1;
    } else if ((b & 0xE0) == 0xC0) {
      c = b & 0x1Fu, n = 2;
    } else if ((b & 0xF0) == 0xE0) {
      c = b & 0x0Fu, n = 3;
    } else if ((b & 0xF8) == 0xF0) {
      c = b & 0x07u, n = 4;
    } else {
      return "byte " + std::to_string(i + 1) + " does not begin a UTF-8 character";
    }
    if (text.size() - i < n) return "it ends inside a UTF-8 character";
    for (std::size_t k = 1; k < n; ++k) {
      auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) return "byte " + std::to_string(i + k + 1) + " breaks a UTF-8 character";
      c = c << 6 | (next & 0x3Fu);
    }
    static const std::uint32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
    if (c < kLeast[n] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
      return "byte " + std::to_string(i + 1) + " begins no valid UTF-8 character";
    if (c < 0x20 || (c >= 0x7F && c < 0xA0)) return "it holds a control character";
    i += n;
  }
  return {};
}

}  // namespace quillpod::pack
