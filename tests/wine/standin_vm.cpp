// A stand-in for the Java VM launchers jview, java and jre under wine: the
// test copies it under each name. Each start records what the launcher gave
// it, then acts out the next line of its script:
//   <exit code> [marker] [tree] [readonly]
// marker: leaves the marker file (100 bytes) in the workspace, as a started
// application does; tree: unpacks a small folder tree there, as the boot stage does.
// Files live in the folder named by QUILLPOD_STANDIN_DIR:
//   <name>.plan          the script, one line per start
//   <name>-<n>.call      start n: command line, class path, boot class size
//   order.txt            one line per start: the program's name
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cmdline.h"

namespace {

std::string environment(const char* name) {
  char buffer[32768];
  DWORD n = GetEnvironmentVariableA(name, buffer, sizeof buffer);
  if (n == 0 || n >= sizeof buffer) return "<unset>";
  return std::string(buffer, n);
}

std::string program_name() {
  char buffer[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, buffer, MAX_PATH);
  std::string path(buffer, n < MAX_PATH ? n : 0);
  std::string name = path.substr(path.find_last_of("\\/") + 1);
  for (char& c : name) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  if (name.size() > 4 && name.compare(name.size() - 4, 4, ".exe") == 0) name.resize(name.size() - 4);
  return name;
}

bool exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

long long file_size(const std::string& path) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  return in ? static_cast<long long>(in.tellg()) : -1;
}

std::string workspace_of(const std::vector<std::string>& argv) {
  for (const std::string& a : argv)
    for (const std::string prefix : {"-Dquillpod.dir=", "/d:quillpod.dir="})
      if (a.rfind(prefix, 0) == 0) return a.substr(prefix.size());
  return std::string();
}

}  // namespace

int main() {
  const std::string dir = environment("QUILLPOD_STANDIN_DIR");
  const std::string name = program_name();
  const char* line = GetCommandLineA();
  const std::string workspace = workspace_of(quillpod::split_command_line(line));

  int n = 0;
  while (exists(dir + "\\" + name + "-" + std::to_string(n) + ".call")) ++n;
  std::ofstream(dir + "\\" + name + "-" + std::to_string(n) + ".call", std::ios::binary)
      << line << "\n" << environment("classpath") << "\n" << file_size(workspace + "\\quillpodboot.class") << "\n";
  std::ofstream(dir + "\\order.txt", std::ios::binary | std::ios::app) << name << "\n";

  std::ifstream plan(dir + "\\" + name + ".plan");
  std::string step = "1";
  for (int i = 0; i <= n && std::getline(plan, step); ++i) {
  }
  std::istringstream words(step);
  std::string code, word;
  words >> code;
  while (words >> word) {
    if (word == "marker") {
      std::ofstream(workspace + "\\Jz.Ky.Tx", std::ios::binary) << std::string(100, 'M');
    } else if (word == "tree") {
      std::string sub = workspace;
      for (const char* level : {"com", "tallowfen", "hollyblitz"}) {
        sub += "\\";
        sub += level;
        CreateDirectoryA(sub.c_str(), nullptr);
      }
      std::ofstream(sub + "\\HollyBlitz.class", std::ios::binary) << "class";
      CreateDirectoryA((workspace + "\\XmasGifs").c_str(), nullptr);
      std::ofstream(workspace + "\\XmasGifs\\gun.gif", std::ios::binary) << "GIF89a";
    } else if (word == "readonly") {
      SetFileAttributesA((workspace + "\\XmasGifs\\gun.gif").c_str(), FILE_ATTRIBUTE_READONLY);
      SetFileAttributesA((workspace + "\\com\\tallowfen").c_str(), FILE_ATTRIBUTE_READONLY);
    }
  }
  ExitProcess(static_cast<UINT>(std::strtoul(code.c_str(), nullptr, 10)));
}
