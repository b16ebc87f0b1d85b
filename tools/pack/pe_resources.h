// Windows resources for a packed executable: the icon, the version
// information and the application manifest that Explorer, the task manager
// and the system's loader read from a program file, written into a copy of
// the Windows launcher before the records are appended to it.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "pack.h"

namespace quillpod::pack {

// Resource types the packer writes (the system's numbers).
constexpr std::uint16_t kResourceIcon = 3;
constexpr std::uint16_t kResourceGroupIcon = 14;
constexpr std::uint16_t kResourceVersion = 16;
constexpr std::uint16_t kResourceManifest = 24;
// English (United States), the language resource compilers give by default.
constexpr std::uint16_t kLanguageEnglishUs = 0x0409;

// A resource's type or name: a number, or a UTF-16 name (kept when an
// existing resource section is carried over).
struct ResourceKey {
  std::uint16_t id = 0;
  std::u16string name;  // used when not empty
  bool operator<(const ResourceKey& other) const;
  bool operator==(const ResourceKey& other) const { return id == other.id && name == other.name; }
};

struct Resource {
  ResourceKey type;
  ResourceKey name;
  std::uint16_t language = kLanguageEnglishUs;
  Bytes data;
};

// What the maker asked for; empty fields are left out.
struct WindowsResources {
  Bytes icon;               // a whole .ico file, or empty
  std::string icon_origin;  // its path, for messages
  std::optional<std::array<std::uint16_t, 4>> version;
  std::string product;  // UTF-8
  std::string company;  // UTF-8
  std::string file_name;  // the executable's file name, shown as its original name
};

// Parses a version of one to four dot-separated numbers, each 0 to 65535
// (missing ones are 0); throws Error saying what a version looks like.
std::array<std::uint16_t, 4> parse_file_version(const std::string& text);

// The icon resources of an .ico file: one icon per image (ids 1, 2, ...)
// and the group that lists them (id 1). Throws Error naming the file and
// what is wrong with it.
std::vector<Resource> icon_resources(const Bytes& ico, const std::string& origin);

// A VS_VERSIONINFO block: the fixed numbers and the strings in US English,
// Unicode.
Bytes version_info(const WindowsResources& what);

// The application manifest: run with the user's own rights (never the
// installer detection's elevation prompt), draw sharply on every display
// scale, and use UTF-8 for the system's narrow-character calls (Windows 10
// from 1903 on), so names from the configuration reach the VM as written.
Bytes application_manifest();

// Every resource a Windows executable made from the request carries.
std::vector<Resource> windows_resources(const WindowsResources& what);

// Whether the bytes start like a Windows program (MZ header leading to a
// PE signature).
bool is_windows_executable(const Bytes& image);

// Returns a copy of the Windows program with the resources in its resource
// section: resources of a type given here replace the program's own of that
// type, the others are kept. The section is rewritten in place when it is
// the last one, else added as a new last section; the image size and the
// resource directory are set to match, the checksum cleared. Throws Error
// for a file that is not a Windows program, a signed one, one with bytes
// after its last section, or one without room for another section header.
Bytes add_resources(const Bytes& image, const std::vector<Resource>& resources);

// The resources a Windows program carries, read from its resource section
// (none when it has none). Throws Error for a malformed section.
std::vector<Resource> read_resources(const Bytes& image);

}  // namespace quillpod::pack
