#include "runtime_cache.h"

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sha2.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zstd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "platform_posix.h"

namespace quillpod {

namespace {

std::string system_reason(int error) { return std::strerror(error); }

bool fail(std::string* why, const std::string& text) {
  if (why) *why = text;
  return false;
}

// A descriptor closed when it goes out of scope.
class Fd {
 public:
  explicit Fd(int fd = -1) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  Fd(Fd&& other) noexcept : fd_(other.release()) {}
  Fd& operator=(Fd&& other) noexcept {
    if (fd_ >= 0) close(fd_);
    fd_ = other.release();
    return *this;
  }
  int get() const { return fd_; }
  explicit operator bool() const { return fd_ >= 0; }
  int release() {
    int fd = fd_;
    fd_ = -1;
    return fd;
  }

 private:
  int fd_;
};

// The folder `name` inside `parent`, never through a link.
Fd open_folder(int parent, const std::string& name) {
  return Fd(openat(parent, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
}

// Whether an open folder belongs to the user running the launcher and no
// one else may write into it.
bool own_private(int fd) {
  struct stat st;
  return fstat(fd, &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == geteuid() && (st.st_mode & 022) == 0;
}

// Whether no other user can rename or replace what is in an open folder:
// it is the user's own or the system's, and others may not write into it,
// or only with the sticky bit (as in /tmp).
bool others_cannot_swap(int fd) {
  struct stat st;
  if (fstat(fd, &st) != 0 || (st.st_uid != geteuid() && st.st_uid != 0)) return false;
  return (st.st_mode & 022) == 0 || (st.st_mode & S_ISVTX) != 0;
}

// Opens the folder `name` inside `parent`, making it (0700) when missing;
// refuses one that is a link, is not the user's own, or that others may
// write into: someone else could have planted it there.
Fd open_own_folder(int parent, const std::string& name, std::string* why, const std::string& shown) {
  if (mkdirat(parent, name.c_str(), 0700) != 0 && errno != EEXIST) {
    fail(why, "cannot make " + shown + ": " + system_reason(errno));
    return Fd();
  }
  Fd fd = open_folder(parent, name);
  if (!fd) {
    fail(why, "cannot open " + shown + ": " + (errno == ELOOP || errno == ENOTDIR ? "it is not a folder"
                                                                                   : system_reason(errno)));
    return Fd();
  }
  if (!own_private(fd.get())) {
    fail(why, shown + " is not a private folder of this user");
    return Fd();
  }
  return fd;
}

// The tree stream of a record packed for this system: zstd, hashed with
// the system's SHA-256.
class ZstdTree : public TreeStream {
 public:
  explicit ZstdTree(const RuntimeRecord& record)
      : TreeStream(record, ZSTD_DStreamOutSize()), context_(ZSTD_createDCtx()) {
    input_ = {record.compressed, record.compressed_size, 0};
    SHA256Init(&sha_);
  }
  ~ZstdTree() override { ZSTD_freeDCtx(context_); }

 protected:
  std::size_t decompress(unsigned char* out, std::size_t size, bool& ended, std::string& error) override {
    if (input_.pos == input_.size) {
      error = "its compressed data is cut short";
      return 0;
    }
    ZSTD_outBuffer buffer{out, size, 0};
    std::size_t left = ZSTD_decompressStream(context_, &buffer, &input_);
    if (ZSTD_isError(left)) {
      error = std::string("its compressed data is damaged (") + ZSTD_getErrorName(left) + ")";
      return 0;
    }
    if (left == 0) ended = true;
    return buffer.pos;
  }
  bool input_used_up() const override { return input_.pos == input_.size; }
  void hash(const unsigned char* data, std::size_t size) override { SHA256Update(&sha_, data, size); }
  bool hash_result(RuntimeHash& out) override {
    SHA256Final(out.data(), &sha_);
    return true;
  }

 private:
  ZSTD_DCtx* context_;
  ZSTD_inBuffer input_{};
  SHA2_CTX sha_;
};

// The folder that holds `name` inside the tree at `root`, opened level by
// level without following links; `leaf` gets the last level.
Fd open_parent(int root, const std::string& name, std::string& leaf) {
  Fd current(dup(root));
  std::size_t from = 0, slash;
  while ((slash = name.find('/', from)) != std::string::npos) {
    Fd next = open_folder(current.get(), name.substr(from, slash - from));
    if (!next) return Fd();
    current = std::move(next);
    from = slash + 1;
  }
  leaf = name.substr(from);
  return current;
}

// One line of the manifest: kind, mode, size, change time, name.
// (No string streams: they would bring the C++ library's locale machinery
// into a launcher that is otherwise small.)
std::string manifest_line(unsigned char kind, const struct stat& st, const std::string& name) {
  std::string line(1, static_cast<char>(kind));
  line += ' ' + std::to_string(st.st_mode & 07777) + ' ' +
          std::to_string(kind == kRuntimeFolder ? 0 : static_cast<long long>(st.st_size)) + ' ';
  if (kind == kRuntimeFile)
    line += std::to_string(st.st_ctim.tv_sec) + '.' + std::to_string(st.st_ctim.tv_nsec);
  else
    line += '-';
  return line + ' ' + name + '\n';
}

}  // namespace

std::string runtime_cache_folder() {
  const char* xdg = std::getenv("XDG_CACHE_HOME");
  if (xdg && xdg[0] == '/') return std::string(xdg) + "/quillpod";
  const char* home = std::getenv("HOME");
  std::string base = home && home[0] == '/' ? home : "";
  if (base.empty()) {
    struct passwd* pw = getpwuid(geteuid());
    if (pw && pw->pw_dir && pw->pw_dir[0] == '/') base = pw->pw_dir;
  }
  return base.empty() ? "" : base + "/.cache/quillpod";
}

bool unpack_runtime(const RuntimeRecord& record, int into, std::string* why, bool* damaged_record) {
  ZstdTree tree(record);
  if (damaged_record) *damaged_record = false;
  // A failure of the record itself, as opposed to the disk's.
  auto damaged = [&](const std::string& text) {
    if (damaged_record) *damaged_record = true;
    return fail(why, text);
  };
  std::string manifest = runtime_hash_hex(record.hash) + "\n";
  std::vector<unsigned char> chunk(1 << 16);
  while (!tree.at_end()) {
    TreeEntry entry;
    if (!tree.read_entry(entry)) return damaged("an entry is cut short");
    const unsigned char kind = entry.kind;
    const mode_t mode = static_cast<mode_t>(entry.mode & kRuntimeModeMask);
    const std::string& name = entry.name;
    const std::uint64_t size = entry.size;
    std::string problem = runtime_name_problem(name);
    if (!problem.empty()) return damaged("it holds " + problem);
    std::string leaf;
    Fd parent = open_parent(into, name, leaf);
    if (!parent) return fail(why, "cannot open the folder of " + name + ": " + system_reason(errno));
    struct stat st;
    if (kind == kRuntimeFolder) {
      if (size != 0) return damaged("the folder " + name + " has content");
      // The owner may always write and enter, so the tree can be removed.
      if (mkdirat(parent.get(), leaf.c_str(), mode | 0700) != 0 ||
          fstatat(parent.get(), leaf.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return fail(why, "cannot make the folder " + name + ": " + system_reason(errno));
    } else if (kind == kRuntimeLink) {
      if (size > 4096) return damaged("the link " + name + " is too long");
      std::string target(size, '\0');
      if (!tree.read_exactly(reinterpret_cast<unsigned char*>(target.data()), target.size()))
        return damaged("an entry is cut short");
      if (!runtime_link_stays_inside(name, target))
        return damaged("the link " + name + " leads out of the runtime");
      if (symlinkat(target.c_str(), parent.get(), leaf.c_str()) != 0 ||
          fstatat(parent.get(), leaf.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return fail(why, "cannot make the link " + name + ": " + system_reason(errno));
    } else if (kind == kRuntimeFile) {
      Fd file(openat(parent.get(), leaf.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
      if (!file) return fail(why, "cannot make " + name + ": " + system_reason(errno));
      for (std::uint64_t left = size; left > 0;) {
        std::size_t got = tree.read(chunk.data(), static_cast<std::size_t>(std::min<std::uint64_t>(left, chunk.size())));
        if (got == 0) return damaged(tree.error().empty() ? "an entry is cut short" : tree.error());
        if (!write_all(file.get(), chunk.data(), got))
          return fail(why, "cannot write " + name + ": " + system_reason(errno));
        left -= got;
      }
      // Executable only once whole.
      if (fchmod(file.get(), mode | 0600) != 0 || fstat(file.get(), &st) != 0)
        return fail(why, "cannot finish " + name + ": " + system_reason(errno));
    } else {
      return damaged("an entry of an unknown kind");
    }
    manifest += manifest_line(kind, st, name);
  }
  std::string broken;
  if (!tree.whole(&broken)) return damaged(broken);
  Fd file(openat(into, kRuntimeManifestName, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
  if (!file || !write_all(file.get(), manifest.data(), manifest.size()))
    return fail(why, std::string("cannot write its manifest: ") + system_reason(errno));
  return true;
}

bool runtime_intact(int folder, const RuntimeHash& hash, std::string* why) {
  Fd file(openat(folder, kRuntimeManifestName, O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
  if (!file) return fail(why, "its manifest is missing");
  std::string text;
  char buffer[16384];
  ssize_t n;
  while ((n = read(file.get(), buffer, sizeof buffer)) > 0) text.append(buffer, static_cast<std::size_t>(n));
  std::size_t end = text.find('\n');
  if (end == std::string::npos || text.compare(0, end, runtime_hash_hex(hash)) != 0)
    return fail(why, "its manifest is not this runtime's");
  for (std::size_t at = end + 1; at < text.size(); at = end + 1) {
    end = text.find('\n', at);
    if (end == std::string::npos) return fail(why, "its manifest is cut short");
    const std::string line = text.substr(at, end - at);
    // kind, mode, size, time, name (the name may hold spaces)
    std::size_t cut[4];
    std::size_t from = 0;
    for (std::size_t& c : cut) {
      c = line.find(' ', from);
      if (c == std::string::npos) return fail(why, "its manifest is damaged");
      from = c + 1;
    }
    const std::string name = line.substr(cut[3] + 1);
    struct stat st;
    if (fstatat(folder, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return fail(why, name + " is missing");
    const unsigned char kind = S_ISDIR(st.st_mode) ? kRuntimeFolder
                               : S_ISLNK(st.st_mode) ? kRuntimeLink
                               : S_ISREG(st.st_mode) ? kRuntimeFile
                                                     : '?';
    if (manifest_line(kind, st, name) != line + "\n") return fail(why, name + " has changed");
  }
  return true;
}

bool remove_runtime_tree(int parent, const std::string& name) {
  struct stat listed;
  if (fstatat(parent, name.c_str(), &listed, AT_SYMLINK_NOFOLLOW) != 0) return errno == ENOENT;
  if (!S_ISDIR(listed.st_mode)) return unlinkat(parent, name.c_str(), 0) == 0;
  Fd folder = open_folder(parent, name);
  struct stat opened;
  // Entered only when it is still the folder listed, and this user's own.
  if (!folder || fstat(folder.get(), &opened) != 0 || opened.st_dev != listed.st_dev ||
      opened.st_ino != listed.st_ino || opened.st_uid != geteuid())
    return false;
  fchmod(folder.get(), (opened.st_mode & 07777) | 0700);
  Fd walk(dup(folder.get()));
  DIR* dir = walk ? fdopendir(walk.get()) : nullptr;
  if (!dir) return false;
  walk.release();
  std::vector<std::string> names;
  while (struct dirent* entry = readdir(dir)) {
    std::string entry_name = entry->d_name;
    if (entry_name != "." && entry_name != "..") names.push_back(entry_name);
  }
  closedir(dir);
  for (const std::string& entry_name : names) remove_runtime_tree(folder.get(), entry_name);
  return unlinkat(parent, name.c_str(), AT_REMOVEDIR) == 0;
}

int sweep_runtimes(int runtimes, std::time_t now) {
  Fd walk(dup(runtimes));
  DIR* dir = walk ? fdopendir(walk.get()) : nullptr;
  if (!dir) return 0;
  walk.release();
  std::vector<std::string> names;
  while (struct dirent* entry = readdir(dir)) names.push_back(entry->d_name);
  closedir(dir);
  int removed = 0;
  for (const std::string& name : names) {
    const bool leftover = name.rfind(".tmp-", 0) == 0 || name.rfind(".old-", 0) == 0;
    if (!leftover && !is_runtime_hash_hex(name)) continue;
    struct stat st;
    if (fstatat(runtimes, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISDIR(st.st_mode) ||
        st.st_uid != geteuid())
      continue;
    Fd folder = open_folder(runtimes, name);
    if (!folder) continue;
    if (!leftover) {
      // Last use: the time its manifest was last touched by a launch.
      struct stat used;
      std::time_t last = st.st_mtime;
      if (fstatat(folder.get(), kRuntimeManifestName, &used, AT_SYMLINK_NOFOLLOW) == 0) last = used.st_mtime;
      if (now - last < kRuntimeUnusedLimit) continue;
    }
    if (flock(folder.get(), LOCK_EX | LOCK_NB) != 0) continue;  // in use by a running launch
    if (remove_runtime_tree(runtimes, name)) ++removed;
  }
  return removed;
}

namespace {

std::string random_suffix() {
  unsigned int bits = 0;
  Fd random(open("/dev/urandom", O_RDONLY | O_CLOEXEC));
  if (!random || read(random.get(), &bits, sizeof bits) != static_cast<ssize_t>(sizeof bits))
    bits = static_cast<unsigned int>(getpid()) ^ static_cast<unsigned int>(time(nullptr));
  char text[16];
  std::snprintf(text, sizeof text, "%08x", bits);
  return text;
}

// The runtime `name` inside `runtimes`, when it is whole: locked in use (a
// shared lock, kept until the process ends) and marked as used now.
std::optional<int> open_intact(int runtimes, const std::string& name, const RuntimeHash& hash, std::string* why) {
  Fd folder = open_folder(runtimes, name);
  if (!folder) {
    if (errno != ENOENT) fail(why, "it cannot be opened: " + system_reason(errno));
    return std::nullopt;
  }
  struct stat st;
  if (fstat(folder.get(), &st) != 0 || st.st_uid != geteuid()) {
    fail(why, "it is not this user's own");
    return std::nullopt;
  }
  // A launch removing it holds the lock; the caller then waits its turn.
  if (flock(folder.get(), LOCK_SH | LOCK_NB) != 0) {
    fail(why, "another launch is removing it");
    return std::nullopt;
  }
  if (!runtime_intact(folder.get(), hash, why)) return std::nullopt;
  utimensat(folder.get(), kRuntimeManifestName, nullptr, AT_SYMLINK_NOFOLLOW);
  return folder.release();
}

// Unpacks into a fresh temporary folder inside `parent`, renamed to `name`
// when complete and verified. False with the reason; nothing is left.
bool unpack_into_place(const RuntimeRecord& record, int parent, const std::string& name, std::string* why,
                       bool* damaged_record) {
  const std::string temporary = ".tmp-" + name.substr(0, 16) + "-" + random_suffix();
  if (mkdirat(parent, temporary.c_str(), 0700) != 0) return fail(why, "cannot make a folder: " + system_reason(errno));
  bool done = false;
  {
    Fd folder = open_folder(parent, temporary);
    if (!folder) {
      fail(why, "cannot open a folder: " + system_reason(errno));
    } else if (unpack_runtime(record, folder.get(), why, damaged_record)) {
      if (renameat(parent, temporary.c_str(), parent, name.c_str()) == 0)
        done = true;
      else
        fail(why, "cannot rename it into place: " + system_reason(errno));
    }
  }
  if (!done) remove_runtime_tree(parent, temporary);
  return done;
}

// The runtime in the cache, unpacked there first when missing or damaged;
// nullopt with the reason when the cache cannot serve. `damaged_record` is
// set when the record itself, not the cache, was at fault.
std::optional<std::string> ready_in_cache(const RuntimeRecord& record, const std::string& cache,
                                          std::vector<std::string>& notes, std::string* why, bool* damaged_record) {
  const std::string name = runtime_hash_hex(record.hash);
  if (cache.empty()) return fail(why, "no home folder is known"), std::nullopt;
  // The base is the user's own choice, a link perhaps; below it, nothing is followed.
  const std::string base = cache.substr(0, cache.rfind('/'));
  if (mkdir(base.c_str(), 0700) != 0 && errno != EEXIST)
    return fail(why, "cannot make " + base + ": " + system_reason(errno)), std::nullopt;
  Fd top(open(base.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!top) return fail(why, "cannot open " + base + ": " + system_reason(errno)), std::nullopt;
  // The java program is started by its path: no one else may be able to
  // swap the folders on it between the check and the start.
  if (!others_cannot_swap(top.get())) return fail(why, base + " may be changed by other users"), std::nullopt;
  Fd own = open_own_folder(top.get(), "quillpod", why, cache);
  if (!own) return std::nullopt;
  Fd runtimes = open_own_folder(own.get(), "runtimes", why, cache + "/runtimes");
  if (!runtimes) return std::nullopt;
  const std::string place = cache + "/runtimes/" + name;
  std::string damage;
  if (open_intact(runtimes.get(), name, record.hash, &damage)) {
    // Runtimes of other programs age out here too, unless a launch is
    // unpacking right now (it sweeps itself).
    if (flock(runtimes.get(), LOCK_EX | LOCK_NB) == 0) sweep_runtimes(runtimes.get(), time(nullptr));
    return place;
  }
  // One launch unpacks at a time; the others wait here and then find its work.
  if (flock(runtimes.get(), LOCK_EX) != 0)
    return fail(why, "cannot lock " + cache + "/runtimes: " + system_reason(errno)), std::nullopt;
  damage.clear();
  if (open_intact(runtimes.get(), name, record.hash, &damage)) return place;
  struct stat st;
  if (fstatat(runtimes.get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
    notes.push_back("the cached Java runtime " + place + " is damaged (" + damage + "); unpacking it again");
    // Moved aside first: a VM may still run from it; a later sweep removes it.
    const std::string aside = ".old-" + name.substr(0, 16) + "-" + random_suffix();
    if (renameat(runtimes.get(), name.c_str(), runtimes.get(), aside.c_str()) != 0)
      return fail(why, "cannot move the damaged runtime aside: " + system_reason(errno)), std::nullopt;
  }
  sweep_runtimes(runtimes.get(), time(nullptr));
  if (!unpack_into_place(record, runtimes.get(), name, why, damaged_record)) return std::nullopt;
  if (!open_intact(runtimes.get(), name, record.hash, &damage))
    return fail(why, "what was unpacked into " + place + " is not whole: " + damage), std::nullopt;
  return place;
}

}  // namespace

std::optional<std::string> ready_runtime(const RuntimeRecord& record, int workspace, const std::string& workspace_path,
                                         std::vector<std::string>& notes) {
  const std::string cache = runtime_cache_folder();
  std::string why;
  bool damaged_record = false;
  if (std::optional<std::string> place = ready_in_cache(record, cache, notes, &why, &damaged_record))
    return *place + "/bin/java";
  if (damaged_record) {
    notes.push_back("the Java runtime this program carries is damaged: " + why);
    return std::nullopt;
  }
  notes.push_back("cannot use the runtime cache " + (cache.empty() ? std::string("folder") : cache) + " (" + why +
                  "); unpacking the Java runtime into the workspace for this run");
  const std::string folder = "quillpod-runtime";
  if (!unpack_into_place(record, workspace, folder, &why, &damaged_record)) {
    notes.push_back("cannot unpack the Java runtime into the workspace: " + why);
    return std::nullopt;
  }
  return workspace_path + "/" + folder + "/bin/java";
}

// The system layer's side: the record's data in, reasons on the error stream.

std::optional<std::string> PosixPlatform::ready_carried_runtime(const unsigned char* data, std::size_t size,
                                                                DirectoryId workspace,
                                                                const std::string& workspace_path) {
  std::optional<RuntimeRecord> record = parse_runtime_record(data, size);
  if (!record) {
    write_error_line("quillpod: the Java runtime this program carries is damaged: its record has no valid header");
    return std::nullopt;
  }
  if (record->compression != RuntimeCompression::zstd) {
    write_error_line("quillpod: the Java runtime this program carries was packed for Windows");
    return std::nullopt;
  }
  std::vector<std::string> notes;
  std::optional<std::string> java = ready_runtime(*record, static_cast<int>(workspace), workspace_path, notes);
  for (const std::string& note : notes) write_error_line("quillpod: " + note);
  return java;
}

}  // namespace quillpod
