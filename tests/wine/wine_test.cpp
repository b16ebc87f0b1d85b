// The Windows launcher under wine, in a wine prefix of its own on the test's
// X display: crafted executables built on build/win32/quillpod.exe, stand-in
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

#include "test_process.h"
#include "test_records.h"
#include "test_tempdir.h"

#ifndef QUILLPOD_WIN32_DIR
#error "QUILLPOD_WIN32_DIR names the folder of the Windows executables"
#endif

namespace quillpod {
namespace {

namespace fs = std::filesystem;
using namespace quillpod::testing;

const std::string kWin32 = QUILLPOD_WIN32_DIR;
const std::string kHelp = "https://help.example/quillpod";
const std::string kBoot = std::string("\xCA\xFE\xBA\xBE\0\0\0\x34 boot class bytes", 24);

std::string capture(const std::string& command) {
  std::string out;
  if (FILE* p = popen(command.c_str(), "r")) {
    char buffer[256];
    while (std::size_t n = fread(buffer, 1, sizeof buffer, p)) out.append(buffer, n);
    pclose(p);
  }
  return out;
}

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
    env = {"WINEPREFIX=" + prefix, "WINEDEBUG=-all", "WINEDLLOVERRIDES=mscoree,mshtml=",
           std::string("DISPLAY=") + display, "HOME=" + root->path(), "PATH=" + bin + ":/usr/bin:/bin"};
    if (const char* user = getenv("USER")) env.push_back(std::string("USER=") + user);
    // One server for the whole program instead of one per run.
    fs::create_directory(prefix);
    Finished server = run({"/usr/bin/wineserver", {"-p"}, env, root->path()});
    ASSERT_EQ(server.exit_code, 0) << server.err;
    Finished boot = run({"/usr/bin/wineboot", {"-i"}, env, root->path()});
    ASSERT_EQ(boot.exit_code, 0) << boot.err;
    for (const fs::directory_entry& user : fs::directory_iterator(prefix + "/drive_c/users"))
      if (fs::is_directory(user.path() / "Temp") && user.path().filename() != "Public")
        temp = (user.path() / "Temp").string();
    ASSERT_FALSE(temp.empty()) << "no temporary folder in the new prefix";
  }

  void TearDown() override {
    if (!root) return;
    run({"/usr/bin/wineserver", {"-k"}, env, root->path()});
    run({"/usr/bin/wineserver", {"-w"}, env, root->path()});
    root.reset();
  }
};
Wine* Wine::instance = nullptr;

// What a box should offer, and how the test answers it.
enum class Box { none, answer_no, answer_yes };

