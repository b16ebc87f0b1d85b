#include "payload.h"

#include <gtest/gtest.h>

#include "test_records.h"

namespace quillpod {
namespace {

using testing::append_record;
using testing::Bytes;
using testing::config;

Bytes image_of_size(std::size_t n) { return Bytes(n, 0x00); }

// Writes a marker and type at any offset, on the grid or not.
void put_header(Bytes& image, std::size_t at, char type) {
  if (image.size() < at + 20) image.resize(at + 20, 0);
  for (std::size_t k = 0; k < 15; ++k) image[at + k] = record_marker_byte(k);
  image[at + 15] = static_cast<unsigned char>(type);
}

TEST(RecordMarker, MatchesTheStoredByteSequence) {
  const unsigned char expected[15] = {0x4A, 0x4B, 0x4D, 0x4E, 0x50, 0x51, 0x53, 0x54,
                                      0x56, 0x57, 0x59, 0x5A, 0x5C, 0x5D, 0x5F};
  for (std::size_t k = 0; k < 15; ++k) EXPECT_EQ(record_marker_byte(k), expected[k]) << k;
}

TEST(FindRecord, Cases) {
  struct Case {
    const char* name;
    Bytes image;
    char type;
    long long expected;
  };
  std::vector<Case> cases;
  {
    Bytes b = image_of_size(100);
    append_record(b, 'B', "boot");
    append_record(b, 'V', config("main=x\n"));
    cases.push_back({"second record found on the grid", b, 'V', 144});
    cases.push_back({"first record found", b, 'B', 112});
    cases.push_back({"missing type", b, 'Z', -1});
  }
  {
    Bytes b = image_of_size(64);
    put_header(b, 33, 'B');
    b.resize(128, 0);
    cases.push_back({"marker off the grid is not a record", b, 'B', -1});
  }
  {
    Bytes b = image_of_size(16);
    append_record(b, 'B', "first");
    append_record(b, 'B', "second");
    cases.push_back({"the lower of two records wins", b, 'B', 16});
  }
  {
    Bytes b = image_of_size(32);
    put_header(b, 0, 'B');
    cases.push_back({"record at offset 0 is found", b, 'B', 0});
  }
  {
    Bytes b = image_of_size(0);
    put_header(b, 0, 'B');
    b.resize(16);
    cases.push_back({"exactly 16 bytes: too small for the scan", b, 'B', -1});
    b.resize(17);
    cases.push_back({"17 bytes: the header at 0 counts", b, 'B', 0});
  }
  for (std::size_t n : {0u, 1u, 15u})
    cases.push_back({"image below 16 bytes", image_of_size(n), 'B', -1});
  {
    Bytes b = image_of_size(48);
    put_header(b, 16, 'B');
    b[16 + 7] ^= 1;
    cases.push_back({"one wrong marker byte", b, 'B', -1});
  }

  for (const Case& c : cases) {
    // Copy into an exact-size buffer so ASan sees any read past the end.
    std::unique_ptr<unsigned char[]> exact(new unsigned char[c.image.size() + 1]);
    std::copy(c.image.begin(), c.image.end(), exact.get());
    EXPECT_EQ(find_record(exact.get(), c.image.size(), c.type), c.expected) << c.name;
  }
}

TEST(FindRecord, NullImage) { EXPECT_EQ(find_record(nullptr, 0, 'B'), -1); }

TEST(RecordLength, ReadsLittleEndian) {
  Bytes b;
  append_record(b, 'Z', "", 0x01020304);
  EXPECT_EQ(record_length(b.data(), 0), 0x01020304u);
  Bytes big;
  append_record(big, 'Z', "", 0xFFFFFFFF);
  EXPECT_EQ(record_length(big.data(), 0), 0xFFFFFFFFu);
}

TEST(ConfigText, Cases) {
  struct Case {
    const char* name;
    Bytes image;
    std::optional<std::string> expected;
  };
  std::vector<Case> cases;
  {
    Bytes b = image_of_size(32);
    append_record(b, 'V', config("main=a\ntarget=B\n"));
    cases.push_back({"text up to its NUL", b, "main=a\ntarget=B\n"});
  }
  cases.push_back({"no V record", image_of_size(64), std::nullopt});
  {
    Bytes b = image_of_size(16);
    append_record(b, 'V', "main=a\n");
    while (!b.empty() && b.back() == 0xFF) b.pop_back();
    cases.push_back({"no NUL: stops at the end of the image", b, "main=a\n"});
  }
  {
    Bytes b = image_of_size(16);
    append_record(b, 'V', "");
    b.resize(16 + 20);
    cases.push_back({"header ends the image", b, ""});
    b.resize(16 + 17);
    cases.push_back({"header cut short", b, ""});
  }
  for (const Case& c : cases) {
    std::unique_ptr<unsigned char[]> exact(new unsigned char[c.image.size() + 1]);
    std::copy(c.image.begin(), c.image.end(), exact.get());
    auto got = config_text(exact.get(), c.image.size());
    if (c.expected) {
      ASSERT_TRUE(got.has_value()) << c.name;
      EXPECT_EQ(std::string(*got), *c.expected) << c.name;
    } else {
      EXPECT_FALSE(got.has_value()) << c.name;
    }
  }
}

TEST(LookupConfigValue, Cases) {
  struct Case {
    const char* name;
    std::optional<std::string> text;
    const char* key;
    std::optional<std::string> fallback;
    std::optional<std::string> expected;
  };
  const std::string game = "main=com.tallowfen.hollyblitz.HollyBlitz\ntarget=B\nhelpurl=http://h/x\n"
                           "minver=1.1\nwindowed=yes\n";
  const Case cases[] = {
      {"plain value", game, "main", std::nullopt, "com.tallowfen.hollyblitz.HollyBlitz"},
      {"later line", game, "helpurl", std::nullopt, "http://h/x"},
      {"absent key takes the fallback", game, "jars", "none", "none"},
      {"absent key without fallback", game, "jars", std::nullopt, std::nullopt},
      {"no text takes the fallback", std::nullopt, "target", "H", "H"},
      {"last line without line feed reads as absent", "main=a\ntarget=C", "target", "H", "H"},
      {"carriage return stays in the value", "main=a\r\ntarget=C\r\n", "main", std::nullopt, "a\r"},
      {"unanchored: xmain= answers main", "xmain=1\nmain=2\n", "main", std::nullopt, "1"},
      {"unanchored: found inside a value", "a=main=3\n", "main", std::nullopt, "3"},
      {"empty value", "target=\n", "target", "H", ""},
      {"value holding '='", "jars=a=b\n", "jars", std::nullopt, "a=b"},
      {"first occurrence wins", "main=1\nmain=2\n", "main", std::nullopt, "1"},
      {"empty text", "", "main", "d", "d"},
  };
  for (const Case& c : cases) {
    std::optional<std::string_view> view;
    if (c.text) view = *c.text;
    EXPECT_EQ(lookup_config_value(view, c.key, c.fallback), c.expected) << c.name;
  }
}

}  // namespace
}  // namespace quillpod
