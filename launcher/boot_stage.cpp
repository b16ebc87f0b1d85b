#include "boot_stage.h"

#include <cstdlib>

#include "payload.h"
#include "payload_format.h"

namespace quillpod {

namespace {

// The boot stage writes the marker whole.
constexpr std::size_t kMarkerSize = 100;

}  // namespace

std::optional<BootClass> boot_record_at(const FileImage& image, long long offset) {
  if (offset <= 0) return std::nullopt;
  std::uint64_t data = static_cast<std::uint64_t>(offset) + kRecordHeaderSize;
  if (data >= image.size()) return std::nullopt;
  const std::uint32_t length = record_length(image.data(), static_cast<std::size_t>(offset));
  if (data + length > image.size()) return std::nullopt;
  return BootClass{image.data() + static_cast<std::size_t>(data), length};
}

bool boot_class_loadable(const BootClass& boot) {
  const unsigned char* data = boot.data;
  if (boot.length < 10) return false;  // magic, version, constant pool count
  if (data[0] != 0xCA || data[1] != 0xFE || data[2] != 0xBA || data[3] != 0xBE) return false;
  const unsigned major = static_cast<unsigned>(data[6]) << 8 | data[7];
  return major >= 45 && major <= 52;
}

bool write_boot_class(Platform& platform, const Workspace& workspace, const BootClass& boot) {
  return platform.write_new_file(workspace.boot_class_file, boot.data, boot.length);
}

bool reserve_boot_result(Platform& platform, const Workspace& workspace) {
  const std::string text = kBootResultPending;
  return platform.write_new_file(workspace.boot_result_file, reinterpret_cast<const unsigned char*>(text.data()),
                                 text.size());
}

std::optional<std::int32_t> parse_boot_result(const std::vector<unsigned char>& bytes) {
  std::string text(bytes.begin(), bytes.end());
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) text.pop_back();
  if (text.empty() || text.size() > 11) return std::nullopt;
  std::size_t digits_from = (text[0] == '-') ? 1 : 0;
  if (digits_from == text.size()) return std::nullopt;
  for (std::size_t i = digits_from; i < text.size(); ++i)
    if (text[i] < '0' || text[i] > '9') return std::nullopt;
  long long n = std::strtoll(text.c_str(), nullptr, 10);
  if (n < INT32_MIN || n > INT32_MAX) return std::nullopt;
  return static_cast<std::int32_t>(n);
}

bool marker_present(Platform& platform, const Workspace& workspace) {
  std::optional<std::vector<unsigned char>> bytes = platform.read_file(workspace.marker_file);
  return bytes && bytes->size() == kMarkerSize;
}

bool boot_stage_untouched(Platform& platform, const Workspace& workspace) {
  std::optional<std::vector<unsigned char>> bytes = platform.read_file(workspace.boot_result_file);
  const std::string pending = kBootResultPending;
  return bytes && std::string(bytes->begin(), bytes->end()) == pending;
}

}  // namespace quillpod
