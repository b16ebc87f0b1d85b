// The files the launcher shares with the boot stage, the Java class that
// runs first in the VM: the boot class it writes into the workspace, the
// result file the boot stage leaves its whole exit code in, and the marker
// that tells the application's main was called. Also the boot stage's exit
// codes that the launcher acts on.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform.h"
#include "workspace.h"

namespace quillpod {

// Exit codes of the boot stage that the launcher acts on.
constexpr int kBootCannotLoadMain = 10024;
constexpr int kBootVmTooOld = 10333;

// What the launcher writes into the result file before each VM start: it
// keeps the file's room on a disk that fills up while the application is
// unpacked, and tells "the boot stage wrote nothing" from "it could not".
constexpr const char* kBootResultPending = "pending\n";

// The boot class as the executable's boot record carries it.
struct BootClass {
  const unsigned char* data;
  std::uint32_t length;
};

// The boot record at `offset` of the image, when its header and data lie
// inside the file; the length is read only once the header is known whole.
std::optional<BootClass> boot_record_at(const FileImage& image, long long offset);

// Whether the bytes are a class file a Java 8 VM would load: its magic
// number and a version from 45 (1.0) to 52 (Java 8). Anything else is a
// damaged executable, which no newer VM would mend.
bool boot_class_loadable(const BootClass& boot);

// Writes the boot class into the workspace, replacing any file of its name.
bool write_boot_class(Platform& platform, const Workspace& workspace, const BootClass& boot);

// Writes kBootResultPending into the result file; false when it cannot.
bool reserve_boot_result(Platform& platform, const Workspace& workspace);

// The result file's bytes as the boot stage's number (decimal, possibly
// signed, then blanks), or nullopt when they are not one.
std::optional<std::int32_t> parse_boot_result(const std::vector<unsigned char>& bytes);

// Whether the run left the marker whole (an empty or short one is what a
// full disk leaves of a marker that could not be written).
bool marker_present(Platform& platform, const Workspace& workspace);

// Whether the result file still holds the launcher's pending text: the VM
// ended without the boot stage having touched it.
bool boot_stage_untouched(Platform& platform, const Workspace& workspace);

}  // namespace quillpod
