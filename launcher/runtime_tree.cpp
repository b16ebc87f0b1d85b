#include "runtime_tree.h"

#include <algorithm>
#include <cstring>

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
  record.tree_size = read_le(data + sizeof kRuntimeMagic + kRuntimeHashSize, 8);
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

std::uint64_t read_le(const unsigned char* at, int bytes) {
  std::uint64_t value = 0;
  for (int i = bytes - 1; i >= 0; --i) value = value << 8 | at[i];
  return value;
}

TreeStream::TreeStream(const RuntimeRecord& record, std::size_t buffer_size)
    : record_(record), buffer_(buffer_size) {}

std::size_t TreeStream::read(unsigned char* out, std::size_t n) {
  if (at_ == filled_ && !refill()) return 0;
  std::size_t take = std::min(n, filled_ - at_);
  std::memcpy(out, buffer_.data() + at_, take);
  at_ += take;
  return take;
}

bool TreeStream::read_exactly(unsigned char* out, std::size_t n) {
  while (n > 0) {
    std::size_t got = read(out, n);
    if (got == 0) return false;
    out += got;
    n -= got;
  }
  return true;
}

bool TreeStream::read_entry(TreeEntry& entry) {
  unsigned char head[kRuntimeEntryHeaderSize];
  unsigned char size_bytes[8];
  if (!read_exactly(head, sizeof head)) return false;
  entry.kind = head[0];
  entry.mode = static_cast<std::uint32_t>(read_le(head + 1, 2));
  entry.name.assign(static_cast<std::size_t>(read_le(head + 3, 2)), '\0');
  if (!read_exactly(reinterpret_cast<unsigned char*>(&entry.name[0]), entry.name.size()) ||
      !read_exactly(size_bytes, sizeof size_bytes))
    return false;
  entry.size = read_le(size_bytes, 8);
  return true;
}

bool TreeStream::at_end() { return at_ == filled_ && !refill(); }

bool TreeStream::whole(std::string* why) {
  auto fail = [why](const std::string& text) {
    if (why) *why = text;
    return false;
  };
  if (!error_.empty()) return fail(error_);
  if (!ended_ || !input_used_up()) return fail("its compressed data is cut short or followed by more");
  if (total_ != record_.tree_size) return fail("its size is not the one its header gives");
  RuntimeHash hash;
  if (!hash_result(hash)) return fail("the system cannot compute its hash");
  if (hash != record_.hash) return fail("its content does not match its hash");
  return true;
}

bool TreeStream::refill() {
  at_ = filled_ = 0;
  while (filled_ == 0 && error_.empty()) {
    if (ended_) return false;
    const std::size_t got = decompress(buffer_.data(), buffer_.size(), ended_, error_);
    if (!error_.empty()) return false;
    filled_ = got;
    total_ += filled_;
    if (total_ > record_.tree_size) {
      error_ = "it is larger than its header says";
      return false;
    }
    hash(buffer_.data(), filled_);
  }
  return filled_ > 0;
}

}  // namespace quillpod
