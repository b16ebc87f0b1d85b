// Entry point of the console launcher on Windows, for command-line
// applications: a console program, so a terminal shows what the application
// writes, and failures are told on standard error instead of in a box.
#include <string>

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "cmdline.h"
#include "launcher.h"
#include "platform_win32.h"

namespace {

// A command-line tool runs in terminals and pipelines, where a box would stop
// it waiting for an answer nobody sees: every failure goes to standard error.
class ConsolePlatform : public quillpod::Win32Platform {
 public:
  ConsolePlatform() : Win32Platform(true) {}
  quillpod::BoxAnswer ask_yes_no(const std::string&, const std::string&) override {
    return quillpod::BoxAnswer::unavailable;
  }
};

}  // namespace

int main() {
  const char* command_line = GetCommandLineA();
  std::string tail(quillpod::argument_tail_of(command_line ? command_line : ""));
  ConsolePlatform platform;
  return quillpod::launcher_run(platform, tail);
}
