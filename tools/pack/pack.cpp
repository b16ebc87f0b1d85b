#include "pack.h"

#include "payload.h"
#include "utf8.h"

#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <cstdio>
#include <fstream>
#include <ostream>
#include <system_error>

namespace fs = std::filesystem;

namespace quillpod::pack {

namespace {

// Owns one zlib stream and ends it on every path out of its scope.
class ZStream {
 public:
  enum Kind { kDeflate, kInflate };
  ZStream(Kind kind, int level) : kind_(kind) {
    int rc;
    if (kind == kDeflate) {
      // 15 + 16: a gzip wrapper instead of zlib's own.
      rc = deflateInit2(&s_, level, Z_DEFLATED, 15 + 16, 9, Z_DEFAULT_STRATEGY);
      if (rc == Z_OK) {
        header_.os = 0;  // "unknown origin" the same on every build machine
        rc = deflateSetHeader(&s_, &header_);
      }
    } else {
      rc = inflateInit2(&s_, 15 + 16);
    }
    if (rc != Z_OK) {
      if (kind == kDeflate) deflateEnd(&s_);
      throw Error(message("cannot start zlib", rc));
    }
  }
  ~ZStream() {
    if (kind_ == kDeflate)
      deflateEnd(&s_);
    else
      inflateEnd(&s_);
  }
  ZStream(const ZStream&) = delete;
  ZStream& operator=(const ZStream&) = delete;

  z_stream* operator->() { return &s_; }
  z_stream* get() { return &s_; }

  // One place that turns a zlib code into words.
  std::string message(const char* what, int rc) const {
    std::string text = what;
    text += ": ";
    if (s_.msg != nullptr)
      text += s_.msg;
    else if (rc == Z_MEM_ERROR)
      text += "out of memory";
    else if (rc == Z_BUF_ERROR)
      text += "the stream is cut short";
    else if (rc == Z_DATA_ERROR)
      text += "corrupt data";
    else
      text += "zlib error " + std::to_string(rc);
    return text;
  }

 private:
  Kind kind_;
  z_stream s_{};
  gz_header header_{};
};

bool bytewise_less(const std::string& a, const std::string& b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
  });
}

}  // namespace

void put_u32(Bytes& out, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<unsigned char>(value >> (8 * i)));
}

std::uint32_t get_u32(const unsigned char* at) {
  return static_cast<std::uint32_t>(at[0]) | static_cast<std::uint32_t>(at[1]) << 8 |
         static_cast<std::uint32_t>(at[2]) << 16 | static_cast<std::uint32_t>(at[3]) << 24;
}

void append_record(Bytes& out, char type, const unsigned char* data, std::size_t size) {
  if (size > 0xFFFFFFFFu) throw Error(std::string("record ") + type + " is larger than 4 GiB");
  out.resize((out.size() + kRecordAlignment - 1) / kRecordAlignment * kRecordAlignment, kRecordFiller);
  for (std::size_t k = 0; k < kRecordMarkerSize; ++k) out.push_back(record_marker_byte(k));
  out.push_back(static_cast<unsigned char>(type));
  put_u32(out, static_cast<std::uint32_t>(size));
  out.insert(out.end(), data, data + size);
}

ConfigPair parse_config_pair(const std::string& text) {
  auto eq = text.find('=');
  if (eq == std::string::npos) throw Error("configuration pair \"" + text + "\" has no '='");
  if (eq == 0) throw Error("configuration pair \"" + text + "\" has an empty key");
  ConfigPair pair{text.substr(0, eq), text.substr(eq + 1)};
  // The readers split at line feeds and stop at the NUL: neither may be inside.
  if (text.find_first_of(std::string("\n\0", 2)) != std::string::npos)
    throw Error("configuration pair for key \"" + pair.key + "\" contains a line feed or NUL");
  return pair;
}

std::vector<ConfigPair> parse_config_file(const std::string& text, const std::string& origin) {
  std::vector<ConfigPair> pairs;
  std::size_t start = 0;
  for (int line = 1; start < text.size(); ++line) {
    auto end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string row = text.substr(start, end - start);
    start = end + 1;
    if (!row.empty() && row.back() == '\r') row.pop_back();
    if (row.empty() || row[0] == '#') continue;
    ConfigPair pair;
    try {
      pair = parse_config_pair(row);
    } catch (const Error& e) {
      throw Error(origin + ":" + std::to_string(line) + ": " + e.what());
    }
    for (const auto& p : pairs)
      if (p.key == pair.key)
        throw Error(origin + ":" + std::to_string(line) + ": key \"" + pair.key + "\" is set twice");
    pairs.push_back(pair);
  }
  return pairs;
}