struct Case {
  const char* name;
  std::string config;                    // lines of the `V` record, `main` added
  std::map<std::string, std::string> plans;  // stand-in VM -> its script; absent: not installed
  std::string tail;                      // what follows the program name
  bool quoted_name;                      // the program name in double quotes
  Box box;
  std::string topic;                     // the help topic a Yes opens
  std::uint32_t exit_code;
  std::vector<std::string> order;        // the stand-ins' starts, in order
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class WineLauncher : public ::testing::TestWithParam<Case> {
 protected:
  void SetUp() override {
    if (!Wine::instance->root) GTEST_SKIP() << "needs an X display";
  }
};

std::string call_file(const std::string& dir, const std::string& program, int n) {
  return read_text(dir + "/" + program + "-" + std::to_string(n) + ".call");
}

TEST_P(WineLauncher, Run) {
  const Case& c = GetParam();
  Wine& wine = *Wine::instance;
  TempDir here;
  const std::string vms = here / "vms", record = here / "record";
  fs::create_directory(vms);
  fs::create_directory(record);
  for (const auto& [program, plan] : c.plans) {
    fs::copy_file(kWin32 + "/tests/standin_vm.exe", vms + "/" + program + ".exe");
    write_text(record + "/" + program + ".plan", plan);
  }
  const std::string caption = std::string("quillpod.wine.") + c.name;
  std::ifstream in(kWin32 + "/quillpod.exe", std::ios::binary);
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
  std::set<std::string> temp_before;
  for (const fs::directory_entry& e : fs::directory_iterator(wine.temp)) temp_before.insert(e.path().string());

  std::vector<std::string> env = wine.env;
  env.push_back("WINEPATH=" + windows_path(vms));
  env.push_back("QUILLPOD_STANDIN_DIR=" + windows_path(record));
  env.push_back("QUILLPOD_RUN=" + name + c.tail);
  env.push_back("QUILLPOD_RUN_RESULT=" + windows_path(here / "result"));
  pid_t runner = spawn({"/usr/bin/wine", {kWin32 + "/tests/exit_code_runner.exe"}, env, here.path()});

  if (c.box != Box::none) {
    std::string window;
    const bool shown = eventually([&] {
      window = capture("xdotool search --onlyvisible --name '^" + caption + "$' 2>/dev/null");
      return !window.empty();
    }, std::chrono::milliseconds(100));
    if (!shown) {
      kill(runner, SIGKILL);
      Finished f = finish(runner, here.path());
      FAIL() << "no box appeared; runner exit " << f.exit_code << ", result " << read_text(here / "result");
    }
    window = window.substr(0, window.find('\n'));
    // The box has the keyboard once it is focused; its buttons answer to Y and N.
    capture("xdotool windowfocus --sync " + window + " key " + (c.box == Box::answer_yes ? "y" : "n") +
            " 2>/dev/null");
  }
  Finished f = finish(runner, here.path());
  ASSERT_EQ(read_text(here / "result"), std::to_string(c.exit_code) + "\n") << f.err;

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
  for (const std::string& program : order) {
    std::vector<std::string> lines = lines_of(call_file(record, program, starts[program]++));
    ASSERT_EQ(lines.size(), 3u);
    const std::string& line = lines[0];
    const std::string ws = line.substr(line.find("quillpod.dir=") + 13,
                                       line.find('"', line.find("quillpod.dir=")) - line.find("quillpod.dir=") - 13);
    const std::string ws_posix = wine.prefix + "/drive_c/" + [&] {
      std::string p = ws.substr(3);
      for (char& ch : p)
        if (ch == '\\') ch = '/';
      return p;
    }();
    EXPECT_EQ(fs::path(ws_posix).parent_path().string(), wine.temp) << ws;
    EXPECT_EQ(ws.substr(0, 3), "C:\\");
    EXPECT_FALSE(fs::exists(ws_posix)) << "workspace left behind: " << ws;
    std::string classpath = ws;
    if (c.config.find("jars=") != std::string::npos) classpath += ";" + ws + "\\a.jar;" + ws + "\\b.jar";
    EXPECT_EQ(lines[1], classpath);
    EXPECT_EQ(lines[2], std::to_string(kBoot.size()));
    const std::size_t tail_at = c.tail.find_first_not_of(" \t");
    const std::string boot = "quillpodboot \"" + windows_path(game) + "\" " +
                             (tail_at == std::string::npos ? std::string() : c.tail.substr(tail_at));
    const std::map<std::string, std::string> expected = {
        {"jview", "jview \"/d:quillpod.dir=" + ws + "\" " + boot},
        {"java", "java \"-Dquillpod.dir=" + ws + "\" " + boot},
        {"jre", "jre -cp \"" + classpath + "\" \"-Dquillpod.dir=" + ws + "\" " + boot},
    };
    EXPECT_EQ(line, expected.at(program));
  }
  std::set<std::string> temp_after;
  for (const fs::directory_entry& e : fs::directory_iterator(wine.temp)) temp_after.insert(e.path().string());
  EXPECT_EQ(temp_after, temp_before);
}

INSTANTIATE_TEST_SUITE_P(
    ExitCodes, WineLauncher,
    ::testing::Values(
        // A VM that ends before the application, then one that starts it and
        // ends with a code no 8-bit status could carry.
        Case{"MarkerDecides", "target=H\n", {{"jview", "1\n"}, {"java", "3000000000 marker tree\n"}},
             "   one \"two three\"", true, Box::none, "", 3000000000u, {"jview", "java"}},
        // 10333 asks for a newer VM; the next one is not installed.
        Case{"Upgrade", "target=D\n", {{"jview", "10333\n"}}, "", true, Box::answer_yes, "upgradejavavm", 1,
             {"jview"}},
        Case{"NoVmAtAll", "target=H\n", {}, " x", true, Box::answer_no, "", 1, {}},
        // A code above 10000 without the marker stops the attempts.
        Case{"StoppingCode", "target=H\n", {{"jview", "10027\n"}, {"java", "0 marker\n"}}, "", true,
             Box::answer_yes, "errorcodes", 1, {"jview"}},
        // 10024 with `jars`: the same command once more, after the first run unpacked the jars.
        Case{"JarsRestart", "target=B\njars=,a.jar,,b.jar,\n", {{"jview", "10024 tree\n65536 marker\n"}},
             "\tfirst second", false, Box::none, "", 65536, {"jview", "jview"}},
        // The last VM, with the class path on its command line and an empty tail.
        Case{"JreLast", "target=G\n", {{"java", "5\n"}, {"jre", "7 marker\n"}}, "", true, Box::none, "", 7,
             {"java", "jre"}},
        // Negative as a signed code: it stops the attempts, and no box reports it.
        Case{"NegativeCode", "target=H\n", {{"jview", "4294967295\n"}, {"java", "0 marker\n"}}, "", true,
             Box::none, "", 1, {"jview"}}),
    [](const ::testing::TestParamInfo<Case>& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace quillpod

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::AddGlobalTestEnvironment(new quillpod::Wine);
  return RUN_ALL_TESTS();
}
