#include "record.h"

#include <vector>

namespace scores {
namespace {

// Drops C0 and C1 control characters and DEL; returns the rest as UTF-8 and
// its length in characters through chars.
std::string latin1_text(std::string_view latin1, std::size_t& chars) {
  std::string out;
  chars = 0;
  for (char ch : latin1) {
    auto c = static_cast<unsigned char>(ch);
    if (c < 0x20 || (c >= 0x7F && c < 0xA0)) continue;
    ++chars;
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

// Whether the scrambled lines taken for a name hold the end of one record and
// the start of another (an opt-in flag line, then a score line): two records
// sent on one connection, which would otherwise be stored as one long name.
bool holds_record_end(std::string_view name_lines) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (;;) {
    std::size_t lf = name_lines.find('\n', start);
    lines.push_back(scramble(name_lines.substr(start, lf == std::string_view::npos ? std::string_view::npos : lf - start)));
    if (lf == std::string_view::npos) break;
    start = lf + 1;
  }
  for (std::size_t i = 1; i + 1 < lines.size(); ++i) {
    const std::string& score = lines[i + 1];
    if ((lines[i] == "0" || lines[i] == "1") && !score.empty() && score.size() <= 10 &&
        score.find_first_not_of("0123456789") == std::string::npos)
      return true;
  }
  return false;
}

}  // namespace

std::variant<Record, Refusal> parse_record(std::string_view raw) {
  if (raw.empty()) return Refusal{"empty record"};
  if (raw.size() > kMaxRecordBytes) return Refusal{"record over 1 KiB"};
  if (raw.back() != '\n') return Refusal{"record not ended by a line feed"};

  // Digits never scramble to a line feed, so the first one ends the score.
  // A "Q" in the name or address does (0x51 ^ 0x5B == 0x0A), so the lines
  // between score and opt-in flag are split at their last line feed: an
  // address rarely holds an upper-case Q, a name often does.
  std::size_t first = raw.find('\n');
  if (raw.size() < first + 5 || raw[raw.size() - 3] != '\n')
    return Refusal{"record has fewer than four lines"};
  std::string_view score_line = raw.substr(0, first);
  std::string_view flag_line = raw.substr(raw.size() - 2, 1);
  std::string_view middle = raw.substr(first + 1, raw.size() - 3 - (first + 1));
  std::size_t split = middle.rfind('\n');
  if (split == std::string_view::npos) return Refusal{"record has fewer than four lines"};

  Record r;
  std::string digits = scramble(score_line);
  if (digits.empty() || digits.size() > 10) return Refusal{"score is not 1 to 10 digits"};
  for (char c : digits) {
    if (c < '0' || c > '9') return Refusal{"score is not decimal digits"};
    r.score = r.score * 10 + (c - '0');
  }
  if (r.score > kMaxScore) return Refusal{"score above what the game can reach"};
  if (r.score % 10 != 0) return Refusal{"score is not a multiple of ten"};

  // Line feeds left inside the name or address were "Q"s.
  std::size_t chars = 0;
  const std::string_view name_lines = middle.substr(0, split);
  if (holds_record_end(name_lines)) return Refusal{"record holds more than one record"};
  r.name = latin1_text(scramble(name_lines), chars);
  if (chars > kMaxFieldChars) return Refusal{"name longer than 64 characters"};
  if (r.name.find_first_not_of(' ') == std::string::npos) return Refusal{"blank name"};
  r.email = latin1_text(scramble(middle.substr(split + 1)), chars);
  if (chars > kMaxFieldChars) return Refusal{"e-mail address longer than 64 characters"};

  std::string flag = scramble(flag_line);
  if (flag != "0" && flag != "1") return Refusal{"opt-in flag is not 0 or 1"};
  r.optin = flag == "1";
  return r;
}

std::string scramble(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(static_cast<unsigned char>(c) ^ kScrambleKey);
  return out;
}

std::string encode_record(std::int64_t score, std::string_view name, std::string_view email,
                          bool optin) {
  return scramble(std::to_string(score)) + '\n' + scramble(name) + '\n' + scramble(email) + '\n' +
         scramble(optin ? "1" : "0") + '\n';
}

}  // namespace scores
