// The carried runtime on a real disk: packed by the packer's engine,
// unpacked, checked, replaced and swept by the launcher's cache.
#include "runtime_cache.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "runtime.h"
#include "test_tempdir.h"

namespace quillpod {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;
using testing::read_text;
using testing::write_text;

mode_t mode_of(const std::string& path) {
  struct stat st;
  EXPECT_EQ(lstat(path.c_str(), &st), 0) << path;
  return st.st_mode & 07777;
}

// A small runtime folder: an executable bin/java, a library, a link inside
// the tree and a nested folder.
void make_runtime_folder(const std::string& root) {
  fs::create_directories(root + "/bin");
  fs::create_directories(root + "/lib/server");
  fs::create_directories(root + "/legal/java.base");
  fs::create_directories(root + "/legal/java.desktop");
  write_text(root + "/bin/java", "#!/bin/sh\necho carried java\n");
  chmod((root + "/bin/java").c_str(), 0755);
  write_text(root + "/lib/server/libjvm.so", std::string(200000, 'j'));
  chmod((root + "/lib/server/libjvm.so").c_str(), 0644);
  write_text(root + "/legal/java.base/LICENSE", "licence text");
  symlink("../java.base/LICENSE", (root + "/legal/java.desktop/LICENSE").c_str());
}

pack::Bytes record_of(const std::string& folder) {
  std::vector<std::string> warnings;
  return pack::runtime_record_data(pack::runtime_tree(folder, warnings), RuntimeCompression::zstd, 3);
}

RuntimeRecord parsed(const pack::Bytes& data) {
  std::optional<RuntimeRecord> record = parse_runtime_record(data.data(), data.size());
  EXPECT_TRUE(record);
  return record.value_or(RuntimeRecord{});
}

int open_dir(const std::string& path) { return open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); }

class RuntimeCache : public ::testing::Test {
 protected:
  void SetUp() override {
    make_runtime_folder(source / "runtime");
    data = record_of(source / "runtime");
    record = parsed(data);
    fs::create_directories(home / "cache");
    fs::create_directories(home / "workspace");
    setenv("XDG_CACHE_HOME", (home / "cache").c_str(), 1);
    workspace = open_dir(home / "workspace");
  }
  void TearDown() override {
    close(workspace);
    unsetenv("XDG_CACHE_HOME");
  }
  std::string cached() const { return home / "cache/quillpod/runtimes/" + runtime_hash_hex(record.hash); }
  std::optional<std::string> ready(std::vector<std::string>& notes) {
    return ready_runtime(record, workspace, home / "workspace", notes);
  }

  TempDir source, home;
  pack::Bytes data;
  RuntimeRecord record;
  int workspace = -1;
};

TEST(RuntimeTreeRules, NamesAndLinks) {
  struct NameCase {
    const char* name;
    bool fine;
  };
  for (const NameCase& c : std::initializer_list<NameCase>{{"bin/java", true}, {"lib", true}, {"", false},
                                                           {"/etc/passwd", false}, {"../x", false}, {"a/../b", false},
                                                           {"a//b", false}, {"./a", false}, {"a/", false},
                                                           {".quillpod-runtime", false}})
    EXPECT_EQ(runtime_name_problem(c.name).empty(), c.fine) << c.name;
  struct LinkCase {
    const char* name;
    const char* target;
    bool inside;
  };
  for (const LinkCase& c : std::initializer_list<LinkCase>{{"legal/a/LICENSE", "../b/LICENSE", true},
                                                           {"legal/a/LICENSE", "../../LICENSE", true},
                                                           {"lib/x.so", "y.so", true},
                                                           {"legal/a/LICENSE", "../../../etc/passwd", false},
                                                           {"x", "../x", false},
                                                           {"x", "/etc/passwd", false},
                                                           {"lib/x", "m/../../..", false},
                                                           {"lib/x", "..", false},
                                                           {"lib/x", "", false}})
    EXPECT_EQ(runtime_link_stays_inside(c.name, c.target), c.inside) << c.name << " -> " << c.target;
}