void override_config(std::vector<ConfigPair>& pairs, const std::vector<ConfigPair>& later) {
  for (const auto& pair : later) {
    auto it = std::find_if(pairs.begin(), pairs.end(), [&](const ConfigPair& p) { return p.key == pair.key; });
    if (it != pairs.end())
      it->value = pair.value;
    else
      pairs.push_back(pair);
  }
}

Bytes config_text(const std::vector<ConfigPair>& pairs) {
  Bytes out;
  for (const auto& p : pairs) {
    out.insert(out.end(), p.key.begin(), p.key.end());
    out.push_back('=');
    out.insert(out.end(), p.value.begin(), p.value.end());
    out.push_back('\n');
  }
  out.push_back(0);
  return out;
}

std::string name_problem(const std::string& name) {
  if (name.empty()) return "the name is empty";
  // Names are carried as UTF-8; an entry's length field is one signed byte.
  if (name.size() > kArchiveMaxNameLength)
    return "the name is " + std::to_string(name.size()) + " bytes long in UTF-8, and an archive entry's name " +
           "length is one signed byte: at most " + std::to_string(kArchiveMaxNameLength) +
           " bytes; shorten the name or its folders";
  if (auto problem = utf8_text_problem(name); !problem.empty())
    return "the name is not UTF-8 text (" + problem + "), the only names the archive carries";
  if (name.find('/') != std::string::npos || name.find(':') != std::string::npos)
    return "the name contains '/' or ':'";
  std::size_t start = 0;
  while (true) {
    auto end = name.find('\\', start);
    std::string level = name.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (level.empty() || level == "." || level == "..")
      return "the name has an empty, \".\" or \"..\" level";
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return {};
}

std::vector<SourceFile> collect_files(const std::vector<fs::path>& dirs) {
  std::vector<SourceDir> sources;
  for (const auto& dir : dirs) sources.push_back({dir, ""});
  return collect_files(sources);
}

std::vector<SourceFile> collect_files(const std::vector<SourceDir>& sources) {
  struct Found {
    SourceFile file;
    const fs::path* dir;
  };
  std::vector<Found> found;
  for (const auto& source : sources) {
    const fs::path& dir = source.dir;
    std::error_code ec;
    if (!fs::is_directory(dir, ec))
      throw Error("cannot read directory " + dir.string() + ": " +
                  (ec ? ec.message() : std::string("not a directory")));
    fs::recursive_directory_iterator it(dir, ec), end;
    if (ec) throw Error("cannot read directory " + dir.string() + ": " + ec.message());
    for (; it != end; it.increment(ec)) {
      if (ec) break;
      const fs::path& path = it->path();
      auto status = fs::status(path, ec);
      if (ec) throw Error("cannot read " + path.string() + ": " + ec.message());
      if (fs::is_directory(status)) {
        if (it->is_symlink()) throw Error(path.string() + " is a link to a directory; links to directories are not followed");
        continue;
      }
      if (!fs::is_regular_file(status)) throw Error(path.string() + " is neither a regular file nor a directory");
      std::string name = source.folder;
      for (const auto& level : path.lexically_relative(dir)) {
        std::string part = level.string();
        if (part.find('\\') != std::string::npos)
          throw Error("cannot carry " + path.string() + ": a backslash separates levels in the archive");
        if (!name.empty()) name += '\\';
        name += part;
      }
      if (auto problem = name_problem(name); !problem.empty())
        throw Error("cannot carry " + path.string() + ": " + problem);
      found.push_back({{name, path}, &dir});
    }
    if (ec) throw Error("cannot read directory " + dir.string() + ": " + ec.message());
  }
  std::sort(found.begin(), found.end(),
            [](const Found& a, const Found& b) { return bytewise_less(a.file.name, b.file.name); });
  std::vector<SourceFile> files;
  for (std::size_t i = 0; i < found.size(); ++i) {
    if (i > 0 && found[i].file.name == found[i - 1].file.name)
      throw Error("\"" + found[i].file.name + "\" is in both " + found[i - 1].dir->string() + " and " +
                  found[i].dir->string() + "; the archive holds one file of a name");
    files.push_back(found[i].file);
  }
  return files;
}

void append_entry(Bytes& body, const std::string& name, const unsigned char* data, std::size_t size) {
  if (name.size() > kArchiveMaxNameLength) throw Error("archive name \"" + name + "\" is longer than 127 bytes");
  if (size > kMaxSize) throw Error("\"" + name + "\" is too large for an archive entry");
  put_u32(body, kArchiveEntryTag);
  body.push_back(static_cast<unsigned char>(name.size()));
  body.insert(body.end(), name.begin(), name.end());
  body.push_back(0);
  put_u32(body, static_cast<std::uint32_t>(size));
  body.insert(body.end(), data, data + size);
}

Bytes archive_body(const std::vector<SourceFile>& files) {
  Bytes body;
  for (const auto& f : files) {
    Bytes content = read_file(f.path);
    append_entry(body, f.name, content.data(), content.size());
    if (body.size() > kMaxSize) throw Error("the application's files come to more than 2 GiB, too much for the archive");
  }
  return body;
}

Bytes gzip_compress(const Bytes& data, int level) {
  ZStream z(ZStream::kDeflate, level);
  Bytes out(deflateBound(z.get(), static_cast<uLong>(data.size())) + 32);
  z->next_in = const_cast<unsigned char*>(data.data());
  z->avail_in = static_cast<uInt>(data.size());
  z->next_out = out.data();
  z->avail_out = static_cast<uInt>(out.size());
  int rc = deflate(z.get(), Z_FINISH);
  if (rc != Z_STREAM_END) throw Error(z.message("cannot compress the archive", rc));
  out.resize(z->total_out);
  return out;
}

Bytes gzip_decompress(const unsigned char* data, std::size_t size, std::size_t limit) {
  ZStream z(ZStream::kInflate, 0);
  Bytes out;
  unsigned char chunk[65536];
  z->next_in = const_cast<unsigned char*>(data);
  z->avail_in = static_cast<uInt>(size);
  int rc;
  do {
    z->next_out = chunk;
    z->avail_out = sizeof chunk;
    rc = inflate(z.get(), Z_NO_FLUSH);
    if (rc != Z_OK && rc != Z_STREAM_END) throw Error(z.message("cannot decompress the archive", rc));
    std::size_t got = sizeof chunk - z->avail_out;
    if (got > limit - out.size())
      throw Error("the archive holds more than the " + std::to_string(limit) + " bytes announced");
    out.insert(out.end(), chunk, chunk + got);
    if (rc == Z_OK && z->avail_in == 0 && z->avail_out != 0)
      throw Error("cannot decompress the archive: the gzip stream is cut short");
  } while (rc != Z_STREAM_END);
  if (z->avail_in != 0)
    throw Error("the archive has " + std::to_string(z->avail_in) + " bytes after its gzip stream");
  return out;
}

Bytes archive_record_data(const Bytes& body, int level) {
  if (body.size() > kMaxSize) throw Error("the archive body is larger than 2 GiB");
  Bytes data;
  put_u32(data, static_cast<std::uint32_t>(body.size()));
  Bytes packed = gzip_compress(body, level);
  data.insert(data.end(), packed.begin(), packed.end());
  return data;
}

Bytes build_executable(const Bytes& launcher, const Bytes& boot, const Bytes& config, const Bytes& archive) {
  for (char type : {kRecordBoot, kRecordConfig, kRecordArchive}) {
    Record r;
    if (find_record(launcher, type, r))
      throw Error(std::string("the launcher already carries a record ") + type + " at offset " +
                  std::to_string(r.offset) + "; give the plain launcher, not a packed executable");
  }
  Bytes out = launcher;
  out.reserve(launcher.size() + boot.size() + config.size() + archive.size() +
              4 * (kRecordHeaderSize + kRecordAlignment));
  append_record(out, kRecordBoot, boot);
  append_record(out, kRecordConfig, config);
  append_record(out, kRecordArchive, archive);
  return out;
}

bool find_record(const unsigned char* file, std::size_t size, char type, Record& found) {
  long long at = quillpod::find_record(file, size, type);
  // The launcher's scan may stop at a header whose length field is cut off.
  if (at < 0 || static_cast<std::size_t>(at) + kRecordHeaderSize > size) return false;
  auto offset = static_cast<std::size_t>(at);
  found = {type, offset, quillpod::record_length(file, offset)};
  return true;
}

std::vector<Entry> parse_archive(const unsigned char* body, std::size_t size) {
  std::vector<Entry> entries;
  std::size_t p = 0;
  auto fail = [&](const std::string& why) {
    return Error("archive entry " + std::to_string(entries.size() + 1) + " at offset " + std::to_string(p) + ": " +
                 why);
  };
  while (p < size) {
    if (size - p < 5) throw fail("cut short");
    if (get_u32(&body[p]) != kArchiveEntryTag) throw fail("no entry tag");
    std::size_t n = body[p + 4];
    if (n > kArchiveMaxNameLength) throw fail("name length " + std::to_string(n) + " is above 127");
    if (size - p < 10 + n) throw fail("cut short");
    std::uint32_t s = get_u32(&body[p + 6 + n]);
    if (s > kMaxSize) throw fail("size above 2 GiB");
    if (size - p - 10 - n < s) throw fail("content runs past the end of the archive");
    entries.push_back({std::string(reinterpret_cast<const char*>(&body[p + 5]), n), p + 10 + n, s});
    p += 10 + n + s;
  }
  return entries;
}

namespace {

// Shows a configuration line or a name with its control bytes visible.
std::string visible(const std::string& line) {
  // UTF-8 names show as the text they are.
  bool utf8 = utf8_text_problem(line).empty();
  std::string out;
  for (char c : line) {
    auto b = static_cast<unsigned char>(c);
    if (c == '\r') {
      out += "\\r";
    } else if (b < 0x20 || b == 0x7F || (b > 0x7F && !utf8)) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", b);
      out += hex;
    } else {
      out += c;
    }
  }
  return out;
}

void list_config(const unsigned char* data, std::size_t size, std::ostream& out) {
  std::string text(reinterpret_cast<const char*>(data), size);
  auto nul = text.find('\0');
  if (nul == std::string::npos) out << "  (the text has no closing NUL)\n";
  text = text.substr(0, nul);
  std::size_t from = 0;
  while (from < text.size()) {
    auto end = text.find('\n', from);
    if (end == std::string::npos) end = text.size();
    out << "  " << visible(text.substr(from, end - from)) << "\n";
    from = end + 1;
  }
}

bool list_archive(const unsigned char* data, std::size_t size, std::ostream& out) {
  if (size <= 4) {
    out << "  too short for an archive\n";
    return false;
  }
  std::uint32_t announced = get_u32(data);
  Bytes body;
  std::vector<Entry> entries;
  try {
    if (announced > kMaxSize) throw Error("its size prefix " + std::to_string(announced) + " is above 2 GiB");
    body = gzip_decompress(data + 4, size - 4, announced);
    if (body.size() != announced)
      throw Error("the archive holds " + std::to_string(body.size()) + " bytes, its size prefix says " +
                  std::to_string(announced));
    entries = parse_archive(body);
  } catch (const Error& e) {
    out << "  " << e.what() << "\n";
    return false;
  }
  out << "  archive of " << body.size() << " bytes, " << entries.size() << " entries\n";
  for (const auto& e : entries) {
    char size_text[24];
    std::snprintf(size_text, sizeof size_text, "%10zu", e.size);
    out << "  " << size_text << "  " << visible(e.name) << "\n";
  }
  return true;
}

}  // namespace

