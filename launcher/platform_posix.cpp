#include "platform_posix.h"

#include <dirent.h>
#include <fcntl.h>
#include <langinfo.h>
#include <locale.h>
#include <signal.h>
#include <linux/fs.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
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

// A closed error stream (`app 2>&1 | head -1`) must not kill the launcher
// before it has removed the workspace: it ignores SIGPIPE and lets the write
// fail. Its VMs get the disposition the launcher was started with.
bool g_sigpipe_was_ignored = false;

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

// Asks the file system to place the workspace's folders apart from the
// temporary directory's own files, as it places folders made at the top of a
// disk (ext2/3/4's "T" attribute). An ext4 disk without a journal will not
// hand out a file number freed in the last minute, and walks past every such
// number for each new file: on a busy temporary directory that walk made
// unpacking several times slower than on a quiet one. Only a hint: a file
// system that does not know it refuses it, and nothing else changes.
void mark_top_of_hierarchy(const std::string& path) {
  const int saved_errno = errno;
  int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd >= 0) {
    int flags = 0;
    if (ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0 && !(flags & FS_TOPDIR_FL)) {
      flags |= FS_TOPDIR_FL;
      ioctl(fd, FS_IOC_SETFLAGS, &flags);
    }
    close(fd);
  }
  errno = saved_errno;
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
[[noreturn]] void exec_candidates(const std::vector<const char*>& candidates, char* const* argv, char* const* envp,
                                  int report_fd, const sigset_t& unblock, pid_t launcher) {
  // The VM goes with its launcher, even one killed outright: nothing else
  // would stop it, and its workspace would wait for the next launch. A
  // launcher already gone before this line took effect is seen here.
  prctl(PR_SET_PDEATHSIG, SIGKILL);
  if (getppid() != launcher) _exit(127);
  struct sigaction dfl;
  std::memset(&dfl, 0, sizeof dfl);
  dfl.sa_handler = SIG_DFL;
  for (int i = 0; i < 4; ++i)
    if (g_caught[i]) sigaction(kStopSignals[i], &dfl, nullptr);
  if (!g_sigpipe_was_ignored) sigaction(SIGPIPE, &dfl, nullptr);
  sigprocmask(SIG_UNBLOCK, &unblock, nullptr);
  int error = ENOENT;
  for (const char* candidate : candidates) {
    execve(candidate, argv, envp);
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

bool has_non_ascii(const std::string& text) {
  for (unsigned char c : text)
    if (c >= 0x80) return true;
  return false;
}

// The character set of the named locale's character type; "" when the
// locale is not installed, in which case a VM falls back to ASCII.
std::string ctype_codeset(const std::string& name) {
  locale_t loc = newlocale(LC_CTYPE_MASK, name.c_str(), static_cast<locale_t>(0));
  if (loc == static_cast<locale_t>(0)) return "";
  const char* codeset = nl_langinfo_l(CODESET, loc);
  std::string out = codeset ? codeset : "";
  freelocale(loc);
  return out;
}

bool is_ascii_codeset(const std::string& codeset) { return codeset.empty() || codeset == "ANSI_X3.4-1968"; }

// Whether the bytes have the shape of UTF-8 sequences (lead byte, then its
// continuation bytes); the VM's decoder judges the finer points.
bool is_utf8(const std::string& text) {
  for (std::size_t i = 0; i < text.size();) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    std::size_t n = c < 0x80 ? 0 : (c >> 5) == 0x6 ? 1 : (c >> 4) == 0xE ? 2 : (c >> 3) == 0x1E ? 3 : 4;
    if (n == 4 || i + n >= text.size()) return false;
    for (std::size_t k = 1; k <= n; ++k)
      if ((static_cast<unsigned char>(text[i + k]) >> 6) != 0x2) return false;
    i += n + 1;
  }
  return true;
}

}  // namespace

