#include "pack.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <random>

#include <unistd.h>

namespace fs = std::filesystem;
using namespace quillpod;
using namespace quillpod::pack;

namespace {

Bytes bytes(const std::string& s) { return Bytes(s.begin(), s.end()); }
// The text with its closing NUL, as record V holds it.
Bytes text0(const std::string& s) { return Bytes(s.begin(), s.end() + 1); }

// A scoped directory under the test's temporary folder.
class TempDir {
 public:
  TempDir() {
    path_ = fs::temp_directory_path() /
            ("quillpod-pack-test-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
             std::to_string(counter_++) + "-" + std::to_string(std::random_device{}()));
    fs::create_directories(path_);
  }
  ~TempDir() {
    std::error_code ec;
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(path_, ec);
  }
  const fs::path& path() const { return path_; }
  fs::path put(const std::string& rel, const std::string& content) const {
    fs::path p = path_ / rel;
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << content;
    return p;
  }

 private:
  static inline int counter_ = 0;
  fs::path path_;
};

std::vector<std::string> names(const std::vector<SourceFile>& files) {
  std::vector<std::string> out;
  for (const auto& f : files) out.push_back(f.name);
  return out;
}

}  // namespace

TEST(Records, LayoutOnTheGridWithFiller) {
  Bytes launcher(21, 0x11);  // ends off the grid
  Bytes exe = build_executable(launcher, bytes("CAFE"), text0("main=A\n"), bytes("ZZZZZ"));

  // Filler after the image, then B at 32: marker, type, length, data.
  for (std::size_t i = 21; i < 32; ++i) EXPECT_EQ(exe[i], 0xFF) << i;
  const unsigned char marker[] = {0x4A, 0x4B, 0x4D, 0x4E, 0x50, 0x51, 0x53, 0x54,
                                  0x56, 0x57, 0x59, 0x5A, 0x5C, 0x5D, 0x5F};
  for (std::size_t at : {32u, 64u, 96u}) {
    EXPECT_TRUE(std::equal(marker, marker + 15, exe.begin() + static_cast<long>(at))) << at;
  }
  EXPECT_EQ(exe[32 + 15], 'B');
  EXPECT_EQ(get_u32(&exe[32 + 16]), 4u);
  EXPECT_EQ(std::string(exe.begin() + 52, exe.begin() + 56), "CAFE");
  for (std::size_t i = 56; i < 64; ++i) EXPECT_EQ(exe[i], 0xFF) << i;
  EXPECT_EQ(exe[64 + 15], 'V');
  EXPECT_EQ(get_u32(&exe[64 + 16]), 8u);
  EXPECT_EQ(exe[64 + 20 + 7], 0);
  for (std::size_t i = 92; i < 96; ++i) EXPECT_EQ(exe[i], 0xFF) << i;
  EXPECT_EQ(exe[96 + 15], 'Z');
  EXPECT_EQ(get_u32(&exe[96 + 16]), 5u);
  EXPECT_EQ(exe.size(), 96u + 20 + 5);  // the last record ends the file

  Record r;
  ASSERT_TRUE(find_record(exe, 'V', r));
  EXPECT_EQ(r.offset, 64u);
  EXPECT_EQ(r.size, 8u);
}

TEST(Records, LauncherOnTheGridGetsNoFiller) {
  Bytes exe = build_executable(Bytes(32, 0x11), {}, Bytes{0}, Bytes{1, 2, 3, 4, 5});
  EXPECT_EQ(exe[32], 0x4A);
  EXPECT_EQ(exe[32 + 15], 'B');
  EXPECT_EQ(get_u32(&exe[48]), 0u);
  EXPECT_EQ(exe[64 + 15], 'V');  // an empty B still takes its header's place
}

TEST(Records, LauncherThatAlreadyCarriesRecordsIsRefused) {
  Bytes packed = build_executable(Bytes(100, 0), bytes("x"), Bytes{0}, bytes("yyyyy"));
  EXPECT_THROW(build_executable(packed, bytes("x"), Bytes{0}, bytes("yyyyy")), Error);
  // A marker off the grid is no record, so such a launcher is fine.
  Bytes off_grid(8, 0);
  append_record(off_grid, 'B', bytes("x"));
  off_grid.erase(off_grid.begin(), off_grid.begin() + 3);
  EXPECT_NO_THROW(build_executable(off_grid, bytes("x"), Bytes{0}, bytes("yyyyy")));
}

