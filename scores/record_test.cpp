// The record reader and the page's escaping, on crafted bytes.
#include <gtest/gtest.h>

#include "page.h"
#include "record.h"

namespace scores {
namespace {

std::string line(std::string_view text) { return scramble(text) + '\n'; }

TEST(Record, ReadsWhatTheGameSends) {
  struct Case {
    const char* what;
    std::string raw;
    std::int64_t score;
    std::string name, email;
    bool optin;
  };
  const Case cases[] = {
      {"plain", encode_record(1230, "Holly", "holly@example.org", true), 1230, "Holly",
       "holly@example.org", true},
      {"unticked box, surrounding spaces kept", encode_record(10, "  Ivy ", " i@x.y", false), 10,
       "  Ivy ", " i@x.y", false},
      // "Q" scrambles to a line feed; the name keeps it.
      {"Q in the name", encode_record(50, "QuinQ Q", "q@x.y", true), 50, "QuinQ Q", "q@x.y", true},
      {"Qs that look like lines", encode_record(50, "Q1Q", "q@x.y", true), 50, "Q1Q", "q@x.y", true},
      {"largest score", encode_record(2147483640, "a", "b", true), 2147483640, "a", "b", true},
      {"zero, empty address", encode_record(0, "a", "", false), 0, "a", "", false},
      {"Latin-1 becomes UTF-8", encode_record(70, "Jos\xE9", "n\xF6@x.y", true), 70,
       "Jos\xC3\xA9", "n\xC3\xB6@x.y", true},
      {"control characters dropped", encode_record(70, "A\tB\x01\x7F\x85", "e\x1Bm", true), 70, "AB",
       "em", true},
      {"64 characters after dropping controls",
       encode_record(70, std::string(64, 'n') + "\t\t", std::string(64, 'e'), false), 70,
       std::string(64, 'n'), std::string(64, 'e'), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto parsed = parse_record(c.raw);
    ASSERT_TRUE(std::holds_alternative<Record>(parsed)) << std::get<Refusal>(parsed).reason;
    const Record& r = std::get<Record>(parsed);
    EXPECT_EQ(r.score, c.score);
    EXPECT_EQ(r.name, c.name);
    EXPECT_EQ(r.email, c.email);
    EXPECT_EQ(r.optin, c.optin);
  }
}

TEST(Record, RefusesAnythingElse) {
  const std::string good = encode_record(1230, "Holly", "h@x.y", true);
  struct Case {
    const char* what;
    std::string raw;
  };
  const Case cases[] = {
      {"empty", ""},
      {"not scrambled", "1230\nHolly\nh@x.y\n1\n"},
      {"no final line feed", good.substr(0, good.size() - 1)},
      {"three lines", line("1230") + line("Holly") + line("1")},
      {"one line", line("1230")},
      {"sign", line("-5") + line("a") + line("b") + line("1")},
      {"score not digits", line("12a") + line("a") + line("b") + line("1")},
      {"empty score", line("") + line("a") + line("b") + line("1")},
      {"eleven digits", line("00000000001") + line("a") + line("b") + line("1")},
      {"2^31", line("2147483648") + line("a") + line("b") + line("1")},
      // What the game cannot send: its scores are tens up to 214748364 tens,
      // its names are never blank.
      {"not a multiple of ten", line("1235") + line("a") + line("b") + line("1")},
      {"above the counter's reach", line("2147483650") + line("a") + line("b") + line("1")},
      {"blank name", encode_record(10, "", "b", true)},
      {"name of spaces", encode_record(10, "   ", "b", true)},
      {"name of control characters", encode_record(10, "\t\x01", "b", true)},
      {"two records on one connection", encode_record(10, "Alice", "a@x.org", true) + encode_record(20, "Bob", "b@x.org", false)},
      {"flag 2", line("1") + line("a") + line("b") + line("2")},
      {"flag two characters", line("1") + line("a") + line("b") + line("10")},
      {"empty flag", line("1") + line("a") + line("b") + line("")},
      {"65-character name", encode_record(10, std::string(65, 'n'), "b", true)},
      {"65-character address", encode_record(10, "a", std::string(65, 'e'), true)},
      {"over 1 KiB", encode_record(10, std::string(600, '\t'), std::string(600, '\t'), true)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto parsed = parse_record(c.raw);
    EXPECT_TRUE(std::holds_alternative<Refusal>(parsed));
  }
}

TEST(Escaping, HtmlAndJson) {
  EXPECT_EQ(html_escape("<script>alert('x&y')</script> \"q\""),
            "&lt;script&gt;alert(&#39;x&amp;y&#39;)&lt;/script&gt; &quot;q&quot;");
  EXPECT_EQ(html_escape("J\xC3\xB6rg"), "J\xC3\xB6rg");
  EXPECT_EQ(json_string("a\"b\\c\n\x01</script>"),
            "\"a\\\"b\\\\c\\n\\u0001\\u003c/script\\u003e\"");
}

TEST(Page, ListsRankNameScoreDateEscaped) {
  std::vector<Ranked> best = {{2000, "<script>x</script>", 0}, {1230, "Holly & Ivy", 86400 * 365}};
  std::string html = render_html(best);
  EXPECT_EQ(html.find("<script>"), std::string::npos);
  EXPECT_NE(html.find("&lt;script&gt;x&lt;/script&gt;"), std::string::npos);
  EXPECT_NE(html.find("Holly &amp; Ivy"), std::string::npos);
  EXPECT_LT(html.find(">2000<"), html.find(">1230<"));
  EXPECT_NE(html.find("1971-01-01"), std::string::npos);
  EXPECT_NE(render_html({}).find("No scores yet"), std::string::npos);
  EXPECT_EQ(render_json(best),
            "{\"scores\":[\n"
            "{\"rank\":1,\"name\":\"\\u003cscript\\u003ex\\u003c/script\\u003e\",\"score\":2000,"
            "\"date\":\"1970-01-01\"},\n"
            "{\"rank\":2,\"name\":\"Holly \\u0026 Ivy\",\"score\":1230,\"date\":\"1971-01-01\"}\n"
            "]}\n");
}

}  // namespace
}  // namespace scores
