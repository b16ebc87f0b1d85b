// What the launcher adds around a VM run: a packed executable whose stand-in
// VM exits at once, against starting that stand-in directly with the same
// arguments. The runs alternate so both see the same machine load.
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "test_records.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// Runs a program to its end; returns its exit status.
int run(const std::vector<std::string>& args, const std::vector<std::string>& env) {
  std::vector<char*> argv, envp;
  std::vector<std::string> a = args, e = env;
  for (auto& s : a) argv.push_back(s.data());
  argv.push_back(nullptr);
  for (auto& s : e) envp.push_back(s.data());
  envp.push_back(nullptr);
  pid_t pid;
  if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), envp.data()) != 0) return -1;
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  // Usage: launcher_overhead_bench [rounds] [launcher binary, e.g. a stripped copy]
  const int rounds = argc > 1 ? std::atoi(argv[1]) : 200;
  const std::string launcher = argc > 2 ? argv[2] : QUILLPOD_BIN;
  char pattern[] = "/tmp/quillpod-overhead-XXXXXX";
  if (!mkdtemp(pattern)) return 1;
  const fs::path root = pattern;
  fs::create_directories(root / "bin");
  fs::create_directories(root / "tmp");
  fs::create_directories(root / "direct");

  // The stand-in VM: leaves the marker, so the launcher counts the run as started.
  const std::string java = (root / "bin" / "java").string();
  std::ofstream(java) << "#!/bin/sh\n"
                         "for a in \"$@\"; do case $a in -Dquillpod.dir=*) : > \"${a#-Dquillpod.dir=}/Jz.Ky.Tx\";;"
                         " esac; done\nexit 0\n";
  fs::permissions(java, fs::perms::owner_all);

  std::ifstream in(launcher, std::ios::binary);
  quillpod::testing::Bytes image((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  quillpod::testing::append_record(image, 'B', std::string(4343, 'b'));
  quillpod::testing::append_record(image, 'V', "main=bench.Main\ntarget=C\n" + std::string(1, '\0'));
  const std::string game = (root / "game").string();
  std::ofstream(game, std::ios::binary).write(reinterpret_cast<const char*>(image.data()),
                                              static_cast<std::streamsize>(image.size()));
  fs::permissions(game, fs::perms::owner_all);

  const std::vector<std::string> env = {"PATH=" + (root / "bin").string(), "TMPDIR=" + (root / "tmp").string()};
  const std::vector<std::string> launched = {game, "-level", "3"};
  const std::vector<std::string> direct = {java, "-Dquillpod.dir=" + (root / "direct").string(), "quillpodboot",
                                           game, "-level", "3"};

  std::vector<double> through_launcher, alone;
  for (int i = 0; i < rounds; ++i) {
    auto t0 = Clock::now();
    int a = run(launched, env);
    auto t1 = Clock::now();
    int b = run(direct, env);
    auto t2 = Clock::now();
    if (a != 0 || b != 0) {
      std::fprintf(stderr, "a run failed (launcher %d, stand-in %d)\n", a, b);
      return 1;
    }
    through_launcher.push_back(std::chrono::duration<double, std::micro>(t1 - t0).count());
    alone.push_back(std::chrono::duration<double, std::micro>(t2 - t1).count());
  }
  const bool clean = fs::is_empty(root / "tmp");
  fs::remove_all(root);

  const double l = median(through_launcher), d = median(alone);
  std::printf("launcher: %s (%zu bytes with its records)\n", launcher.c_str(), image.size());
  std::printf("rounds: %d (median of each)\n", rounds);
  std::printf("stand-in VM alone:        %8.0f us\n", d);
  std::printf("through the launcher:     %8.0f us\n", l);
  std::printf("launcher's own overhead:  %8.0f us\n", l - d);
  std::printf("ratio launcher / alone:   %8.2f\n", l / d);
  if (!clean) std::printf("warning: a workspace was left behind\n");
  return 0;
}