TEST(Config, PairsFromTheCommandLine) {
  struct Case {
    std::string text, key, value;
  } ok[] = {{"main=a.B", "main", "a.B"}, {"a=b=c", "a", "b=c"}, {"a=", "a", ""}, {"k= v ", "k", " v "}};
  for (const auto& c : ok) {
    auto p = parse_config_pair(c.text);
    EXPECT_EQ(p.key, c.key) << c.text;
    EXPECT_EQ(p.value, c.value) << c.text;
  }
  for (const std::string& bad : {std::string("novalue"), std::string("=x"), std::string("a=b\nc=d"), std::string("a=b\0c", 5)})
    EXPECT_THROW(parse_config_pair(bad), Error) << bad;
}

TEST(Config, FileLinesCommentsCarriageReturnsAndOverrides) {
  auto pairs = parse_config_file("# game\r\nmain=x.Y\r\n\nminver=1.1\ntarget=C", "cfg");
  ASSERT_EQ(pairs.size(), 3u);
  EXPECT_EQ(pairs[0].value, "x.Y");
  EXPECT_EQ(pairs[2].key, "target");
  override_config(pairs, {{"minver", "1.4"}, {"jars", "a.jar"}});
  EXPECT_EQ(config_text(pairs), text0("main=x.Y\nminver=1.4\ntarget=C\njars=a.jar\n"));

  try {
    parse_config_file("a=1\nb=2\na=3\n", "cfg");
    FAIL() << "a repeated key was taken";
  } catch (const Error& e) {
    EXPECT_NE(std::string(e.what()).find("cfg:3"), std::string::npos) << e.what();
  }
  EXPECT_THROW(parse_config_file("a=1\nbroken\n", "cfg"), Error);
}

TEST(Config, EmptyConfigurationIsJustTheNul) { EXPECT_EQ(config_text({}), Bytes{0}); }

TEST(Names, ProblemsAreRecognised) {
  std::string e_acute = "\xC3\xA9";
  std::string longest_utf8;
  for (int i = 0; i < 63; ++i) longest_utf8 += e_acute;
  for (std::string good : {std::string("com\\x\\A.class"), std::string(127, 'a'), "caf" + e_acute,
                           std::string("my pr\xC3\xB8" "be app.jar"), std::string("d\xE2\x82\xAC\\\xF0\x9F\x8E\x84.gif"),
                           longest_utf8 + "a"})
    EXPECT_EQ(name_problem(good), "") << good;
  for (std::string bad : {std::string(""), std::string(128, 'a'), longest_utf8 + e_acute, std::string("\\abs"),
                          std::string("a\\\\b"), std::string("a\\..\\b"), std::string("..\\b"), std::string("a\\"),
                          std::string("C:x"), std::string("a/b"), std::string("tab\there"),
                          std::string("caf\xE9"),          // Latin-1, not UTF-8
                          std::string("cut\xC3"),          // ends inside a character
                          std::string("\xC0\xAF" "etc"),    // an overlong '/'
                          std::string("\xED\xA0\x80"),      // a surrogate
                          std::string("nel\xC2\x85")})      // a control character
    EXPECT_NE(name_problem(bad), "") << bad;
  EXPECT_NE(name_problem(longest_utf8 + e_acute).find("one signed byte: at most 127 bytes"), std::string::npos);
}

TEST(Collect, MergesDirectoriesSortedBytewise) {
  TempDir a, b;
  a.put("com/x/B.class", "b");
  a.put("com/x/A$1.class", "a1");
  a.put("Zebra", "z");
  b.put("XmasGifs/a.gif", "g");
  b.put("_last", "l");
  auto files = collect_files({a.path(), b.path()});
  EXPECT_EQ(names(files),
            (std::vector<std::string>{"XmasGifs\\a.gif", "Zebra", "_last", "com\\x\\A$1.class", "com\\x\\B.class"}));
  EXPECT_EQ(files[1].path, a.path() / "Zebra");

  // A link to a file is carried under its own name, with the target's content.
  TempDir elsewhere, linked;
  fs::path target = elsewhere.put("real/target.bin", "t");
  fs::create_directories(linked.path() / "sub");
  fs::create_symlink(target, linked.path() / "sub" / "link.bin");
  auto via_link = collect_files({linked.path()});
  ASSERT_EQ(names(via_link), std::vector<std::string>{"sub\\link.bin"});
  EXPECT_EQ(read_file(via_link[0].path), (Bytes{'t'}));
}

TEST(Collect, FoldersKeepTheirName) {
  TempDir classes, gifs;
  classes.put("com/A.class", "a");
  gifs.put("f0.gif", "g");
  gifs.put("sub/f1.gif", "g");
  auto files = collect_files(std::vector<SourceDir>{{classes.path(), ""}, {gifs.path(), "XmasGifs"}});
  EXPECT_EQ(names(files), (std::vector<std::string>{"XmasGifs\\f0.gif", "XmasGifs\\sub\\f1.gif", "com\\A.class"}));
}

