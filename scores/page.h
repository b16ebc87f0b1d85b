// The high-score page and its JSON twin, built from escaped values only.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "store.h"

namespace scores {

// How many scores the page lists.
constexpr int kPageScores = 100;

// The date a score was reported, YYYY-MM-DD in UTC.
std::string utc_date(std::int64_t seconds);

// Text made safe for HTML element content and attribute values.
std::string html_escape(std::string_view utf8);

// Text as a JSON string literal, quotes included (also how the server's log
// quotes a name).
std::string json_string(std::string_view utf8);

std::string render_html(const std::vector<Ranked>& best);
std::string render_json(const std::vector<Ranked>& best);

}  // namespace scores
