#include "launcher.h"

#include <gtest/gtest.h>

#include "errors.h"
#include "fake_platform.h"
#include "test_records.h"

namespace quillpod {
namespace {

using testing::append_record;
using testing::Bytes;
using testing::FakePlatform;
using testing::FakeRun;

const std::string kGameConfig = "main=com.tallowfen.hollyblitz.HollyBlitz\ntarget=B\nhelpurl=http://help.example/t\n";

// How one run ended, as the user sees it.
struct Seen {
  int result;
  std::vector<FakePlatform::Box> boxes;
  std::vector<std::string> opened;
  std::vector<std::string> left;  // what remains under the temporary directory
};

Seen run(FakePlatform& p, const std::string& tail = "") {
  int result = launcher_run(p, tail);
  auto left = p.entries_under("C:\\temp\\");
  return {result, p.boxes, p.opened, left};
}

TEST(LauncherRun, LauncherErrors) {
  struct Case {
    const char* name;
    std::function<void(FakePlatform&)> setup;
    int code;
    std::vector<std::string> left;
  };
  const std::string ws = "C:\\temp\\17000000004321";
  std::vector<std::string> taken = {ws + "\\other"};
  for (std::uint32_t i = 0; i <= 16; ++i) taken.push_back("C:\\temp\\1700000000" + std::to_string(4321 + i));
  const Case cases[] = {
      {"no executable path", [](FakePlatform& p) { p.executable.reset(); }, 10004, {}},
      {"executable unreadable", [](FakePlatform& p) { p.unreadable.insert(*p.executable); }, 10003, {}},
      {"no B record",
       [](FakePlatform& p) {
         Bytes b(64, 0);
         append_record(b, 'V', testing::config(kGameConfig));
         p.files[*p.executable] = b;
       },
       10002, {}},
      {"B one byte too long",
       [](FakePlatform& p) {
         Bytes b(64, 0);
         append_record(b, 'V', testing::config(kGameConfig));
         append_record(b, 'B', "boot");
         while (b.back() == 0xFF) b.pop_back();
         b[b.size() - 4 - 20 + 16] = 5;  // length 5 for 4 data bytes at the end of the file
         p.files[*p.executable] = b;
       },
       10002, {}},
      {"B header cut by the end of the file",
       [](FakePlatform& p) {
         Bytes b(64, 0);
         append_record(b, 'V', testing::config(kGameConfig));
         append_record(b, 'B', "");
         while (b.back() == 0xFF) b.pop_back();  // the empty data would start at the end
         p.files[*p.executable] = b;
       },
       10002, {}},
      {"B header cut after its type letter",
       [](FakePlatform& p) {
         Bytes b(64, 0);
         append_record(b, 'V', testing::config(kGameConfig));
         append_record(b, 'B', "");
         b.resize(b.size() - 32 + 17);
         p.files[*p.executable] = b;
       },
       10002, {}},
      {"B at offset 0 is not the launcher's",
       [](FakePlatform& p) {
         Bytes b;
         append_record(b, 'B', "boot");
         append_record(b, 'V', testing::config(kGameConfig));
         p.files[*p.executable] = b;
       },
       10002, {}},
      {"B length near 4 GiB does not wrap",
       [](FakePlatform& p) {
         Bytes b(64, 0);
         append_record(b, 'B', "boot", 0xFFFFFFF0);
         append_record(b, 'V', testing::config(kGameConfig));
         p.files[*p.executable] = b;
       },
       10002, {}},
      // A boot record that no Java 8 VM would load is a damaged executable,
      // not a VM to upgrade.
      {"boot class too short", [](FakePlatform& p) { p.files[*p.executable] = testing::game_image(kGameConfig, "\xCA\xFE\xBA\xBE"); },
       10002, {}},
      {"boot class without its magic number",
       [](FakePlatform& p) { p.files[*p.executable] = testing::game_image(kGameConfig, "not a class file at all"); },
       10002, {}},
      {"boot class of a newer Java",
       [](FakePlatform& p) {
         p.files[*p.executable] =
             testing::game_image(kGameConfig, std::string_view("\xCA\xFE\xBA\xBE\0\0\0\x41 java 21", 16));
       },
       10002, {}},
      {"no temporary path", [](FakePlatform& p) { p.temporary.reset(); }, 10007, {}},
      {"every run name taken: the other runs' directories left alone",
       [ws](FakePlatform& p) {
         p.files[ws + "\\other"] = {};
         for (std::uint32_t i = 0; i <= 16; ++i) p.directories.insert("C:\\temp\\1700000000" + std::to_string(4321 + i));
       },
       10008, taken},
      {"temporary directory missing", [](FakePlatform& p) { p.directories.clear(); }, 10008, {}},
      {"class path variable cannot be set", [](FakePlatform& p) { p.environment_fails = true; }, 10006, {}},
      {"boot class cannot be written", [](FakePlatform& p) { p.write_fails = true; }, 10001, {}},
  };
  for (const Case& c : cases) {
    FakePlatform p;
    p.files[*p.executable] = testing::game_image(kGameConfig);
    p.vms["jview"] = {FakeRun{0, true}};
    c.setup(p);
    p.answer = BoxAnswer::yes;
    Seen seen = run(p);
    EXPECT_EQ(seen.result, 1) << c.name;
    ASSERT_EQ(seen.boxes.size(), 1u) << c.name;
    EXPECT_EQ(seen.boxes[0].text, "quillpod ERROR #" + std::to_string(c.code) + "\n\nWould you like detailed help?")
        << c.name;
    // Before the file is read there is no configuration, so no helpurl.
    const bool configured = c.code != 10003 && c.code != 10004;
    EXPECT_EQ(seen.opened, std::vector<std::string>{(configured ? std::string("http://help.example/t")
                                                                : std::string(kBuiltInHelpAddress)) +
                                                    "#errorcodes"})
        << c.name;
    EXPECT_TRUE(p.started.empty()) << c.name;
    EXPECT_EQ(seen.left, c.left) << c.name;
  }
}

TEST(LauncherRun, WithoutConfigurationEveryKeyTakesItsDefault) {
  FakePlatform p;
  p.files[*p.executable] = testing::game_image(std::nullopt);
  p.answer = BoxAnswer::yes;
  Seen seen = run(p);
  EXPECT_EQ(seen.result, 1);
  ASSERT_EQ(seen.boxes.size(), 1u);
  EXPECT_EQ(seen.boxes[0].caption, "quillpod");
  EXPECT_EQ(seen.boxes[0].text,
            "A Java VM needs to be installed before this program can be run.\n\nWould you like detailed help?");
  EXPECT_EQ(seen.opened, std::vector<std::string>{std::string(kBuiltInHelpAddress) + "#nojavavm"});
  EXPECT_EQ(p.environment["classpath"], "C:\\temp\\17000000004321");
  EXPECT_TRUE(seen.left.empty());
}

TEST(LauncherRun, FailureBoxCaptionIsTheProductElseTheMainClass) {
  struct Case {
    const char* config;
    const char* caption;
  };
  const Case cases[] = {
      {"main=g.Main\nproduct=Tinsel Pr\xC3\xB8" "be\n", "Tinsel Pr\xC3\xB8" "be"},
      {"product=My App\nmain=g.Main\n", "My App"},
      {"main=g.Main\n", "g.Main"},
      {"target=H\n", "quillpod"},
  };
  for (const Case& c : cases) {
    FakePlatform p;
    p.files[*p.executable] = testing::game_image(std::string(c.config));
    p.answer = BoxAnswer::no;
    Seen seen = run(p);
    ASSERT_EQ(seen.boxes.size(), 1u) << c.config;
    EXPECT_EQ(seen.boxes[0].caption, c.caption) << c.config;
  }
}

TEST(LauncherRun, SuccessfulRunLeavesNothingAndShowsNothing) {
  FakePlatform p;
  p.files[*p.executable] = testing::game_image(kGameConfig, std::string(testing::kClassHeader) + "the boot class");
  p.vms["jview"] = {FakeRun{0, true}};
  Seen seen = run(p, "a \"b c\"");
  EXPECT_EQ(seen.result, 0);
  EXPECT_TRUE(seen.boxes.empty());
  EXPECT_TRUE(seen.left.empty());
  ASSERT_EQ(p.started.size(), 1u);
  EXPECT_EQ(p.started[0],
            "jview \"/d:quillpod.dir=C:\\temp\\17000000004321\" quillpodboot \"C:\\apps\\game.exe\" a \"b c\"");
}

TEST(LauncherRun, BootClassWrittenFromRecordB) {
  FakePlatform p;
  const std::string boot = std::string(testing::kClassHeader) + "exact boot bytes";
  p.files[*p.executable] = testing::game_image(kGameConfig, boot);
  p.vms["jview"] = {FakeRun{0, true}};
  // Kept from the clean-up so the test can read it.
  p.undeletable.insert("C:\\temp\\17000000004321\\quillpodboot.class");
  run(p);
  EXPECT_EQ(p.files.at("C:\\temp\\17000000004321\\quillpodboot.class"), testing::bytes_of(boot));
}

TEST(ShowFailureBox, Answers) {
  struct Case {
    const char* name;
    BoxAnswer answer;
    BoxSettings settings;
    std::vector<std::string> opened;
    std::vector<std::string> error_lines;
    std::string caption;
  };
  const std::string long_base = "http://h/" + std::string(500 - 9 - 1 - 13 - 1, 'x');
  const std::string too_long = long_base + "y";
  const Case cases[] = {
      {"No opens nothing", BoxAnswer::no, {std::string("g.Main"), std::string("http://h")}, {}, {}, "g.Main"},
      {"Yes opens base#topic", BoxAnswer::yes, {std::string("g.Main"), std::string("http://h")},
       {"http://h#errorcodes"}, {}, "g.Main"},
      {"Yes without helpurl opens the built-in page", BoxAnswer::yes, {std::nullopt, std::nullopt},
       {std::string(kBuiltInHelpAddress) + "#errorcodes"}, {}, "quillpod"},
      {"no display: two lines, nothing opened", BoxAnswer::unavailable,
       {std::string("g.Main"), std::string("http://h")}, {},
       {"g.Main: quillpod ERROR #10002", "Help: http://h#errorcodes"}, "g.Main"},
  };
  for (const Case& c : cases) {
    FakePlatform p;
    p.answer = c.answer;
    show_failure_box(p, c.settings, "quillpod ERROR #10002", "errorcodes");
    ASSERT_EQ(p.boxes.size(), 1u) << c.name;
    EXPECT_EQ(p.boxes[0].caption, c.caption) << c.name;
    EXPECT_EQ(p.boxes[0].text, "quillpod ERROR #10002\n\nWould you like detailed help?") << c.name;
    EXPECT_EQ(p.opened, c.opened) << c.name;
    EXPECT_EQ(p.error_lines, c.error_lines) << c.name;
  }
}

TEST(HelpBase, LongestThatFitsTheBoxBufferIsKeptLongerIsRefused) {
  // base + "#" + "upgradejavavm" + NUL must fit in 500 bytes.
  const std::string fits(500 - 1 - 13 - 1, 'u');
  EXPECT_TRUE(help_base_fits(fits));
  EXPECT_FALSE(help_base_fits(fits + "u"));

  for (const std::string& base : {fits, fits + "u", std::string(100000, 'u')}) {
    FakePlatform p;
    p.files[*p.executable] = testing::game_image("main=g.Main\ntarget=A\nhelpurl=" + base + "\n");
    p.answer = BoxAnswer::yes;
    run(p);
    ASSERT_EQ(p.opened.size(), 1u);
    EXPECT_EQ(p.opened[0], (help_base_fits(base) ? base : std::string(kBuiltInHelpAddress)) + "#nojavavm");
  }
}

TEST(LauncherRun, CarriageReturnsStayInValues) {
  FakePlatform p;
  p.files[*p.executable] = testing::game_image("main=g.Main\r\ntarget=C\r\nhelpurl=http://h\r\n");
  p.answer = BoxAnswer::unavailable;
  run(p);
  ASSERT_EQ(p.error_lines.size(), 3u);
  p.error_lines.erase(p.error_lines.begin());  // the reason line
  EXPECT_EQ(p.error_lines, (std::vector<std::string>{
                               "g.Main\r: A Java VM needs to be installed before this program can be run.",
                               "Help: http://h\r#nojavavm"}));
}

TEST(ReadEntireFile, SizeAndBuffer) {
  FakePlatform p;
  p.files["C:\\f"] = testing::bytes_of("abc");
  std::vector<unsigned char> out;
  EXPECT_EQ(read_entire_file(p, "C:\\f", nullptr), 3);
  EXPECT_EQ(read_entire_file(p, "C:\\f", &out), 3);
  EXPECT_EQ(out, testing::bytes_of("abc"));
  EXPECT_EQ(read_entire_file(p, "C:\\missing", &out), -1);
  EXPECT_EQ(out, testing::bytes_of("abc"));
}

}  // namespace
}  // namespace quillpod
