#include "jar.h"

#include <zip.h>

#include <algorithm>
#include <cctype>
#include <fstream>

namespace fs = std::filesystem;

namespace quillpod::pack {

namespace {

bool same_name(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

int hex_digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

Manifest parse_manifest(const std::string& text) {
  // Lines end in CR LF, LF or CR alone.
  std::vector<std::string> lines;
  std::string line;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      lines.push_back(line);
      line.clear();
    } else {
      line += c;
    }
  }
  if (!line.empty()) lines.push_back(line);

  Manifest manifest;
  for (const std::string& l : lines) {
    if (l.empty()) break;  // the main section ends here
    if (l[0] == ' ') {
      if (!manifest.empty()) manifest.back().second += l.substr(1);
      continue;
    }
    auto colon = l.find(": ");
    if (colon == std::string::npos || colon == 0) continue;
    manifest.emplace_back(l.substr(0, colon), l.substr(colon + 2));
  }
  return manifest;
}

std::string manifest_value(const Manifest& manifest, const std::string& name) {
  for (const auto& [key, value] : manifest)
    if (same_name(key, name)) {
      auto first = value.find_first_not_of(' ');
      auto last = value.find_last_not_of(' ');
      return first == std::string::npos ? std::string() : value.substr(first, last - first + 1);
    }
  return {};
}

std::vector<std::string> class_path_items(const std::string& value) {
  std::vector<std::string> items;
  std::size_t start = 0;
  while (start < value.size()) {
    auto end = value.find(' ', start);
    if (end == std::string::npos) end = value.size();
    std::string item;
    for (std::size_t i = start; i < end; ++i) {
      int hi, lo;
      if (value[i] == '%' && i + 2 < end &&
          (hi = hex_digit(value[i + 1])) >= 0 && (lo = hex_digit(value[i + 2])) >= 0) {
        item += static_cast<char>(hi * 16 + lo);
        i += 2;
      } else {
        item += value[i];
      }
    }
    if (!item.empty()) items.push_back(item);
    start = end + 1;
  }
  return items;
}

bool looks_like_zip(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  char magic[4] = {};
  if (!in.read(magic, 4)) return false;
  return magic[0] == 'P' && magic[1] == 'K' &&
         ((magic[2] == 3 && magic[3] == 4) || (magic[2] == 5 && magic[3] == 6));
}

struct Jar::Zip {
  zip_t* handle = nullptr;
  ~Zip() {
    if (handle != nullptr) zip_discard(handle);
  }
};

Jar::Jar(const fs::path& path) : path_(path), zip_(std::make_unique<Zip>()) {
  int code = 0;
  zip_->handle = zip_open(path.c_str(), ZIP_RDONLY, &code);
  if (zip_->handle == nullptr) {
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    std::string reason = zip_error_strerror(&error);
    zip_error_fini(&error);
    throw Error("cannot read the jar " + path.string() + ": " + reason);
  }
  zip_int64_t index = zip_name_locate(zip_->handle, "META-INF/MANIFEST.MF", ZIP_FL_NOCASE);
  if (index < 0) return;
  auto fail = [&]() {
    return Error("cannot read the manifest of " + path.string() + ": " + zip_strerror(zip_->handle));
  };
  zip_stat_t stat;
  if (zip_stat_index(zip_->handle, static_cast<zip_uint64_t>(index), 0, &stat) != 0) throw fail();
  // A manifest is a few kilobytes; a huge one is no manifest to trust.
  if ((stat.valid & ZIP_STAT_SIZE) == 0 || stat.size > (64u << 20))
    throw Error("the manifest of " + path.string() + " is too large to be one");
  zip_file_t* file = zip_fopen_index(zip_->handle, static_cast<zip_uint64_t>(index), 0);
  if (file == nullptr) throw fail();
  std::string text(static_cast<std::size_t>(stat.size), '\0');
  zip_int64_t got = zip_fread(file, text.data(), stat.size);
  zip_fclose(file);
  if (got < 0 || static_cast<zip_uint64_t>(got) != stat.size) throw fail();
  manifest_ = parse_manifest(text);
}

Jar::~Jar() = default;

bool Jar::has_entry(const std::string& name) const { return zip_name_locate(zip_->handle, name.c_str(), 0) >= 0; }

std::vector<std::string> Jar::entry_names() const {
  std::vector<std::string> names;
  zip_int64_t count = zip_get_num_entries(zip_->handle, 0);
  for (zip_int64_t i = 0; i < count; ++i)
    if (const char* name = zip_get_name(zip_->handle, static_cast<zip_uint64_t>(i), 0)) names.push_back(name);
  return names;
}

Bytes Jar::entry_head(const std::string& name, std::size_t size) const {
  zip_file_t* file = zip_fopen(zip_->handle, name.c_str(), 0);
  if (file == nullptr)
    throw Error("cannot read " + name + " in " + path_.string() + ": " + zip_strerror(zip_->handle));
  Bytes head(size);
  zip_int64_t got = zip_fread(file, head.data(), size);
  zip_fclose(file);
  if (got < 0) throw Error("cannot read " + name + " in " + path_.string());
  head.resize(static_cast<std::size_t>(got));
  return head;
}

int class_file_version(const unsigned char* b, std::size_t size) {
  if (size < 8 || b[0] != 0xCA || b[1] != 0xFE || b[2] != 0xBA || b[3] != 0xBE) return -1;
  return b[6] << 8 | b[7];
}

std::string java_version_of_class(int major) {
  if (major <= 45) return "1.1";
  if (major <= 52) return "1." + std::to_string(major - 44);
  return std::to_string(major - 44);
}

std::string class_file_name(const Bytes& b) {
  std::size_t p = 0;
  auto need = [&](std::size_t n) { return b.size() >= p && b.size() - p >= n; };
  auto u2 = [&](std::size_t at) { return static_cast<std::size_t>(b[at] << 8 | b[at + 1]); };
  if (!need(10) || b[0] != 0xCA || b[1] != 0xFE || b[2] != 0xBA || b[3] != 0xBE) return {};
  const std::size_t count = u2(8);
  p = 10;
  // Where each constant's data starts, to find the class name afterwards.
  std::vector<std::size_t> at(count, 0);
  std::vector<unsigned char> tag(count, 0);
  for (std::size_t i = 1; i < count; ++i) {
    if (!need(1)) return {};
    tag[i] = b[p];
    at[i] = ++p;
    std::size_t size;
    switch (tag[i]) {
      case 1:
        if (!need(2)) return {};
        size = 2 + u2(p);
        break;
      case 3: case 4: case 9: case 10: case 11: case 12: case 17: case 18: size = 4; break;
      case 5: case 6: size = 8; break;
      case 7: case 8: case 16: case 19: case 20: size = 2; break;
      case 15: size = 3; break;
      default: return {};
    }
    if (!need(size)) return {};
    p += size;
    if (tag[i] == 5 || tag[i] == 6) ++i;  // eight-byte constants take two slots
  }
  // Access flags, this class, super class, interface count.
  if (!need(8)) return {};
  std::size_t this_class = u2(p + 2);
  if (this_class == 0 || this_class >= count || tag[this_class] != 7) return {};
  std::size_t name = u2(at[this_class]);
  if (name == 0 || name >= count || tag[name] != 1) return {};
  return std::string(reinterpret_cast<const char*>(&b[at[name] + 2]), u2(at[name]));
}

}  // namespace quillpod::pack
