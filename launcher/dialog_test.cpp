// The failure box on a real X display: answered by key, by mouse and by
// closing it, with a stand-in xdg-open that records the address it gets.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "test_process.h"
#include "test_records.h"
#include "test_tempdir.h"

#ifndef QUILLPOD_BIN
#error "QUILLPOD_BIN names the launcher binary under test"
#endif

namespace quillpod {

// Asks the window to close, as a window manager's close button does
// (dialog_test_x11.cpp, apart because Xlib's macros clash with GoogleTest's names).
bool send_delete_window(unsigned long window);

namespace {

namespace fs = std::filesystem;
using namespace quillpod::testing;

const std::string kHelp = "https://help.example/quillpod";

struct Case {
  const char* name;
  std::string action;  // xdotool arguments; %W is the window, %YES/%NO a button's centre
  bool opens;
};

class FailureBox : public ::testing::TestWithParam<Case> {};

TEST_P(FailureBox, Answer) {
  const Case& c = GetParam();
  const char* display = getenv("DISPLAY");
  if (!display || !*display) GTEST_SKIP() << "needs an X display";
  TempDir root;
  const std::string bin = root / "bin";
  fs::create_directory(bin);
  // Records its address, then holds on until released: the launcher must not wait for it.
  write_script(bin + "/xdg-open", "printf '%s' \"$1\" > '" + root / "opening" + "'\n"
               "/bin/mv '" + root / "opening" + "' '" + root / "opened" + "'\n"
               // Bounded, and gone with the test's folder, so a failed test leaves no poller behind.
               "i=0; while [ ! -e '" + root / "release" + "' ] && [ -d '" + root.path() + "' ] && [ $i -lt 200 ]; do\n"
               "  /bin/sleep 0.05; i=$((i+1)); done\n");

  const std::string caption = std::string("quillpod.dialog.") + ::testing::UnitTest::GetInstance()->current_test_info()->name();
  std::ifstream in(QUILLPOD_BIN, std::ios::binary);
  Bytes image((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  append_record(image, 'V', config("main=" + caption + "\ntarget=A\nhelpurl=" + kHelp + "\n"));  // no B: 10002
  const std::string game = root / "game";
  std::ofstream(game, std::ios::binary).write(reinterpret_cast<const char*>(image.data()),
                                              static_cast<std::streamsize>(image.size()));
  fs::permissions(game, fs::perms::owner_all);

  std::vector<std::string> env = {"PATH=" + bin, std::string("DISPLAY=") + display, "HOME=" + root.path()};
  add_sanitizer_env(env);
  pid_t launcher = spawn({game, {}, env, root.path()});

  std::string window;
  const bool shown = eventually([&] {
    window = capture("xdotool search --onlyvisible --name '^" + caption + "$' 2>/dev/null");
    return !window.empty();
  }, std::chrono::milliseconds(100));
  if (!shown) {
    kill(launcher, SIGKILL);
    Finished f = finish(launcher, root.path());
    FAIL() << "no box appeared; launcher exit " << f.exit_code << " signal " << f.signal << ", stderr: " << f.err
           << "\nwindows: " << capture("xdotool search --name quillpod 2>&1");
  }
  window = window.substr(0, window.find('\n'));
  std::string geometry = capture("xdotool getwindowgeometry " + window);
  int width = 0, height = 0;
  ASSERT_EQ(std::sscanf(geometry.c_str() + geometry.find("Geometry: "), "Geometry: %dx%d", &width, &height), 2);

  if (c.action == "close") {
    ASSERT_TRUE(send_delete_window(std::stoul(window)));
  } else {
    std::string action = c.action;
    auto replace = [&](const std::string& from, const std::string& to) {
      for (std::size_t at; (at = action.find(from)) != std::string::npos;) action.replace(at, from.size(), to);
    };
    // Buttons: 90x28, 20 apart, centred, 16 pixels above the bottom edge.
    replace("%YES", std::to_string(width / 2 - 55) + " " + std::to_string(height - 30));
    replace("%NO", std::to_string(width / 2 + 55) + " " + std::to_string(height - 30));
    replace("%W", window);
    capture("xdotool " + action + " 2>/dev/null");
  }

  int status = 0;
  ASSERT_TRUE(eventually([&] { return waitpid(launcher, &status, WNOHANG) == launcher; }));
  write_text(root / "release", "");
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1);
  // The box says what happened; the error stream carries the one line naming the cause, nothing more.
  EXPECT_EQ(read_text(root / "stderr"), "quillpod: no usable boot record in " + game + "\n");
  if (c.opens) {
    ASSERT_TRUE(eventually([&] { return fs::exists(root / "opened"); }));
    EXPECT_EQ(read_text(root / "opened"), kHelp + "#errorcodes");
  } else {
    EXPECT_FALSE(fs::exists(root / "opened"));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Answers, FailureBox,
    ::testing::Values(Case{"Enter", "key --window %W Return", true}, Case{"Y", "key --window %W y", true},
                      Case{"Escape", "key --window %W Escape", false}, Case{"N", "key --window %W n", false},
                      Case{"ClickYes", "mousemove --window %W %YES click 1", true},
                      Case{"ClickNo", "mousemove --window %W %NO click 1", false},
                      Case{"TabThenSpace", "key --window %W Tab space", false},
                      Case{"Close", "close", false}, Case{"Destroyed", "windowclose %W", false}),
    [](const ::testing::TestParamInfo<Case>& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace quillpod
