// Entry point of the console launcher on Windows, for command-line
// applications: a console program, so a terminal shows what the application
// writes, and failures are told on standard error instead of in a box.
#include <string>

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "cmdline.h"
#include "launcher.h"
#include "platform_win32.h"

int main() {
  const char* command_line = GetCommandLineA();
  std::string tail(quillpod::argument_tail_of(command_line ? command_line : ""));
  quillpod::Win32Platform platform(true);
  return quillpod::launcher_run(platform, tail);
}
