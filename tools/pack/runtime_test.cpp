#include "runtime.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "test_tempdir.h"

namespace quillpod::pack {
namespace {

namespace fs = std::filesystem;
using quillpod::testing::TempDir;
using quillpod::testing::write_text;

void make_java(const std::string& root) {
  fs::create_directories(root + "/bin");
  write_text(root + "/bin/java", "#!/bin/sh\n");
  chmod((root + "/bin/java").c_str(), 0755);
}

// Links inside the runtime stay links; links out of it (Debian's JDK links
// into /etc) are carried as what they point to; broken ones are left out.
TEST(RuntimeTree, LinksInsideKeptOutsideCarriedBrokenLeftOut) {
  TempDir dir;
  const std::string root = dir / "jdk";
  make_java(root);
  fs::create_directories(root + "/lib");
  write_text(dir / "outside.cfg", "from outside");
  symlink("../bin/java", (root + "/lib/java-link").c_str());
  symlink((dir / "outside.cfg").c_str(), (root + "/lib/security.cfg").c_str());
  symlink((dir / "nowhere").c_str(), (root + "/lib/broken").c_str());
  std::vector<std::string> warnings;
  Bytes data = runtime_record_data(runtime_tree(root, warnings), RuntimeCompression::zstd, 1);
  RuntimeSummary s = summarize_runtime(data.data(), data.size());
  EXPECT_EQ(s.links, 1u);
  EXPECT_EQ(s.files, 2u);  // bin/java and the carried security.cfg
  EXPECT_EQ(s.folders, 2u);
  EXPECT_EQ(s.unpacked, fs::file_size(root + "/bin/java") + std::string("from outside").size());
  ASSERT_EQ(warnings.size(), 1u);
  EXPECT_NE(warnings[0].find("broken"), std::string::npos) << warnings[0];
}

TEST(RuntimeTree, SameFolderGivesSameRecord) {
  TempDir dir;
  make_java(dir / "a");
  std::vector<std::string> warnings;
  EXPECT_EQ(runtime_record_data(runtime_tree(dir / "a", warnings), RuntimeCompression::zstd, 3),
            runtime_record_data(runtime_tree(dir / "a", warnings), RuntimeCompression::zstd, 3));
}

// A runtime must have the java program of the system it is packed for; the
// refusal says which system a runtime of the other kind is for.
TEST(RuntimeTree, FolderWithoutThatSystemsJavaIsRefused) {
  TempDir dir;
  fs::create_directories(dir / "empty/lib");
  make_java(dir / "posix");
  fs::create_directories(dir / "windows/bin");
  write_text(dir / "windows/bin/java.exe", "MZ");
  struct Case {
    std::string folder;
    bool for_windows;
    std::string says;  // "" when accepted
  } cases[] = {
      {"empty", false, "no bin/java:"},
      {"empty", true, "no bin/java.exe"},
      {"windows", false, "this one is for Windows: pack it with --platform windows64"},
      {"posix", true, "this one is for this system"},
      {"posix", false, ""},
      {"windows", true, ""},
  };
  for (const Case& c : cases) {
    std::vector<std::string> warnings;
    try {
      runtime_tree(dir / c.folder, warnings, c.for_windows);
      EXPECT_EQ(c.says, "") << c.folder << " accepted for windows=" << c.for_windows;
    } catch (const Error& e) {
      EXPECT_NE(c.says, "") << e.what();
      EXPECT_NE(std::string(e.what()).find(c.says), std::string::npos) << e.what();
    }
  }
  std::vector<std::string> warnings;
  EXPECT_THROW(runtime_tree(dir / "missing", warnings), Error);
}

// Both compressions read back to the same tree, are listed for their system,
// and damage to the compressed data is named, not listed as a runtime.
TEST(RuntimeListing, ShowsTheRuntimeAndNamesDamage) {
  TempDir dir;
  make_java(dir / "a");
  std::vector<std::string> warnings;
  const Bytes tree = runtime_tree(dir / "a", warnings);
  for (RuntimeCompression compression : {RuntimeCompression::zstd, RuntimeCompression::zlib}) {
    const bool windows = compression == RuntimeCompression::zlib;
    Bytes data = runtime_record_data(tree, compression, 3);
    std::ostringstream good;
    EXPECT_TRUE(list_runtime(data.data(), data.size(), good));
    EXPECT_NE(good.str().find("1 files"), std::string::npos) << good.str();
    EXPECT_EQ(good.str().find("for Windows") != std::string::npos, windows) << good.str();
    EXPECT_EQ(summarize_runtime(data.data(), data.size()).hash,
              summarize_runtime(runtime_record_data(tree).data(), runtime_record_data(tree).size()).hash);
    for (std::size_t from_end : {std::size_t{5}, std::size_t{12}}) {
      Bytes bad_data = data;
      bad_data[bad_data.size() - from_end] ^= 0x55;
      std::ostringstream bad;
      EXPECT_FALSE(list_runtime(bad_data.data(), bad_data.size(), bad)) << windows;
      EXPECT_NE(bad.str().find("damaged"), std::string::npos) << bad.str();
    }
    Bytes cut(data.begin(), data.end() - 3);
    std::ostringstream short_out;
    EXPECT_FALSE(list_runtime(cut.data(), cut.size(), short_out)) << windows;
  }
}

}  // namespace
}  // namespace quillpod::pack
