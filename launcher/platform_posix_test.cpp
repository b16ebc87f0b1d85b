#include "platform_posix.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <set>

#include "test_tempdir.h"
#include "workspace.h"

namespace quillpod {
namespace {

namespace fs = std::filesystem;
using testing::read_text;
using testing::TempDir;
using testing::write_script;
using testing::write_text;

// Sets (or unsets, for nullptr) an environment variable for one scope.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = getenv(name)) old_ = old;
    if (value)
      setenv(name, value, 1);
    else
      unsetenv(name);
  }
  ~ScopedEnv() {
    if (old_)
      setenv(name_.c_str(), old_->c_str(), 1);
    else
      unsetenv(name_.c_str());
  }

 private:
  std::string name_;
  std::optional<std::string> old_;
};

mode_t mode_of(const std::string& path) {
  struct stat st;
  lstat(path.c_str(), &st);
  return st.st_mode & 07777;
}

TEST(PosixPlatform, Conventions) {
  PosixPlatform p;
  EXPECT_EQ(p.path_separator(), '/');
  EXPECT_EQ(p.class_path_separator(), ':');
  EXPECT_EQ(p.class_path_variable(), "CLASSPATH");
}

TEST(PosixPlatform, ExecutablePath) {
  PosixPlatform p;
  EXPECT_EQ(p.executable_path(), fs::canonical("/proc/self/exe").string());
}

TEST(PosixPlatform, TemporaryPath) {
  PosixPlatform p;
  struct Case {
    const char* tmpdir;
    const char* expected;
  };
  const Case cases[] = {{nullptr, "/tmp/"}, {"", "/tmp/"}, {"/var/x", "/var/x/"}, {"/var/y/", "/var/y/"}};
  for (const Case& c : cases) {
    ScopedEnv env("TMPDIR", c.tmpdir);
    EXPECT_EQ(p.temporary_path(), c.expected) << (c.tmpdir ? c.tmpdir : "(unset)");
  }
}

TEST(PosixPlatform, ReadFile) {
  PosixPlatform p;
  TempDir dir;
  write_text(dir / "f", "abc");
  write_text(dir / "empty", "");
  EXPECT_EQ(p.read_file(dir / "f"), (std::vector<unsigned char>{'a', 'b', 'c'}));
  EXPECT_EQ(p.read_file(dir / "empty"), std::vector<unsigned char>{});
  EXPECT_EQ(p.read_file(dir / "missing"), std::nullopt);
  EXPECT_EQ(p.read_file(dir.path()), std::nullopt);
}

TEST(PosixPlatform, CreateDirectoryIsPrivateAndNew) {
  PosixPlatform p;
  TempDir dir;
  ASSERT_TRUE(p.create_directory(dir / "ws"));
  EXPECT_EQ(mode_of(dir / "ws"), 0700u);
  EXPECT_FALSE(p.create_directory(dir / "ws"));
}

TEST(PosixPlatform, WriteNewFile) {
  PosixPlatform p;
  TempDir dir;
  const unsigned char data[] = {'n', 'e', 'w'};
  ASSERT_TRUE(p.write_new_file(dir / "boot", data, 3));
  EXPECT_EQ(mode_of(dir / "boot"), 0600u);
  write_text(dir / "old", "older and longer");
  ASSERT_TRUE(p.write_new_file(dir / "old", data, 3));
  EXPECT_EQ(read_text(dir / "old"), "new");
  // A link planted under the boot file's name is not followed.
  write_text(dir / "target", "precious");
  fs::create_symlink(dir / "target", dir / "link");
  EXPECT_FALSE(p.write_new_file(dir / "link", data, 3));
  EXPECT_EQ(read_text(dir / "target"), "precious");
  EXPECT_FALSE(p.write_new_file(dir / "no/such/dir", data, 3));
}

