// Entry point on Windows: a GUI program, so no console window opens. The
// argument tail is what follows the program name in the process's own
// command line, handed to the VM unchanged.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <string>

#include "cmdline.h"
#include "launcher.h"
#include "platform_win32.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  const char* command_line = GetCommandLineA();
  std::string tail(quillpod::argument_tail_of(command_line ? command_line : ""));
  quillpod::Win32Platform platform;
  return quillpod::launcher_run(platform, tail);
}
