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
  Bytes data = runtime_record_data(runtime_tree(root, warnings), 1);
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
  EXPECT_EQ(runtime_record_data(runtime_tree(dir / "a", warnings), 3),
            runtime_record_data(runtime_tree(dir / "a", warnings), 3));
}

TEST(RuntimeTree, FolderWithoutJavaIsRefused) {
  TempDir dir;
  fs::create_directories(dir / "empty/lib");
  std::vector<std::string> warnings;
  try {
    runtime_tree(dir / "empty", warnings);
    FAIL() << "accepted";
  } catch (const Error& e) {
    EXPECT_NE(std::string(e.what()).find("no bin/java"), std::string::npos) << e.what();
  }
  EXPECT_THROW(runtime_tree(dir / "missing", warnings), Error);
}

TEST(RuntimeListing, ShowsTheRuntimeAndNamesDamage) {
  TempDir dir;
  make_java(dir / "a");
  std::vector<std::string> warnings;
  Bytes data = runtime_record_data(runtime_tree(dir / "a", warnings), 3);
  std::ostringstream good;
  EXPECT_TRUE(list_runtime(data.data(), data.size(), good));
  EXPECT_NE(good.str().find("1 files"), std::string::npos) << good.str();
  data[data.size() - 5] ^= 0x55;
  std::ostringstream bad;
  EXPECT_FALSE(list_runtime(data.data(), data.size(), bad));
  EXPECT_NE(bad.str().find("damaged"), std::string::npos) << bad.str();
}

}  // namespace
}  // namespace quillpod::pack