TEST(Collect, RefusesClashesLongNamesAndUnreadableDirectories) {
  TempDir a, b;
  a.put("same/x", "1");
  b.put("same/x", "2");
  try {
    collect_files({a.path(), b.path()});
    FAIL() << "a clash was taken";
  } catch (const Error& e) {
    EXPECT_NE(std::string(e.what()).find("same\\x"), std::string::npos) << e.what();
  }

  TempDir c;
  c.put(std::string(60, 'd') + "/" + std::string(67, 'f'), "");  // 128 bytes with the backslash
  EXPECT_THROW(collect_files({c.path()}), Error);

  TempDir d;
  d.put("back\\slash", "");
  EXPECT_THROW(collect_files({d.path()}), Error);

  EXPECT_THROW(collect_files({a.path() / "missing"}), Error);
  EXPECT_THROW(collect_files({a.path() / "same" / "x"}), Error);  // a file, not a directory
  if (geteuid() != 0) {  // root reads everything
    TempDir e;
    e.put("locked/f", "");
    fs::permissions(e.path() / "locked", fs::perms::none);
    EXPECT_THROW(collect_files({e.path()}), Error);
  }
}

TEST(Archive, EntryLayout) {
  Bytes body;
  append_entry(body, "a\\b", reinterpret_cast<const unsigned char*>("xyz"), 3);
  Bytes want = {0xF0, 0x12, 0xDC, 0xEA, 3, 'a', '\\', 'b', 0, 3, 0, 0, 0, 'x', 'y', 'z'};
  EXPECT_EQ(body, want);
}

TEST(Archive, GzipIsReproducibleWithoutNameOrTime) {
  Bytes data(100000);
  std::mt19937 rng(7);
  for (auto& b : data) b = static_cast<unsigned char>(rng() % 7);
  Bytes z1 = gzip_compress(data, 9), z2 = gzip_compress(data, 9);
  EXPECT_EQ(z1, z2);
  ASSERT_GE(z1.size(), 18u);
  EXPECT_EQ(Bytes(z1.begin(), z1.begin() + 4), (Bytes{0x1F, 0x8B, 8, 0}));  // no FNAME, no extras
  EXPECT_EQ(get_u32(&z1[4]), 0u);                                           // mtime
  EXPECT_EQ(z1[9], 0);                                                      // OS byte
  EXPECT_EQ(gzip_decompress(z1.data(), z1.size()), data);
  EXPECT_EQ(gzip_decompress(gzip_compress({}, 0).data(), gzip_compress({}, 0).size()), Bytes{});
}

TEST(Archive, DecompressRejectsDamage) {
  Bytes data(5000, 'q');
  Bytes z = gzip_compress(data, 6);
  Bytes cut(z.begin(), z.end() - 3);
  EXPECT_THROW(gzip_decompress(cut.data(), cut.size()), Error);
  Bytes bad_crc = z;
  bad_crc[bad_crc.size() - 6] ^= 1;
  EXPECT_THROW(gzip_decompress(bad_crc.data(), bad_crc.size()), Error);
  Bytes trailing = z;
  trailing.push_back(0);
  EXPECT_THROW(gzip_decompress(trailing.data(), trailing.size()), Error);
}

TEST(Archive, ParseRejectsMalformedBodies) {
  Bytes good;
  append_entry(good, "one", reinterpret_cast<const unsigned char*>("1"), 1);
  append_entry(good, "two", nullptr, 0);
  auto entries = parse_archive(good);
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[1].name, "two");
  EXPECT_EQ(entries[1].size, 0u);

  Bytes stray = good;
  stray.push_back(0xF0);
  Bytes bad_tag = good;
  bad_tag[11] ^= 1;  // the second entry's tag
  Bytes long_size = good;
  long_size[9 + 3]++;  // the first entry's size now runs past the end
  for (const Bytes* b : {&stray, &bad_tag, &long_size}) EXPECT_THROW(parse_archive(*b), Error);
}