TEST(PosixPlatform, ListDirectoryDoesNotFollowLinks) {
  PosixPlatform p;
  TempDir dir;
  fs::create_directory(dir / "sub");
  write_text(dir / "file", "");
  fs::create_directory_symlink(dir / "sub", dir / "link");
  std::optional<DirectoryId> open = p.open_directory(std::nullopt, dir.path(), false);
  ASSERT_TRUE(open.has_value());
  auto entries = p.list_directory(*open);
  ASSERT_TRUE(entries.has_value());
  std::map<std::string, bool> seen;
  for (const DirectoryEntry& e : *entries) seen[e.name] = e.is_directory;
  EXPECT_EQ(seen, (std::map<std::string, bool>{{"sub", true}, {"file", false}, {"link", false}}));
  // Neither a link nor a missing name opens as a directory.
  EXPECT_EQ(p.open_directory(*open, "link", false), std::nullopt);
  EXPECT_EQ(p.open_directory(*open, "missing", false), std::nullopt);
  p.close_directory(*open);
}

// Directories of another user are neither entered nor changed, and a
// removal walks what it opened, not what a name points to by then.
TEST(PosixPlatform, OpenDirectoryAsOwnTakesOnlyTheUsersOwn) {
  PosixPlatform p;
  TempDir dir;
  fs::create_directory(dir / "mine");
  fs::create_directory(dir / "theirs");
  if (geteuid() == 0) {
    ASSERT_EQ(chown((dir / "theirs").c_str(), 65534, 65534), 0);
  } else {
    GTEST_SKIP() << "needs root to give a directory to another user";
  }
  chmod((dir / "theirs").c_str(), 0500);
  std::optional<DirectoryId> top = p.open_directory(std::nullopt, dir.path(), false);
  ASSERT_TRUE(top.has_value());
  std::optional<DirectoryId> mine = p.open_directory(*top, "mine", true);
  EXPECT_TRUE(mine.has_value());
  if (mine) p.close_directory(*mine);
  EXPECT_EQ(p.open_directory(*top, "theirs", true), std::nullopt);
  EXPECT_EQ(mode_of(dir / "theirs") & 0777, 0500u);  // not made removable either
  p.close_directory(*top);
}

TEST(PosixPlatform, SharedDirectoryWithoutStickyBitIsNoticed) {
  PosixPlatform p;
  TempDir dir;
  struct Case {
    mode_t mode;
    bool replaceable;
  } cases[] = {{0700, false}, {0755, false}, {01777, false}, {0777, true}, {0770, true}, {01770, false}};
  for (const Case& c : cases) {
    fs::create_directory(dir / "t");
    chmod((dir / "t").c_str(), c.mode);
    std::optional<DirectoryId> open = p.open_directory(std::nullopt, dir / "t", false);
    ASSERT_TRUE(open.has_value());
    EXPECT_EQ(p.others_may_replace_entries(*open), c.replaceable) << std::oct << c.mode;
    p.close_directory(*open);
    fs::remove(dir / "t");
  }
}

TEST(PosixPlatform, RemoveWorkspaceTreeKeepsWhatLinksPointTo) {
  PosixPlatform p;
  TempDir dir;
  const std::string run = "17000000004321";
  const std::string ws = dir / run;
  fs::create_directories(ws + "/com/tallowfen/hollyblitz");
  write_text(ws + "/com/tallowfen/hollyblitz/HollyBlitz.class", "x");
  write_text(ws + "/quillpodboot.class", "x");
  fs::create_directory(dir / "outside");
  write_text(dir / "outside/keep", "keep");
  fs::create_directory_symlink(dir / "outside", ws + "/com/dirlink");
  fs::create_symlink(dir / "outside/keep", ws + "/filelink");
  remove_workspace_tree(p, ws, run);
  EXPECT_FALSE(fs::exists(fs::symlink_status(ws)));
  EXPECT_EQ(read_text(dir / "outside/keep"), "keep");
}

TEST(PosixPlatform, StartProcessSearchesPathAndPassesArguments) {
  PosixPlatform p;
  TempDir dir;
  fs::create_directory(dir / "bin");
  write_script(dir / "bin/vm", "for a in \"$@\"; do printf '%s|' \"$a\"; done > \"$OUT\"\nexit 7\n");
  ScopedEnv path("PATH", (dir / "none:" + dir / "bin").c_str());
  ScopedEnv out("OUT", (dir / "args").c_str());
  auto process = p.start_process("vm \"a b\" c\\\\ \"\" \"q\\\"x\"");
  ASSERT_TRUE(process.has_value());
  ProcessEnd end = p.wait_process(*process);
  EXPECT_TRUE(end.waited);
  EXPECT_TRUE(end.status_is_8_bit);
  EXPECT_EQ(end.status, 7u);
  EXPECT_EQ(end.signal, 0);
  EXPECT_EQ(read_text(dir / "args"), "a b|c\\\\||q\"x|");
}