TEST_F(RuntimeCache, UnpacksModesLinksAndContent) {
  fs::create_directories(home / "into");
  int into = open_dir(home / "into");
  std::string why;
  ASSERT_TRUE(unpack_runtime(record, into, &why)) << why;
  EXPECT_EQ(mode_of(home / "into/bin/java"), 0755u);
  EXPECT_EQ(mode_of(home / "into/lib/server/libjvm.so"), 0644u);
  EXPECT_EQ(read_text(home / "into/lib/server/libjvm.so"), std::string(200000, 'j'));
  EXPECT_EQ(fs::read_symlink(home / "into/legal/java.desktop/LICENSE"), "../java.base/LICENSE");
  EXPECT_TRUE(runtime_intact(into, record.hash, &why)) << why;
  close(into);
}

// Each kind of damage to an unpacked tree is noticed.
TEST_F(RuntimeCache, IntactNoticesDamage) {
  struct Case {
    const char* what;
    void (*damage)(const std::string& root);
  };
  const Case cases[] = {
      {"a file removed", [](const std::string& r) { unlink((r + "/lib/server/libjvm.so").c_str()); }},
      {"a file cut short", [](const std::string& r) { truncate((r + "/lib/server/libjvm.so").c_str(), 10); }},
      {"a file rewritten at its size", [](const std::string& r) { write_text(r + "/bin/java", std::string(28, 'x')); }},
      {"a mode changed", [](const std::string& r) { chmod((r + "/bin/java").c_str(), 0644); }},
      {"a link replaced", [](const std::string& r) { unlink((r + "/legal/java.desktop/LICENSE").c_str()); }},
      {"the manifest removed", [](const std::string& r) { unlink((r + "/.quillpod-runtime").c_str()); }},
  };
  for (const Case& c : cases) {
    const std::string root = home / (std::string("t-") + std::to_string(&c - cases));
    fs::create_directories(root);
    int into = open_dir(root);
    std::string why;
    ASSERT_TRUE(unpack_runtime(record, into, &why)) << why;
    // Change times are kept to the nanosecond, but a coarse clock could
    // give a rewrite the same one: wait for it to move on.
    usleep(20000);
    c.damage(root);
    EXPECT_FALSE(runtime_intact(into, record.hash, &why)) << c.what;
    close(into);
  }
}

// A damaged or hostile record is refused, and nothing lands outside the folder.
TEST_F(RuntimeCache, DamagedRecordsAreRefused) {
  auto tree_with = [](unsigned char kind, const std::string& name, const std::string& content) {
    pack::Bytes tree;
    tree.push_back(kind);
    tree.push_back(0xED);
    tree.push_back(0x01);
    tree.push_back(static_cast<unsigned char>(name.size()));
    tree.push_back(0);
    tree.insert(tree.end(), name.begin(), name.end());
    for (int i = 0; i < 8; ++i) tree.push_back(static_cast<unsigned char>(content.size() >> (8 * i)));
    tree.insert(tree.end(), content.begin(), content.end());
    return pack::runtime_record_data(tree, RuntimeCompression::zstd, 1);
  };
  pack::Bytes flipped = data;
  flipped[flipped.size() / 2] ^= 0x40;
  pack::Bytes wrong_hash = data;
  wrong_hash[10] ^= 1;
  pack::Bytes cut = data;
  cut.resize(cut.size() - 100);
  struct Case {
    const char* what;
    pack::Bytes data;
  };
  const Case cases[] = {
      {"a flipped byte", flipped},
      {"a wrong hash", wrong_hash},
      {"cut short", cut},
      {"a name climbing out", tree_with('f', "../escaped", "x")},
      {"an absolute name", tree_with('f', (home / "escaped").c_str(), "x")},
      {"a link leading out", tree_with('l', "escaped", "../../escaped")},
      {"an unknown kind", tree_with('p', "pipe", "")},
  };
  for (const Case& c : cases) {
    const std::string root = home / (std::string("d-") + std::to_string(&c - cases));
    fs::create_directories(root);
    int into = open_dir(root);
    std::string why;
    bool damaged = false;
    EXPECT_FALSE(unpack_runtime(parsed(c.data), into, &why, &damaged)) << c.what;
    EXPECT_TRUE(damaged) << c.what << ": " << why;
    close(into);
  }
  EXPECT_FALSE(fs::exists(fs::symlink_status(home / "escaped")));
}

