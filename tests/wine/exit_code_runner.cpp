// Runs the command line in QUILLPOD_RUN exactly as given, waits for it, and
// writes its whole 32-bit exit code, in decimal, to QUILLPOD_RUN_RESULT: a
// Windows exit code reaches a POSIX parent of wine cut to 8 bits.
// With QUILLPOD_RUN_BOX_CAPTION, the text of the first message box of that
// caption goes to the file QUILLPOD_RUN_BOX_TEXT while the box is up; with
// QUILLPOD_RUN_TMP, the program sees that temporary folder in TMP and TEMP.
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

// A message box keeps its text in the static control 0xFFFF.
bool capture_box_text(const std::string& caption, const std::string& file) {
  HWND box = FindWindowA("#32770", caption.c_str());
  if (!box) return false;
  char text[2048];
  UINT n = GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
  if (n == 0) return false;
  // Written under another name first, so the test never reads half of it.
  const std::string part = file + ".part";
  std::ofstream(part, std::ios::binary) << std::string(text, n);
  return MoveFileA(part.c_str(), file.c_str()) != 0;
}

}  // namespace

int main() {
  const std::string result = environment("QUILLPOD_RUN_RESULT");
  const std::string caption = environment("QUILLPOD_RUN_BOX_CAPTION");
  const std::string box_file = environment("QUILLPOD_RUN_BOX_TEXT");
  const std::string tmp = environment("QUILLPOD_RUN_TMP");
  if (!tmp.empty()) {
    SetEnvironmentVariableA("TMP", tmp.c_str());
    SetEnvironmentVariableA("TEMP", tmp.c_str());
  }
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
    bool watching = !caption.empty() && !box_file.empty();
    while (WaitForSingleObject(info.hProcess, watching ? 50 : INFINITE) == WAIT_TIMEOUT)
      watching = !capture_box_text(caption, box_file);
    if (GetExitCodeProcess(info.hProcess, &code)) text = std::to_string(code);
  }
  std::ofstream(result, std::ios::binary) << text << "\n";
  return static_cast<int>(code);
}
