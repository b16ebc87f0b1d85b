#include "page.h"

#include <cstdio>
#include <ctime>

namespace scores {

std::string utc_date(std::int64_t seconds) {
  std::time_t t = static_cast<std::time_t>(seconds);
  std::tm tm{};
  gmtime_r(&t, &tm);
  char buf[16];
  std::strftime(buf, sizeof buf, "%Y-%m-%d", &tm);
  return buf;
}

std::string render_html(const std::vector<Ranked>& best) {
  std::string out = R"(<!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<title>Tinsel Barrage! High Scores</title>
<style>
body { margin: 0; padding: 2rem 1rem; box-sizing: border-box; min-height: 100vh;
       font: 16px/1.4 system-ui, sans-serif; color: #1d2b22;
       background: #0f3b26 linear-gradient(#0f3b26, #175c3a); }
main { max-width: 40rem; margin: 0 auto; background: #fffdf6; border-radius: 12px;
       padding: 1.5rem 2rem 2rem; box-shadow: 0 8px 32px rgba(0,0,0,.35);
       border-top: 8px solid #b3121f; }
h1 { margin: 0 0 .2rem; color: #b3121f; font-size: 1.9rem; letter-spacing: .02em; }
p.sub { margin: 0 0 1.2rem; color: #5b6b60; }
table { width: 100%; border-collapse: collapse; }
th { text-align: left; font-size: .8rem; text-transform: uppercase; color: #5b6b60;
     border-bottom: 2px solid #d9c27a; padding: .4rem .5rem; }
td { padding: .35rem .5rem; border-bottom: 1px solid #efe8d2; }
td.rank, td.score, th.num { text-align: right; font-variant-numeric: tabular-nums; }
td.name { overflow-wrap: anywhere; }
tr:nth-child(-n+3) td { font-weight: 600; }
tr:nth-child(1) td.rank { color: #c99a06; }
td.date { color: #5b6b60; white-space: nowrap; }
p.empty { text-align: center; color: #5b6b60; padding: 2rem 0; }
</style>
</head>
<body>
<main>
<h1>Tallowfen: Tinsel Barrage!</h1>
<p class="sub">High scores: the best 100 gunners</p>
)";
  if (best.empty()) {
    out += "<p class=\"empty\">No scores yet. Be the first!</p>\n";
  } else {
    out +=
        "<table>\n<thead><tr><th class=\"num\">Rank</th><th>Name</th>"
        "<th class=\"num\">Score</th><th>Date</th></tr></thead>\n<tbody>\n";
    int rank = 0;
    for (const Ranked& r : best) {
      out += "<tr><td class=\"rank\">" + std::to_string(++rank) + "</td><td class=\"name\">" +
             html_escape(r.name) + "</td><td class=\"score\">" + std::to_string(r.score) +
             "</td><td class=\"date\">" + utc_date(r.created) + "</td></tr>\n";
    }
    out += "</tbody>\n</table>\n";
  }
  out += "</main>\n</body>\n</html>\n";
  return out;
}

std::string render_json(const std::vector<Ranked>& best) {
  std::string out = "{\"scores\":[";
  int rank = 0;
  for (const Ranked& r : best) {
    out += (rank ? ",\n" : "\n");
    out += "{\"rank\":" + std::to_string(++rank) + ",\"name\":" + json_string(r.name) +
           ",\"score\":" + std::to_string(r.score) + ",\"date\":\"" + utc_date(r.created) + "\"}";
  }
  out += "\n]}\n";
  return out;
}

std::string html_escape(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (char c : utf8) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string json_string(std::string_view utf8) {
  std::string out = "\"";
  for (char ch : utf8) {
    auto c = static_cast<unsigned char>(ch);
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      // Keeps the JSON safe to embed in a script element as well.
      case '<': out += "\\u003c"; break;
      case '>': out += "\\u003e"; break;
      case '&': out += "\\u0026"; break;
      default:
        if (c < 0x20) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", c);
          out += buf;
        } else {
          out += ch;
        }
    }
  }
  return out + "\"";
}

}  // namespace scores
