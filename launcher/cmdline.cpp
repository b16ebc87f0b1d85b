#include "cmdline.h"

namespace quillpod {

namespace {

bool needs_quotes(std::string_view argument) {
  if (argument.empty()) return true;
  for (char c : argument) {
    unsigned char u = static_cast<unsigned char>(c);
    if (u <= 32 || c == '"' || u == 127) return true;
  }
  return false;
}

}  // namespace

std::string quote_argument_always(std::string_view argument) {
  std::string out;
  out.reserve(argument.size() + 2);
  out += '"';
  std::size_t backslashes = 0;
  for (char c : argument) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    if (c == '"') {
      // Backslashes before a quote are doubled, and the quote escaped.
      out.append(2 * backslashes + 1, '\\');
    } else {
      out.append(backslashes, '\\');
    }
    backslashes = 0;
    out += c;
  }
  // Backslashes before the closing quote would escape it: double them.
  out.append(2 * backslashes, '\\');
  out += '"';
  return out;
}

std::string quote_argument(std::string_view argument) {
  if (!needs_quotes(argument)) return std::string(argument);
  return quote_argument_always(argument);
}

std::string build_argument_tail(const std::vector<std::string>& arguments) {
  std::string tail;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    if (i > 0) tail += ' ';
    tail += quote_argument(arguments[i]);
  }
  return tail;
}

std::vector<std::string> split_command_line(std::string_view line) {
  std::vector<std::string> out;
  std::size_t i = 0;
  const std::size_t n = line.size();
  for (;;) {
    while (i < n && (line[i] == ' ' || line[i] == '\t')) ++i;
    if (i >= n) break;
    std::string argument;
    bool quoted = false;
    while (i < n) {
      char c = line[i];
      if (!quoted && (c == ' ' || c == '\t')) break;
      if (c == '\\') {
        std::size_t backslashes = 0;
        while (i < n && line[i] == '\\') {
          ++backslashes;
          ++i;
        }
        if (i < n && line[i] == '"') {
          argument.append(backslashes / 2, '\\');
          if (backslashes % 2 == 1) {
            argument += '"';
            ++i;
          }
        } else {
          argument.append(backslashes, '\\');
        }
        continue;
      }
      if (c == '"') {
        if (quoted && i + 1 < n && line[i + 1] == '"') {
          argument += '"';
          i += 2;
          continue;
        }
        quoted = !quoted;
        ++i;
        continue;
      }
      argument += c;
      ++i;
    }
    out.push_back(std::move(argument));
  }
  return out;
}

std::string_view argument_tail_of(std::string_view command_line) {
  std::size_t i = 0;
  const std::size_t n = command_line.size();
  if (n > 0 && command_line[0] == '"') {
    i = 1;
    while (i < n && command_line[i] != '"') ++i;
    if (i < n) ++i;
  } else {
    while (i < n && static_cast<unsigned char>(command_line[i]) > 32) ++i;
  }
  while (i < n && command_line[i] >= 1 && command_line[i] <= 32) ++i;
  return command_line.substr(i);
}

}  // namespace quillpod
