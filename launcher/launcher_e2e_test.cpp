// Runs the real launcher binary on executables crafted here, with stand-in VM
// programs (small shell scripts named jview, java and jre) on a private PATH.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <iterator>
#include <map>
#include <random>
#include <set>
#include <thread>

#include "errors.h"
#include "test_process.h"
#include "test_records.h"
#include "test_tempdir.h"

#ifndef QUILLPOD_BIN
#error "QUILLPOD_BIN names the launcher binary under test"
#endif

namespace quillpod {
namespace {

namespace fs = std::filesystem;
using namespace quillpod::testing;

const std::string kCaption = "com.tallowfen.hollyblitz.HollyBlitz";
const std::string kHelp = "https://help.example/quillpod";
const std::string kUpgrade = "Your Java VM needs to be upgraded before this program can be run.";
const std::string kInstall = "A Java VM needs to be installed before this program can be run.";
const std::string kBoot = std::string("\xCA\xFE\xBA\xBE\0\0\0\x34 boot class bytes", 24);

// What one stand-in run does.
struct Act {
  std::int64_t code = 0;
  bool marker = false;  // the boot stage reached the application's main
};

// One start of a stand-in, as it recorded itself.
struct Call {
  std::string program;
  std::vector<std::string> args;
  std::string classpath;
  std::string boot;  // the boot class file it found in the workspace
};

class LauncherEndToEnd : public ::testing::Test {
 public:
  TempDir root;
  const std::string bin = root / "bin";
  const std::string tmp = root / "tmp";
  const std::string log = root / "log";
  const std::string game = root / "game";

  void SetUp() override {
    for (const std::string& d : {bin, tmp, log}) fs::create_directory(d);
  }

  std::string config(const std::string& target, bool jars = false) const {
    return "main=" + kCaption + "\ntarget=" + target + "\nhelpurl=" + kHelp + "\nminver=1.1\n" +
           (jars ? "jars=,game.jar,,media.jar,\n" : "") + "windowed=yes\n";
  }

