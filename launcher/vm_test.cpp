#include "vm.h"

#include <gtest/gtest.h>

#include "fake_platform.h"
#include "errors.h"
#include "launcher.h"
#include "test_records.h"

namespace quillpod {
namespace {

using testing::FakePlatform;
using testing::FakeRun;

const char* kWorkspace = "C:\\temp\\17000000004321";

// A fake system holding a game whose configuration is `config_lines`.
FakePlatform game_system(const std::string& config_lines) {
  FakePlatform p;
  p.files[*p.executable] = testing::game_image(config_lines);
  return p;
}

std::string program_of(const std::string& command_line) { return split_command_line(command_line).at(0); }

TEST(BootInvocation, Form) {
  EXPECT_EQ(boot_invocation("C:\\apps\\game.exe", ""), "quillpodboot \"C:\\apps\\game.exe\" ");
  EXPECT_EQ(boot_invocation("/a/game", "x \"y z\""), "quillpodboot \"/a/game\" x \"y z\"");
}

TEST(BuildVmCommands, Form) {
  Workspace w;
  w.directory = kWorkspace;
  w.class_path = std::string(kWorkspace) + ";" + kWorkspace + "\\a.jar";
  auto c = build_vm_commands("C:\\apps\\game.exe", "-x", w);
  EXPECT_EQ(c[0], "jview \"/d:quillpod.dir=C:\\temp\\17000000004321\" quillpodboot \"C:\\apps\\game.exe\" -x");
  EXPECT_EQ(c[1], "java \"-Dquillpod.dir=C:\\temp\\17000000004321\" quillpodboot \"C:\\apps\\game.exe\" -x");
  EXPECT_EQ(c[2],
            "jre -cp \"C:\\temp\\17000000004321;C:\\temp\\17000000004321\\a.jar\" "
            "\"-Dquillpod.dir=C:\\temp\\17000000004321\" quillpodboot \"C:\\apps\\game.exe\" -x");
}

TEST(BuildVmCommands, PathsWithQuotesStayWhole) {
  Workspace w;
  w.directory = "/tmp/we\"ird\\";
  w.class_path = w.directory;
  for (const std::string& line : build_vm_commands("/odd \"name\"\\", "a", w)) {
    std::vector<std::string> argv = split_command_line(line);
    ASSERT_GE(argv.size(), 4u) << line;
    EXPECT_EQ(argv[argv.size() - 2], "/odd \"name\"\\") << line;
    EXPECT_EQ(argv.back(), "a") << line;
    const std::string& property = argv[argv.size() - 4];
    EXPECT_EQ(property.substr(property.find('=') + 1), "/tmp/we\"ird\\") << line;
  }
}

TEST(BuildVmCommands, VmOptionsGoBeforeTheProperty) {
  Workspace w;
  w.directory = "/tmp/ws";
  w.class_path = "/tmp/ws";
  const auto plain = build_vm_commands("/a/app", "x", w);
  struct Case {
    const char* name;
    std::optional<std::string> options;
    std::vector<std::string> words;  // what each VM receives before the property
  };
  const Case cases[] = {
      {"no key", std::nullopt, {}},
      {"empty value", "", {}},
      {"blanks only", " \t ", {}},
      {"one word", "-Xmx2g", {"-Xmx2g"}},
      {"several, quoted with a blank", "-Xmx2g  \"-Dapp.home=/opt/my app\"\t--add-opens java.base/java.lang=ALL-UNNAMED",
       {"-Xmx2g", "-Dapp.home=/opt/my app", "--add-opens", "java.base/java.lang=ALL-UNNAMED"}},
      {"escaped quote and backslashes", "-Dq=a\\\"b -Dp=c:\\\\d\\\\", {"-Dq=a\"b", "-Dp=c:\\\\d\\\\"}},
      {"unbalanced quote stays inside its word", "-Da=\"1 2", {"-Da=1 2"}},
      {"UTF-8 passes unchanged", "-Dname=Sn\xC3\xB8", {"-Dname=Sn\xC3\xB8"}},
  };
  for (const Case& c : cases) {
    const auto lines = build_vm_commands("/a/app", "x", w, c.options);
    for (int i = 0; i < 3; ++i) {
      if (c.words.empty()) {
        EXPECT_EQ(lines[i], plain[i]) << c.name;  // byte for byte as without the key
        continue;
      }
      std::vector<std::string> expected = split_command_line(plain[i]);
      std::size_t property = expected.size() - 4;  // property, boot class, path, tail
      expected.insert(expected.begin() + static_cast<std::ptrdiff_t>(property), c.words.begin(), c.words.end());
      EXPECT_EQ(split_command_line(lines[i]), expected) << c.name << ": " << lines[i];
    }
  }
}

TEST(BuildVmCommands, LauncherPassesTheVmargsKey) {
  FakePlatform p = game_system("main=g.Main\ntarget=C\nvmargs=-Xmx3g \"-Dapp.home=/my dir\"\n");
  p.vms["java"] = {FakeRun{0, true}};
  EXPECT_EQ(launcher_run(p, "a"), 0);
  ASSERT_EQ(p.started.size(), 1u);
  std::vector<std::string> argv = split_command_line(p.started[0]);
  ASSERT_EQ(argv.size(), 7u) << p.started[0];
  EXPECT_EQ(argv[1], "-Xmx3g");
  EXPECT_EQ(argv[2], "-Dapp.home=/my dir");
  EXPECT_EQ(argv[3].rfind("-Dquillpod.dir=", 0), 0u);
}

TEST(TryVmCommands, MaskSelectsCommandsInOrder) {
  struct Case {
    std::string target;
    std::vector<std::string> programs;
  };
  const Case cases[] = {
      {"A", {}},
      {"B", {"jview"}},
      {"C", {"java"}},
      {"D", {"jview", "java"}},
      {"E", {"jre"}},
      {"F", {"jview", "jre"}},
      {"G", {"java", "jre"}},
      {"H", {"jview", "java", "jre"}},
      {"", {"jview", "java", "jre"}},   // the NUL minus 'A' has its three low bits set
      {"P", {"jview", "java", "jre"}},  // only the three low bits count
  };
  for (const Case& c : cases) {
    FakePlatform p = game_system("main=g.Main\ntarget=" + c.target + "\n");
    for (const char* vm : {"jview", "java", "jre"}) p.vms[vm] = {FakeRun{1}};
    EXPECT_EQ(launcher_run(p, ""), 1) << c.target;
    std::vector<std::string> programs;
    for (const std::string& line : p.started) programs.push_back(program_of(line));
    EXPECT_EQ(programs, c.programs) << c.target;
  }
}

// One row of the exit-code protocol: what the VMs do, and what the user sees.
struct ProtocolCase {
  const char* name;
  std::map<std::string, std::vector<FakeRun>> vms;
  const char* config = nullptr;  // the default "main=g.Main\ntarget=H\n" when not given
  int result = 1;
  std::vector<std::string> started;  // programs, in order
  std::string message;               // box text before the question, "" for none
  std::string topic;                 // help topic of the box
  bool workspace_left = false;
};

std::string box_message(const FakePlatform& p) {
  if (p.boxes.empty()) return "";
  const std::string& t = p.boxes.at(0).text;
  return t.substr(0, t.find("\n\nWould you like detailed help?"));
}

TEST(TryVmCommands, ExitCodeProtocol) {
  const std::string upgrade = "Your Java VM needs to be upgraded before this program can be run.";
  const std::string install = "A Java VM needs to be installed before this program can be run.";
  const char* jars = "main=g.Main\ntarget=H\njars=game.jar\n";
  std::vector<ProtocolCase> cases = {
      {"first VM starts the application", {{"jview", {{0, true}}}}, {}, 0, {"jview"}, "", ""},
      {"application exit code passed on", {{"jview", {{3, true}}}}, {}, 3, {"jview"}, "", ""},
      {"marker wins over an error code", {{"jview", {{10021, true}}}}, {}, 10021, {"jview"}, "", ""},
      {"VM 1 fails before the boot stage, VM 2 starts",
       {{"jview", {{1}}}, {"java", {{0, true}}}}, {}, 0, {"jview", "java"}, "", ""},
      {"missing VM skipped silently", {{"java", {{0, true}}}}, {}, 0, {"java"}, "", ""},
      {"no VM at all", {}, {}, 1, {}, install, "nojavavm"},
      {"target A runs nothing", {{"jview", {{0, true}}}}, "main=g.Main\ntarget=A\n", 1, {}, install, "nojavavm"},
      {"too old everywhere", {{"jview", {{10333}}}, {"java", {{10333}}}, {"jre", {{10333}}}}, {}, 1,
       {"jview", "java", "jre"}, upgrade, "upgradejavavm"},
      {"too old, then nothing", {{"jview", {{10333}}}}, {}, 1, {"jview"}, upgrade, "upgradejavavm"},
      {"exactly 10000 stops with the installation message", {{"jview", {{10000}}}, {"java", {{0, true}}}}, {}, 1,
       {"jview"}, install, "nojavavm"},
      {"stopping code reported", {{"jview", {{10011}}}, {"java", {{0, true}}}}, {}, 1, {"jview"},
       "quillpod ERROR #10011", "errorcodes"},
      {"upgrade outranks a later stopping code", {{"jview", {{10333}}}, {"java", {{10012}}}}, {}, 1,
       {"jview", "java"}, upgrade, "upgradejavavm"},
      {"negative code stops silently", {{"jview", {{-5}}}, {"java", {{0, true}}}}, {}, 1, {"jview"}, "", ""},
      {"10024 without jars stops", {{"jview", {{10024}, {0, true}}}}, {}, 1, {"jview"}, "quillpod ERROR #10024",
       "errorcodes"},
      {"10024 with jars restarts once", {{"jview", {{10024}, {0, true}}}}, jars, 0, {"jview", "jview"}, "", ""},
      {"10024 twice with jars: no third run", {{"jview", {{10024}, {10024}, {0, true}}}}, jars, 1,
       {"jview", "jview"}, "quillpod ERROR #10024", "errorcodes"},
      {"10024 with jars, restart cannot start: 10005", {{"jview", {{10024}}}}, jars, 1, {"jview"},
       "quillpod ERROR #10005", "errorcodes", true},
      {"failed wait leaves the workspace", {{"jview", {{0, false, true}}}}, {}, 1, {"jview"},
       "quillpod ERROR #10005", "errorcodes", true},
      {"10005 from a VM also leaves the workspace", {{"jview", {{10005}}}}, {}, 1, {"jview"},
       "quillpod ERROR #10005", "errorcodes", true},
      {"VM killed by a signal: 128 + n, try the next", {{"jview", {{0, false, false, 0, 9}}}, {"java", {{0, true}}}},
       {}, 0, {"jview", "java"}, "", ""},
      {"the last VM killed by a signal: its own code, not an upgrade", {{"jview", {{0, false, false, 0, 9}}}},
       {}, 1, {"jview"}, "quillpod ERROR #10040", "errorcodes"},
      {"stop signal during a run ends quietly with its code",
       {{"jview", {{143, false, false, 15}}}, {"java", {{0, true}}}}, {}, 143, {"jview"}, "", ""},
      {"stop signal skips the 10024 restart", {{"jview", {{10024, false, false, 2}, {0, true}}}}, jars, 130,
       {"jview"}, "", ""},
  };
  for (const ProtocolCase& c : cases) {
    FakePlatform p = game_system(c.config ? c.config : "main=g.Main\ntarget=H\n");
    p.vms = c.vms;
    p.answer = BoxAnswer::yes;
    EXPECT_EQ(launcher_run(p, "-level 3"), c.result) << c.name;
    std::vector<std::string> programs;
    for (const std::string& line : p.started) programs.push_back(program_of(line));
    EXPECT_EQ(programs, c.started) << c.name;
    EXPECT_EQ(box_message(p), c.message) << c.name;
    EXPECT_LE(p.boxes.size(), 1u) << c.name;
    if (!c.message.empty()) {
      EXPECT_EQ(p.boxes.at(0).caption, "g.Main") << c.name;
      EXPECT_EQ(p.opened, std::vector<std::string>{std::string(kBuiltInHelpAddress) + "#" + c.topic}) << c.name;
    }
    EXPECT_EQ(p.directories.count(kWorkspace) == 1, c.workspace_left) << c.name;
  }
}

TEST(WaitExitCode, WidensEightBitStatusesFromTheResultFile) {
  struct Case {
    const char* name;
    FakeRun run;
    std::int32_t expected;
  };
  const Case cases[] = {
      {"small status, no file", {3}, 3},
      {"result file matches the low 8 bits", {10024, false, false, 0, 0, "10024\n"}, 10024},
      {"result file without line feed", {10333, false, false, 0, 0, "10333"}, 10333},
      {"negative result", {-5, false, false, 0, 0, "-5"}, -5},
      {"result file of another status ignored", {1, false, false, 0, 0, "10024"}, 1},
      {"garbage ignored", {40, false, false, 0, 0, "10024x"}, 40},
      {"the boot stage's blank room: no result", {1, false, false, 0, 0, "           "}, 1},
      {"emptied by a failed write: lost", {29, false, false, 0, 0, "", true}, 10009},
      {"emptied, but the status says success", {0, false, false, 0, 0, "", true}, 0},
      {"out of range ignored", {0, false, false, 0, 0, "4294967296"}, 0},
      {"killed by signal", {0, false, false, 0, 15}, 143},
      {"failed wait", {0, false, true}, 10005},
  };
  for (const Case& c : cases) {
    FakePlatform p;
    p.eight_bit_status = true;
    p.directories.insert(kWorkspace);
    Workspace w;
    w.directory = kWorkspace;
    w.boot_result_file = std::string(kWorkspace) + "\\quillpodboot.result";
    p.vms["java"] = {c.run};
    auto process = start_vm_command(p, "java \"-Dquillpod.dir=" + std::string(kWorkspace) + "\" x", w);
    ASSERT_TRUE(process.has_value()) << c.name;
    EXPECT_EQ(wait_exit_code(p, process, w), c.expected) << c.name;
  }
}

TEST(WaitExitCode, NoProcessIs10005) {
  FakePlatform p;
  EXPECT_EQ(wait_exit_code(p, std::nullopt, Workspace{}), 10005);
}

TEST(StartVmCommand, ReadiesTheResultFileFirst) {
  FakePlatform p;
  p.eight_bit_status = true;
  p.directories.insert(kWorkspace);
  Workspace w;
  w.directory = kWorkspace;
  w.boot_result_file = std::string(kWorkspace) + "\\quillpodboot.result";
  p.files[w.boot_result_file] = testing::bytes_of("10024");
  p.vms["java"] = {FakeRun{40}};
  auto process = start_vm_command(p, "java \"-Dquillpod.dir=" + std::string(kWorkspace) + "\" x", w);
  EXPECT_EQ(wait_exit_code(p, process, w), 40);
}

}  // namespace
}  // namespace quillpod
