// Runs the command line in QUILLPOD_RUN exactly as given, waits for it, and
// writes its whole 32-bit exit code, in decimal, to QUILLPOD_RUN_RESULT: a
// Windows exit code reaches a POSIX parent of wine cut to 8 bits.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <fstream>
#include <string>
#include <vector>

namespace {

std::string environment(const char* name) {
  char buffer[32768];
  DWORD n = GetEnvironmentVariableA(name, buffer, sizeof buffer);
  return n == 0 || n >= sizeof buffer ? std::string() : std::string(buffer, n);
}

}  // namespace

int main() {
  const std::string result = environment("QUILLPOD_RUN_RESULT");
  std::vector<char> line;
  for (char c : environment("QUILLPOD_RUN")) line.push_back(c);
  line.push_back('\0');
  STARTUPINFOA startup;
  ZeroMemory(&startup, sizeof startup);
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info;
  DWORD code = 0;
  std::string text = "cannot start";
  if (CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
    WaitForSingleObject(info.hProcess, INFINITE);
    if (GetExitCodeProcess(info.hProcess, &code)) text = std::to_string(code);
  }
  std::ofstream(result, std::ios::binary) << text << "\n";
  return static_cast<int>(code);
}
