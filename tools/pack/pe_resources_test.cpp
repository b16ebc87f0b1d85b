// The resource writer on the real Windows launcher: what it refuses, and
// how it treats a launcher that already has resources. What the written
// resources hold is shown by the system's own tools (tests/wine/resources_test.sh).
#include "pe_resources.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>

namespace quillpod::pack {
namespace {

std::uint32_t u32(const Bytes& b, std::size_t at) { return get_u32(&b[at]); }
std::uint16_t u16(const Bytes& b, std::size_t at) { return static_cast<std::uint16_t>(b[at] | b[at + 1] << 8); }

// The Windows launcher the build names, or an empty image when it has none.
Bytes launcher() {
  const char* path = std::getenv("QUILLPOD_WIN32_LAUNCHER");
  if (path == nullptr || !std::filesystem::exists(path)) return {};
  return read_file(path);
}

// Offsets of the headers the tests reach into.
struct Headers {
  std::size_t coff, optional, directories, sections;
  explicit Headers(const Bytes& b) {
    coff = u32(b, 0x3C) + 4;
    optional = coff + 20;
    directories = optional + (u16(b, optional) == 0x20B ? 112 : 96);
    sections = optional + u16(b, coff + 16);
  }
};

Bytes ico(std::initializer_list<std::pair<std::uint8_t, std::size_t>> images) {
  Bytes out = {0, 0, 1, 0, static_cast<unsigned char>(images.size()), 0};
  std::size_t offset = 6 + 16 * images.size();
  for (const auto& [side, size] : images) {
    Bytes entry = {side, side, 0, 0, 1, 0, 32, 0};
    out.insert(out.end(), entry.begin(), entry.end());
    put_u32(out, static_cast<std::uint32_t>(size));
    put_u32(out, static_cast<std::uint32_t>(offset));
    offset += size;
  }
  std::uint8_t fill = 1;
  for (const auto& image : images) out.insert(out.end(), image.second, fill++);
  return out;
}

std::string error_of(const std::function<void()>& act) {
  try {
    act();
  } catch (const Error& e) {
    return e.what();
  }
  return "";
}

TEST(Version, OneToFourNumbersUpTo65535) {
  using V = std::array<std::uint16_t, 4>;
  EXPECT_EQ(parse_file_version("1.2.3.4"), (V{1, 2, 3, 4}));
  EXPECT_EQ(parse_file_version("7"), (V{7, 0, 0, 0}));
  EXPECT_EQ(parse_file_version("65535.0.00010"), (V{65535, 0, 10, 0}));
  for (const char* bad : {"", "1.2.3.4.5", "65536", "1..2", "1.", ".1", "v1", "1.2 ", "-1", "1.2.3.99999"})
    EXPECT_NE(error_of([&] { parse_file_version(bad); }).find("such as 1.2.3.4"), std::string::npos) << bad;
}

TEST(Icon, ImagesBecomeIconsListedByTheGroup) {
  std::vector<Resource> r = icon_resources(ico({{16, 40}, {32, 60}}), "app.ico");
  ASSERT_EQ(r.size(), 3u);
  EXPECT_EQ(r[0].type.id, kResourceIcon);
  EXPECT_EQ(r[1].name.id, 2);
  EXPECT_EQ(r[1].data, Bytes(60, 2));
  const Bytes& group = r[2].data;
  EXPECT_EQ(r[2].type.id, kResourceGroupIcon);
  ASSERT_EQ(group.size(), 6u + 2 * 14);
  EXPECT_EQ(u16(group, 4), 2);           // images
  EXPECT_EQ(group[6 + 14], 32);          // the second image's width
  EXPECT_EQ(u32(group, 6 + 14 + 8), 60u);  // its size
  EXPECT_EQ(u16(group, 6 + 14 + 12), 2);   // and its icon's id
}

TEST(Icon, BrokenFilesAreRefusedSayingWhy) {
  Bytes cursor = ico({{16, 10}});
  cursor[2] = 2;
  Bytes outside = ico({{16, 10}});
  outside.pop_back();
  Bytes empty = {0, 0, 1, 0, 0, 0};
  Bytes cut = ico({{16, 10}, {32, 10}});
  cut.resize(20);
  struct Case {
    const char* name;
    Bytes file;
    const char* says;
  } cases[] = {{"cursor", cursor, "a cursor, not an icon"},
               {"image cut off", outside, "image 1 lies outside the file"},
               {"no image", empty, "holds no image"},
               {"directory cut short", cut, "directory of 2 images is cut short"},
               {"a PNG file", {0x89, 'P', 'N', 'G', 13, 10, 26, 10}, "does not start with an icon directory"}};
  for (const Case& c : cases) {
    std::string message = error_of([&] { icon_resources(c.file, "app.ico"); });
    EXPECT_EQ(message.rfind("the icon app.ico is not a usable .ico file: ", 0), 0u) << c.name << ": " << message;
    EXPECT_NE(message.find(c.says), std::string::npos) << c.name << ": " << message;
  }
}

TEST(Writer, RefusesWhatItCannotWriteSoundly) {
  Bytes image = launcher();
  if (image.empty()) GTEST_SKIP() << "this build has no Windows launcher";
  Headers h(image);
  Bytes signed_image = image, trailing = image, crowded = image, no_pe = image;
  auto set32 = [](Bytes& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<unsigned char>(v >> (8 * i));
  };
  set32(signed_image, h.directories + 4 * 8 + 4, 0x200);
  trailing.push_back(0);
  // Headers that end right after the section table leave no room for one more.
  set32(crowded, h.optional + 60, static_cast<std::uint32_t>(h.sections + 40 * u16(image, h.coff + 2)));
  no_pe[u32(image, 0x3C)] = 'X';
  struct Case {
    const char* name;
    Bytes image;
    const char* says;
  } cases[] = {{"signed", signed_image, "the launcher is signed"},
               {"bytes after the last section", trailing, "has 1 bytes after its last section"},
               {"no room for a section header", crowded, "no room for another section"},
               {"no PE signature", no_pe, "not a valid Windows program: no PE signature"},
               {"an ELF file", {0x7F, 'E', 'L', 'F'}, "no MZ header"}};
  for (const Case& c : cases) {
    std::string message = error_of([&] { add_resources(c.image, windows_resources({})); });
    EXPECT_NE(message.find(c.says), std::string::npos) << c.name << ": " << message;
  }
}

TEST(Writer, SecondWriteReplacesItsTypesInPlaceAndKeepsTheOthers) {
  Bytes image = launcher();
  if (image.empty()) GTEST_SKIP() << "this build has no Windows launcher";
  Headers h(image);
  const std::uint16_t sections = u16(image, h.coff + 2);

  WindowsResources first;
  first.icon = ico({{16, 40}});
  first.icon_origin = "app.ico";
  first.version = parse_file_version("1.2.3.4");
  Bytes once = add_resources(image, windows_resources(first));
  EXPECT_EQ(u16(once, h.coff + 2), sections + 1) << "a resource section added";

  Resource note{{kResourceManifest, {}}, {1, {}}, kLanguageEnglishUs, Bytes{'<', 'x', '/', '>'}};
  Bytes twice = add_resources(once, {note});
  EXPECT_EQ(u16(twice, h.coff + 2), sections + 1) << "the last section is rewritten, not another added";

  std::vector<Resource> found = read_resources(twice);
  auto count = [&](std::uint16_t type) {
    return std::count_if(found.begin(), found.end(), [&](const Resource& r) { return r.type.id == type; });
  };
  EXPECT_EQ(count(kResourceIcon), 1);
  EXPECT_EQ(count(kResourceGroupIcon), 1);
  EXPECT_EQ(count(kResourceVersion), 1);
  ASSERT_EQ(count(kResourceManifest), 1);
  for (const Resource& r : found) {
    if (r.type.id == kResourceManifest) {
      EXPECT_EQ(r.data, note.data);
    }
  }

  // The image ends, section-aligned, with the resource section, which the
  // data directory names; the file ends with its raw data.
  std::size_t last = h.sections + 40 * sections;
  std::uint32_t alignment = u32(twice, h.optional + 32);
  std::uint32_t end = u32(twice, last + 12) + u32(twice, last + 8);
  EXPECT_EQ(u32(twice, h.optional + 56), (end + alignment - 1) / alignment * alignment);
  EXPECT_EQ(u32(twice, h.directories + 2 * 8), u32(twice, last + 12));
  EXPECT_EQ(u32(twice, last + 20) + u32(twice, last + 16), twice.size());
  EXPECT_EQ(u32(twice, last + 20) % u32(twice, h.optional + 36), 0u);
}

}  // namespace
}  // namespace quillpod::pack
