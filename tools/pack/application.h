// Packing one application: the inputs a user names (directories, jars,
// folders of jars), the configuration completed from the jars' manifests,
// the checks that catch at packing time what would otherwise fail at the
// user's first start, and the executable written in one piece.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "pack.h"
#include "pe_resources.h"

namespace quillpod::pack {

// The configuration keys that the launcher or the boot stage reads; any
// other key is stored and read by nobody.
extern const std::vector<std::string> kKnownKeys;

struct Request {
  std::filesystem::path launcher;  // the plain launcher to start from
  std::filesystem::path boot;      // quillpodboot.class
  std::filesystem::path output;    // checked so it never replaces an input
  // Directories (their contents merged at the archive's root) and jars
  // (carried at the root under their file names), in the order given.
  std::vector<std::filesystem::path> inputs;
  std::vector<std::filesystem::path> folders;   // carried under their own names
  std::vector<std::filesystem::path> jar_dirs;  // every jar in them, as if given one by one
  std::vector<ConfigPair> config;               // as the user set them
  std::string main_class;                       // "" unless --main was given
  std::vector<std::string> vm_args;             // each one VM option, as given
  int level = 9;
  // Icon, version, product and company for a Windows executable; the
  // product is also the failure box's caption.
  WindowsResources windows;
};

struct Packed {
  Bytes executable;
  std::vector<ConfigPair> config;     // what record V carries
  std::vector<std::string> warnings;  // for the user; none stops the packing
};

// Reads every input and returns the executable, or throws Error with a
// message that names the fix. Writes nothing.
Packed pack_application(const Request& request);

// Writes the executable beside `output` under a temporary name, makes it
// executable and renames it into place; on failure nothing is left behind.
void write_executable(const std::filesystem::path& output, const Bytes& data);

}  // namespace quillpod::pack
