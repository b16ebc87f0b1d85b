#include "pe_resources.h"

#include "utf8.h"

#include <algorithm>
#include <map>

namespace quillpod::pack {

namespace {

std::uint16_t get_u16(const unsigned char* at) { return static_cast<std::uint16_t>(at[0] | at[1] << 8); }

void put_u16(Bytes& out, std::uint16_t value) {
  out.push_back(static_cast<unsigned char>(value));
  out.push_back(static_cast<unsigned char>(value >> 8));
}

void set_u16(Bytes& out, std::size_t at, std::uint16_t value) {
  out[at] = static_cast<unsigned char>(value);
  out[at + 1] = static_cast<unsigned char>(value >> 8);
}

void set_u32(Bytes& out, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out[at + i] = static_cast<unsigned char>(value >> (8 * i));
}

std::size_t align(std::size_t value, std::size_t to) { return (value + to - 1) / to * to; }

void pad_to(Bytes& out, std::size_t to) { out.resize(align(out.size(), to), 0); }

// UTF-8 to UTF-16; throws Error for text that is not UTF-8.
std::u16string utf16(const std::string& text, const char* what) {
  if (auto problem = utf8_text_problem(text); !problem.empty())
    throw Error(std::string(what) + " \"" + text + "\" is not UTF-8 text: " + problem);
  std::u16string out;
  for (std::size_t i = 0; i < text.size();) {
    auto b = static_cast<unsigned char>(text[i]);
    std::size_t n = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
    std::uint32_t c = n == 1 ? b : b & (0xFFu >> (n + 1));
    for (std::size_t k = 1; k < n; ++k) c = c << 6 | (static_cast<unsigned char>(text[i + k]) & 0x3Fu);
    if (c >= 0x10000) {
      c -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(c));
    }
    i += n;
  }
  return out;
}

void put_utf16z(Bytes& out, const std::u16string& text) {
  for (char16_t c : text) put_u16(out, static_cast<std::uint16_t>(c));
  put_u16(out, 0);
}

// One node of a version block: its length, the value's length, its type,
// the key, then the value and the children, each on a 32-bit boundary.
Bytes version_node(const std::u16string& key, const Bytes& value, std::uint16_t value_length, bool text,
                   const std::vector<Bytes>& children) {
  Bytes out;
  put_u16(out, 0);
  put_u16(out, value_length);
  put_u16(out, text ? 1 : 0);
  put_utf16z(out, key);
  pad_to(out, 4);
  out.insert(out.end(), value.begin(), value.end());
  for (const Bytes& child : children) {
    pad_to(out, 4);
    out.insert(out.end(), child.begin(), child.end());
  }
  set_u16(out, 0, static_cast<std::uint16_t>(out.size()));
  return out;
}

Bytes version_string(const char16_t* key, const std::u16string& value) {
  Bytes data;
  put_utf16z(data, value);
  return version_node(key, data, static_cast<std::uint16_t>(value.size() + 1), true, {});
}

std::u16string ascii16(const std::string& text) { return std::u16string(text.begin(), text.end()); }

// The parts of a PE image the writer changes.
struct PeLayout {
  std::size_t coff = 0;          // offset of the COFF file header
  std::size_t optional = 0;      // offset of the optional header
  bool plus = false;             // PE32+ (64-bit)
  std::size_t directories = 0;   // offset of the data directories
  std::uint32_t directory_count = 0;
  std::size_t sections = 0;      // offset of the section table
  std::uint16_t section_count = 0;
  std::uint32_t section_alignment = 0, file_alignment = 0, headers_size = 0;
  std::size_t image_end = 0;     // end of the last section's raw data in the file
};

constexpr std::size_t kSectionHeaderSize = 40;
constexpr std::size_t kResourceDirectory = 2, kSecurityDirectory = 4;

PeLayout read_layout(const Bytes& image) {
  auto bad = [](const std::string& why) { return Error("the launcher is not a valid Windows program: " + why); };
  if (image.size() < 0x40 || image[0] != 'M' || image[1] != 'Z') throw bad("no MZ header");
  PeLayout pe;
  std::uint32_t lfanew = get_u32(&image[0x3C]);
  if (lfanew > image.size() || image.size() - lfanew < 24 ||
      get_u32(&image[lfanew]) != 0x00004550u)
    throw bad("no PE signature");
  pe.coff = lfanew + 4;
  pe.section_count = get_u16(&image[pe.coff + 2]);
  std::uint16_t optional_size = get_u16(&image[pe.coff + 16]);
  pe.optional = pe.coff + 20;
  if (image.size() - pe.optional < optional_size || optional_size < 96) throw bad("its optional header is cut short");
  std::uint16_t magic = get_u16(&image[pe.optional]);
  if (magic != 0x10B && magic != 0x20B) throw bad("unknown optional header kind");
  pe.plus = magic == 0x20B;
  pe.section_alignment = get_u32(&image[pe.optional + 32]);
  pe.file_alignment = get_u32(&image[pe.optional + 36]);
  pe.headers_size = get_u32(&image[pe.optional + 60]);
  std::size_t count_at = pe.optional + (pe.plus ? 108 : 92);
  pe.directories = count_at + 4;
  if (count_at + 4 > pe.optional + optional_size) throw bad("its optional header is cut short");
  pe.directory_count = get_u32(&image[count_at]);
  if (pe.directory_count > (pe.optional + optional_size - pe.directories) / 8)
    throw bad("more data directories than its optional header holds");
  if (pe.section_alignment == 0 || pe.file_alignment == 0 || (pe.section_alignment & (pe.section_alignment - 1)) ||
      (pe.file_alignment & (pe.file_alignment - 1)))
    throw bad("its alignments are not powers of two");
  // The format's bounds; beyond them a file would be padded by gigabytes.
  if (pe.file_alignment > 0x10000 || pe.section_alignment < pe.file_alignment || pe.section_alignment > 0x10000000)
    throw bad("its alignments are outside what Windows loads");
  if (pe.headers_size > image.size()) throw bad("its headers run past the end of the file");
  pe.sections = pe.optional + optional_size;
  if ((image.size() - pe.sections) / kSectionHeaderSize < pe.section_count) throw bad("its section table is cut short");
  for (std::size_t i = 0; i < pe.section_count; ++i) {
    const unsigned char* s = &image[pe.sections + i * kSectionHeaderSize];
    std::uint64_t end = std::uint64_t{get_u32(s + 20)} + get_u32(s + 16);
    if (get_u32(s + 16) != 0 && end > image.size()) throw bad("a section runs past the end of the file");
    if (get_u32(s + 16) != 0) pe.image_end = std::max<std::size_t>(pe.image_end, end);
  }
  pe.image_end = std::max<std::size_t>(pe.image_end, pe.headers_size);
  return pe;
}

std::uint32_t directory_rva(const Bytes& image, const PeLayout& pe, std::size_t index) {
  return index < pe.directory_count ? get_u32(&image[pe.directories + index * 8]) : 0;
}
std::uint32_t directory_size(const Bytes& image, const PeLayout& pe, std::size_t index) {
  return index < pe.directory_count ? get_u32(&image[pe.directories + index * 8 + 4]) : 0;
}

// The section holding the RVA, as an index, or -1.
int section_of(const Bytes& image, const PeLayout& pe, std::uint32_t rva) {
  for (std::size_t i = 0; i < pe.section_count; ++i) {
    const unsigned char* s = &image[pe.sections + i * kSectionHeaderSize];
    std::uint32_t va = get_u32(s + 12), size = std::max(get_u32(s + 8), get_u32(s + 16));
    if (rva >= va && rva - va < size) return static_cast<int>(i);
  }
  return -1;
}

using Tree = std::map<ResourceKey, std::map<ResourceKey, std::map<std::uint16_t, Bytes>>>;

// Lays out a resource directory for a section at the RVA: the tables of the
// three levels (type, name, language), the data entries, the names, then
// the data, each piece on an 8-byte boundary as resource compilers do.
Bytes build_section(const Tree& tree, std::uint32_t rva) {
  std::size_t names = 0, languages = 0, strings = 0;
  auto count_name = [&](const ResourceKey& key) {
    if (!key.name.empty()) strings += 2 + 2 * key.name.size();
  };
  for (const auto& [type, by_name] : tree) {
    count_name(type);
    names += by_name.size();
    for (const auto& [name, by_language] : by_name) {
      count_name(name);
      languages += by_language.size();
    }
  }
  std::size_t directories = 16 + 8 * tree.size() + 16 * tree.size() + 8 * names + 16 * names + 8 * languages;
  std::size_t entries_at = directories;
  std::size_t strings_at = entries_at + 16 * languages;
  std::size_t data_at = align(strings_at + strings, 8);

  Bytes out(data_at, 0);
  std::size_t next_table = 0, next_entry = entries_at, next_string = strings_at;
  auto table = [&](std::size_t entries, std::size_t named) {
    std::size_t at = next_table;
    set_u16(out, at + 12, static_cast<std::uint16_t>(named));
    set_u16(out, at + 14, static_cast<std::uint16_t>(entries - named));
    next_table += 16 + 8 * entries;
    return at;
  };
  auto key_field = [&](const ResourceKey& key) -> std::uint32_t {
    if (key.name.empty()) return key.id;
    std::size_t at = next_string;
    set_u16(out, at, static_cast<std::uint16_t>(key.name.size()));
    for (std::size_t i = 0; i < key.name.size(); ++i)
      set_u16(out, at + 2 + 2 * i, static_cast<std::uint16_t>(key.name[i]));
    next_string += 2 + 2 * key.name.size();
    return 0x80000000u | static_cast<std::uint32_t>(at);
  };
  auto named_count = [](const auto& map) {
    return static_cast<std::size_t>(
        std::count_if(map.begin(), map.end(), [](const auto& item) { return !item.first.name.empty(); }));
  };

  // Tables are placed breadth first: the root, every type's, every name's.
  std::size_t root = table(tree.size(), named_count(tree));
  std::vector<std::size_t> type_tables;
  for (const auto& item : tree) type_tables.push_back(table(item.second.size(), named_count(item.second)));
  std::vector<std::size_t> name_tables;
  for (const auto& item : tree)
    for (const auto& by_name : item.second) name_tables.push_back(table(by_name.second.size(), 0));

  std::size_t t = 0, n = 0;
  for (const auto& [type, by_name] : tree) {
    std::size_t slot = root + 16 + 8 * t;
    set_u32(out, slot, key_field(type));
    set_u32(out, slot + 4, 0x80000000u | static_cast<std::uint32_t>(type_tables[t]));
    std::size_t k = 0;
    for (const auto& [name, by_language] : by_name) {
      std::size_t name_slot = type_tables[t] + 16 + 8 * k++;
      set_u32(out, name_slot, key_field(name));
      set_u32(out, name_slot + 4, 0x80000000u | static_cast<std::uint32_t>(name_tables[n]));
      std::size_t l = 0;
      for (const auto& [language, data] : by_language) {
        std::size_t language_slot = name_tables[n] + 16 + 8 * l++;
        set_u32(out, language_slot, language);
        set_u32(out, language_slot + 4, static_cast<std::uint32_t>(next_entry));
        pad_to(out, 8);
        set_u32(out, next_entry, rva + static_cast<std::uint32_t>(out.size()));
        set_u32(out, next_entry + 4, static_cast<std::uint32_t>(data.size()));
        next_entry += 16;
        out.insert(out.end(), data.begin(), data.end());
      }
      ++n;
    }
    ++t;
  }
  return out;
}

}  // namespace

