#include "runtime_tree.h"

#include <cstring>
#include <vector>

namespace quillpod {

namespace {

std::vector<std::string> levels_of(const std::string& path) {
  std::vector<std::string> levels;
  std::size_t from = 0;
  while (true) {
    std::size_t slash = path.find('/', from);
    levels.push_back(path.substr(from, slash == std::string::npos ? std::string::npos : slash - from));
    if (slash == std::string::npos) return levels;
    from = slash + 1;
  }
}

}  // namespace

std::optional<RuntimeRecord> parse_runtime_record(const unsigned char* data, std::size_t size) {
  if (size < kRuntimeHeaderSize) return std::nullopt;
  RuntimeRecord record;
  if (std::memcmp(data, kRuntimeMagicZlib, sizeof kRuntimeMagicZlib) == 0)
    record.compression = RuntimeCompression::zlib;
  else if (std::memcmp(data, kRuntimeMagic, sizeof kRuntimeMagic) != 0)
    return std::nullopt;
  std::memcpy(record.hash.data(), data + sizeof kRuntimeMagic, kRuntimeHashSize);
  const unsigned char* size_at = data + sizeof kRuntimeMagic + kRuntimeHashSize;
  for (int i = 7; i >= 0; --i) record.tree_size = record.tree_size << 8 | size_at[i];
  record.compressed = data + kRuntimeHeaderSize;
  record.compressed_size = size - kRuntimeHeaderSize;
  return record;
}

std::string runtime_hash_hex(const RuntimeHash& hash) {
  static const char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (unsigned char byte : hash) {
    hex += kDigits[byte >> 4];
    hex += kDigits[byte & 15];
  }
  return hex;
}

bool is_runtime_hash_hex(const std::string& name) {
  if (name.size() != 2 * kRuntimeHashSize) return false;
  for (char c : name)
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  return true;
}

std::string runtime_name_problem(const std::string& name) {
  if (name.empty()) return "an empty name";
  if (name.find('\0') != std::string::npos) return "a NUL byte in a name";
  if (name[0] == '/') return "an absolute name";
  if (name == kRuntimeManifestName) return "the unpacker's own file name";
  for (const std::string& level : levels_of(name))
    if (level.empty() || level == "." || level == "..") return "an empty, \".\" or \"..\" level in " + name;
  return "";
}

bool runtime_link_stays_inside(const std::string& name, const std::string& target) {
  if (target.empty() || target[0] == '/' || target.find('\0') != std::string::npos) return false;
  // Climbs first, through the real folders above the link, then only
  // descends: a ".." after a name could climb out through another link.
  long depth = static_cast<long>(levels_of(name).size()) - 1;
  bool descending = false;
  for (const std::string& level : levels_of(target)) {
    if (level == ".." && !descending) {
      if (--depth < 0) return false;
    } else if (level.empty() || level == "." || level == "..") {
      return false;
    } else {
      descending = true;
    }
  }
  return descending;
}

}  // namespace quillpod
