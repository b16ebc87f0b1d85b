// A Java runtime carried in the executable (record R): read from a folder
// (a jlink image, a JDK or a JRE) or made with the installed JDK's jlink for
// the modules the application needs, then packed as the launcher unpacks it.
#pragma once

#include <filesystem>
#include <iosfwd>
#include <string>
#include <vector>

#include "pack.h"
#include "runtime_format.h"

namespace quillpod::pack {

// The folder as a tree stream: folders, files and links with their
// permission bits, sorted by name, a folder before its contents. A link
// that stays inside the folder is kept as a relative link; one that leads
// out is carried as what it points to; a broken one is left out with a
// warning. Throws Error when the folder has no java program for the system
// (bin/java, or bin/java.exe `for_windows`) or cannot be read.
Bytes runtime_tree(const std::filesystem::path& folder, std::vector<std::string>& warnings, bool for_windows = false);

// The record's data: magic, SHA-256 and size of the tree, the tree
// compressed (zstd at `level`, 1 to 19; zlib, which the Windows launchers
// read, at `level` up to 9).
Bytes runtime_record_data(const Bytes& tree, RuntimeCompression compression = RuntimeCompression::zstd,
                          int level = 19);

// What the record holds, for the packer's report and its listing.
struct RuntimeSummary {
  std::string hash;  // hexadecimal, the folder name in the user's cache
  bool for_windows = false;  // compressed for the Windows launchers
  std::size_t folders = 0, files = 0, links = 0;
  std::uint64_t unpacked = 0;  // bytes of the files
};

// Reads a record back, checking its size and hash; throws Error if damaged.
RuntimeSummary summarize_runtime(const unsigned char* data, std::size_t size);

// Writes the record's summary for --list; false when it is damaged.
bool list_runtime(const unsigned char* data, std::size_t size, std::ostream& out);

// The modules the application needs, by jdeps over its classes and jars,
// plus `extra` (comma-separated lists allowed); java.base at least.
std::vector<std::string> application_modules(const std::vector<std::filesystem::path>& classes_and_jars,
                                             const std::vector<std::string>& extra);

// Makes a runtime image of the modules with the installed JDK's jlink
// (--strip-debug --no-header-files --no-man-pages, and a class-data archive
// where jlink can make one) in `output`, which must not exist yet. Throws Error with jlink's own words when it fails.
void jlink_runtime(const std::vector<std::string>& modules, const std::filesystem::path& output);

struct Request;

// Carries a runtime in the executable as its last record: `choice` is a
// runtime folder, or "jlink" for one made for the application's modules
// (plus `add_modules`). Writes a line on what it costs to `report`.
void add_runtime_record(Bytes& executable, const std::string& choice, const std::vector<std::string>& add_modules,
                        const Request& request, std::vector<std::string>& warnings, std::ostream& report);

// The JDK tool (jlink, jdeps): from $JAVA_HOME/bin, else the search path.
std::string jdk_tool(const std::string& name);

}  // namespace quillpod::pack
