// The Java runtime an executable may carry (record R), shared by the packer
// that writes it and the launcher that unpacks it.
//
// Record data:
//   8 bytes   magic: "QPRUNTM1" when the tree stream is compressed as one
//             zstd frame (for POSIX systems), "QPRUNTZ1" when it is one zlib
//             stream (for Windows, whose launchers carry zlib but not zstd)
//   32 bytes  SHA-256 of the tree stream: the runtime's name in the cache
//   8 bytes   size of the tree stream, little-endian
//   rest      the compressed tree stream
//
// Tree stream: entries back to back, a folder before anything in it.
//   1 byte    kind: 'd' folder, 'f' file, 'l' symbolic link
//   2 bytes   permission bits (rwx for owner, group, others), little-endian
//   2 bytes   name length, then the name: relative, '/' between levels,
//             no empty, "." or ".." level
//   8 bytes   size of what follows: a file's bytes, a link's target, 0
//   size      the content
// A link's target is relative and stays inside the tree.
#pragma once

#include <cstddef>
#include <cstdint>

namespace quillpod {

constexpr char kRecordRuntime = 'R';

constexpr unsigned char kRuntimeMagic[8] = {'Q', 'P', 'R', 'U', 'N', 'T', 'M', '1'};
constexpr unsigned char kRuntimeMagicZlib[8] = {'Q', 'P', 'R', 'U', 'N', 'T', 'Z', '1'};

// How the tree stream is compressed, as the magic tells.
enum class RuntimeCompression { zstd, zlib };
constexpr std::size_t kRuntimeHashSize = 32;
constexpr std::size_t kRuntimeHeaderSize = 8 + kRuntimeHashSize + 8;

constexpr unsigned char kRuntimeFolder = 'd';
constexpr unsigned char kRuntimeFile = 'f';
constexpr unsigned char kRuntimeLink = 'l';
constexpr std::size_t kRuntimeEntryHeaderSize = 1 + 2 + 2;  // kind, mode, name length

// Only the permission bits travel: no set-id bits from a packer's machine.
constexpr std::uint32_t kRuntimeModeMask = 0777;

}  // namespace quillpod
