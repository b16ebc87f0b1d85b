// The Windows launchers under the 64-bit wine, in a wine prefix of its own on
// the test's X display: crafted executables built on quillpod.exe of
// build/win64 and of build/win32 (where this system runs 32-bit programs), stand-in
// VM programs (standin_vm.exe copied as jview.exe, java.exe and jre.exe) on
// the Windows search path, and the failure box answered by key. Every run
// goes through exit_code_runner.exe, which reports the whole 32-bit exit code
// and lets the test write the launcher's command line exactly.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <tuple>

#include "test_process.h"
#include "test_records.h"
#include "test_tempdir.h"

#if !defined(QUILLPOD_WIN32_DIR) || !defined(QUILLPOD_WIN64_DIR)
#error "QUILLPOD_WIN32_DIR and QUILLPOD_WIN64_DIR name the folders of the Windows executables"
#endif

namespace quillpod {
namespace {

namespace fs = std::filesystem;
using namespace quillpod::testing;

const std::string kWin32 = QUILLPOD_WIN32_DIR;
const std::string kWin64 = QUILLPOD_WIN64_DIR;
// The 64-bit wine alone: Debian's wine script picks the 32-bit loader when
// wine32 is installed, which some kernels cannot run at all.
const std::string kWine64 = "/usr/lib/wine/wine64";
const std::string kWineServer = "/usr/lib/wine/wineserver64";
const std::string kHelp = "https://help.example/quillpod";
const std::string kBoot = std::string("\xCA\xFE\xBA\xBE\0\0\0\x34 boot class bytes", 24);

// A POSIX path as wine's drive Z: shows it.
std::string windows_path(const std::string& path) {
  std::string out = "Z:" + path;
  for (char& c : out)
    if (c == '/') c = '\\';
  return out;
}

// One wine prefix for the whole program: booting it is the slow part.
class Wine : public ::testing::Environment {
 public:
  static Wine* instance;
  std::unique_ptr<TempDir> root;
  std::string prefix, bin, temp;
  std::vector<std::string> env;
  std::string no_32bit;  // why 32-bit programs cannot run here, when they cannot

  void SetUp() override {
    instance = this;
    const char* display = getenv("DISPLAY");
    if (!display || !*display) return;
    root = std::make_unique<TempDir>();
    prefix = *root / "prefix";
    bin = *root / "bin";
    fs::create_directory(bin);
    // Wine opens web addresses with xdg-open; this one records them.
    write_script(bin + "/xdg-open", "printf '%s\\n' \"$1\" > '" + *root / "opening" + "'\n"
                                    "/bin/mv '" + *root / "opening" + "' '" + *root / "opened" + "'\n");
    env = {"WINEPREFIX=" + prefix, "WINEARCH=win64", "WINELOADER=" + kWine64, "WINESERVER=" + kWineServer,
           "WINEDEBUG=-all", "WINEDLLOVERRIDES=mscoree,mshtml=",
           std::string("DISPLAY=") + display, "HOME=" + root->path(), "PATH=" + bin + ":/usr/bin:/bin"};
    for (const char* name : {"USER", "XAUTHORITY"})
      if (const char* value = getenv(name)) env.push_back(std::string(name) + "=" + value);
    // One server for the whole program instead of one per run; should the
    // program be killed, it ends by itself half a minute after the last run.
    fs::create_directory(prefix);
    Finished server = run({kWineServer, {"-p30"}, env, root->path()});
    ASSERT_EQ(server.exit_code, 0) << server.err;
    Finished boot = run({kWine64, {"wineboot", "-i"}, env, root->path()});
    ASSERT_EQ(boot.exit_code, 0) << boot.err;
    for (const fs::directory_entry& user : fs::directory_iterator(prefix + "/drive_c/users"))
      if (fs::is_directory(user.path() / "Temp") && user.path().filename() != "Public")
        temp = (user.path() / "Temp").string();
    ASSERT_FALSE(temp.empty()) << "no temporary folder in the new prefix";
    // A kernel without 32-bit support, or a wine without its 32-bit half,
    // runs no 32-bit program, which says nothing about the launcher.
    std::vector<std::string> probe_env = env;
    const std::string probe_result = *root / "probe32";
    probe_env.push_back("QUILLPOD_RUN_RESULT=" + windows_path(probe_result));
    Finished probe = run({kWine64, {kWin32 + "/tests/exit_code_runner.exe"}, probe_env, root->path()});
    if (!fs::exists(probe_result))
      no_32bit = "this system runs no 32-bit Windows program under wine (a 32-bit program ended with status " +
                 std::to_string(probe.exit_code) + " before it ran) " + probe.err;
  }

