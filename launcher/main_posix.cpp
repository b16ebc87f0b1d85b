// Entry point on POSIX systems: the user's arguments arrive as argv, and are
// turned into the Windows-form argument tail the VM command lines carry.
#include <string>
#include <vector>

#include "cmdline.h"
#include "launcher.h"
#include "platform_posix.h"

int main(int argc, char** argv) {
  std::vector<std::string> arguments;
  for (int i = 1; i < argc; ++i) arguments.emplace_back(argv[i]);
  quillpod::PosixPlatform platform;
  return quillpod::launcher_run(platform, quillpod::build_argument_tail(arguments));
}