// Pack a tree, then read it back the way a reader of the executable would.
TEST(RoundTrip, FilesComeBackFromTheExecutable) {
  TempDir classes, media;
  std::string big(70000, '\0');
  std::mt19937 rng(3);
  for (auto& c : big) c = static_cast<char>(rng());
  classes.put("com/t/App.class", "cafebabe");
  media.put("XmasGifs/x.gif", big);
  media.put("empty", "");
  auto files = collect_files({classes.path(), media.path()});
  Bytes body = archive_body(files);
  Bytes launcher(5000, 0x90);
  Bytes exe = build_executable(launcher, bytes("BOOT"), config_text({{"main", "com.t.App"}}),
                               archive_record_data(body, 9));
  EXPECT_EQ(exe, build_executable(launcher, bytes("BOOT"), config_text({{"main", "com.t.App"}}),
                                  archive_record_data(archive_body(files), 9)));

  EXPECT_TRUE(std::equal(launcher.begin(), launcher.end(), exe.begin()));
  Record z;
  ASSERT_TRUE(find_record(exe, 'Z', z));
  EXPECT_EQ(z.offset % 16, 0u);
  EXPECT_EQ(z.offset + 20 + z.size, exe.size());
  const unsigned char* data = &exe[z.offset + 20];
  EXPECT_EQ(get_u32(data), body.size());
  Bytes unpacked = gzip_decompress(data + 4, z.size - 4);
  EXPECT_EQ(unpacked, body);
  auto entries = parse_archive(unpacked);
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].name, "XmasGifs\\x.gif");
  EXPECT_EQ(std::string(unpacked.begin() + static_cast<long>(entries[0].offset),
                        unpacked.begin() + static_cast<long>(entries[0].offset + entries[0].size)),
            big);
  EXPECT_EQ(entries[1].name, "com\\t\\App.class");
  EXPECT_EQ(entries[2].name, "empty");
  EXPECT_EQ(entries[2].size, 0u);
}

namespace {

// A small executable in memory, listed as --list shows a file.
Bytes listed_executable() {
  Bytes body;
  append_entry(body, "com\\t\\Main.class", reinterpret_cast<const unsigned char*>("class"), 5);
  append_entry(body, "empty", nullptr, 0);
  return build_executable(Bytes(40, 0), bytes("BOOT"), text0("main=com.t.Main\nwin=\x01\r\n"),
                          archive_record_data(body, 9));
}

std::string listing(const Bytes& exe, bool* ok) {
  std::ostringstream out;
  *ok = list_executable(exe.data(), exe.size(), out);
  return out.str();
}

}  // namespace

TEST(List, ShowsRecordsConfigurationAndEntries) {
  bool ok = false;
  std::string text = listing(listed_executable(), &ok);
  EXPECT_TRUE(ok) << text;
  for (const char* line : {"record B: at offset 48, 4 bytes\n", "  main=com.t.Main\n", "  win=\\x01\\r\n",
                           "  archive of ", " 2 entries\n", "           5  com\\t\\Main.class\n",
                           "           0  empty\n"})
    EXPECT_NE(text.find(line), std::string::npos) << line << " missing in\n" << text;
}

TEST(List, DamagedExecutablesAreReportedNotTrusted) {
  const Bytes good = listed_executable();
  Record z;
  ASSERT_TRUE(find_record(good, kRecordArchive, z));
  const std::size_t z_data = z.offset + kRecordHeaderSize;
  struct Case {
    const char* name;
    Bytes exe;
    const char* says;
  };
  std::vector<Case> cases = {
      {"plain launcher", Bytes(64, 0), "record B: none"},
      {"archive cut short", Bytes(good.begin(), good.end() - 3), "runs past the end of the file"},
      {"header without its length", Bytes(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(z.offset + 17)),
       "record Z: none"},
  };
  auto patched = [&](std::size_t at, std::uint32_t value) {
    Bytes exe = good;
    for (int i = 0; i < 4; ++i) exe[at + static_cast<std::size_t>(i)] = static_cast<unsigned char>(value >> (8 * i));
    return exe;
  };
  cases.push_back({"size prefix too small", patched(z_data, 3), "more than the 3 bytes announced"});
  cases.push_back({"size prefix too large", patched(z_data, 1000), "its size prefix says 1000"});
  cases.push_back({"size prefix above 2 GiB", patched(z_data, 0x80000000u), "above 2 GiB"});
  cases.push_back({"record length beyond the file", patched(z.offset + 16, 0xFFFFFFF0u), "runs past the end"});
  Bytes corrupt = good;
  corrupt[z_data + 20] ^= 0x55;
  cases.push_back({"corrupt gzip data", corrupt, "decompress"});
  for (const Case& c : cases) {
    bool ok = true;
    std::string text = listing(c.exe, &ok);
    EXPECT_FALSE(ok) << c.name << "\n" << text;
    EXPECT_NE(text.find(c.says), std::string::npos) << c.name << "\n" << text;
  }
  // Every cut of the file is listed without a crash or a read past its end.
  for (std::size_t n = 0; n <= good.size(); ++n) {
    bool ok = false;
    listing(Bytes(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(n)), &ok);
    EXPECT_EQ(ok, n == good.size()) << n;
  }
}