  // The launcher binary alone.
  static Bytes launcher_image() {
    std::ifstream in(QUILLPOD_BIN, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }

  // The launcher binary with records appended, as the packer would make it.
  static Bytes game_image(const std::optional<std::string>& config_lines) {
    Bytes image = launcher_image();
    append_record(image, 'B', kBoot);
    if (config_lines) append_record(image, 'V', testing::config(*config_lines));
    append_record(image, 'Z', "archive stands here");
    return image;
  }

  void make_game(const Bytes& image) {
    ASSERT_GT(image.size(), 1000u);
    std::ofstream(game, std::ios::binary).write(reinterpret_cast<const char*>(image.data()),
                                                static_cast<std::streamsize>(image.size()));
    fs::permissions(game, fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
  }

  // A stand-in VM: records its start, then acts out the next of `acts`.
  void stand_in(const std::string& name, const std::vector<Act>& acts, const std::string& dir = "") {
    std::string body = "d='" + log + "'\n" +
                       "k=0; while [ -e \"$d/args.$k\" ]; do k=$((k+1)); done\n"
                       "printf '%s' '" + name + "' > \"$d/prog.$k\"\n"
                       "printf '%s\\0' \"$@\" > \"$d/args.$k\"\n"
                       "printf '%s' \"$CLASSPATH\" > \"$d/cp.$k\"\n"
                       "ws=\n"
                       "for a in \"$@\"; do case $a in -Dquillpod.dir=*) ws=${a#-Dquillpod.dir=};;"
                       " /d:quillpod.dir=*) ws=${a#/d:quillpod.dir=};; esac; done\n"
                       "[ -f \"$ws/quillpodboot.class\" ] && /bin/cp \"$ws/quillpodboot.class\" \"$d/boot.$k\"\n"
                       "i=0; [ -e \"$d/n." + name + "\" ] && read i < \"$d/n." + name + "\"\n"
                       "echo $((i+1)) > \"$d/n." + name + "\"\n"
                       "case $i in\n";
    for (std::size_t i = 0; i < acts.size(); ++i) {
      const Act& a = acts[i];
      body += std::to_string(i) + ")";
      if (a.marker) body += " printf '%100s' '' > \"$ws/Jz.Ky.Tx\";";
      if (a.code < 0 || a.code > 255) {
        // The exit status keeps 8 bits; the whole code goes in the result file.
        body += " printf '%s' " + std::to_string(a.code) + " > \"$ws/quillpodboot.result\";";
      }
      body += " exit " + std::to_string(static_cast<std::uint32_t>(a.code) & 0xFF) + ";;\n";
    }
    body += "*) exit 99;;\nesac\n";
    write_script((dir.empty() ? bin : dir) + "/" + name, body);
  }

  std::vector<std::string> environment(const std::vector<std::string>& extra = {}) const {
    std::vector<std::string> env = {"PATH=" + bin, "TMPDIR=" + tmp, "HOME=" + root.path()};
    add_sanitizer_env(env);
    // An extra entry replaces one of the same name.
    for (const std::string& e : extra) {
      const std::string name = e.substr(0, e.find('=') + 1);
      env.erase(std::remove_if(env.begin(), env.end(), [&](const std::string& x) { return x.rfind(name, 0) == 0; }),
                env.end());
      env.push_back(e);
    }
    return env;
  }

  Finished launch(const std::vector<std::string>& args, const std::vector<std::string>& extra_env = {},
                  bool as_nobody = false) {
    return run({game, args, environment(extra_env), root.path(), as_nobody});
  }

  std::vector<Call> calls() const {
    std::vector<Call> out;
    for (int k = 0; fs::exists(log + "/args." + std::to_string(k)); ++k) {
      std::string n = std::to_string(k);
      Call c;
      c.program = read_text(log + "/prog." + n);
      std::string raw = read_text(log + "/args." + n);
      for (std::size_t start = 0; start < raw.size();) {
        std::size_t nul = raw.find('\0', start);
        c.args.push_back(raw.substr(start, nul - start));
        start = nul + 1;
      }
      c.classpath = read_text(log + "/cp." + n);
      c.boot = read_text(log + "/boot." + n);
      out.push_back(c);
    }
    return out;
  }

  bool temporary_directory_empty() const { return fs::is_empty(tmp); }

  std::string game_path() const { return fs::canonical(game).string(); }
};

std::vector<std::string> message_lines(const std::string& caption, const std::string& message,
                                       const std::string& address) {
  return {caption + ": " + message, "Help: " + address};
}

// A failure's error output: the line that says why, then the box's text.
struct FailureOutput {
  std::string why;
  std::vector<std::string> box;
};

FailureOutput failure_output(const std::string& err) {
  std::vector<std::string> lines = lines_of(err);
  FailureOutput out;
  if (!lines.empty() && lines[0].rfind("quillpod: ", 0) == 0) {
    out.why = lines[0];
    lines.erase(lines.begin());
  }
  out.box = lines;
  return out;
}

// Seconds, then a millisecond tick that may carry a minus sign.
bool is_run_name(const std::string& name) {
  std::size_t digits = 0;
  for (std::size_t i = 0; i < name.size(); ++i) {
    if (name[i] >= '0' && name[i] <= '9') {
      ++digits;
    } else if (!(name[i] == '-' && i > 0 && i + 1 < name.size())) {
      return false;
    }
  }
  return digits >= 2;
}

// Checks one start's arguments: the VM's own form, the workspace property,
// the boot class, the executable path and the user's arguments unchanged.
void expect_call_form(const Call& c, const std::string& tmp, const std::string& game,
                      const std::vector<std::string>& user_args, bool jars, const std::string& context) {
  std::vector<std::string> a = c.args;
  std::string classpath_arg;
  if (c.program == "jre") {
    ASSERT_GE(a.size(), 2u) << context;
    EXPECT_EQ(a[0], "-cp") << context;
    classpath_arg = a[1];
    a.erase(a.begin(), a.begin() + 2);
  }
  ASSERT_EQ(a.size(), 3 + user_args.size()) << context;
  const std::string prefix = c.program == "jview" ? "/d:quillpod.dir=" : "-Dquillpod.dir=";
  ASSERT_EQ(a[0].rfind(prefix, 0), 0u) << context << ": " << a[0];
  const std::string ws = a[0].substr(prefix.size());
  EXPECT_EQ(ws.rfind(tmp + "/", 0), 0u) << context;
  EXPECT_TRUE(is_run_name(ws.substr(tmp.size() + 1))) << context << ": " << ws;
  EXPECT_EQ(a[1], "quillpodboot") << context;
  EXPECT_EQ(a[2], game) << context;
  EXPECT_EQ(std::vector<std::string>(a.begin() + 3, a.end()), user_args) << context;
  const std::string expected_cp = jars ? ws + ":" + ws + "/game.jar:" + ws + "/media.jar" : ws;
  EXPECT_EQ(c.classpath, expected_cp) << context;
  if (c.program == "jre") {
    EXPECT_EQ(classpath_arg, expected_cp) << context;
  }
  EXPECT_EQ(c.boot, kBoot) << context;
}

struct ProtocolCase {
  const char* name;
  const char* target;
  bool jars;
  std::map<std::string, std::vector<Act>> vms;
  int exit;
  std::vector<std::string> programs;
  std::string message;
  std::string topic;
};

TEST_F(LauncherEndToEnd, ExitCodeProtocol) {
  const std::vector<ProtocolCase> cases = {
      {"mask A: nothing runs", "A", false, {}, 1, {}, kInstall, "nojavavm"},
      {"mask B", "B", false, {}, 1, {"jview"}, kUpgrade, "upgradejavavm"},
      {"mask C", "C", false, {}, 1, {"java"}, kUpgrade, "upgradejavavm"},
      {"mask D", "D", false, {}, 1, {"jview", "java"}, kUpgrade, "upgradejavavm"},
      {"mask E", "E", false, {}, 1, {"jre"}, kUpgrade, "upgradejavavm"},
      {"mask F", "F", false, {}, 1, {"jview", "jre"}, kUpgrade, "upgradejavavm"},
      {"mask G", "G", false, {}, 1, {"java", "jre"}, kUpgrade, "upgradejavavm"},
      {"mask H", "H", false, {}, 1, {"jview", "java", "jre"}, kUpgrade, "upgradejavavm"},
      {"VM 1 exits 1, VM 2 starts the application", "H", false,
       {{"jview", {{1}}}, {"java", {{0, true}}}}, 0, {"jview", "java"}, "", ""},
      {"application's exit code passed on", "H", false, {{"jview", {{3, true}}}}, 3, {"jview"}, "", ""},
      {"10333, then no VM", "H", false, {{"jview", {{10333}}}, {"java", {}}, {"jre", {}}}, 1, {"jview"}, kUpgrade,
       "upgradejavavm"},
      {"exactly 10000", "H", false, {{"jview", {{10000}}}}, 1, {"jview"}, kInstall, "nojavavm"},
      {"stopping code reported", "H", false, {{"jview", {{10011}}}}, 1, {"jview"}, "quillpod ERROR #10011",
       "errorcodes"},
      {"10024 without jars stops", "H", false, {{"jview", {{10024}, {0, true}}}}, 1, {"jview"},
       "quillpod ERROR #10024", "errorcodes"},
      {"10024 with jars restarts once", "H", true, {{"jview", {{10024}, {0, true}}}}, 0, {"jview", "jview"}, "",
       ""},
      {"10024 twice with jars: no third run", "H", true, {{"jview", {{10024}, {10024}, {0, true}}}}, 1,
       {"jview", "jview"}, "quillpod ERROR #10024", "errorcodes"},
      {"upgrade outranks a later stopping code", "H", false, {{"jview", {{1}}}, {"java", {{10012}}}}, 1,
       {"jview", "java"}, kUpgrade, "upgradejavavm"},
      {"negative code ends silently", "H", false, {{"jview", {{-5}}}, {"java", {{0, true}}}}, 1, {"jview"}, "",
       ""},
      {"no VM at all", "H", false, {{"jview", {}}, {"java", {}}, {"jre", {}}}, 1, {}, kInstall, "nojavavm"},
  };
  const std::vector<std::string> user_args = {"-level", "3", "two words", ""};
  for (const ProtocolCase& c : cases) {
    SCOPED_TRACE(c.name);
    for (const std::string& dir : {bin, tmp, log}) {
      fs::remove_all(dir);
      fs::create_directory(dir);
    }
    // Unnamed VMs exit 1 without the marker; an empty list means not installed.
    for (const char* vm : {"jview", "java", "jre"}) {
      auto it = c.vms.find(vm);
      if (it == c.vms.end())
        stand_in(vm, {{1}, {1}});
      else if (!it->second.empty())
        stand_in(vm, it->second);
    }
    make_game(game_image(config(c.target, c.jars)));
    Finished f = launch(user_args);
    EXPECT_EQ(f.exit_code, c.exit);
    FailureOutput out = failure_output(f.err);
    EXPECT_EQ(out.box, c.message.empty() ? std::vector<std::string>{}
                                         : message_lines(kCaption, c.message, kHelp + "#" + c.topic));
    // Every failure says why in one line; a run that started says nothing.
    EXPECT_EQ(out.why.empty(), c.exit != 1) << out.why;
    if (!c.programs.empty() && c.exit == 1) {
      EXPECT_NE(out.why.find("the Java VM " + c.programs.back() + " "), std::string::npos) << out.why;
    }
    std::vector<Call> seen = calls();
    std::vector<std::string> programs;
    for (const Call& call : seen) {
      programs.push_back(call.program);
      expect_call_form(call, tmp, game_path(), user_args, c.jars, call.program);
    }
    EXPECT_EQ(programs, c.programs);
    EXPECT_TRUE(temporary_directory_empty());
  }
}

TEST_F(LauncherEndToEnd, ArgumentTailRoundTrips) {
  const std::vector<std::vector<std::string>> cases = {
      {},
      {""},
      {"", "", "x"},
      {"a b", "c\td", "new\nline"},
      {"say \"hi\"", "\"", "\"\""},
      {"back\\slash", "trailing\\", "two\\\\", "\\\"", "end \\"},
      {"caf\xC3\xA9", "\xF0\x9F\x8E\x84 tree", "\xE2\x9C\x93"},
      {"/d:x=y", "-Dfoo=bar", "--", "-cp"},
  };
  stand_in("java", std::vector<Act>(cases.size(), Act{0, true}));
  make_game(game_image(config("C")));
  for (const auto& args : cases) {
    fs::remove_all(log);
    fs::create_directory(log);
    Finished f = launch(args);
    EXPECT_EQ(f.exit_code, 0);
    std::vector<Call> seen = calls();
    ASSERT_EQ(seen.size(), 1u);
    expect_call_form(seen[0], tmp, game_path(), args, false, "round trip");
  }
}

TEST_F(LauncherEndToEnd, CraftedExecutables) {
  struct Case {
    const char* name;
    std::function<Bytes(LauncherEndToEnd&)> records;
    bool unreadable;
    std::vector<std::string> err;
    std::string why;
  };
  const std::string builtin = kBuiltInHelpAddress;
  const Case cases[] = {
      {"no B record",
       [](LauncherEndToEnd& t) {
         Bytes r = launcher_image();
         append_record(r, 'V', testing::config(t.config("H")));
         return r;
       },
       false, message_lines(kCaption, "quillpod ERROR #10002", kHelp + "#errorcodes"),
       "quillpod: no usable boot record in "},
      {"B one byte too long",
       [](LauncherEndToEnd& t) {
         Bytes r = launcher_image();
         append_record(r, 'V', testing::config(t.config("H")));
         append_record(r, 'B', kBoot, static_cast<std::int64_t>(kBoot.size()) + 1);
         while (r.back() == 0xFF) r.pop_back();
         return r;
       },
       false, message_lines(kCaption, "quillpod ERROR #10002", kHelp + "#errorcodes"),
       "quillpod: no usable boot record in "},
      {"no V record: defaults, every VM tried, none there",
       [](LauncherEndToEnd&) { return game_image(std::nullopt); }, false,
       message_lines("quillpod", kInstall, builtin + "#nojavavm"),
       "quillpod: cannot start the Java VM jview "},
      {"executable cannot be read", [](LauncherEndToEnd& t) { return game_image(t.config("H")); }, true,
       message_lines("quillpod", "quillpod ERROR #10003", builtin + "#errorcodes"), "quillpod: cannot read "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    make_game(c.records(*this));
    if (c.unreadable) {
      // Execute-only, run as a user without root's right to read anything.
      fs::permissions(root.path(), fs::perms::owner_all | fs::perms::others_exec);
      fs::permissions(game, fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec);
    }
    Finished f = launch({"x"}, {}, c.unreadable);
    EXPECT_EQ(f.exit_code, 1);
    FailureOutput out = failure_output(f.err);
    EXPECT_EQ(out.box, c.err);
    EXPECT_EQ(out.why.rfind(c.why, 0), 0u) << out.why;
    EXPECT_TRUE(calls().empty());
    EXPECT_TRUE(temporary_directory_empty());
  }
}

TEST_F(LauncherEndToEnd, JavaHomeStandsInForJavaOffThePath) {
  const std::string jdk = root / "jdk";
  fs::create_directories(jdk + "/bin");
  stand_in("java", {{0, true}}, jdk + "/bin");
  make_game(game_image(config("C")));
  Finished f = launch({"a"}, {"JAVA_HOME=" + jdk});
  EXPECT_EQ(f.exit_code, 0);
  EXPECT_EQ(f.err, "");
  ASSERT_EQ(calls().size(), 1u);
  EXPECT_TRUE(temporary_directory_empty());
}

TEST_F(LauncherEndToEnd, ParentIgnoringChildExitsDoesNotHideTheVmsCode) {
  stand_in("java", {{1}});
  stand_in("jre", {{3, true}});
  make_game(game_image(config("G")));
  Spawn s{game, {}, environment(), root.path()};
  s.ignore_sigchld = true;
  Finished f = run(s);
  EXPECT_EQ(f.exit_code, 3);
  EXPECT_EQ(f.err, "");
  EXPECT_EQ(calls().size(), 2u);
  EXPECT_TRUE(temporary_directory_empty());
}

TEST_F(LauncherEndToEnd, StopSignalReachesTheVmAndTheWorkspaceGoes) {
  write_script(bin + "/java",
               "d='" + log + "'\n"
               "trap 'echo TERM > \"$d/got\"; kill $s 2>/dev/null; exit 143' TERM\n"
               "/bin/sleep 60 </dev/null >/dev/null 2>&1 & s=$!\n"
               "echo ready > \"$d/ready\"\n"
               "wait $s\n"
               "exit 0\n");
  stand_in("jre", {{0, true}});
  make_game(game_image(config("G")));
  pid_t launcher = spawn({game, {}, environment(), root.path()});
  ASSERT_TRUE(eventually([&] { return fs::exists(log + "/ready"); }));
  ASSERT_FALSE(temporary_directory_empty());
  kill(launcher, SIGTERM);
  Finished f = finish(launcher, root.path());
  EXPECT_EQ(read_text(log + "/got"), "TERM\n");
  EXPECT_EQ(f.exit_code, 143);
  EXPECT_EQ(f.err, "");
  EXPECT_FALSE(fs::exists(log + "/args.0"));  // the jre after it never started
  EXPECT_TRUE(temporary_directory_empty());
}

// A VM that a stop signal reaches while it starts may end with status 1;
// the launcher ends as a process stopped by that signal would, unless the
// application ran and chose its own status.
TEST_F(LauncherEndToEnd, StopSignalDuringVmStartIs128PlusTheSignal) {
  struct Case {
    const char* name;
    bool marker;
    int on_term;  // the stand-in's exit status when TERM reaches it
    int exit;
  };
  const Case cases[] = {
      {"VM ends with 1 before the application", false, 1, 143},
      {"application ran and chose its status", true, 3, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove_all(log);
    fs::create_directory(log);
    write_script(bin + "/java",
                 "d='" + log + "'\n"
                 "for a in \"$@\"; do case $a in -Dquillpod.dir=*) ws=${a#-Dquillpod.dir=};; esac; done\n" +
                     (c.marker ? "printf '%100s' '' > \"$ws/Jz.Ky.Tx\"\n" : "") +
                     "trap 'kill $s 2>/dev/null; exit " + std::to_string(c.on_term) +
                     "' TERM\n"
                     "/bin/sleep 60 </dev/null >/dev/null 2>&1 & s=$!\n"
                     "echo ready > \"$d/ready\"\n"
                     "wait $s\n");
    make_game(game_image(config("C")));
    pid_t launcher = spawn({game, {}, environment(), root.path()});
    ASSERT_TRUE(eventually([&] { return fs::exists(log + "/ready"); }));
    kill(launcher, SIGTERM);
    Finished f = finish(launcher, root.path());
    EXPECT_EQ(f.exit_code, c.exit);
    EXPECT_EQ(f.err, "");
    EXPECT_TRUE(temporary_directory_empty());
  }
}

// `app 2>&1 | head -1`: the error stream closes after the first line. The
// launcher must not die of SIGPIPE on the next one, and still clean up.
TEST_F(LauncherEndToEnd, ClosedErrorStreamStillEndsCleanly) {
  stand_in("java", {{10011}});
  make_game(game_image(config("C")));
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  close(fds[0]);
  std::vector<std::string> env = environment();
  pid_t pid = fork();
  if (pid == 0) {
    dup2(fds[1], 2);
    std::vector<char*> envp;
    for (std::string& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    char* argv[] = {const_cast<char*>(game.c_str()), nullptr};
    execve(game.c_str(), argv, envp.data());
    _exit(127);
  }
  close(fds[1]);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  EXPECT_TRUE(WIFEXITED(status)) << "killed by signal " << (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
  EXPECT_EQ(WEXITSTATUS(status), 1);
  EXPECT_TRUE(temporary_directory_empty());
}

// Temporary directories the launcher cannot use: one error each, with the
// line that names the directory and the system's reason, and nothing made.
TEST_F(LauncherEndToEnd, UnusableTemporaryDirectories) {
  struct Case {
    const char* name;
    std::string tmpdir;
    std::function<void(LauncherEndToEnd&)> setup;
    bool as_nobody;
    std::string message;
    std::vector<std::string> why;  // what the reason line names
  };
  const std::string missing = root / "no-such-dir";
  const std::string colon = root / "tmp:colon";
  const std::string readonly = root / "readonly";
  const Case cases[] = {
      {"missing", missing, [](LauncherEndToEnd&) {}, false, "quillpod ERROR #10008",
       {"cannot create the workspace " + missing + "/", "No such file or directory"}},
      {"read-only", readonly,
       [readonly](LauncherEndToEnd& t) {
         fs::create_directory(readonly);
         fs::permissions(readonly, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::others_read |
                                       fs::perms::others_exec);
         fs::permissions(t.root.path(), fs::perms::owner_all | fs::perms::others_exec);
         fs::permissions(t.game, fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec);
       },
       true, "quillpod ERROR #10008", {"cannot create the workspace " + readonly + "/", "Permission denied"}},
      {"class path separator in its name", colon, [colon](LauncherEndToEnd&) { fs::create_directory(colon); }, false,
       "quillpod ERROR #10007", {"cannot use the temporary directory " + colon, "':'"}},
  };
  stand_in("java", {{0, true}});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    make_game(game_image(config("C")));
    c.setup(*this);
    Finished f = run({game, {}, environment({"TMPDIR=" + c.tmpdir}), root.path(), c.as_nobody});
    EXPECT_EQ(f.exit_code, 1);
    FailureOutput out = failure_output(f.err);
    EXPECT_EQ(out.box, message_lines(kCaption, c.message, kHelp + "#errorcodes"));
    for (const std::string& part : c.why) EXPECT_NE(out.why.find(part), std::string::npos) << out.why;
    EXPECT_TRUE(calls().empty());
    if (fs::is_directory(c.tmpdir)) {
      EXPECT_TRUE(fs::is_empty(c.tmpdir));
    }
    EXPECT_FALSE(fs::exists(missing));
  }
}

// A temporary directory reached through a symbolic link works; the link
// stays and nothing is left where it points.
TEST_F(LauncherEndToEnd, TemporaryDirectoryThroughASymbolicLink) {
  const std::string link = root / "tmp-link";
  fs::create_directory_symlink(tmp, link);
  stand_in("java", {{0, true}});
  make_game(game_image(config("C")));
  Finished f = launch({}, {"TMPDIR=" + link});
  EXPECT_EQ(f.exit_code, 0);
  EXPECT_EQ(f.err, "");
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_TRUE(temporary_directory_empty());
}

// A small tmpfs as the temporary directory: full before the launch, and
// filled by the VM while it runs.
TEST_F(LauncherEndToEnd, FullTemporaryDirectory) {
  const std::string small = root / "small";
  fs::create_directory(small);
  if (geteuid() != 0 || mount("tmpfs", small.c_str(), "tmpfs", 0, "size=256k") != 0)
    GTEST_SKIP() << "mounting a tmpfs needs root";
  struct Unmount {
    std::string path;
    ~Unmount() { umount2(path.c_str(), MNT_DETACH); }
  } unmount{small};
  auto fill = [](const std::string& file) { return "/bin/dd if=/dev/zero of=" + file + " bs=4096 2>/dev/null"; };

  // Full before the launch: the boot class cannot be written.
  std::system(fill(small + "/ballast").c_str());
  stand_in("java", {{0, true}});
  make_game(game_image(config("C")));
  Finished full = launch({}, {"TMPDIR=" + small});
  EXPECT_EQ(full.exit_code, 1);
  FailureOutput out = failure_output(full.err);
  EXPECT_EQ(out.box, message_lines(kCaption, "quillpod ERROR #10001", kHelp + "#errorcodes"));
  EXPECT_NE(out.why.find("No space left on device"), std::string::npos) << out.why;
  EXPECT_TRUE(calls().empty());
  fs::remove(small + "/ballast");
  EXPECT_TRUE(fs::is_empty(small));

  // Filled by the VM: its marker comes out empty, and its result (10030)
  // still fits in the room the launcher kept for it.
  write_script(bin + "/java",
               "for a in \"$@\"; do case $a in -Dquillpod.dir=*) ws=${a#-Dquillpod.dir=};; esac; done\n" +
                   fill("\"$ws/unpacked\"") + "\n"
                   "printf '%100s' '' > \"$ws/Jz.Ky.Tx\" 2>/dev/null\n"
                   "printf 10030 > \"$ws/quillpodboot.result\"\n"
                   "exit 46\n");
  Finished filled = launch({}, {"TMPDIR=" + small});
  EXPECT_EQ(filled.exit_code, 1);
  out = failure_output(filled.err);
  EXPECT_EQ(out.box, message_lines(kCaption, "quillpod ERROR #10030", kHelp + "#errorcodes"));
  EXPECT_TRUE(fs::is_empty(small));
}

// Under the C locale a VM reads non-ASCII file names as question marks; the
// launcher gives it a UTF-8 character type then, and only then, keeping
// every other category as it was.
TEST_F(LauncherEndToEnd, NonAsciiPathsGetAUtf8CharacterType) {
  write_script(bin + "/java",
               "for a in \"$@\"; do case $a in -Dquillpod.dir=*) ws=${a#-Dquillpod.dir=};; esac; done\n"
               "printf '%s|%s|%s|%s' \"${LC_ALL-unset}\" \"${LC_CTYPE-unset}\" \"${LC_MESSAGES-unset}\" "
               "\"${LANG-unset}\" > '" + log + "/locale'\n"
               "printf '%100s' '' > \"$ws/Jz.Ky.Tx\"\n");
  make_game(game_image(config("C")));
  const std::string weihnacht = root / "Weihnacht-\xC3\xBC";
  fs::create_directory(weihnacht);
  struct Case {
    const char* name;
    std::vector<std::string> env;
    std::string seen;
  };
  const Case cases[] = {
      {"ASCII paths: untouched", {"LC_ALL=C", "LANG=C"}, "C|unset|unset|C"},
      {"non-ASCII under LC_ALL=C", {"LC_ALL=C", "LANG=C", "TMPDIR=" + weihnacht}, "unset|C.UTF-8|C|C"},
      {"non-ASCII, no locale at all", {"TMPDIR=" + weihnacht}, "unset|C.UTF-8|unset|unset"},
      {"non-ASCII under a UTF-8 locale: untouched", {"LANG=C.UTF-8", "TMPDIR=" + weihnacht},
       "unset|unset|unset|C.UTF-8"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Finished f = launch({}, c.env);
    EXPECT_EQ(f.exit_code, 0);
    EXPECT_EQ(read_text(log + "/locale"), c.seen);
    EXPECT_TRUE(fs::is_empty(weihnacht));
  }
}

// Directories the application made read-only or unreadable are emptied and
// removed; a link to a read-only directory elsewhere is neither followed nor
// changed.
TEST_F(LauncherEndToEnd, ReadOnlyDirectoriesOfTheApplicationGo) {
  const std::string outside = root / "outside";
  fs::create_directories(outside + "/keep");
  write_text(outside + "/keep/file", "x");
  fs::permissions(outside + "/keep", fs::perms::owner_read | fs::perms::owner_exec);
  write_script(bin + "/java",
               "for a in \"$@\"; do case $a in -Dquillpod.dir=*) ws=${a#-Dquillpod.dir=};; esac; done\n"
               "/bin/mkdir -p \"$ws/a/b\" \"$ws/c\"\n"
               "echo x > \"$ws/a/b/f\"; echo y > \"$ws/c/g\"\n"
               "/bin/ln -s '" + outside + "/keep' \"$ws/a/link\"\n"
               "/bin/chmod 500 \"$ws/a/b\" \"$ws/a\"; /bin/chmod 000 \"$ws/c\"\n"
               "printf '%100s' '' > \"$ws/Jz.Ky.Tx\"\n");
  for (const std::string& d : {root.path(), bin}) fs::permissions(d, fs::perms::owner_all | fs::perms::others_exec | fs::perms::others_read);
  fs::permissions(bin + "/java", fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec);
  make_game(game_image(config("C")));
  fs::permissions(game, fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec);
  ASSERT_EQ(chown(tmp.c_str(), 65534, 65534), 0);
  // As a user without root's right to write anywhere, so the modes count.
  Finished f = launch({}, {}, true);
  EXPECT_EQ(f.exit_code, 0);
  EXPECT_EQ(f.err, "");
  EXPECT_TRUE(temporary_directory_empty());
  EXPECT_EQ(fs::status(outside + "/keep").permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_exec);
  EXPECT_EQ(read_text(outside + "/keep/file"), "x");
}

// A launcher killed with SIGKILL leaves its workspace; the next launch
// removes it once its VM is gone too, and touches nothing that is not a
// workspace of an ended run.
TEST_F(LauncherEndToEnd, StaleWorkspacesOfKilledRunsGo) {
  const std::string release = log + "/release";
  write_script(bin + "/java",
               "d='" + log + "'\n"
               "for a in \"$@\"; do case $a in -Dquillpod.dir=*) ws=${a#-Dquillpod.dir=};; esac; done\n"
               "printf '%100s' '' > \"$ws/Jz.Ky.Tx\"\n"
               "n=0; [ -e \"$d/n\" ] && read n < \"$d/n\"; echo $((n+1)) > \"$d/n\"\n"
               "[ $n -gt 0 ] && exit 0\n"
               "echo $$ > \"$d/pid\"; echo \"$ws\" > \"$d/first\"\n"
               "while [ ! -e '" + release + "' ]; do /bin/sleep 0.05; done\n");
  make_game(game_image(config("C")));
  // Things that are not the workspace of an ended run.
  const std::vector<std::string> others = {"17000000001234",  // run name without the boot class
                                           "notarun", "1700000000-5x"};
  for (const std::string& o : others) {
    fs::create_directory(tmp + "/" + o);
    write_text(tmp + "/" + o + "/quillpodboot.class", o == "17000000001234" ? "" : "boot");
  }
  fs::remove(tmp + "/17000000001234/quillpodboot.class");
  fs::create_directory(root / "target");
  write_text(root / "target/quillpodboot.class", "boot");
  fs::create_directory_symlink(root / "target", tmp + "/17000000009999");

  pid_t first = spawn({game, {}, environment(), root.path()});
  ASSERT_TRUE(eventually([&] { return fs::exists(log + "/first"); }));
  kill(first, SIGKILL);
  finish(first, root.path());
  std::string ws = read_text(log + "/first");
  ws.pop_back();
  ASSERT_TRUE(fs::exists(ws + "/quillpodboot.class"));

  // Its VM goes with it (it would otherwise run on, holding the lock and
  // keeping the workspace), and the next launch removes what it left.
  const pid_t vm = std::atoi(read_text(log + "/pid").c_str());
  ASSERT_TRUE(eventually([&] { return kill(vm, 0) != 0; }));
  EXPECT_TRUE(fs::exists(ws));
  write_text(release, "");
  EXPECT_EQ(launch({}).exit_code, 0);
  EXPECT_FALSE(fs::exists(ws));
  std::set<std::string> rest;
  for (const auto& e : fs::directory_iterator(tmp)) rest.insert(e.path().filename().string());
  EXPECT_EQ(rest, (std::set<std::string>{"17000000001234", "notarun", "1700000000-5x", "17000000009999"}));
  EXPECT_TRUE(fs::exists(root / "target/quillpodboot.class"));
}

// Launches of one executable at the same moment all run their application,
// each in its own workspace, and leave nothing.
TEST_F(LauncherEndToEnd, ConcurrentLaunchesAllRun) {
  const int kLaunches = 20;
  write_script(bin + "/java",
               "for a in \"$@\"; do case $a in -Dquillpod.dir=*) ws=${a#-Dquillpod.dir=};; esac; done\n"
               "[ -e \"$ws/mine\" ] && exit 7\n"
               "echo > \"$ws/mine\"\n"
               "echo > '" + log + "/'\"${ws##*/}\"\n"
               "/bin/sleep 0.2\n"
               "printf '%100s' '' > \"$ws/Jz.Ky.Tx\"\n");
  make_game(game_image(config("C")));
  std::vector<pid_t> pids;
  std::vector<std::string> dirs;
  for (int i = 0; i < kLaunches; ++i) {
    dirs.push_back(root / ("out" + std::to_string(i)));
    fs::create_directory(dirs.back());
  }
  for (int i = 0; i < kLaunches; ++i) pids.push_back(spawn({game, {}, environment(), dirs[i]}));
  int ran = 0;
  for (int i = 0; i < kLaunches; ++i) {
    Finished f = finish(pids[i], dirs[i]);
    EXPECT_EQ(f.exit_code, 0) << f.err;
    ran += f.exit_code == 0;
  }
  std::size_t workspaces = 0;
  for (const auto& e : fs::directory_iterator(log)) workspaces += is_run_name(e.path().filename().string());
  std::printf("%d of %d simultaneous launches ran their application, in %zu workspaces\n", ran, kLaunches,
              workspaces);
  EXPECT_EQ(workspaces, static_cast<std::size_t>(kLaunches));
  EXPECT_TRUE(temporary_directory_empty());
}

// Someone who makes the coming run names in a shared temporary directory
// (seconds and millisecond ticks are easy to foresee) blocks no launch.
TEST_F(LauncherEndToEnd, ForeseenRunNamesTakenByOthersBlockNothing) {
#ifdef __SANITIZE_ADDRESS__
  GTEST_SKIP() << "the plain launcher covers this; the names cost the file system, not the launcher";
#endif
  const int kLaunches = 3;
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  const long long tick = static_cast<long long>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
  const long long seconds = static_cast<long long>(std::time(nullptr));
  // The next few seconds of names, and those the next ticks would give.
  for (long long s = seconds; s <= seconds + 1; ++s)
    for (long long t = tick; t < tick + 1500; ++t)
      fs::create_directory(tmp + "/" + std::to_string(s) + std::to_string(static_cast<std::int32_t>(t)));
  const std::size_t squatted = static_cast<std::size_t>(std::distance(fs::directory_iterator(tmp), {}));
  stand_in("java", std::vector<Act>(kLaunches, Act{0, true}));
  make_game(game_image(config("C")));
  for (int i = 0; i < kLaunches; ++i) {
    Finished f = launch({});
    EXPECT_EQ(f.exit_code, 0) << f.err;
  }
  EXPECT_EQ(calls().size(), static_cast<std::size_t>(kLaunches));
  EXPECT_EQ(static_cast<std::size_t>(std::distance(fs::directory_iterator(tmp), {})), squatted);
}

// Many launches with random VM ends (exit codes, crashes, kills, results of
// the boot stage), random application exit codes and random stop signals
// to the launcher at random moments leave no workspace, but those of 10005.
// QUILLPOD_LAUNCHES sets how many (the long run takes 1000).
TEST_F(LauncherEndToEnd, RandomEndsLeaveNothingBehind) {
  int launches = 40;
  if (const char* n = std::getenv("QUILLPOD_LAUNCHES")) launches = std::atoi(n);
  const std::string plan = log + "/plan";
  write_script(bin + "/java",
               "for a in \"$@\"; do case $a in -Dquillpod.dir=*) ws=${a#-Dquillpod.dir=};; esac; done\n"
               "read act code < '" + plan + "'\n"
               // A VM is one process; this one's helper would outlive it and
               // make the directories again after the launcher removed them.
               "trap '' INT TERM HUP QUIT\n"
               "/bin/mkdir -p \"$ws/com/app\" \"$ws/media\"; echo x > \"$ws/com/app/Main.class\"\n"
               "trap - INT TERM HUP QUIT\n"
               "case $act in\n"
               "exit) exit $code;;\n"
               "app) printf '%100s' '' > \"$ws/Jz.Ky.Tx\"; /bin/sleep 0.0$((code % 5)); exit $code;;\n"
               "result) printf $((10010 + code % 30)) > \"$ws/quillpodboot.result\"; exit $(((10010 + code % 30) % 256));;\n"
               "crash) kill -SEGV $$;;\n"
               "killed) kill -KILL $$;;\n"
               "readonly) /bin/chmod 500 \"$ws/com/app\" \"$ws/com\"; exit $code;;\n"
               "slow) /bin/sleep 0.05; exit $code;;\n"
               "esac\n");
  make_game(game_image(config("C")));
  std::mt19937 random(20261210);
  const char* acts[] = {"exit", "app", "result", "crash", "killed", "readonly", "slow"};
  const int signals[] = {0, 0, SIGTERM, SIGINT, SIGHUP, SIGQUIT};
  std::map<std::string, int> ends;
  int signalled = 0, kept = 0;
  for (int i = 0; i < launches; ++i) {
    const char* act = acts[random() % std::size(acts)];
    write_text(plan, std::string(act) + " " + std::to_string(random() % 256) + "\n");
    int signal = signals[random() % std::size(signals)];
    pid_t pid = spawn({game, {}, environment(), root.path()});
    if (signal != 0) {
      std::this_thread::sleep_for(std::chrono::microseconds(random() % 40000));
      kill(pid, signal);
      ++signalled;
    }
    Finished f = finish(pid, root.path());
    ++ends[f.signal != 0 ? "killed by signal " + std::to_string(f.signal) : "exit " + std::to_string(f.exit_code)];
    if (f.err.find("ERROR #10005") != std::string::npos) {
      ++kept;
      continue;
    }
    ASSERT_TRUE(temporary_directory_empty()) << "launch " << i << ": " << act << ", signal " << signal << "\n"
                                             << f.err;
  }
  std::printf("%d launches, %d stop signals sent, %d workspaces kept after 10005; ends:", launches, signalled, kept);
  for (const auto& [end, n] : ends) std::printf(" %s: %d,", end.c_str(), n);
  std::printf("\n");
  EXPECT_EQ(kept, 0);  // a wait never fails here
}

}  // namespace
}  // namespace quillpod