TEST_F(RuntimeCache, UnpackedOnceThenFoundByItsHash) {
  std::vector<std::string> notes;
  std::optional<std::string> java = ready(notes);
  ASSERT_TRUE(java) << (notes.empty() ? "" : notes[0]);
  EXPECT_EQ(*java, cached() + "/bin/java");
  EXPECT_TRUE(notes.empty());
  EXPECT_EQ(mode_of(home / "cache/quillpod"), 0700u);
  EXPECT_EQ(mode_of(home / "cache/quillpod/runtimes"), 0700u);
  EXPECT_EQ(mode_of(cached()), 0700u);
  const std::string stamp = cached() + "/lib/server/libjvm.so";
  struct stat first;
  ASSERT_EQ(stat(stamp.c_str(), &first), 0);

  ASSERT_EQ(ready(notes), java);
  struct stat second;
  ASSERT_EQ(stat(stamp.c_str(), &second), 0);
  EXPECT_EQ(first.st_ino, second.st_ino) << "unpacked again";
  EXPECT_TRUE(notes.empty());
  EXPECT_EQ(fs::directory_iterator(home / "cache/quillpod/runtimes") == fs::directory_iterator(), false);
  int entries = 0;
  for (auto& e : fs::directory_iterator(home / "cache/quillpod/runtimes")) entries += (void(e), 1);
  EXPECT_EQ(entries, 1) << "no temporary folder stays";
}

TEST_F(RuntimeCache, DamagedCachedRuntimeIsReplaced) {
  std::vector<std::string> notes;
  // An earlier launch, which has ended (a running one would keep its copy in use).
  pid_t earlier = fork();
  if (earlier == 0) _exit(ready(notes) ? 0 : 1);
  int status = 0;
  waitpid(earlier, &status, 0);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  truncate((cached() + "/lib/server/libjvm.so").c_str(), 0);
  std::optional<std::string> java = ready(notes);
  ASSERT_TRUE(java);
  ASSERT_EQ(notes.size(), 1u);
  EXPECT_NE(notes[0].find("is damaged"), std::string::npos) << notes[0];
  EXPECT_EQ(read_text(cached() + "/lib/server/libjvm.so"), std::string(200000, 'j'));
  int entries = 0;
  for (auto& e : fs::directory_iterator(home / "cache/quillpod/runtimes")) entries += (void(e), 1);
  EXPECT_EQ(entries, 1) << "the damaged copy is removed";
}