bool list_executable(const unsigned char* file, std::size_t size, std::ostream& out) {
  bool ok = true;
  for (char type : {kRecordBoot, kRecordConfig, kRecordArchive}) {
    Record r;
    if (!find_record(file, size, type, r)) {
      out << "record " << type << ": none\n";
      // Without a configuration every key takes its default: not broken.
      if (type != kRecordConfig) ok = false;
      continue;
    }
    out << "record " << type << ": at offset " << r.offset << ", " << r.size << " bytes\n";
    std::size_t start = r.offset + kRecordHeaderSize;
    if (r.size > size - start) {
      out << "  its data runs past the end of the file\n";
      ok = false;
      continue;
    }
    if (type == kRecordConfig) list_config(file + start, r.size, out);
    if (type == kRecordArchive) ok = list_archive(file + start, r.size, out) && ok;
  }
  return ok;
}

Bytes read_file(const fs::path& path) {
  std::error_code ec;
  if (fs::is_directory(path, ec)) throw Error("cannot read " + path.string() + ": it is a directory");
  // A pipe, a device or a socket would block the packer or never end.
  const fs::file_status status = fs::status(path, ec);
  if (!ec && fs::exists(status) && !fs::is_regular_file(status))
    throw Error("cannot read " + path.string() + ": it is not a regular file");
  errno = 0;
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) throw Error("cannot open " + path.string() + ": " + std::strerror(errno));
  auto size = in.tellg();
  Bytes data(size < 0 ? 0 : static_cast<std::size_t>(size));
  in.seekg(0);
  if (!in.read(reinterpret_cast<char*>(data.data()), static_cast<std::streamsize>(data.size())) ||
      in.peek() != std::char_traits<char>::eof())
    throw Error("cannot read " + path.string() + (errno ? std::string(": ") + std::strerror(errno) : ": it changed while read"));
  return data;
}

}  // namespace quillpod::pack
