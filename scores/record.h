// The score record as the game sends it, and the text helpers the page needs.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

namespace scores {

// Largest record the server reads; anything longer is refused unread.
constexpr std::size_t kMaxRecordBytes = 1024;
// Longest name or e-mail address kept, counted in characters after control
// characters are removed.
constexpr std::size_t kMaxFieldChars = 64;
// The greatest score the game can send: its counter stops where ten times it
// still fits a signed 32-bit number, and every score is a multiple of ten.
constexpr std::int64_t kMaxScore = 2147483640;
// The game scrambles each line by XOR with this byte; line feeds stay plain.
constexpr unsigned char kScrambleKey = 0x5B;

struct Record {
  std::int64_t score = 0;
  std::string name;   // UTF-8
  std::string email;  // UTF-8
  bool optin = false;
};

// A refusal, with the reason for the log.
struct Refusal {
  std::string reason;
};

// Reads one whole record (four scrambled lines, each ended by a line feed)
// and checks every field against what the game can send: a score that is a
// multiple of ten up to kMaxScore, a name that is not blank, an opt-in flag
// of 0 or 1. The game sends the address with every "Q" lowered (an upper-case
// Q scrambles to a line feed), so the address is the line before the flag and
// the name all between the score and the address, its line feeds read as Qs. The game's characters arrive as their low 8 bits,
// so the text is read as Latin-1 and kept as UTF-8.
std::variant<Record, Refusal> parse_record(std::string_view raw);

// The game's line scrambling: each byte XOR kScrambleKey, so the same
// function also undoes it (the reader's side, and clients written in C++).
std::string scramble(std::string_view text);

// A whole record as the game puts it on the wire.
std::string encode_record(std::int64_t score, std::string_view name, std::string_view email,
                          bool optin);

}  // namespace scores