// Launches that race on an empty cache all get the runtime, unpacked once.
TEST_F(RuntimeCache, SimultaneousLaunchesShareOneUnpacking) {
  std::vector<pid_t> children;
  for (int i = 0; i < 6; ++i) {
    pid_t child = fork();
    if (child == 0) {
      std::vector<std::string> notes;
      std::optional<std::string> java = ready(notes);
      _exit(java && *java == cached() + "/bin/java" && notes.empty() ? 0 : 1);
    }
    children.push_back(child);
  }
  for (pid_t child : children) {
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  std::vector<std::string> names;
  for (auto& e : fs::directory_iterator(home / "cache/quillpod/runtimes")) names.push_back(e.path().filename());
  EXPECT_EQ(names, std::vector<std::string>{runtime_hash_hex(record.hash)});
}

// A cache that cannot serve: the runtime goes into the workspace, with a note.
TEST_F(RuntimeCache, UnusableCacheFallsBackToTheWorkspace) {
  struct Case {
    const char* what;
    void (*plant)(const std::string& cache);
  };
  const Case cases[] = {
      {"a file where the folder goes", [](const std::string& c) { write_text(c + "/quillpod", "x"); }},
      {"a link planted at the folder", [](const std::string& c) {
         fs::create_directories(c + "/elsewhere");
         symlink((c + "/elsewhere").c_str(), (c + "/quillpod").c_str());
       }},
      {"a folder others may write into", [](const std::string& c) {
         fs::create_directories(c + "/quillpod");
         chmod((c + "/quillpod").c_str(), 0777);
       }},
      {"a base folder others may write into, without the sticky bit",
       [](const std::string& c) { chmod(c.c_str(), 0777); }},
  };
  for (const Case& c : cases) {
    fs::remove_all(home / "cache");
    fs::create_directories(home / "cache");
    fs::remove_all(home / "workspace/quillpod-runtime");
    c.plant(home / "cache");
    std::vector<std::string> notes;
    std::optional<std::string> java = ready(notes);
    ASSERT_TRUE(java) << c.what;
    EXPECT_EQ(*java, home / "workspace/quillpod-runtime/bin/java") << c.what;
    EXPECT_EQ(mode_of(*java), 0755u) << c.what;
    ASSERT_EQ(notes.size(), 1u) << c.what;
    EXPECT_NE(notes[0].find("unpacking the Java runtime into the workspace"), std::string::npos) << notes[0];
    EXPECT_FALSE(fs::exists(home / "cache/elsewhere/runtimes")) << c.what << ": a planted link was followed";
  }
}

TEST_F(RuntimeCache, DamagedRecordIsNotUnpackedAnywhere) {
  data[data.size() - 40] ^= 0xFF;
  record = parsed(data);
  std::vector<std::string> notes;
  EXPECT_FALSE(ready(notes));
  ASSERT_EQ(notes.size(), 1u);
  EXPECT_NE(notes[0].find("carries is damaged"), std::string::npos) << notes[0];
  EXPECT_FALSE(fs::exists(home / "workspace/quillpod-runtime"));
  int entries = 0;
  for (auto& e : fs::directory_iterator(home / "cache/quillpod/runtimes")) entries += (void(e), 1);
  EXPECT_EQ(entries, 0);
}

// Only runtimes unused for 90 days go, only this user's, never one in use;
// leftovers of killed unpacks go at once.
TEST_F(RuntimeCache, SweepRemovesOnlyLongUnusedRuntimesOfItsOwn) {
  const std::string runtimes = home / "runtimes";
  fs::create_directories(runtimes);
  const std::time_t now = 1800000000;
  auto runtime = [&](char digit, std::time_t used) {
    const std::string folder = runtimes + "/" + std::string(64, digit);
    fs::create_directories(folder + "/bin");
    write_text(folder + "/.quillpod-runtime", "x");
    struct timespec times[2] = {{used, 0}, {used, 0}};
    utimensat(AT_FDCWD, (folder + "/.quillpod-runtime").c_str(), times, 0);
    return folder;
  };
  const std::string old = runtime('1', now - kRuntimeUnusedLimit - 60);
  const std::string recent = runtime('2', now - kRuntimeUnusedLimit + 3600);
  const std::string in_use = runtime('3', now - 2 * kRuntimeUnusedLimit);
  const std::string others = runtime('4', now - 2 * kRuntimeUnusedLimit);
  const std::string leftover = runtimes + "/.tmp-1111111111111111-abcd0123";
  fs::create_directories(leftover + "/lib");
  const std::string unrelated = runtimes + "/notes";
  fs::create_directories(unrelated);
  const bool can_chown = geteuid() == 0;
  if (can_chown) chown(others.c_str(), 65534, 65534);
  int held = open_dir(in_use);
  ASSERT_EQ(flock(held, LOCK_SH), 0);

  int folder = open_dir(runtimes);
  sweep_runtimes(folder, now);
  close(folder);
  close(held);

  EXPECT_FALSE(fs::exists(old));
  EXPECT_FALSE(fs::exists(leftover));
  EXPECT_TRUE(fs::exists(recent));
  EXPECT_TRUE(fs::exists(in_use));
  EXPECT_TRUE(fs::exists(unrelated));
  EXPECT_EQ(fs::exists(others), can_chown) << "another user's runtime is never removed";
}

TEST_F(RuntimeCache, RemovalNeverFollowsLinks) {
  const std::string victim = home / "victim";
  fs::create_directories(victim);
  write_text(victim + "/precious", "keep");
  const std::string tree = home / "tree";
  fs::create_directories(tree + "/sub");
  symlink(victim.c_str(), (tree + "/sub/link").c_str());
  int parent = open_dir(home.path());
  EXPECT_TRUE(remove_runtime_tree(parent, "tree"));
  close(parent);
  EXPECT_FALSE(fs::exists(tree));
  EXPECT_EQ(read_text(victim + "/precious"), "keep");
}

}  // namespace
}  // namespace quillpod
