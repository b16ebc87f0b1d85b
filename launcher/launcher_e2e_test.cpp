// Runs the real launcher binary on executables crafted here, with stand-in VM
// programs (small shell scripts named jview, java and jre) on a private PATH.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <map>

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
    env.insert(env.end(), extra.begin(), extra.end());
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
    if (!c.programs.empty() && c.exit == 1)
      EXPECT_NE(out.why.find("the Java VM " + c.programs.back() + " "), std::string::npos) << out.why;
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
       "quillpod: cannot start the Java VM jre -cp "},
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

}  // namespace
}  // namespace quillpod
