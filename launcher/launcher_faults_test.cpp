// Every system call the launcher makes fails once, in turn, each occurrence
// of it: the run on the real system (stand-in VMs on a private PATH, a real
// temporary directory) must end in the code that failure calls for, with one
// message and one line saying why, and leave no workspace behind, except
// after 10005, when the VM may still use it.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <cstdio>
#include <iterator>
#include <set>

#include "errors.h"
#include "faulty_platform.h"
#include "launcher.h"
#include "platform_posix.h"
#include "test_records.h"
#include "test_tempdir.h"

namespace quillpod {
namespace {

namespace fs = std::filesystem;
using namespace quillpod::testing;

const std::string kUpgrade = "Your Java VM needs to be upgraded before this program can be run.";
const std::string kInstall = "A Java VM needs to be installed before this program can be run.";
const std::string kStale = "1600000000123";  // a workspace whose launcher was killed

struct Scenario {
  const char* name;
  std::string config;
  // Stand-in VMs by name: the shell commands of each successive start
  // (`$ws` is the workspace).
  std::map<std::string, std::vector<std::string>> vms;
};

class LauncherFaults : public ::testing::Test {
 public:
  TempDir root;
  const std::string bin = root / "bin";
  const std::string tmp = root / "tmp";
  const std::string log = root / "log";
  const std::string game = root / "game";

  void SetUp() override {
    fs::create_directory(bin);
    setenv("PATH", bin.c_str(), 1);
    setenv("TMPDIR", tmp.c_str(), 1);
  }

  void prepare(const Scenario& s) {
    for (const std::string& d : {tmp, log}) {
      fs::remove_all(d);
      fs::create_directory(d);
    }
    for (const auto& [name, runs] : s.vms) {
      std::string body = "n=0; [ -e '" + log + "/" + name + "' ] && read n < '" + log + "/" + name +
                         "'\necho $((n+1)) > '" + log + "/" + name +
                         "'\nfor a in \"$@\"; do case $a in -Dquillpod.dir=*) ws=${a#-Dquillpod.dir=};; esac; done\n"
                         "case $n in\n";
      for (std::size_t i = 0; i < runs.size(); ++i) body += std::to_string(i) + ") " + runs[i] + ";;\n";
      body += "esac\nexit 99\n";
      write_script(bin + "/" + name, body);
    }
    Bytes image = game_image(s.config);
    std::ofstream(game, std::ios::binary).write(reinterpret_cast<const char*>(image.data()),
                                                static_cast<std::streamsize>(image.size()));
    // What a killed run left: its boot class and some unpacked files.
    fs::create_directories(tmp + "/" + kStale + "/com/app");
    write_text(tmp + "/" + kStale + "/quillpodboot.class", "boot");
    write_text(tmp + "/" + kStale + "/com/app/Main.class", "main");
  }

