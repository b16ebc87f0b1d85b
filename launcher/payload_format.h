// The layout that the launcher, the packer and the boot stage agree on: the
// appended records, and the fixed names of the files the boot stage keeps
// beside the application in the workspace. Declared once here for every C++
// reader and writer; the boot stage's Java side holds the same values.
#pragma once

#include <cstddef>
#include <cstdint>

namespace quillpod {

// Size of a record header: 15 marker bytes, the type letter, a 32-bit length.
constexpr std::size_t kRecordHeaderSize = 20;
// Records start only at offsets that are multiples of this; FF bytes fill
// the gap after a record's data.
constexpr std::size_t kRecordAlignment = 16;
constexpr unsigned char kRecordFiller = 0xFF;
constexpr std::size_t kRecordMarkerSize = 15;

// Marker byte k of a record header; computed, so no copy of the marker sits
// in the launcher image where the scan could mistake it for a record.
constexpr unsigned char record_marker_byte(std::size_t k) {
  return static_cast<unsigned char>(74 + (3 * k) / 2);
}

// Record types: the boot class, the configuration text, the file archive.
constexpr char kRecordBoot = 'B';
constexpr char kRecordConfig = 'V';
constexpr char kRecordArchive = 'Z';

// Each entry of the archive opens with this tag (bytes F0 12 DC EA).
constexpr std::uint32_t kArchiveEntryTag = 0xEADC12F0u;
constexpr std::size_t kArchiveMaxNameLength = 127;

// Files of the boot stage in the workspace, next to the application's own:
// the boot class, the marker left once the application's main was called,
// and the whole result code for systems that keep 8 bits of an exit status.
constexpr const char* kBootClassName = "quillpodboot";
constexpr const char* kBootClassFileName = "quillpodboot.class";
constexpr const char* kMarkerFileName = "Jz.Ky.Tx";
constexpr const char* kBootResultFileName = "quillpodboot.result";

}  // namespace quillpod
