// Test support: runs a program with a given environment, its output captured
// in files, for the tests that drive the real launcher binary.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "test_tempdir.h"

namespace quillpod::testing {

struct Finished {
  int exit_code = -1;  // -1 when killed
  int signal = 0;
  std::string out, err;
};

struct Spawn {
  std::string program;
  std::vector<std::string> args;
  std::vector<std::string> env;  // NAME=value, the whole environment
  std::string capture_dir;       // where stdout/stderr files go
  bool as_nobody = false;        // drop root, so permission bits apply
  bool ignore_sigchld = false;   // as some parents leave it for their children
};

inline pid_t spawn(const Spawn& s) {
  std::vector<char*> argv;
  std::string program = s.program;
  argv.push_back(program.data());
  std::vector<std::string> args = s.args;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  std::vector<std::string> env = s.env;
  std::vector<char*> envp;
  for (std::string& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);
  std::string out = s.capture_dir + "/stdout", err = s.capture_dir + "/stderr";
  pid_t pid = fork();
  if (pid == 0) {
    int o = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int e = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int n = open("/dev/null", O_RDONLY);
    dup2(n, 0);
    dup2(o, 1);
    dup2(e, 2);
    if (s.ignore_sigchld) signal(SIGCHLD, SIG_IGN);
    if (s.as_nobody && geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(126);
    execve(program.c_str(), argv.data(), envp.data());
    _exit(127);
  }
  return pid;
}

inline Finished finish(pid_t pid, const std::string& capture_dir) {
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  Finished f;
  if (WIFEXITED(status)) f.exit_code = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) f.signal = WTERMSIG(status);
  f.out = read_text(capture_dir + "/stdout");
  f.err = read_text(capture_dir + "/stderr");
  return f;
}

inline Finished run(const Spawn& s) { return finish(spawn(s), s.capture_dir); }

// Waits for something another process does; a generous bound only keeps a
// broken run from hanging the suite, it measures nothing.
template <typename Pred>
bool eventually(Pred pred, std::chrono::milliseconds interval = std::chrono::milliseconds(20),
                std::chrono::seconds limit = std::chrono::seconds(60)) {
  auto end = std::chrono::steady_clock::now() + limit;
  while (std::chrono::steady_clock::now() < end) {
    if (pred()) return true;
    std::this_thread::sleep_for(interval);
  }
  return pred();
}

// Standard output of a shell command line, for tools the tests ask about
// the system (xdotool, xprop, wine's path converter); empty when it fails.
inline std::string capture(const std::string& command) {
  std::string out;
  if (FILE* p = popen(command.c_str(), "r")) {
    char buffer[256];
    while (std::size_t n = fread(buffer, 1, sizeof buffer, p)) out.append(buffer, n);
    pclose(p);
  }
  return out;
}

inline std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t nl = text.find('\n', start);
    if (nl == std::string::npos) nl = text.size();
    lines.push_back(text.substr(start, nl - start));
    start = nl + 1;
  }
  return lines;
}

// Passes the sanitizers' settings on to a sanitized launcher.
inline void add_sanitizer_env(std::vector<std::string>& env) {
  for (const char* name : {"ASAN_OPTIONS", "UBSAN_OPTIONS"})
    if (const char* v = getenv(name)) env.push_back(std::string(name) + "=" + v);
}

}  // namespace quillpod::testing