bool write_all(int fd, const void* data, std::size_t size) {
  const char* at = static_cast<const char*>(data);
  while (size > 0) {
    ssize_t n = write(fd, at, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    at += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

std::vector<std::string> vm_environment(char** environment, const std::vector<std::string>& arguments,
                                        const std::string& utf8_ctype) {
  std::vector<std::string> env;
  std::string lc_all, lc_ctype, lang;
  for (char** e = environment; e && *e; ++e) {
    std::string entry = *e;
    if (entry.rfind("LC_ALL=", 0) == 0) lc_all = entry.substr(7);
    if (entry.rfind("LC_CTYPE=", 0) == 0) lc_ctype = entry.substr(9);
    if (entry.rfind("LANG=", 0) == 0) lang = entry.substr(5);
    env.push_back(std::move(entry));
  }
  // Only names an ASCII character type would spoil, and only when they are
  // UTF-8 (an 8-bit locale such as ISO-8859-1 reads its own names right).
  bool needed = false, all_utf8 = true;
  for (const std::string& a : arguments) {
    needed = needed || has_non_ascii(a);
    all_utf8 = all_utf8 && is_utf8(a);
  }
  // The character type in force: LC_ALL, then LC_CTYPE, then LANG, else "C".
  const std::string ctype = !lc_all.empty() ? lc_all : !lc_ctype.empty() ? lc_ctype : !lang.empty() ? lang : "C";
  if (!needed || !all_utf8 || !is_ascii_codeset(ctype_codeset(ctype)) || ctype_codeset(utf8_ctype) != "UTF-8")
    return env;

  // Only the character type changes: a LC_ALL is spread over the other
  // categories, which it governed, and gives way.
  static const char* const kOtherCategories[] = {"LC_COLLATE", "LC_MESSAGES", "LC_MONETARY", "LC_NUMERIC",
                                                 "LC_TIME", "LC_PAPER", "LC_NAME", "LC_ADDRESS",
                                                 "LC_TELEPHONE", "LC_MEASUREMENT", "LC_IDENTIFICATION"};
  std::vector<std::string> out;
  for (const std::string& entry : env) {
    if (entry.rfind("LC_CTYPE=", 0) == 0) continue;
    if (!lc_all.empty()) {
      if (entry.rfind("LC_ALL=", 0) == 0) continue;
      bool other = false;
      for (const char* c : kOtherCategories) other = other || entry.rfind(std::string(c) + "=", 0) == 0;
      if (other) continue;
    }
    out.push_back(entry);
  }
  if (!lc_all.empty())
    for (const char* c : kOtherCategories) out.push_back(std::string(c) + "=" + lc_all);
  out.push_back("LC_CTYPE=" + utf8_ctype);
  return out;
}

bool PosixPlatform::failed(int error) {
  last_errno_ = error;
  return false;
}

std::string PosixPlatform::last_error() const { return last_errno_ == 0 ? std::string() : std::strerror(last_errno_); }

PosixPlatform::PosixPlatform() {
  struct sigaction old_pipe;
  g_sigpipe_was_ignored = sigaction(SIGPIPE, nullptr, &old_pipe) == 0 && old_pipe.sa_handler == SIG_IGN;
  signal(SIGPIPE, SIG_IGN);
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
  if (!g_sigpipe_was_ignored) signal(SIGPIPE, SIG_DFL);
}

std::optional<std::string> PosixPlatform::executable_path() {
  std::vector<char> buffer(256);
  for (;;) {
    ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (n < 0) {
      failed();
      return std::nullopt;
    }
    if (static_cast<std::size_t>(n) < buffer.size()) return std::string(buffer.data(), static_cast<std::size_t>(n));
    if (buffer.size() >= (1u << 20)) {
      failed(ENAMETOOLONG);
      return std::nullopt;
    }
    buffer.resize(buffer.size() * 2);
  }
}

std::optional<std::vector<unsigned char>> PosixPlatform::read_file(const std::string& path) {
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    failed();
    return std::nullopt;
  }
  struct stat st;
  std::optional<std::vector<unsigned char>> out;
  if (fstat(fd, &st) != 0) {
    failed();
  } else if (!S_ISREG(st.st_mode)) {
    failed(S_ISDIR(st.st_mode) ? EISDIR : EINVAL);
  } else {
    std::vector<unsigned char> bytes(static_cast<std::size_t>(st.st_size));
    std::size_t got = 0;
    int error = 0;
    while (got < bytes.size()) {
      ssize_t n = read(fd, bytes.data() + got, bytes.size() - got);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        error = n < 0 ? errno : EIO;  // a file that shrank while read
        break;
      }
      got += static_cast<std::size_t>(n);
    }
    if (got == bytes.size())
      out = std::move(bytes);
    else
      failed(error);
  }
  close(fd);
  return out;
}

namespace {

class MappedFile : public FileImage {
 public:
  MappedFile(void* data, std::size_t size) : data_(data), size_(size) {}
  ~MappedFile() override {
    if (size_ > 0) munmap(data_, size_);
  }
  const unsigned char* data() const override { return size_ > 0 ? static_cast<const unsigned char*>(data_) : nullptr; }
  std::size_t size() const override { return size_; }

 private:
  void* data_;
  std::size_t size_;
};

}  // namespace

std::unique_ptr<FileImage> PosixPlatform::map_file(const std::string& path) {
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    failed();
    return nullptr;
  }
  struct stat st;
  std::unique_ptr<FileImage> out;
  if (fstat(fd, &st) != 0) {
    failed();
  } else if (!S_ISREG(st.st_mode)) {
    failed(S_ISDIR(st.st_mode) ? EISDIR : EINVAL);
  } else if (st.st_size == 0) {
    out = std::make_unique<MappedFile>(nullptr, 0);
  } else if (static_cast<std::uint64_t>(st.st_size) > SIZE_MAX) {
    failed(EFBIG);
  } else {
    const std::size_t size = static_cast<std::size_t>(st.st_size);
    void* data = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
    if (data == MAP_FAILED) {
      failed();
    } else {
      // The scan reads front to back once: pages behind it may go at once.
      madvise(data, size, MADV_SEQUENTIAL);
      out = std::make_unique<MappedFile>(data, size);
    }
  }
  close(fd);
  return out;
}

