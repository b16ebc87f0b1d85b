// The high-score page and its JSON twin, built from escaped values only.
#pragma once

#include <string>
#include <vector>

#include "store.h"

namespace scores {

// How many scores the page lists.
constexpr int kPageScores = 100;

// The date a score was reported, YYYY-MM-DD in UTC.
std::string utc_date(std::int64_t seconds);

std::string render_html(const std::vector<Ranked>& best);
std::string render_json(const std::vector<Ranked>& best);

}  // namespace scores