TEST(PosixPlatform, ProgramThatCannotRunIsNotStarted) {
  PosixPlatform p;
  TempDir dir;
  write_text(dir / "notexec", "#!/bin/sh\nexit 0\n");
  write_text(dir / "badinterp", "");
  fs::permissions(dir / "badinterp", fs::perms::owner_all);
  write_text(dir / "badinterp", "#!/nonexistent/interpreter\n");
  ScopedEnv path("PATH", dir.path().c_str());
  EXPECT_EQ(p.start_process("jview x"), std::nullopt);
  EXPECT_EQ(p.start_process("notexec x"), std::nullopt);
  EXPECT_EQ(p.start_process("badinterp x"), std::nullopt);
  EXPECT_EQ(p.start_process(""), std::nullopt);
}

TEST(PosixPlatform, JavaHomeStandsInForJavaAndJreOnly) {
  PosixPlatform p;
  TempDir dir;
  fs::create_directories(dir / "jdk/bin");
  for (const char* name : {"java", "jre", "jview"}) write_script(dir / "jdk/bin/" + name, "exit 5\n");
  fs::create_directory(dir / "empty");
  ScopedEnv path("PATH", (dir / "empty").c_str());
  ScopedEnv home("JAVA_HOME", (dir / "jdk").c_str());
  for (const char* name : {"java", "jre"}) {
    auto process = p.start_process(std::string(name) + " -version");
    ASSERT_TRUE(process.has_value()) << name;
    EXPECT_EQ(p.wait_process(*process).status, 5u) << name;
  }
  EXPECT_EQ(p.start_process("jview x"), std::nullopt);
}

TEST(PosixPlatform, ProcessKilledBySignal) {
  PosixPlatform p;
  TempDir dir;
  write_script(dir / "selfkill", "kill -9 $$\n");
  ScopedEnv path("PATH", dir.path().c_str());
  auto process = p.start_process("selfkill");
  ASSERT_TRUE(process.has_value());
  ProcessEnd end = p.wait_process(*process);
  EXPECT_TRUE(end.waited);
  EXPECT_EQ(end.signal, 9);
}

TEST(PosixPlatform, WaitForUnknownProcessFails) {
  PosixPlatform p;
  EXPECT_FALSE(p.wait_process(999999999).waited);
}

TEST(PosixPlatform, NoDisplayMeansNoBox) {
  PosixPlatform p;
  ScopedEnv display("DISPLAY", nullptr);
  ScopedEnv wayland("WAYLAND_DISPLAY", nullptr);
  EXPECT_EQ(p.ask_yes_no("c", "t"), BoxAnswer::unavailable);
}

TEST(PosixPlatform, ClockAndTicks) {
  PosixPlatform p;
  EXPECT_GT(p.current_time(), 1600000000);
  std::uint32_t a = p.tick_count();
  std::uint32_t b = p.tick_count();
  EXPECT_LE(static_cast<std::uint32_t>(b - a), 1000u);
}

TEST(PosixPlatform, FailuresKeepTheSystemsReason) {
  PosixPlatform p;
  TempDir dir;
  EXPECT_EQ(p.last_error(), "");
  EXPECT_FALSE(p.create_directory(dir / "no/such/parent"));
  EXPECT_EQ(p.last_error(), "No such file or directory");
  fs::create_directory(dir / "taken");
  EXPECT_FALSE(p.create_directory(dir / "taken"));
  EXPECT_EQ(p.last_error(), "File exists");
  EXPECT_EQ(p.read_file(dir / "taken"), std::nullopt);
  EXPECT_EQ(p.last_error(), "Is a directory");
}

TEST(PosixPlatform, DirectoryLockIsExclusiveUntilReleased) {
  PosixPlatform p;
  TempDir dir;
  std::optional<DirectoryId> open = p.open_directory(std::nullopt, dir.path(), false);
  ASSERT_TRUE(open.has_value());
  std::optional<LockId> first = p.lock_directory(*open, false);
  ASSERT_TRUE(first.has_value());
  EXPECT_EQ(p.lock_directory(*open, false), std::nullopt);  // another descriptor, as another process
  p.unlock_directory(*first);
  std::optional<LockId> again = p.lock_directory(*open, false);
  EXPECT_TRUE(again.has_value());
  if (again) p.unlock_directory(*again);
  p.close_directory(*open);
}

