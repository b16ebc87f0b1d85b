// Reading a carried Java runtime (record R, see runtime_format.h): the
// record's header, its tree stream entry by entry, and the rules every entry
// must keep before anything is made on disk. Free of system calls.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "runtime_format.h"

namespace quillpod {

using RuntimeHash = std::array<unsigned char, kRuntimeHashSize>;

struct RuntimeRecord {
  RuntimeCompression compression = RuntimeCompression::zstd;
  RuntimeHash hash{};
  std::uint64_t tree_size = 0;
  const unsigned char* compressed = nullptr;
  std::size_t compressed_size = 0;
};

// The record's header and where its compressed tree lies; nullopt when the
// data is too short or does not start with one of the magics.
std::optional<RuntimeRecord> parse_runtime_record(const unsigned char* data, std::size_t size);

// The hash in lower-case hexadecimal: the runtime's folder name in the cache.
std::string runtime_hash_hex(const RuntimeHash& hash);

// Whether a folder name has the form runtime_hash_hex gives.
bool is_runtime_hash_hex(const std::string& name);

// The name the unpacker keeps its own record of a tree under, in the tree's
// root; no entry of a carried tree may take it.
constexpr const char* kRuntimeManifestName = ".quillpod-runtime";

// Why an entry's name cannot be unpacked ("" when it can): empty, absolute,
// an empty, "." or ".." level, a NUL byte, or the manifest's name.
std::string runtime_name_problem(const std::string& name);

// Whether a link named `name` with this target stays inside the tree: a
// relative target of leading ".." levels that never climb above the tree's
// root, then names only.
bool runtime_link_stays_inside(const std::string& name, const std::string& target);

// A little-endian number of `bytes` bytes.
std::uint64_t read_le(const unsigned char* at, int bytes);

// One entry's header in the tree stream; a file's or a link's `size` bytes
// follow it.
struct TreeEntry {
  unsigned char kind = 0;
  std::uint32_t mode = 0;
  std::string name;
  std::uint64_t size = 0;
};

// A record's tree stream read in steps, so that no more than one buffer of
// it is ever in memory. This class keeps the buffer, reads the entries'
// headers and checks that the stream was whole; each platform's runtime
// cache supplies the decompression and the hash.
class TreeStream {
 public:
  TreeStream(const RuntimeRecord& record, std::size_t buffer_size);
  virtual ~TreeStream() = default;
  TreeStream(const TreeStream&) = delete;
  TreeStream& operator=(const TreeStream&) = delete;

  // Up to `n` bytes of the stream; 0 at its end or on damage (see error()).
  std::size_t read(unsigned char* out, std::size_t n);
  bool read_exactly(unsigned char* out, std::size_t n);
  // The next entry's header; false when it is cut short.
  bool read_entry(TreeEntry& entry);
  // Whether the stream is at its end (no entry follows).
  bool at_end();
  // After at_end(): the stream was whole, of its declared size and hash.
  bool whole(std::string* why);
  // Why the stream stopped early ("" when it did not).
  const std::string& error() const { return error_; }

 protected:
  // Decompresses the next piece of the record into `out`, at most `size`
  // bytes, and says how many came out (none is fine while input is taken
  // in). Sets `ended` when the compressed stream ends, `error` on damage.
  virtual std::size_t decompress(unsigned char* out, std::size_t size, bool& ended, std::string& error) = 0;
  // Whether all of the record's compressed bytes were taken in.
  virtual bool input_used_up() const = 0;
  virtual void hash(const unsigned char* data, std::size_t size) = 0;
  // False when the system could not compute the hash.
  virtual bool hash_result(RuntimeHash& out) = 0;

 private:
  bool refill();

  const RuntimeRecord& record_;
  std::vector<unsigned char> buffer_;
  std::size_t at_ = 0, filled_ = 0;
  std::uint64_t total_ = 0;
  bool ended_ = false;
  std::string error_;
};

}  // namespace quillpod
