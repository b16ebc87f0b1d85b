// Reading a carried Java runtime (record R, see runtime_format.h): the
// record's header, and the rules every entry of its tree must keep before
// anything is made on disk. Free of system calls.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

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

}  // namespace quillpod