  std::set<std::string> left() const {
    std::set<std::string> out;
    for (const auto& e : fs::directory_iterator(tmp)) out.insert(e.path().filename().string());
    return out;
  }
};

const std::string kMarker = "printf '%100s' '' > \"$ws/Jz.Ky.Tx\"";

const Scenario kScenarios[] = {
    {"java starts the application", "main=app.Main\ntarget=C\njars=,a.jar,\n",
     {{"java", {kMarker + "; exit 0"}}}},
    {"jview missing, java too old, jre starts the application", "main=app.Main\ntarget=H\n",
     {{"java", {"exit 1"}}, {"jre", {kMarker + "; exit 0"}}}},
    {"main class in a jar: 10024, then the restart starts it", "main=app.Main\ntarget=C\njars=app.jar\n",
     {{"java", {"printf 10024 > \"$ws/quillpodboot.result\"; exit 40", kMarker + "; exit 0"}}}},
};

// What some failures must end in, for the first scenario; every other one
// ends in a normal run or in one of the launcher's messages.
struct Expected {
  Call call;
  std::string message;  // empty: the run goes on and the application starts
};

TEST_F(LauncherFaults, EveryCallFailingOnceEndsCleanly) {
  const std::vector<Expected> expected = {
      {{"executable_path", 1}, "quillpod ERROR #10004"},
      {{"map_file", 1}, "quillpod ERROR #10003"},
      {{"temporary_path", 1}, "quillpod ERROR #10007"},
      {{"list_directory", 1}, ""},     // the search for stale workspaces is skipped
      {{"lock_directory", 1}, ""},     // a stale workspace stays for the next launch
      {{"create_directory", 1}, ""},   // the next run name
      {{"lock_directory", 2}, "quillpod ERROR #10008"},
      {{"set_environment", 1}, "quillpod ERROR #10006"},
      {{"write_new_file", 1}, "quillpod ERROR #10001"},
      {{"write_new_file", 2}, "quillpod ERROR #10009"},
      {{"start_process", 1}, kInstall},
      {{"wait_process", 1}, "quillpod ERROR #10005"},
      {{"read_file", 1}, ""},        // the result file: a status of 0 needs no widening
      {{"read_file", 2}, kUpgrade},  // the marker cannot be read: no sign of the application
  };
  int injected_calls = 0;
  std::map<std::string, int> per_operation;
  for (const Scenario& s : kScenarios) {
    // The calls of an undisturbed run.
    prepare(s);
    std::vector<Call> calls;
    {
      PosixPlatform posix;
      FaultyPlatform p(posix, game);
      ASSERT_EQ(launcher_run(p, "x"), 0) << s.name << ": " << (p.error_lines.empty() ? "" : p.error_lines[0]);
      ASSERT_TRUE(p.boxes.empty()) << s.name;
      ASSERT_TRUE(p.error_lines.empty()) << s.name;
      ASSERT_TRUE(left().empty()) << s.name;
      calls = p.calls;
    }
    for (const Call& call : calls) {
      const std::string context =
          std::string(s.name) + ": " + call.operation + " #" + std::to_string(call.occurrence) + " fails";
      prepare(s);
      PosixPlatform posix;
      FaultyPlatform p(posix, game);
      p.fail = call;
      int result = launcher_run(p, "x");
      ASSERT_TRUE(p.injected) << context;
      ++injected_calls;
      ++per_operation[call.operation];

      std::string message;
      if (result == 0) {
        EXPECT_TRUE(p.boxes.empty()) << context;
        EXPECT_TRUE(p.error_lines.empty()) << context << ": " << p.error_lines.at(0);
      } else {
        EXPECT_EQ(result, 1) << context;
        ASSERT_EQ(p.boxes.size(), 1u) << context;
        message = p.boxes[0].text.substr(0, p.boxes[0].text.find("\n\n"));
        EXPECT_TRUE(message == kUpgrade || message == kInstall || message.rfind("quillpod ERROR #", 0) == 0)
            << context << ": " << message;
        // One line says why, naming the operation; an injected reason shows.
        ASSERT_EQ(p.error_lines.size(), 1u) << context;
        EXPECT_EQ(p.error_lines[0].rfind("quillpod: ", 0), 0u) << context << ": " << p.error_lines[0];
        if (message.rfind("quillpod ERROR #", 0) == 0 || message == kInstall) {
          EXPECT_NE(p.error_lines[0].find(kInjectedReason), std::string::npos) << context << ": " << p.error_lines[0];
        }
      }
      if (s.name == kScenarios[0].name) {
        for (const Expected& e : expected) {
          if (e.call == call) {
            EXPECT_EQ(message, e.message) << context;
          }
        }
      }

      // Nothing of this run is left, but for 10005; a stale workspace only
      // when the failure hit its removal.
      std::set<std::string> rest = left();
      rest.erase(kStale);
      if (message == "quillpod ERROR #10005") {
        EXPECT_EQ(rest.size(), 1u) << context;
      } else {
        EXPECT_TRUE(rest.empty()) << context << ": " << *rest.begin();
      }
    }
  }
  std::printf("%d calls failed in turn over %zu scenarios:", injected_calls, std::size(kScenarios));
  for (const auto& [operation, n] : per_operation) std::printf(" %s %d,", operation.c_str(), n);
  std::printf("\n");
}

}  // namespace
}  // namespace quillpod