bool ResourceKey::operator<(const ResourceKey& other) const {
  // Named entries come before numbered ones, each group in ascending order.
  if (name.empty() != other.name.empty()) return !name.empty();
  if (!name.empty()) return name < other.name;
  return id < other.id;
}

std::array<std::uint16_t, 4> parse_file_version(const std::string& text) {
  std::array<std::uint16_t, 4> parts{};
  auto bad = [&] {
    return Error("version \"" + text +
                 "\" is not one to four numbers from 0 to 65535 separated by dots, such as 1.2.3.4 or 2.0");
  };
  std::size_t part = 0, start = 0;
  while (true) {
    std::size_t end = text.find('.', start);
    std::string digits = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (part == 4 || digits.empty() || digits.size() > 5 ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
      throw bad();
    unsigned long value = std::stoul(digits);
    if (value > 65535) throw bad();
    parts[part++] = static_cast<std::uint16_t>(value);
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return parts;
}

std::vector<Resource> icon_resources(const Bytes& ico, const std::string& origin) {
  auto bad = [&](const std::string& why) { return Error("the icon " + origin + " is not a usable .ico file: " + why); };
  if (ico.size() < 6 || get_u16(&ico[0]) != 0) throw bad("it does not start with an icon directory");
  std::uint16_t kind = get_u16(&ico[2]);
  if (kind == 2) throw bad("it is a cursor, not an icon");
  if (kind != 1) throw bad("it does not start with an icon directory");
  std::uint16_t count = get_u16(&ico[4]);
  if (count == 0) throw bad("it holds no image");
  if ((ico.size() - 6) / 16 < count) throw bad("its directory of " + std::to_string(count) + " images is cut short");

  std::vector<Resource> out;
  Bytes group;
  put_u16(group, 0);
  put_u16(group, 1);
  put_u16(group, count);
  for (std::uint16_t i = 0; i < count; ++i) {
    const unsigned char* e = &ico[6 + 16 * i];
    std::uint32_t size = get_u32(e + 8), offset = get_u32(e + 12);
    if (size == 0 || offset > ico.size() || ico.size() - offset < size)
      throw bad("image " + std::to_string(i + 1) + " lies outside the file");
    Resource image{{kResourceIcon, {}}, {static_cast<std::uint16_t>(i + 1), {}}, kLanguageEnglishUs,
                   Bytes(ico.begin() + offset, ico.begin() + offset + size)};
    out.push_back(std::move(image));
    // The group's entry is the file's, with the icon's id in place of its offset.
    group.insert(group.end(), e, e + 12);
    put_u16(group, static_cast<std::uint16_t>(i + 1));
  }
  out.push_back({{kResourceGroupIcon, {}}, {1, {}}, kLanguageEnglishUs, std::move(group)});
  return out;
}

Bytes version_info(const WindowsResources& what) {
  std::array<std::uint16_t, 4> v = what.version.value_or(std::array<std::uint16_t, 4>{});
  Bytes fixed;
  put_u32(fixed, 0xFEEF04BDu);  // signature
  put_u32(fixed, 0x00010000u);  // structure version 1.0
  for (int twice = 0; twice < 2; ++twice) {  // file version, then product version
    put_u32(fixed, static_cast<std::uint32_t>(v[0]) << 16 | v[1]);
    put_u32(fixed, static_cast<std::uint32_t>(v[2]) << 16 | v[3]);
  }
  put_u32(fixed, 0x3F);      // flags mask
  put_u32(fixed, 0);         // flags: a release build
  put_u32(fixed, 0x40004);   // for Windows NT, 32-bit interface
  put_u32(fixed, 1);         // an application
  put_u32(fixed, 0);         // subtype
  put_u32(fixed, 0);         // date, high
  put_u32(fixed, 0);         // date, low

  std::vector<Bytes> strings;
  if (!what.company.empty()) strings.push_back(version_string(u"CompanyName", utf16(what.company, "--company")));
  if (!what.product.empty()) strings.push_back(version_string(u"FileDescription", utf16(what.product, "--product")));
  std::string dotted;
  if (what.version) {
    dotted = std::to_string(v[0]) + "." + std::to_string(v[1]) + "." + std::to_string(v[2]) + "." + std::to_string(v[3]);
    strings.push_back(version_string(u"FileVersion", ascii16(dotted)));
  }
  if (!what.file_name.empty())
    strings.push_back(version_string(u"OriginalFilename", utf16(what.file_name, "the output's file name")));
  if (!what.product.empty()) strings.push_back(version_string(u"ProductName", utf16(what.product, "--product")));
  if (what.version) strings.push_back(version_string(u"ProductVersion", ascii16(dotted)));

  // US English, Unicode: the table's name and the translation that points at it.
  Bytes table = version_node(u"040904B0", {}, 0, true, strings);
  Bytes string_info = version_node(u"StringFileInfo", {}, 0, true, {table});
  Bytes translation;
  put_u16(translation, kLanguageEnglishUs);
  put_u16(translation, 1200);
  Bytes var = version_node(u"Translation", translation, 4, false, {});
  Bytes var_info = version_node(u"VarFileInfo", {}, 0, true, {var});
  return version_node(u"VS_VERSION_INFO", fixed, static_cast<std::uint16_t>(fixed.size()), false,
                      {string_info, var_info});
}

Bytes application_manifest() {
  static const char kText[] =
      "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
      "<assembly xmlns=\"urn:schemas-microsoft-com:asm.v1\" manifestVersion=\"1.0\">\r\n"
      "  <trustInfo xmlns=\"urn:schemas-microsoft-com:asm.v3\">\r\n"
      "    <security>\r\n"
      "      <requestedPrivileges>\r\n"
      "        <requestedExecutionLevel level=\"asInvoker\" uiAccess=\"false\"/>\r\n"
      "      </requestedPrivileges>\r\n"
      "    </security>\r\n"
      "  </trustInfo>\r\n"
      "  <compatibility xmlns=\"urn:schemas-microsoft-com:compatibility.v1\">\r\n"
      "    <application>\r\n"
      "      <supportedOS Id=\"{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}\"/>\r\n"
      "      <supportedOS Id=\"{1f676c76-80e1-4239-95bb-83d0f6d0da78}\"/>\r\n"
      "      <supportedOS Id=\"{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}\"/>\r\n"
      "      <supportedOS Id=\"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}\"/>\r\n"
      "    </application>\r\n"
      "  </compatibility>\r\n"
      "  <application xmlns=\"urn:schemas-microsoft-com:asm.v3\">\r\n"
      "    <windowsSettings>\r\n"
      "      <dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true/pm</dpiAware>\r\n"
      "      <dpiAwareness xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\">PerMonitorV2, "
      "PerMonitor</dpiAwareness>\r\n"
      "      <activeCodePage xmlns=\"http://schemas.microsoft.com/SMI/2019/WindowsSettings\">UTF-8</activeCodePage>\r\n"
      "    </windowsSettings>\r\n"
      "  </application>\r\n"
      "</assembly>\r\n";
  return Bytes(kText, kText + sizeof kText - 1);
}

std::vector<Resource> windows_resources(const WindowsResources& what) {
  std::vector<Resource> out;
  if (!what.icon.empty()) out = icon_resources(what.icon, what.icon_origin);
  if (what.version || !what.product.empty() || !what.company.empty())
    out.push_back({{kResourceVersion, {}}, {1, {}}, kLanguageEnglishUs, version_info(what)});
  out.push_back({{kResourceManifest, {}}, {1, {}}, kLanguageEnglishUs, application_manifest()});
  return out;
}

bool is_windows_executable(const Bytes& image) {
  if (image.size() < 0x40 || image[0] != 'M' || image[1] != 'Z') return false;
  std::uint32_t lfanew = get_u32(&image[0x3C]);
  return lfanew <= image.size() - 4 && get_u32(&image[lfanew]) == 0x00004550u;
}

std::vector<Resource> read_resources(const Bytes& image) {
  PeLayout pe = read_layout(image);
  std::uint32_t rva = directory_rva(image, pe, kResourceDirectory);
  if (rva == 0 || directory_size(image, pe, kResourceDirectory) == 0) return {};
  int index = section_of(image, pe, rva);
  if (index < 0) throw Error("the launcher's resource directory lies in no section");
  const unsigned char* s = &image[pe.sections + index * kSectionHeaderSize];
  std::uint32_t va = get_u32(s + 12), raw = get_u32(s + 20), raw_size = get_u32(s + 16);
  // Offsets inside the directory count from its root; data entries hold RVAs.
  if (rva - va >= raw_size) throw Error("the launcher's resource directory lies outside its section's data");
  const unsigned char* section = &image[raw];
  const unsigned char* base = section + (rva - va);
  std::size_t size = raw_size - (rva - va);
  auto bad = [] { return Error("the launcher's resource section is malformed"); };

  // Reads one level's entries: (key, offset field).
  auto entries = [&](std::size_t at) {
    if (at > size || size - at < 16) throw bad();
    std::size_t count = std::size_t{get_u16(base + at + 12)} + get_u16(base + at + 14);
    if ((size - at - 16) / 8 < count) throw bad();
    std::vector<std::pair<ResourceKey, std::uint32_t>> out;
    for (std::size_t i = 0; i < count; ++i) {
      std::uint32_t name = get_u32(base + at + 16 + 8 * i), target = get_u32(base + at + 20 + 8 * i);
      ResourceKey key;
      if (name & 0x80000000u) {
        std::size_t p = name & 0x7FFFFFFFu;
        if (p > size || size - p < 2) throw bad();
        std::size_t length = get_u16(base + p);
        if ((size - p - 2) / 2 < length || length == 0) throw bad();
        for (std::size_t c = 0; c < length; ++c) key.name.push_back(static_cast<char16_t>(get_u16(base + p + 2 + 2 * c)));
      } else {
        key.id = static_cast<std::uint16_t>(name);
      }
      out.push_back({key, target});
    }
    return out;
  };
  std::vector<Resource> found;
  for (const auto& [type, to_names] : entries(0)) {
    if (!(to_names & 0x80000000u)) throw bad();
    for (const auto& [name, to_languages] : entries(to_names & 0x7FFFFFFFu)) {
      if (!(to_languages & 0x80000000u)) throw bad();
      for (const auto& [language, to_data] : entries(to_languages & 0x7FFFFFFFu)) {
        if ((to_data & 0x80000000u) || to_data > size || size - to_data < 16) throw bad();
        std::uint32_t data_rva = get_u32(base + to_data), data_size = get_u32(base + to_data + 4);
        if (data_rva < va || data_rva - va > raw_size || raw_size - (data_rva - va) < data_size) throw bad();
        const unsigned char* data = section + (data_rva - va);
        found.push_back({type, name, language.id, Bytes(data, data + data_size)});
      }
    }
  }
  return found;
}

Bytes add_resources(const Bytes& image, const std::vector<Resource>& resources) {
  PeLayout pe = read_layout(image);
  if (directory_size(image, pe, kSecurityDirectory) != 0)
    throw Error("the launcher is signed, and its signature would no longer match once resources are written; "
                "give the unsigned launcher and sign the packed executable afterwards");
  if (image.size() > pe.image_end)
    throw Error("the launcher has " + std::to_string(image.size() - pe.image_end) +
                " bytes after its last section; give the plain launcher as the build makes it");
  if (pe.directory_count <= kResourceDirectory)
    throw Error("the launcher's optional header has no entry for a resource directory");

  // The resources to write: the launcher's own, less the types given here.
  Tree tree;
  std::vector<ResourceKey> replaced;
  for (const auto& r : resources) replaced.push_back(r.type);
  for (const auto& r : read_resources(image))
    if (std::find(replaced.begin(), replaced.end(), r.type) == replaced.end())
      tree[r.type][r.name][r.language] = r.data;
  for (const auto& r : resources) tree[r.type][r.name][r.language] = r.data;

  // Reuse the resource section when it is the last one; else add one.
  std::uint32_t old_rva = directory_rva(image, pe, kResourceDirectory);
  int old = old_rva != 0 ? section_of(image, pe, old_rva) : -1;
  std::size_t slot;
  Bytes out = image;
  auto header = [&](std::size_t i) { return pe.sections + i * kSectionHeaderSize; };
  std::uint32_t va = 0, raw = 0, replaced_raw = 0;
  if (old >= 0 && static_cast<std::size_t>(old) + 1 == pe.section_count &&
      get_u32(&image[header(old) + 20]) + get_u32(&image[header(old) + 16]) == pe.image_end) {
    slot = header(old);
    va = get_u32(&image[slot + 12]);
    raw = get_u32(&image[slot + 20]);
    replaced_raw = get_u32(&image[slot + 16]);
    out.resize(raw);
  } else {
    slot = header(pe.section_count);
    std::size_t first_raw = pe.headers_size;
    for (std::size_t i = 0; i < pe.section_count; ++i)
      if (get_u32(&image[header(i) + 16]) != 0) first_raw = std::min<std::size_t>(first_raw, get_u32(&image[header(i) + 20]));
    if (slot + kSectionHeaderSize > first_raw)
      throw Error("the launcher's headers have no room for another section");
    std::uint64_t next = 0;
    for (std::size_t i = 0; i < pe.section_count; ++i) {
      std::uint64_t end = std::uint64_t{get_u32(&image[header(i) + 12])} +
                          std::max(get_u32(&image[header(i) + 8]), get_u32(&image[header(i) + 16]));
      next = std::max<std::uint64_t>(next, align(end, pe.section_alignment));
    }
    if (next > 0xFFFFFFFFu) throw Error("the launcher's sections fill its whole address range");
    va = static_cast<std::uint32_t>(next);
    raw = static_cast<std::uint32_t>(align(pe.image_end, pe.file_alignment));
    out.resize(raw, 0);
    set_u16(out, pe.coff + 2, static_cast<std::uint16_t>(pe.section_count + 1));
  }

  Bytes section = build_section(tree, va);
  std::size_t virtual_size = section.size();
  section.resize(align(section.size(), pe.file_alignment), 0);
  if (std::uint64_t{raw} + section.size() > 0xFFFFFFFFu || std::uint64_t{va} + virtual_size > 0xFFFFFFFFu)
    throw Error("the resources do not fit into a Windows program");
  out.insert(out.end(), section.begin(), section.end());

  static const char kName[8] = {'.', 'r', 's', 'r', 'c', 0, 0, 0};
  std::copy(kName, kName + 8, out.begin() + static_cast<std::ptrdiff_t>(slot));
  set_u32(out, slot + 8, static_cast<std::uint32_t>(virtual_size));
  set_u32(out, slot + 12, va);
  set_u32(out, slot + 16, static_cast<std::uint32_t>(section.size()));
  set_u32(out, slot + 20, raw);
  for (std::size_t at = 24; at < 36; ++at) out[slot + at] = 0;  // no relocations, no line numbers
  set_u32(out, slot + 36, 0x40000040u);                          // initialised data, readable

  // The image now ends with this section; the loader checks the size.
  std::uint32_t image_size = 0;
  std::uint16_t count = get_u16(&out[pe.coff + 2]);
  for (std::size_t i = 0; i < count; ++i) {
    std::size_t h = pe.sections + i * kSectionHeaderSize;
    std::uint64_t end = std::uint64_t{get_u32(&out[h + 12])} + std::max(get_u32(&out[h + 8]), get_u32(&out[h + 16]));
    if (align(end, pe.section_alignment) > 0xFFFFFFFFu) throw Error("the resources do not fit into a Windows program");
    image_size = std::max<std::uint32_t>(image_size, static_cast<std::uint32_t>(align(end, pe.section_alignment)));
  }
  set_u32(out, pe.optional + 8,
          get_u32(&image[pe.optional + 8]) - replaced_raw + static_cast<std::uint32_t>(section.size()));
  set_u32(out, pe.optional + 56, image_size);
  set_u32(out, pe.optional + 64, 0);  // checksum: the records appended later would change it anyway
  set_u32(out, pe.directories + kResourceDirectory * 8, va);
  set_u32(out, pe.directories + kResourceDirectory * 8 + 4, static_cast<std::uint32_t>(virtual_size));
  return out;
}

}  // namespace quillpod::pack