  void TearDown() override {
    if (!root) return;
    run({kWineServer, {"-k"}, env, root->path()});
    run({kWineServer, {"-w"}, env, root->path()});
    root.reset();
  }
};
Wine* Wine::instance = nullptr;

// What a box should offer, and how the test answers it.
enum class Box { none, answer_no, answer_yes };

struct Case {
  const char* name;
  std::string config;                        // lines of the `V` record, `main` added
  std::map<std::string, std::string> plans;  // stand-in VM -> its script; absent: not installed
  std::string tail;                          // what follows the program name
  bool quoted_name;                          // the program name in double quotes
  Box box;
  std::string message;                       // what the box says before its question
  std::string topic;                         // the help topic a Yes opens
  std::uint32_t exit_code;
  std::vector<std::string> order;            // the stand-ins' starts, in order
  std::string vm_options = {};               // what `vmargs` puts before the system property
  std::string tmp = {};                      // TMP and TEMP for the launcher, when given
  bool stale = false;                        // workspaces of killed runs lie in the temporary folder
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

// The folder of one build of the Windows executables, and one case.
using Param = std::tuple<std::string, Case>;

class WineLauncher : public ::testing::TestWithParam<Param> {
 protected:
  void SetUp() override {
    if (!Wine::instance->root) GTEST_SKIP() << "needs an X display";
    if (std::get<0>(GetParam()) == kWin32 && !Wine::instance->no_32bit.empty())
      GTEST_SKIP() << Wine::instance->no_32bit;
  }
};

std::string call_file(const std::string& dir, const std::string& program, int n) {
  return read_text(dir + "/" + program + "-" + std::to_string(n) + ".call");
}

std::set<std::string> entries_of(const std::string& dir) {
  std::set<std::string> out;
  for (const fs::directory_entry& e : fs::directory_iterator(dir)) out.insert(e.path().filename().string());
  return out;
}

// The folder a workspace path of the prefix's drive C: names.
std::string posix_path(const std::string& prefix, const std::string& windows) {
  std::string p = windows.substr(3);
  for (char& ch : p)
    if (ch == '\\') ch = '/';
  return prefix + "/drive_c/" + p;
}

const std::string kQuestion = "\n\nWould you like detailed help?";
const std::string kInstall = "A Java VM needs to be installed before this program can be run.";
const std::string kUpgrade = "Your Java VM needs to be upgraded before this program can be run.";

TEST_P(WineLauncher, Run) {
  const std::string& build = std::get<0>(GetParam());
  const Case& c = std::get<1>(GetParam());
  Wine& wine = *Wine::instance;
  TempDir here;
  const std::string vms = here / "vms", record = here / "record";
  fs::create_directory(vms);
  fs::create_directory(record);
  for (const auto& [program, plan] : c.plans) {
    fs::copy_file(build + "/tests/standin_vm.exe", vms + "/" + program + ".exe");
    write_text(record + "/" + program + ".plan", plan);
  }
  const std::string caption = std::string("quillpod.wine.") + c.name;
  std::ifstream in(build + "/quillpod.exe", std::ios::binary);
  Bytes image((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  append_record(image, 'B', kBoot);
  append_record(image, 'V', config("main=" + caption + "\nhelpurl=" + kHelp + "\n" + c.config));
  append_record(image, 'Z', "archive");
  const std::string game = here / "game.exe";
  std::ofstream(game, std::ios::binary).write(reinterpret_cast<const char*>(image.data()),
                                              static_cast<std::streamsize>(image.size()));
  const std::string name = c.quoted_name ? "\"" + windows_path(game) + "\"" : windows_path(game);
  const std::string opened = wine.root->path() + "/opened";
  fs::remove(opened);

  // A killed run's workspace (its boot class still there), and two folders
  // that are not workspaces: a run name without the boot class, another name.
  const std::string stale = wine.temp + "/1700000000123", not_boot = wine.temp + "/1700000000456",
                    other = wine.temp + "/notes";
  if (c.stale) {
    for (const std::string& d : {stale, stale + "/com", not_boot, other}) fs::create_directory(d);
    write_text(stale + "/quillpodboot.class", kBoot);
    write_text(stale + "/com/Left.class", "left");
    write_text(not_boot + "/keep.txt", "keep");
    write_text(other + "/quillpodboot.class", "keep");
  }
  std::set<std::string> temp_before = entries_of(wine.temp);
  if (c.stale) temp_before.erase("1700000000123");

  std::vector<std::string> env = wine.env;
  env.push_back("WINEPATH=" + windows_path(vms));
  env.push_back("QUILLPOD_STANDIN_DIR=" + windows_path(record));
  env.push_back("QUILLPOD_RUN=" + name + c.tail);
  env.push_back("QUILLPOD_RUN_RESULT=" + windows_path(here / "result"));
  env.push_back("QUILLPOD_RUN_BOX_CAPTION=" + caption);
  env.push_back("QUILLPOD_RUN_BOX_TEXT=" + windows_path(here / "box"));
  if (!c.tmp.empty()) env.push_back("QUILLPOD_RUN_TMP=" + c.tmp);
  pid_t runner = spawn({kWine64, {build + "/tests/exit_code_runner.exe"}, env, here.path()});

  // Answers every box of this case with No, so a failed case never leaves a launcher waiting.
  auto unblock = [&] {
    for (const std::string& w : lines_of(capture("xdotool search --name '^" + caption + "$' 2>/dev/null")))
      capture("xdotool windowfocus --sync " + w + " key n 2>/dev/null");
  };
  auto runner_ended = [&] { return fs::exists(here / "result"); };

  if (c.box != Box::none) {
    // The runner has read the box's text once this file is there.
    std::string window;
    const bool shown = eventually([&] {
      if (runner_ended() || !fs::exists(here / "box")) return false;
      window = capture("xdotool search --onlyvisible --name '^" + caption + "$' 2>/dev/null");
      return !window.empty();
    }, std::chrono::milliseconds(100));
    if (!shown) {
      kill(runner, SIGKILL);
      finish(runner, here.path());
      FAIL() << "no box appeared; result " << read_text(here / "result") << ", box text " << read_text(here / "box");
    }
    EXPECT_EQ(read_text(here / "box"), c.message + kQuestion);
    window = window.substr(0, window.find('\n'));
    // The box has the keyboard once it is focused; its buttons answer to Y and N.
    capture("xdotool windowfocus --sync " + window + " key " + (c.box == Box::answer_yes ? "y" : "n") +
            " 2>/dev/null");
  }
  if (!eventually(runner_ended, std::chrono::milliseconds(100), std::chrono::seconds(120))) {
    unblock();
    eventually(runner_ended, std::chrono::milliseconds(100), std::chrono::seconds(30));
    kill(runner, SIGKILL);
    finish(runner, here.path());
    FAIL() << "the launcher did not end; a box it showed: " << read_text(here / "box");
  }
  Finished f = finish(runner, here.path());
  ASSERT_EQ(read_text(here / "result"), std::to_string(c.exit_code) + "\n") << f.err;
  if (c.box == Box::none) {
    EXPECT_FALSE(fs::exists(here / "box")) << read_text(here / "box");
  }

  std::vector<std::string> order = lines_of(read_text(record + "/order.txt"));
  EXPECT_EQ(order, c.order);
  if (c.box == Box::answer_yes) {
    ASSERT_TRUE(eventually([&] { return fs::exists(opened); }));
    EXPECT_EQ(read_text(opened), kHelp + "#" + c.topic + "\n");
  } else {
    EXPECT_FALSE(fs::exists(opened));
  }

  // Every start saw the same workspace under wine's temporary folder, the
  // boot class inside it, and the command line in its exact form.
  std::map<std::string, int> starts;
  std::set<std::string> workspaces;
  for (const std::string& program : order) {
    std::vector<std::string> lines = lines_of(call_file(record, program, starts[program]++));
    ASSERT_EQ(lines.size(), 3u);
    const std::string& line = lines[0];
    const std::size_t at = line.find("quillpod.dir=") + 13;
    const std::string ws = line.substr(at, line.find('"', at) - at);
    workspaces.insert(ws);
    const std::string ws_posix = posix_path(wine.prefix, ws);
    EXPECT_EQ(ws.substr(0, 3), "C:\\");
    EXPECT_EQ(fs::path(ws_posix).parent_path().string(), wine.temp) << ws;
    EXPECT_FALSE(fs::exists(ws_posix)) << "workspace left behind: " << ws;
    std::string classpath = ws;
    if (c.config.find("jars=") != std::string::npos) classpath += ";" + ws + "\\a.jar;" + ws + "\\b.jar";
    EXPECT_EQ(lines[1], classpath);
    EXPECT_EQ(lines[2], std::to_string(kBoot.size()));
    const std::size_t tail_at = c.tail.find_first_not_of(" \t");
    const std::string boot = "quillpodboot \"" + windows_path(game) + "\" " +
                             (tail_at == std::string::npos ? std::string() : c.tail.substr(tail_at));
    const std::string property = "quillpod.dir=" + ws + "\" " + boot;
    const std::map<std::string, std::string> expected = {
        {"jview", "jview " + c.vm_options + "\"/d:" + property},
        {"java", "java " + c.vm_options + "\"-D" + property},
        {"jre", "jre -cp \"" + classpath + "\" " + c.vm_options + "\"-D" + property},
    };
    EXPECT_EQ(line, expected.at(program));
  }
  EXPECT_LE(workspaces.size(), 1u);
  EXPECT_EQ(entries_of(wine.temp), temp_before);
  if (c.stale) {
    EXPECT_TRUE(fs::exists(not_boot + "/keep.txt"));
    EXPECT_TRUE(fs::exists(other + "/quillpodboot.class"));
    fs::remove_all(not_boot);
    fs::remove_all(other);
  }
}

INSTANTIATE_TEST_SUITE_P(
    ExitCodes, WineLauncher,
    ::testing::Combine(::testing::Values(kWin64, kWin32), ::testing::Values(
        // A VM that ends before the application, then one that starts it and
        // ends with a code no 8-bit status could carry; what it unpacked,
        // read-only parts too, goes with the workspace.
        Case{"MarkerDecides", "target=H\n", {{"jview", "1\n"}, {"java", "3000000000 marker tree readonly\n"}},
             "   one \"two three\"", true, Box::none, "", "", 3000000000u, {"jview", "java"}},
        // 10333 asks for a newer VM; the next one is not installed.
        Case{"Upgrade", "target=D\n", {{"jview", "10333\n"}}, "", true, Box::answer_yes, kUpgrade, "upgradejavavm",
             1, {"jview"}},
        Case{"NoVmAtAll", "target=H\n", {}, " x", true, Box::answer_no, kInstall, "", 1, {}},
        // A code above 10000 without the marker stops the attempts.
        Case{"StoppingCode", "target=H\n", {{"jview", "10027\n"}, {"java", "0 marker\n"}}, "", true,
             Box::answer_yes, "quillpod ERROR #10027", "errorcodes", 1, {"jview"}},
        // 10024 with `jars`: the same command once more, after the first run unpacked the jars.
        Case{"JarsRestart", "target=B\njars=,a.jar,,b.jar,\n", {{"jview", "10024 tree\n65536 marker\n"}},
             "\tfirst second", false, Box::none, "", "", 65536, {"jview", "jview"}},
        // The last VM, with the class path on its command line; a name followed by blanks only.
        Case{"JreLast", "target=G\n", {{"java", "5\n"}, {"jre", "7 marker\n"}}, "  \t ", true, Box::none, "", "",
             7, {"java", "jre"}},
        // Negative as a signed code: it stops the attempts, and no box reports it.
        Case{"NegativeCode", "target=H\n", {{"jview", "4294967295\n"}, {"java", "0 marker\n"}}, "", true,
             Box::none, "", "", 1, {"jview"}},
        // Options for the VM, each word quoted again on its own.
        Case{"VmOptions", "target=C\nvmargs=-Xmx64m \"-Dgreeting=a b\"\n", {{"java", "0 marker\n"}}, " go", true,
             Box::none, "", "", 0, {"java"}, "-Xmx64m \"-Dgreeting=a b\" "},
        // A temporary folder too long for the workspace's paths in 260 bytes.
        Case{"TemporaryPathTooLong", "target=H\n", {{"jview", "0 marker\n"}}, "", true, Box::answer_no,
             "quillpod ERROR #10007", "", 1, {}, "", "C:\\" + std::string(220, 't') + "\\"},
        // The workspace a killed run left is removed by the next run; nothing else is.
        Case{"StaleWorkspace", "target=B\n", {{"jview", "0 marker\n"}}, "", true, Box::none, "", "", 0, {"jview"},
             "", "", true})),
    [](const ::testing::TestParamInfo<Param>& param) {
      return std::string(std::get<0>(param.param) == kWin64 ? "Win64_" : "Win32_") + std::get<1>(param.param).name;
    });

}  // namespace
}  // namespace quillpod

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::AddGlobalTestEnvironment(new quillpod::Wine);
  return RUN_ALL_TESTS();
}
