#include "platform_posix.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "cmdline.h"
#include "platform_posix_x11.h"

extern char** environ;

namespace quillpod {

namespace {

const int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};
// Which of them the launcher catches; one ignored at start (nohup, a
// background job) stays ignored, for the launcher and for its VMs.
bool g_caught[4] = {false, false, false, false};

volatile sig_atomic_t g_stop_signal = 0;
volatile sig_atomic_t g_child = 0;  // the running VM's process id, or 0

void on_stop_signal(int signal, siginfo_t* info, void*) {
  g_stop_signal = signal;
  // A signal from the terminal has already reached the VM, which shares our
  // process group; pass on only what was sent to the launcher alone.
  bool from_terminal = info != nullptr && info->si_code == SI_KERNEL;
  if (g_child > 0 && !from_terminal) kill(static_cast<pid_t>(g_child), signal);
}

sigset_t stop_signal_set() {
  sigset_t set;
  sigemptyset(&set);
  for (int s : kStopSignals) sigaddset(&set, s);
  return set;
}

bool write_all(int fd, const unsigned char* data, std::size_t size) {
  while (size > 0) {
    ssize_t n = write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

std::string environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

// Where the program of a command may be, in the order tried: the search path,
// then for java and jre the installation named by JAVA_HOME.
std::vector<std::string> program_candidates(const std::string& program) {
  if (program.find('/') != std::string::npos) return {program};
  std::vector<std::string> out;
  std::string path = std::getenv("PATH") ? environment("PATH") : "/bin:/usr/bin";
  std::size_t start = 0;
  for (;;) {
    std::size_t colon = path.find(':', start);
    std::string dir = path.substr(start, colon == std::string::npos ? std::string::npos : colon - start);
    out.push_back((dir.empty() ? "." : dir) + "/" + program);
    if (colon == std::string::npos) break;
    start = colon + 1;
  }
  std::string java_home = environment("JAVA_HOME");
  if ((program == "java" || program == "jre") && !java_home.empty())
    out.push_back(java_home + "/bin/" + program);
  return out;
}

// Runs in the child between fork and exec: only async-signal-safe calls.
[[noreturn]] void exec_candidates(const std::vector<const char*>& candidates, char* const* argv, int report_fd,
                                  const sigset_t& unblock) {
  struct sigaction dfl;
  std::memset(&dfl, 0, sizeof dfl);
  dfl.sa_handler = SIG_DFL;
  for (int i = 0; i < 4; ++i)
    if (g_caught[i]) sigaction(kStopSignals[i], &dfl, nullptr);
  sigprocmask(SIG_UNBLOCK, &unblock, nullptr);
  int error = ENOENT;
  for (const char* candidate : candidates) {
    execve(candidate, argv, environ);
    // Like the shell: a missing or unusable file lets the search go on.
    if (errno != ENOENT && errno != ENOTDIR && errno != EACCES) {
      error = errno;
      break;
    }
    if (errno == EACCES) error = EACCES;
  }
  ssize_t ignored = write(report_fd, &error, sizeof error);
  (void)ignored;
  _exit(127);
}

}  // namespace

PosixPlatform::PosixPlatform() {
  // An ignored SIGCHLD survives exec from our parent, and would make every
  // VM vanish unwaited: the launcher could never learn an exit code.
  signal(SIGCHLD, SIG_DFL);
  struct sigaction sa;
  std::memset(&sa, 0, sizeof sa);
  sa.sa_sigaction = on_stop_signal;
  sa.sa_flags = SA_SIGINFO | SA_RESTART;
  sigemptyset(&sa.sa_mask);
  for (int i = 0; i < 4; ++i) {
    struct sigaction old;
    if (sigaction(kStopSignals[i], nullptr, &old) == 0 && old.sa_handler == SIG_IGN) continue;
    g_caught[i] = sigaction(kStopSignals[i], &sa, nullptr) == 0;
  }
}

PosixPlatform::~PosixPlatform() {
  struct sigaction dfl;
  std::memset(&dfl, 0, sizeof dfl);
  dfl.sa_handler = SIG_DFL;
  for (int i = 0; i < 4; ++i) {
    if (g_caught[i]) sigaction(kStopSignals[i], &dfl, nullptr);
    g_caught[i] = false;
  }
}

std::optional<std::string> PosixPlatform::executable_path() {
  std::vector<char> buffer(256);
  for (;;) {
    ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (n < 0) return std::nullopt;
    if (static_cast<std::size_t>(n) < buffer.size()) return std::string(buffer.data(), static_cast<std::size_t>(n));
    if (buffer.size() >= (1u << 20)) return std::nullopt;
    buffer.resize(buffer.size() * 2);
  }
}

std::optional<std::vector<unsigned char>> PosixPlatform::read_file(const std::string& path) {
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  struct stat st;
  std::optional<std::vector<unsigned char>> out;
  if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
    std::vector<unsigned char> bytes(static_cast<std::size_t>(st.st_size));
    std::size_t got = 0;
    while (got < bytes.size()) {
      ssize_t n = read(fd, bytes.data() + got, bytes.size() - got);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      got += static_cast<std::size_t>(n);
    }
    if (got == bytes.size()) out = std::move(bytes);
  }
  close(fd);
  return out;
}

bool PosixPlatform::write_new_file(const std::string& path, const unsigned char* data, std::size_t size) {
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  bool ok = write_all(fd, data, size);
  if (close(fd) != 0) ok = false;
  return ok;
}

std::optional<std::string> PosixPlatform::temporary_path() {
  std::string path = environment("TMPDIR");
  if (path.empty()) path = "/tmp";
  if (path.back() != '/') path += '/';
  return path;
}

bool PosixPlatform::create_directory(const std::string& path) { return mkdir(path.c_str(), 0700) == 0; }

std::optional<std::vector<DirectoryEntry>> PosixPlatform::list_directory(const std::string& path) {
  DIR* dir = opendir(path.c_str());
  if (!dir) return std::nullopt;
  std::vector<DirectoryEntry> entries;
  while (struct dirent* entry = readdir(dir)) {
    std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    bool is_directory = entry->d_type == DT_DIR;
    if (entry->d_type == DT_UNKNOWN) {
      struct stat st;
      is_directory = lstat((path + "/" + name).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    }
    entries.push_back({name, is_directory});
  }
  closedir(dir);
  return entries;
}

bool PosixPlatform::remove_directory(const std::string& path) { return rmdir(path.c_str()) == 0; }

bool PosixPlatform::delete_file(const std::string& path) { return unlink(path.c_str()) == 0; }

bool PosixPlatform::set_environment(const std::string& name, const std::string& value) {
  return setenv(name.c_str(), value.c_str(), 1) == 0;
}

std::optional<ProcessId> PosixPlatform::start_process(const std::string& command_line) {
  std::vector<std::string> arguments = split_command_line(command_line);
  if (arguments.empty()) return std::nullopt;
  std::vector<char*> argv;
  for (std::string& a : arguments) argv.push_back(a.data());
  argv.push_back(nullptr);
  std::vector<std::string> candidates = program_candidates(arguments[0]);
  std::vector<const char*> candidate_ptrs;
  for (const std::string& c : candidates) candidate_ptrs.push_back(c.c_str());

  // The child reports a failed exec through this pipe; a successful exec
  // closes it unwritten, so a missing VM never looks like an exit status.
  int report[2];
  if (pipe2(report, O_CLOEXEC) != 0) return std::nullopt;

  // Hold the stop signals until the child's id is known, so none is lost.
  sigset_t stops = stop_signal_set();
  sigset_t previous;
  sigprocmask(SIG_BLOCK, &stops, &previous);
  if (g_stop_signal != 0) {
    sigprocmask(SIG_SETMASK, &previous, nullptr);
    close(report[0]);
    close(report[1]);
    return std::nullopt;
  }
  pid_t pid = fork();
  if (pid == 0) {
    close(report[0]);
    exec_candidates(candidate_ptrs, argv.data(), report[1], stops);
  }
  if (pid > 0) g_child = pid;
  sigprocmask(SIG_SETMASK, &previous, nullptr);
  close(report[1]);
  if (pid < 0) {
    close(report[0]);
    return std::nullopt;
  }

  int error = 0;
  ssize_t n;
  do {
    n = read(report[0], &error, sizeof error);
  } while (n < 0 && errno == EINTR);
  close(report[0]);
  if (n > 0) {
    int status;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    g_child = 0;
    return std::nullopt;
  }
  return static_cast<ProcessId>(pid);
}

ProcessEnd PosixPlatform::wait_process(ProcessId process) {
  ProcessEnd end;
  int status = 0;
  pid_t r;
  do {
    r = waitpid(static_cast<pid_t>(process), &status, 0);
  } while (r < 0 && errno == EINTR);
  if (r == static_cast<pid_t>(process)) {
    if (g_child == static_cast<sig_atomic_t>(process)) g_child = 0;
    end.waited = true;
    end.status_is_8_bit = true;
    if (WIFEXITED(status)) end.status = static_cast<std::uint32_t>(WEXITSTATUS(status));
    if (WIFSIGNALED(status)) end.signal = WTERMSIG(status);
  }
  return end;
}

int PosixPlatform::stop_signal() { return g_stop_signal; }

std::uint32_t PosixPlatform::tick_count() {
  struct timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  auto ms = static_cast<unsigned long long>(ts.tv_sec) * 1000ull + static_cast<unsigned long long>(ts.tv_nsec) / 1000000ull;
  return static_cast<std::uint32_t>(ms);
}

std::int64_t PosixPlatform::current_time() { return static_cast<std::int64_t>(std::time(nullptr)); }

BoxAnswer PosixPlatform::ask_yes_no(const std::string& caption, const std::string& text) {
  if (environment("DISPLAY").empty()) return BoxAnswer::unavailable;
  return x11_ask_yes_no(caption, text, &g_stop_signal);
}

void PosixPlatform::open_address(const std::string& address) {
  // Fork twice: the browser opener is adopted by init, so the launcher
  // neither waits for it nor leaves a zombie behind.
  pid_t pid = fork();
  if (pid == 0) {
    setsid();
    if (fork() == 0) {
      const char* argv[] = {"xdg-open", address.c_str(), nullptr};
      execvp("xdg-open", const_cast<char* const*>(argv));
      _exit(127);
    }
    _exit(0);
  }
  if (pid > 0) {
    int status;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
  }
}

void PosixPlatform::write_error_line(const std::string& line) {
  std::string out = line + "\n";
  write_all(STDERR_FILENO, reinterpret_cast<const unsigned char*>(out.data()), out.size());
}

}  // namespace quillpod
