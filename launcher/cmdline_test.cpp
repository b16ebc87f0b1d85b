#include "cmdline.h"

#include <gtest/gtest.h>

namespace quillpod {
namespace {

TEST(ArgumentTail, RoundTripsTrickyArguments) {
  const std::vector<std::vector<std::string>> cases = {
      {},
      {"plain"},
      {""},
      {"", ""},
      {"two words", "x"},
      {"tab\there"},
      {"say \"hi\""},
      {"\""},
      {"\"\""},
      {"back\\slash"},
      {"trailing\\"},
      {"trailing\\\\"},
      {"with space\\"},
      {"\\\"", "\\\\\""},
      {"a\\\\b c"},
      {"new\nline", "\r"},
      {"caf\xC3\xA9", "\xE2\x9C\x93 ok", "\xF0\x9F\x8E\x84"},
      {" lead", "trail ", "  "},
      {"--opt=a b", "-x", "/d:foo"},
  };
  for (const auto& args : cases) {
    std::string tail = build_argument_tail(args);
    EXPECT_EQ(split_command_line(tail), args) << tail;
  }
}

TEST(ArgumentTail, Form) {
  struct Case {
    std::vector<std::string> args;
    const char* tail;
  };
  const Case cases[] = {
      {{}, ""},
      {{"a", "b"}, "a b"},
      {{""}, "\"\""},
      {{"a b"}, "\"a b\""},
      {{"a\\b"}, "a\\b"},
      {{"a\"b"}, "\"a\\\"b\""},
      {{"a b\\"}, "\"a b\\\\\""},
  };
  for (const Case& c : cases) EXPECT_EQ(build_argument_tail(c.args), c.tail);
}

TEST(QuoteArgumentAlways, PlainPathGetsPlainQuotes) {
  EXPECT_EQ(quote_argument_always("/tmp/1700000000123"), "\"/tmp/1700000000123\"");
  EXPECT_EQ(split_command_line(quote_argument_always("/odd\"dir\\")),
            std::vector<std::string>{"/odd\"dir\\"});
}

TEST(SplitCommandLine, WindowsRules) {
  struct Case {
    const char* line;
    std::vector<std::string> expected;
  };
  const Case cases[] = {
      {"", {}},
      {"   \t ", {}},
      {"a  b\tc", {"a", "b", "c"}},
      {"\"a b\" c", {"a b", "c"}},
      {"a\"b c\"d", {"ab cd"}},
      {"\\\\server\\share", {"\\\\server\\share"}},
      {"a\\\\\"b c\"", {"a\\b c"}},
      {"a\\\\\\\"b", {"a\\\"b"}},
      {"\"\"", {""}},
      {"x \"\" y", {"x", "", "y"}},
      {"\"a\"\"b\"", {"a\"b"}},
      {"\"unterminated arg", {"unterminated arg"}},
      {"java \"-Dquillpod.dir=/tmp/5\" quillpodboot \"/x/game\" ",
       {"java", "-Dquillpod.dir=/tmp/5", "quillpodboot", "/x/game"}},
  };
  for (const Case& c : cases) EXPECT_EQ(split_command_line(c.line), c.expected) << c.line;
}

TEST(ArgumentTailOf, SkipsTheProgramName) {
  struct Case {
    const char* command_line;
    const char* tail;
  };
  const Case cases[] = {
      {"\"C:\\Program Files\\game.exe\"   ", ""},
      {"game.exe\ta b", "a b"},
      {"game.exe", ""},
      {"\"game.exe\"x y", "x y"},
      {"\"unterminated", ""},
      {"game.exe \x01\x1f \"q r\"", "\"q r\""},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(argument_tail_of(c.command_line), c.tail) << c.command_line;
}

}  // namespace
}  // namespace quillpod
