// Command lines in the Windows form: one string in which arguments are
// separated by blanks and quoted with double quotes and backslashes. The
// launcher hands the user's arguments to the VM as such a text, so on POSIX
// it builds the text from argv and later splits its VM command lines again.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quillpod {

// One argument quoted so that split_command_line gives it back unchanged;
// left bare when it holds no blank, control character or double quote.
std::string quote_argument(std::string_view argument);

// Always quoted, for the places where the launcher's command lines put a path
// between double quotes; a path with quotes or trailing backslashes survives.
std::string quote_argument_always(std::string_view argument);

// The user's arguments as one text, each quoted as needed, single spaces
// between them; no arguments give an empty text.
std::string build_argument_tail(const std::vector<std::string>& arguments);

// Splits a command line by the Windows rules: blanks (space, tab) separate
// arguments outside quotes; 2n backslashes before a quote give n backslashes
// and the quote opens or closes quoting; 2n+1 give n and a literal quote; ""
// inside quotes is a literal quote; other backslashes are literal.
std::vector<std::string> split_command_line(std::string_view line);

// The argument tail of a whole process command line, the way the program's
// start-up finds it: skip the program name (quoted up to the closing quote,
// else up to the first character at or below space), then every character
// from 1 to 32.
std::string_view argument_tail_of(std::string_view command_line);

}  // namespace quillpod
