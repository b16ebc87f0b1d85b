#include "carried_runtime.h"

#include <gtest/gtest.h>

#include "fake_platform.h"
#include "launcher.h"
#include "test_records.h"

namespace quillpod {
namespace {

using testing::FakePlatform;
using testing::FakeRun;

const char* kCarriedJava = "C:\\cache\\quillpod\\runtimes\\ab\\bin\\java";

// A system whose executable carries a runtime record; `ready` is what
// making the runtime ready gives (nullopt: it could not be made ready).
class CarryingPlatform : public FakePlatform {
 public:
  std::optional<std::string> ready = std::string(kCarriedJava);
  int readied = 0;
  std::optional<std::string> ready_carried_runtime(const unsigned char* data, std::size_t size, DirectoryId,
                                                   const std::string&) override {
    ++readied;
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(data), size), "runtime");
    return ready;
  }
};

CarryingPlatform carrying_game(bool with_runtime = true) {
  CarryingPlatform p;
  p.files[*p.executable] = testing::game_image("main=g.Main\ntarget=H\n");
  if (with_runtime) testing::append_record(p.files[*p.executable], 'R', "runtime");
  return p;
}

std::vector<std::string> programs(const FakePlatform& p) {
  std::vector<std::string> out;
  for (const std::string& line : p.started) out.push_back(split_command_line(line).at(0));
  return out;
}

TEST(CarriedRuntime, CommandIsTheJavaCommandWithTheCarriedProgram) {
  EXPECT_EQ(carried_java_command("/home/u/.cache/q r/bin/java", "java \"-Dquillpod.dir=/tmp/1\" quillpodboot \"/a\" x"),
            "\"/home/u/.cache/q r/bin/java\" \"-Dquillpod.dir=/tmp/1\" quillpodboot \"/a\" x");
}

// The carried runtime comes first; the installed VMs only when it could not
// run the application, and its own error codes keep their meaning.
TEST(CarriedRuntime, TriedFirstWithTheExitCodeProtocol) {
  struct Case {
    const char* what;
    std::vector<FakeRun> carried;  // empty: its java cannot be started
    int result;
    std::vector<std::string> started;
    const char* box;  // "" when none
  };
  const std::string java = kCarriedJava;
  const Case cases[] = {
      {"starts the application", {{0, true}}, 0, {java}, ""},
      {"the application's code passed on", {{7, true}}, 7, {java}, ""},
      {"cannot start: the installed VMs follow", {}, 0, {"jview", "java"}, ""},
      {"ends before the boot stage: the installed VMs follow", {{1}}, 0, {java, "jview", "java"}, ""},
      {"too old for the application: the installed VMs follow", {{10333}}, 0, {java, "jview", "java"}, ""},
      {"a boot stage error stops everything", {{10030}}, 1, {java}, "quillpod ERROR #10030"},
  };
  for (const Case& c : cases) {
    CarryingPlatform p = carrying_game();
    if (!c.carried.empty()) p.vms[java] = c.carried;
    p.vms["jview"] = {FakeRun{1}};
    p.vms["java"] = {FakeRun{0, true}};
    EXPECT_EQ(launcher_run(p, ""), c.result) << c.what;
    EXPECT_EQ(programs(p), c.started) << c.what;
    EXPECT_EQ(p.boxes.empty() ? "" : p.boxes[0].text.substr(0, p.boxes[0].text.find('\n')), c.box) << c.what;
  }
}

TEST(CarriedRuntime, NoRecordOrNoReadyRuntimeLeavesTheInstalledVms) {
  for (bool with_runtime : {false, true}) {
    CarryingPlatform p = carrying_game(with_runtime);
    p.ready.reset();
    p.vms["jview"] = {FakeRun{0, true}};
    EXPECT_EQ(launcher_run(p, ""), 0);
    EXPECT_EQ(programs(p), std::vector<std::string>{"jview"});
    EXPECT_EQ(p.readied, with_runtime ? 1 : 0);
  }
}

TEST(CarriedRuntime, FallingBackSaysWhy) {
  CarryingPlatform p = carrying_game();
  p.vms[kCarriedJava] = {FakeRun{1}};
  p.vms["jview"] = {FakeRun{0, true}};
  EXPECT_EQ(launcher_run(p, ""), 0);
  ASSERT_FALSE(p.error_lines.empty());
  EXPECT_NE(p.error_lines[0].find("the carried Java runtime did not run the application"), std::string::npos)
      << p.error_lines[0];
  EXPECT_NE(p.error_lines[0].find("exit code 1"), std::string::npos) << p.error_lines[0];
}

}  // namespace
}  // namespace quillpod
