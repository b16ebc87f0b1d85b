// The launcher's main flow: read the executable's own records, prepare the
// workspace, try the Java VMs, report a failure once, clean up.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform.h"

namespace quillpod {

// What every failure box of one run shows: the application's name as the
// caption and the base address of the help pages.
struct BoxSettings {
  std::optional<std::string> caption;    // value of `main`; "quillpod" when absent
  std::optional<std::string> help_base;  // value of `helpurl`; the built-in address when absent
  bool console = false;                  // a command-line tool: the message goes to standard error, never a box
};

// Box text and help address share one 500-byte buffer in the launcher's
// other builds; a `helpurl` too long for the address with the longest topic
// is refused (the built-in address is used instead) rather than cut, since a
// cut address would lead nowhere.
constexpr std::size_t kBoxBufferSize = 500;
bool help_base_fits(const std::string& help_base);

// Size of the file, or -1 when it cannot be opened or read; the bytes are
// handed over only when `out` is given.
long long read_entire_file(Platform& platform, const std::string& path, std::vector<unsigned char>* out);

// Shows the message with the question whether to open help; on Yes opens the
// help base + "#" + topic. For a command-line tool, and without a display, writes "<caption>: <message>"
// and "Help: <address>" to the error stream and takes the answer as No.
void show_failure_box(Platform& platform, const BoxSettings& settings, const std::string& message,
                      const std::string& topic);

// One whole run; returns the process exit code: the application's own code
// when it ran, 1 after any failure.
int launcher_run(Platform& platform, const std::string& argument_tail);

}  // namespace quillpod