bool PosixPlatform::write_new_file(const std::string& path, const unsigned char* data, std::size_t size) {
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) return failed();
  if (!write_all(fd, data, size)) {
    int error = errno == 0 ? ENOSPC : errno;
    close(fd);
    return failed(error);
  }
  if (close(fd) != 0) return failed();
  return true;
}

std::optional<std::string> PosixPlatform::temporary_path() {
  std::string path = environment("TMPDIR");
  if (path.empty()) path = "/tmp";
  if (path.back() != '/') path += '/';
  return path;
}

bool PosixPlatform::create_directory(const std::string& path) {
  if (mkdir(path.c_str(), 0700) != 0) return failed();
  mark_top_of_hierarchy(path);
  return true;
}

std::optional<DirectoryId> PosixPlatform::open_directory(std::optional<DirectoryId> parent, const std::string& name,
                                                         bool own_only) {
  const int at = parent ? static_cast<int>(*parent) : AT_FDCWD;
  // A path-only descriptor first: it opens even a directory the application
  // left unreadable, and its owner is checked before anything is changed.
  // A whole path is taken as the system resolves it (many systems link
  // /tmp elsewhere); a name inside an open directory is never followed.
  int path_fd = openat(at, name.c_str(), O_PATH | O_DIRECTORY | (parent ? O_NOFOLLOW : 0) | O_CLOEXEC);
  if (path_fd < 0) {
    failed();
    return std::nullopt;
  }
  struct stat st;
  if (fstat(path_fd, &st) != 0) {
    int error = errno;
    close(path_fd);
    failed(error);
    return std::nullopt;
  }
  if (own_only) {
    if (st.st_uid != geteuid()) {
      close(path_fd);
      failed(EPERM);
      return std::nullopt;
    }
    // The descriptor's own name in /proc reaches exactly this directory.
    if ((st.st_mode & S_IRWXU) != S_IRWXU)
      chmod(("/proc/self/fd/" + std::to_string(path_fd)).c_str(), (st.st_mode & 07777) | S_IRWXU);
  }
  int fd = openat(path_fd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  int error = errno;
  close(path_fd);
  if (fd < 0) {
    failed(error);
    return std::nullopt;
  }
  struct stat again;
  if (fstat(fd, &again) != 0 || again.st_dev != st.st_dev || again.st_ino != st.st_ino) {
    close(fd);
    failed(ESTALE);
    return std::nullopt;
  }
  return static_cast<DirectoryId>(fd);
}

void PosixPlatform::close_directory(DirectoryId directory) { close(static_cast<int>(directory)); }

std::optional<std::vector<DirectoryEntry>> PosixPlatform::list_directory(DirectoryId directory) {
  // A listing of its own: the held descriptor keeps its place for later walks.
  int fd = openat(static_cast<int>(directory), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  DIR* dir = fd < 0 ? nullptr : fdopendir(fd);
  if (!dir) {
    failed();
    if (fd >= 0) close(fd);
    return std::nullopt;
  }
  std::vector<DirectoryEntry> entries;
  errno = 0;
  while (struct dirent* entry = readdir(dir)) {
    std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    bool is_directory = entry->d_type == DT_DIR;
    if (entry->d_type == DT_UNKNOWN) {
      struct stat st;
      is_directory = fstatat(fd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode);
    }
    entries.push_back({name, is_directory});
    errno = 0;
  }
  int error = errno;
  closedir(dir);
  if (error != 0) {
    failed(error);
    return std::nullopt;
  }
  return entries;
}

bool PosixPlatform::remove_directory(DirectoryId parent, const std::string& name) {
  return unlinkat(static_cast<int>(parent), name.c_str(), AT_REMOVEDIR) == 0 || failed();
}

bool PosixPlatform::delete_file(DirectoryId parent, const std::string& name) {
  return unlinkat(static_cast<int>(parent), name.c_str(), 0) == 0 || failed();
}

bool PosixPlatform::others_may_replace_entries(DirectoryId directory) {
  struct stat st;
  if (fstat(static_cast<int>(directory), &st) != 0) return false;
  return (st.st_mode & (S_IWGRP | S_IWOTH)) != 0 && (st.st_mode & S_ISVTX) == 0;
}

bool PosixPlatform::set_environment(const std::string& name, const std::string& value) {
  return setenv(name.c_str(), value.c_str(), 1) == 0 || failed();
}

std::optional<LockId> PosixPlatform::lock_directory(DirectoryId directory, bool inherit) {
  // A descriptor of its own, so that the lock lives exactly as long as it.
  int fd = openat(static_cast<int>(directory), ".", O_RDONLY | O_DIRECTORY | (inherit ? 0 : O_CLOEXEC));
  if (fd < 0) {
    failed();
    return std::nullopt;
  }
  int r;
  do {
    r = flock(fd, LOCK_EX | LOCK_NB);
  } while (r != 0 && errno == EINTR);
  if (r != 0) {
    failed();
    close(fd);
    return std::nullopt;
  }
  return static_cast<LockId>(fd);
}

void PosixPlatform::unlock_directory(LockId lock) { close(static_cast<int>(lock)); }

std::optional<std::uint32_t> PosixPlatform::random_number() {
  std::uint32_t value = 0;
  ssize_t n;
  do {
    n = getrandom(&value, sizeof value, 0);
  } while (n < 0 && errno == EINTR);
  if (n != static_cast<ssize_t>(sizeof value)) {
    failed(n < 0 ? errno : EIO);
    return std::nullopt;
  }
  return value;
}

std::optional<ProcessId> PosixPlatform::start_process(const std::string& command_line) {
  std::vector<std::string> arguments = split_command_line(command_line);
  if (arguments.empty()) {
    failed(EINVAL);
    return std::nullopt;
  }
  std::vector<std::string> env = vm_environment(environ, arguments, "C.UTF-8");
  std::vector<char*> envp;
  for (std::string& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);
  std::vector<char*> argv;
  for (std::string& a : arguments) argv.push_back(a.data());
  argv.push_back(nullptr);
  std::vector<std::string> candidates = program_candidates(arguments[0]);
  std::vector<const char*> candidate_ptrs;
  for (const std::string& c : candidates) candidate_ptrs.push_back(c.c_str());

  // The child reports a failed exec through this pipe; a successful exec
  // closes it unwritten, so a missing VM never looks like an exit status.
  int report[2];
  if (pipe2(report, O_CLOEXEC) != 0) {
    failed();
    return std::nullopt;
  }

  // Hold the stop signals until the child's id is known, so none is lost.
  sigset_t stops = stop_signal_set();
  sigset_t previous;
  sigprocmask(SIG_BLOCK, &stops, &previous);
  if (g_stop_signal != 0) {
    sigprocmask(SIG_SETMASK, &previous, nullptr);
    close(report[0]);
    close(report[1]);
    failed(EINTR);
    return std::nullopt;
  }
  const pid_t launcher = getpid();
  pid_t pid = fork();
  int fork_error = errno;
  if (pid == 0) {
    close(report[0]);
    exec_candidates(candidate_ptrs, argv.data(), envp.data(), report[1], stops, launcher);
  }
  if (pid > 0) g_child = pid;
  sigprocmask(SIG_SETMASK, &previous, nullptr);
  close(report[1]);
  if (pid < 0) {
    close(report[0]);
    failed(fork_error);
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
    failed(error);
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
  } else {
    failed(r < 0 ? errno : ECHILD);
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
  write_all(STDERR_FILENO, out.data(), out.size());
}

}  // namespace quillpod