TEST(PosixPlatform, MakeDirectoryRemovableChangesDirectoriesNotLinkTargets) {
  PosixPlatform p;
  TempDir dir;
  for (mode_t mode : {0500, 0000, 0300}) {
    fs::create_directory(dir / "d");
    chmod((dir / "d").c_str(), mode);
    std::optional<DirectoryId> open = p.open_directory(std::nullopt, dir / "d", true);
    EXPECT_TRUE(open.has_value()) << std::oct << mode;
    if (open) p.close_directory(*open);
    EXPECT_EQ(mode_of(dir / "d") & 0700, 0700u) << std::oct << mode;
    fs::remove(dir / "d");
  }
  fs::create_directory(dir / "target");
  chmod((dir / "target").c_str(), 0500);
  fs::create_directory_symlink(dir / "target", dir / "link");
  std::optional<DirectoryId> top = p.open_directory(std::nullopt, dir.path(), false);
  ASSERT_TRUE(top.has_value());
  EXPECT_EQ(p.open_directory(*top, "link", true), std::nullopt);
  p.close_directory(*top);
  EXPECT_EQ(mode_of(dir / "target"), 0500u);
}

TEST(PosixPlatform, RandomNumbersVary) {
  PosixPlatform p;
  std::set<std::uint32_t> seen;
  for (int i = 0; i < 8; ++i) seen.insert(p.random_number().value());
  EXPECT_GT(seen.size(), 1u);
}

TEST(VmEnvironment, Utf8CharacterTypeOnlyWhenNonAsciiNamesNeedIt) {
  const std::string ascii = "/tmp/17000000004321";
  const std::string umlaut = "/tmp/Bescherung-\xC3\xBC/17000000004321";
  struct Case {
    const char* name;
    std::vector<std::string> env;
    std::string argument;
    std::vector<std::string> expected;
  };
  const Case cases[] = {
      {"ASCII: untouched", {"LC_ALL=C", "PATH=/bin"}, ascii, {"LC_ALL=C", "PATH=/bin"}},
      {"UTF-8 already", {"LANG=C.UTF-8", "LC_CTYPE=C.UTF-8"}, umlaut, {"LANG=C.UTF-8", "LC_CTYPE=C.UTF-8"}},
      {"no locale", {"PATH=/bin"}, umlaut, {"PATH=/bin", "LC_CTYPE=C.UTF-8"}},
      {"LC_CTYPE=C replaced", {"LC_CTYPE=C", "LANG=C.UTF-8"}, umlaut, {"LANG=C.UTF-8", "LC_CTYPE=C.UTF-8"}},
      {"LC_ALL spread over the other categories",
       {"LC_ALL=POSIX", "LC_TIME=C.UTF-8"},
       umlaut,
       {"LC_COLLATE=POSIX", "LC_MESSAGES=POSIX", "LC_MONETARY=POSIX", "LC_NUMERIC=POSIX", "LC_TIME=POSIX",
        "LC_PAPER=POSIX", "LC_NAME=POSIX", "LC_ADDRESS=POSIX", "LC_TELEPHONE=POSIX", "LC_MEASUREMENT=POSIX",
        "LC_IDENTIFICATION=POSIX", "LC_CTYPE=C.UTF-8"}},
      {"a locale not installed counts as not UTF-8", {"LANG=xx_YY.UTF-8"}, umlaut,
       {"LANG=xx_YY.UTF-8", "LC_CTYPE=C.UTF-8"}},
      {"names that are not UTF-8: no UTF-8 type helps them", {"LC_ALL=C"}, "/tmp/Bescherung-\xFC/1", {"LC_ALL=C"}},
      {"a cut UTF-8 sequence", {"LC_ALL=C"}, "/tmp/x\xC3", {"LC_ALL=C"}},
  };
  for (const Case& c : cases) {
    std::vector<std::string> env = c.env;
    std::vector<char*> envp;
    for (std::string& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    EXPECT_EQ(vm_environment(envp.data(), {"java", c.argument}, "C.UTF-8"), c.expected) << c.name;
  }
}

}  // namespace
}  // namespace quillpod
