// What the packer reads inside the application's own files: a jar's
// manifest and entries, and the name of the class a class file defines.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "pack.h"

namespace quillpod::pack {

// The attributes of a manifest's main section (up to its first blank line),
// continuation lines joined, in their order. Names keep their case; use
// manifest_value to look one up the way the VM does, ignoring case.
using Manifest = std::vector<std::pair<std::string, std::string>>;
Manifest parse_manifest(const std::string& text);

// The value of an attribute, or "" when the main section lacks it.
std::string manifest_value(const Manifest& manifest, const std::string& name);

// The relative paths of a Class-Path value: split at spaces, each %XX
// escape decoded. Absolute addresses (with a scheme such as file: or http:)
// are returned as they are, for the caller to refuse.
std::vector<std::string> class_path_items(const std::string& value);

// True when the bytes begin as a zip file does (a jar is one).
bool looks_like_zip(const std::filesystem::path& path);

// An open jar: its manifest and whether it holds a given entry.
class Jar {
 public:
  // Throws Error naming the file and the reason when it cannot be read.
  explicit Jar(const std::filesystem::path& path);
  ~Jar();
  Jar(const Jar&) = delete;
  Jar& operator=(const Jar&) = delete;

  const Manifest& manifest() const { return manifest_; }
  bool has_entry(const std::string& name) const;
  // The names of every entry, in the jar's order.
  std::vector<std::string> entry_names() const;
  // The first `size` bytes of an entry (fewer when it is shorter); throws
  // Error when the entry cannot be read.
  Bytes entry_head(const std::string& name, std::size_t size) const;

 private:
  struct Zip;
  std::filesystem::path path_;
  std::unique_ptr<Zip> zip_;
  Manifest manifest_;
};

// The major version of a class file (52 for Java 8, one more for each
// release since), or -1 when the bytes do not begin as a class file does.
int class_file_version(const unsigned char* bytes, std::size_t size);

// The Java version a class-file major version stands for: "1.1" to "1.8"
// up to 52, then "9", "10", ...
std::string java_version_of_class(int major);

// The internal name (slashes between packages) of the class a class file
// defines, or "" when the bytes are no well-formed class file.
std::string class_file_name(const Bytes& bytes);

}  // namespace quillpod::pack
