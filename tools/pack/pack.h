// The packer's engine: builds the records appended to a launcher (boot
// class, configuration text, compressed file archive) and reads them back
// for listing. No argument parsing and no output file handling here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <stdexcept>
#include <string>
#include <vector>

#include "payload_format.h"

namespace quillpod::pack {

using Bytes = std::vector<unsigned char>;

// Every failure of the engine, with a message meant for the user.
struct Error : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// The boot stage reads sizes as signed 32-bit numbers.
constexpr std::uint64_t kMaxSize = 0x7FFFFFFFu;

// Appends a 32-bit little-endian number.
void put_u32(Bytes& out, std::uint32_t value);

// Reads a 32-bit little-endian number at offset (the caller checks bounds).
std::uint32_t get_u32(const unsigned char* at);

// Appends FF filler up to the grid, then one record of the given type.
void append_record(Bytes& out, char type, const unsigned char* data, std::size_t size);
inline void append_record(Bytes& out, char type, const Bytes& data) {
  append_record(out, type, data.data(), data.size());
}

// One key=value line of the configuration text.
struct ConfigPair {
  std::string key;
  std::string value;
};

// Parses "key=value" as given on the command line; throws Error if malformed.
ConfigPair parse_config_pair(const std::string& text);

// Parses a configuration file: one pair a line, blank lines and lines
// starting with '#' skipped, a trailing carriage return dropped. Throws Error
// naming the line of a malformed or repeated key.
std::vector<ConfigPair> parse_config_file(const std::string& text, const std::string& origin);

// Sets each pair of later in pairs: a key already there gets the new value in
// its place, a new key is added at the end.
void override_config(std::vector<ConfigPair>& pairs, const std::vector<ConfigPair>& later);

// The configuration text as the readers expect it: "key=value\n" lines and a
// closing NUL.
Bytes config_text(const std::vector<ConfigPair>& pairs);

// One file to be carried: its name in the archive and where it is read from.
struct SourceFile {
  std::string name;
  std::filesystem::path path;
};

// Checks a name for the archive: 1..127 bytes of UTF-8 text, backslashes
// between levels, no empty, "." or ".." level, no leading separator or drive.
// Returns an empty string if fine, else the reason.
std::string name_problem(const std::string& name);

// A directory to carry: its files land under folder in the archive ("" for
// the archive's root).
struct SourceDir {
  std::filesystem::path dir;
  std::string folder;
};

// Walks the directories and returns every regular file, named relative to
// its directory (under its folder) with backslashes, sorted bytewise by name.
// Throws Error on an unreadable directory, a special file, a bad name, or a
// name found in two directories.
std::vector<SourceFile> collect_files(const std::vector<SourceDir>& dirs);

// The same, each directory's contents merged at the archive's root.
std::vector<SourceFile> collect_files(const std::vector<std::filesystem::path>& dirs);

// Appends one archive entry (tag, name length, name, 0, size, content).
void append_entry(Bytes& body, const std::string& name, const unsigned char* data, std::size_t size);

// Reads the files and returns the archive body; throws Error on a read
// failure or a body too large for the readers.
Bytes archive_body(const std::vector<SourceFile>& files);

// Compresses into one gzip member with no name and time 0, so the same input
// always gives the same bytes.
Bytes gzip_compress(const Bytes& data, int level);

// Decompresses one whole gzip member, checking its trailer; throws Error,
// also as soon as the output would pass `limit` bytes.
Bytes gzip_decompress(const unsigned char* data, std::size_t size, std::size_t limit = kMaxSize);

// Data of record Z: the body's size, then the body compressed.
Bytes archive_record_data(const Bytes& body, int level);

// The whole executable: launcher, then records B, V, Z on the grid. Throws
// Error if the launcher already carries records.
Bytes build_executable(const Bytes& launcher, const Bytes& boot, const Bytes& config, const Bytes& archive);

// Where a record of an executable was found.
struct Record {
  char type;
  std::size_t offset;  // of the header
  std::size_t size;    // of the data
};

// Finds the first record of the type the way the launcher does (its own
// scan); false if none. The caller checks that the data fits.
bool find_record(const unsigned char* file, std::size_t size, char type, Record& found);
inline bool find_record(const Bytes& file, char type, Record& found) {
  return find_record(file.data(), file.size(), type, found);
}

// One entry read back from an archive body.
struct Entry {
  std::string name;
  std::size_t offset;  // of the content in the body
  std::size_t size;
};

// Splits an archive body into its entries; throws Error at the first
// malformed one, naming its offset.
std::vector<Entry> parse_archive(const unsigned char* body, std::size_t size);
inline std::vector<Entry> parse_archive(const Bytes& body) { return parse_archive(body.data(), body.size()); }

// Writes what a packed executable held in memory carries: each record with
// its offset and size, the configuration lines (control bytes shown as
// escapes), the archive's entries with their sizes. Returns false when a
// record is missing or broken, saying why in the listing. Reads nothing
// outside the buffer and throws nothing but std::bad_alloc, whatever the bytes.
bool list_executable(const unsigned char* file, std::size_t size, std::ostream& out);

// Reads a whole file; throws Error naming the file and the reason.
Bytes read_file(const std::filesystem::path& path);

}  // namespace quillpod::pack
