// The carried Java runtime on disk (Windows): unpacked once into the user's
// cache, %LOCALAPPDATA%\quillpod\runtimes\<hash>\, and found there by its
// hash on later launches.
//
// The user's local application data folder is private to the user by its
// access list; the folders made below it inherit that list, and every one
// of them is refused when it is a junction or link (a reparse point), not a
// folder, or not the user's own. A runtime is unpacked into a temporary
// folder beside its final place, checked against its hash while it is
// written, and renamed into place only then. Launches that race take turns
// on a lock file in the runtimes folder; a launch holds a shared lock on its
// runtime's manifest while its VM runs, so no other launch removes it.
#include "platform_win32.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <shlobj.h>
#include <wincrypt.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <vector>

#include "runtime_tree.h"

namespace quillpod {

namespace {

// Runtimes not used for this long are removed by a later launch.
constexpr std::int64_t kUnusedLimitSeconds = 90LL * 24 * 60 * 60;
constexpr const char* kLockName = ".lock";
constexpr const char* kWorkspaceFolder = "quillpod-runtime";

bool fail(std::string* why, const std::string& text) {
  if (why) *why = text;
  return false;
}

// The system's words for an error code, without the closing line break.
std::string reason(DWORD error) {
  char* text = nullptr;
  DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                           nullptr, error, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string words = n && text ? std::string(text, n) : "error " + std::to_string(error);
  if (text) LocalFree(text);
  while (!words.empty() && (words.back() == '\n' || words.back() == '\r' || words.back() == ' ' || words.back() == '.'))
    words.pop_back();
  return words;
}

std::string last_reason() { return reason(GetLastError()); }

std::int64_t file_time_seconds(const FILETIME& t) {
  const std::uint64_t ticks = (std::uint64_t{t.dwHighDateTime} << 32) | t.dwLowDateTime;
  return static_cast<std::int64_t>(ticks / 10000000ULL) - 11644473600LL;
}

std::uint64_t file_time_ticks(const FILETIME& t) { return (std::uint64_t{t.dwHighDateTime} << 32) | t.dwLowDateTime; }

// The SHA-256 of what passes through, by the system's cryptographic provider.
class Sha256 {
 public:
  Sha256() {
    if (CryptAcquireContextA(&provider_, nullptr, nullptr, PROV_RSA_AES, CRYPT_VERIFYCONTEXT) &&
        CryptCreateHash(provider_, CALG_SHA_256, 0, 0, &hash_))
      ok_ = true;
  }
  ~Sha256() {
    if (hash_) CryptDestroyHash(hash_);
    if (provider_) CryptReleaseContext(provider_, 0);
  }
  Sha256(const Sha256&) = delete;
  Sha256& operator=(const Sha256&) = delete;
  void update(const unsigned char* data, std::size_t size) {
    if (ok_ && size > 0 && !CryptHashData(hash_, data, static_cast<DWORD>(size), 0)) ok_ = false;
  }
  // False when the system could not hash.
  bool result(RuntimeHash& out) {
    DWORD size = static_cast<DWORD>(out.size());
    return ok_ && CryptGetHashParam(hash_, HP_HASHVAL, out.data(), &size, 0) && size == out.size();
  }

 private:
  HCRYPTPROV provider_ = 0;
  HCRYPTHASH hash_ = 0;
  bool ok_ = false;
};

// The tree stream of a record packed for Windows: zlib, hashed by the
// system's cryptographic provider.
class ZlibTree : public TreeStream {
 public:
  explicit ZlibTree(const RuntimeRecord& record)
      : TreeStream(record, 1 << 16), next_in_(record.compressed), left_in_(record.compressed_size) {
    started_ = inflateInit(&stream_) == Z_OK;
  }
  ~ZlibTree() override {
    if (started_) inflateEnd(&stream_);
  }

 protected:
  std::size_t decompress(unsigned char* out, std::size_t size, bool& ended, std::string& error) override {
    if (!started_) {
      error = "zlib cannot start";
      return 0;
    }
    if (stream_.avail_in == 0) {
      if (left_in_ == 0) {
        error = "its compressed data is cut short";
        return 0;
      }
      const std::size_t step = std::min<std::size_t>(left_in_, 1 << 20);
      stream_.next_in = const_cast<unsigned char*>(next_in_);
      stream_.avail_in = static_cast<uInt>(step);
      next_in_ += step;
      left_in_ -= step;
    }
    stream_.next_out = out;
    stream_.avail_out = static_cast<uInt>(size);
    const int status = inflate(&stream_, Z_NO_FLUSH);
    if (status == Z_STREAM_END) {
      ended = true;
    } else if (status != Z_OK && status != Z_BUF_ERROR) {
      error = std::string("its compressed data is damaged (") + (stream_.msg ? stream_.msg : "zlib") + ")";
      return 0;
    }
    return size - stream_.avail_out;
  }
  bool input_used_up() const override { return left_in_ == 0 && stream_.avail_in == 0; }
  void hash(const unsigned char* data, std::size_t size) override { sha_.update(data, size); }
  bool hash_result(RuntimeHash& out) override { return sha_.result(out); }

 private:
  z_stream stream_{};
  bool started_ = false;
  const unsigned char* next_in_;
  std::size_t left_in_;
  Sha256 sha_;
};

// Why Windows cannot hold an entry's name ("" when it can): characters its
// file names refuse, or a ':' that would write into a file's hidden stream.
std::string windows_name_problem(const std::string& name) {
  for (char c : name)
    if (static_cast<unsigned char>(c) < 32 || std::strchr("<>:\"|?*\\", c)) return "a name Windows cannot hold: " + name;
  return "";
}

std::string windows_path(std::string name) {
  std::replace(name.begin(), name.end(), '/', '\\');
  return name;
}

// What a path is: a plain folder, a file, or something else (a link or a
// junction, which the launcher never enters); false when it is not there.
enum class Kind { folder, file, other };
bool kind_of(const std::string& path, Kind& kind, WIN32_FILE_ATTRIBUTE_DATA* data = nullptr) {
  WIN32_FILE_ATTRIBUTE_DATA found;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &found)) return false;
  if (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
    kind = Kind::other;
  else
    kind = found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY ? Kind::folder : Kind::file;
  if (data) *data = found;
  return true;
}

// One line of the manifest: kind, size, last write time, name.
std::string manifest_line(unsigned char kind, const WIN32_FILE_ATTRIBUTE_DATA& data, const std::string& name) {
  std::string line(1, static_cast<char>(kind));
  if (kind == kRuntimeFile) {
    const std::uint64_t size = (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
    line += ' ' + std::to_string(size) + ' ' + std::to_string(file_time_ticks(data.ftLastWriteTime));
  } else {
    line += " 0 -";
  }
  return line + ' ' + name + '\n';
}

bool write_all(HANDLE file, const unsigned char* data, std::size_t size) {
  while (size > 0) {
    const DWORD step = static_cast<DWORD>(std::min<std::size_t>(size, 1 << 20));
    DWORD written = 0;
    if (!WriteFile(file, data, step, &written, nullptr) || written == 0) return false;
    data += written;
    size -= written;
  }
  return true;
}

// Unpacks the tree into the empty folder `into`, then writes its manifest.
bool unpack_runtime(const RuntimeRecord& record, const std::string& into, std::string* why, bool* damaged_record) {
  ZlibTree tree(record);
  *damaged_record = false;
  auto damaged = [&](const std::string& text) {
    *damaged_record = true;
    return fail(why, text);
  };
  std::string manifest = runtime_hash_hex(record.hash) + "\n";
  std::vector<unsigned char> chunk(1 << 16);
  while (!tree.at_end()) {
    TreeEntry entry;
    if (!tree.read_entry(entry)) return damaged("an entry is cut short");
    const unsigned char kind = entry.kind;
    const std::string& name = entry.name;
    const std::uint64_t size = entry.size;
    std::string problem = runtime_name_problem(name);
    if (problem.empty()) problem = windows_name_problem(name);
    if (!problem.empty()) return damaged("it holds " + problem);
    const std::string path = into + "\\" + windows_path(name);
    WIN32_FILE_ATTRIBUTE_DATA data;
    Kind made;
    if (kind == kRuntimeFolder) {
      if (size != 0) return damaged("the folder " + name + " has content");
      if (!CreateDirectoryA(path.c_str(), nullptr) || !kind_of(path, made, &data))
        return fail(why, "cannot make the folder " + name + ": " + last_reason());
    } else if (kind == kRuntimeFile) {
      FileHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
      if (!file.valid()) return fail(why, "cannot make " + name + ": " + last_reason());
      for (std::uint64_t left = size; left > 0;) {
        std::size_t got = tree.read(chunk.data(), static_cast<std::size_t>(std::min<std::uint64_t>(left, chunk.size())));
        if (got == 0) return damaged(tree.error().empty() ? "an entry is cut short" : tree.error());
        if (!write_all(file.get(), chunk.data(), got)) return fail(why, "cannot write " + name + ": " + last_reason());
        left -= got;
      }
      if (!CloseHandle(file.release()) || !kind_of(path, made, &data))
        return fail(why, "cannot finish " + name + ": " + last_reason());
    } else if (kind == kRuntimeLink) {
      return damaged("it holds the link " + name + ", which a runtime for Windows does not have");
    } else {
      return damaged("an entry of an unknown kind");
    }
    manifest += manifest_line(kind, data, name);
  }
  std::string broken;
  if (!tree.whole(&broken)) return damaged(broken);
  FileHandle file(CreateFileA((into + "\\" + kRuntimeManifestName).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                          FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid() || !write_all(file.get(), reinterpret_cast<const unsigned char*>(manifest.data()), manifest.size()))
    return fail(why, "cannot write its manifest: " + last_reason());
  return true;
}

// Whether an unpacked tree is still whole: its manifest names the record's
// hash, and every entry it lists is there with its kind, size and time.
bool runtime_intact(const std::string& folder, const RuntimeHash& hash, std::string* why) {
  FileHandle file(CreateFileA((folder + "\\" + kRuntimeManifestName).c_str(), GENERIC_READ,
                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                          FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!file.valid()) return fail(why, "its manifest is missing");
  std::string text;
  char buffer[16384];
  DWORD n = 0;
  while (ReadFile(file.get(), buffer, sizeof buffer, &n, nullptr) && n > 0) text.append(buffer, n);
  std::size_t end = text.find('\n');
  if (end == std::string::npos || text.compare(0, end, runtime_hash_hex(hash)) != 0)
    return fail(why, "its manifest is not this runtime's");
  for (std::size_t at = end + 1; at < text.size(); at = end + 1) {
    end = text.find('\n', at);
    if (end == std::string::npos) return fail(why, "its manifest is cut short");
    const std::string line = text.substr(at, end - at);
    // kind, size, time, name (the name may hold spaces)
    std::size_t cut = 0;
    for (int i = 0; i < 3 && cut != std::string::npos; ++i) cut = line.find(' ', cut + (i ? 1 : 0));
    if (cut == std::string::npos || line.empty()) return fail(why, "its manifest is damaged");
    const std::string name = line.substr(cut + 1);
    WIN32_FILE_ATTRIBUTE_DATA data;
    Kind kind;
    if (!kind_of(folder + "\\" + windows_path(name), kind, &data)) return fail(why, name + " is missing");
    const unsigned char as_listed = kind == Kind::folder ? kRuntimeFolder : kind == Kind::file ? kRuntimeFile : '?';
    if (manifest_line(as_listed, data, name) != line + "\n") return fail(why, name + " has changed");
  }
  return true;
}

// Removes the folder at `path` with everything in it. A link or junction
// is left alone, never entered, moved or removed: some systems remove or
// move what it points to instead. The unpacker makes none, so one inside a
// runtime was put there by hand, and the folder around it stays too.
// True when it is gone.
bool remove_tree(const std::string& path) {
  Kind kind;
  if (!kind_of(path, kind)) return GetLastError() == ERROR_FILE_NOT_FOUND || GetLastError() == ERROR_PATH_NOT_FOUND;
  if (kind == Kind::other) return false;
  if (kind == Kind::file) {
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    return DeleteFileA(path.c_str()) != 0;
  }
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = found.cFileName;
      if (name != "." && name != "..") remove_tree(path + "\\" + name);
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_DIRECTORY);
  return RemoveDirectoryA(path.c_str()) != 0;
}

// Opens the folder at `path`, making it when missing; refuses one that is a
// link or junction, not a folder, or not the user's own: someone else could
// have planted it there.
bool own_folder(const std::string& path, std::string* why) {
  if (!CreateDirectoryA(path.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
    return fail(why, "cannot make " + path + ": " + last_reason());
  FileHandle h(CreateFileA(path.c_str(), READ_CONTROL | FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                       OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!h.valid()) return fail(why, "cannot open " + path + ": " + last_reason());
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(h.get(), &info)) return fail(why, "cannot open " + path + ": " + last_reason());
  if (!(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
    return fail(why, path + " is not a folder");
  if (!owned_by_current_user(h.get())) return fail(why, path + " is not a private folder of this user");
  return true;
}

// A lock on the file `path` (made when missing): exclusive or shared,
// waiting for it or not. An invalid handle when it was not taken; the lock
// ends when the handle is closed or the process ends.
HANDLE take_lock(const std::string& path, bool exclusive, bool wait, DWORD access = GENERIC_READ) {
  FileHandle file(CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                          OPEN_ALWAYS, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!file.valid()) return INVALID_HANDLE_VALUE;
  OVERLAPPED at;
  ZeroMemory(&at, sizeof at);
  DWORD flags = (exclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0) | (wait ? 0 : LOCKFILE_FAIL_IMMEDIATELY);
  if (!LockFileEx(file.get(), flags, 0, 1, 0, &at)) return INVALID_HANDLE_VALUE;
  return file.release();
}

std::string random_suffix() {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  char text[16];
  std::snprintf(text, sizeof text, "%08lx",
                static_cast<unsigned long>(GetCurrentProcessId() * 2654435761u ^ static_cast<DWORD>(now.QuadPart)));
  return text;
}

// Removes, inside the runtimes folder, the runtimes not used for 90 days and
// the leftovers of launches that were killed or moved a damaged runtime
// aside; one a running launch uses (its manifest locked) stays.
void sweep_runtimes(const std::string& runtimes) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((runtimes + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  std::vector<std::string> names;
  do names.push_back(found.cFileName);
  while (FindNextFileA(search, &found));
  FindClose(search);
  const std::int64_t now = static_cast<std::int64_t>(std::time(nullptr));
  for (const std::string& name : names) {
    const bool leftover = name.rfind(".tmp-", 0) == 0 || name.rfind(".old-", 0) == 0;
    if (!leftover && !is_runtime_hash_hex(name)) continue;
    const std::string path = runtimes + "\\" + name;
    WIN32_FILE_ATTRIBUTE_DATA data;
    Kind kind;
    if (!kind_of(path, kind, &data) || kind != Kind::folder) continue;
    const std::string manifest = path + "\\" + kRuntimeManifestName;
    WIN32_FILE_ATTRIBUTE_DATA used;
    Kind manifest_kind;
    const bool has_manifest = kind_of(manifest, manifest_kind, &used);
    if (!leftover) {
      const std::int64_t last = file_time_seconds(has_manifest ? used.ftLastWriteTime : data.ftLastWriteTime);
      if (now - last < kUnusedLimitSeconds) continue;
    }
    // Held while the files go, so no launch starts to use it meanwhile; the
    // manifest and the folder go once it is let go.
    FileHandle lock(has_manifest ? take_lock(manifest, true, false) : INVALID_HANDLE_VALUE);
    if (has_manifest && !lock.valid()) continue;  // in use by a running launch
    remove_tree(path);
    CloseHandle(lock.release());
    remove_tree(path);
  }
}

// The runtime at `place`, when it is whole: locked in use (a shared lock on
// its manifest, kept until the process ends) and marked as used now.
bool open_intact(const std::string& place, const RuntimeHash& hash, std::string* why) {
  Kind kind;
  if (!kind_of(place, kind)) return false;
  if (kind != Kind::folder) return fail(why, "it is not a folder");
  const std::string manifest = place + "\\" + kRuntimeManifestName;
  if (!kind_of(manifest, kind)) return fail(why, "its manifest is missing");
  HANDLE lock = take_lock(manifest, false, false, GENERIC_READ | FILE_WRITE_ATTRIBUTES);
  if (lock == INVALID_HANDLE_VALUE) return fail(why, "another launch is removing it");
  if (!runtime_intact(place, hash, why)) {
    CloseHandle(lock);
    return false;
  }
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  SetFileTime(lock, nullptr, nullptr, &now);
  // Held, never closed: the lock lasts as long as this launch and its VM.
  return true;
}

// Unpacks into a fresh temporary folder inside `parent`, renamed to `name`
// when complete and verified. False with the reason; nothing is left.
bool unpack_into_place(const RuntimeRecord& record, const std::string& parent, const std::string& name,
                       std::string* why, bool* damaged_record) {
  const std::string temporary = parent + "\\.tmp-" + name.substr(0, 16) + "-" + random_suffix();
  *damaged_record = false;
  if (!CreateDirectoryA(temporary.c_str(), nullptr)) return fail(why, "cannot make a folder: " + last_reason());
  bool done = false;
  if (unpack_runtime(record, temporary, why, damaged_record)) {
    if (MoveFileExA(temporary.c_str(), (parent + "\\" + name).c_str(), 0))
      done = true;
    else
      fail(why, "cannot rename it into place: " + last_reason());
  }
  if (!done) remove_tree(temporary);
  return done;
}

// The cache's folder: %LOCALAPPDATA%\quillpod, else the shell's local
// application data folder's; "" when there is none.
std::string runtime_cache_folder() {
  char buffer[MAX_PATH];
  DWORD n = GetEnvironmentVariableA("LOCALAPPDATA", buffer, sizeof buffer);
  std::string base;
  if (n > 0 && n < sizeof buffer) base.assign(buffer, n);
  const bool absolute = base.size() > 2 && ((base[1] == ':' && base[2] == '\\') || base.compare(0, 2, "\\\\") == 0);
  if (!absolute) {
    base.clear();
    if (SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, buffer) == S_OK) base = buffer;
  }
  while (!base.empty() && base.back() == '\\') base.pop_back();
  return base.empty() ? "" : base + "\\quillpod";
}

// The runtime in the cache, unpacked there first when missing or damaged;
// "" with the reason when the cache cannot serve.
std::string ready_in_cache(const RuntimeRecord& record, const std::string& cache, std::vector<std::string>& notes,
                           std::string* why, bool* damaged_record) {
  const std::string name = runtime_hash_hex(record.hash);
  if (cache.empty()) return fail(why, "no local application data folder is known"), "";
  const std::string runtimes = cache + "\\runtimes";
  if (!own_folder(cache, why) || !own_folder(runtimes, why)) return "";
  const std::string place = runtimes + "\\" + name;
  std::string damage;
  if (open_intact(place, record.hash, &damage)) {
    // Runtimes of other programs age out here too, unless a launch is
    // unpacking right now (it sweeps itself).
    FileHandle turn(take_lock(runtimes + "\\" + kLockName, true, false));
    if (turn.valid()) sweep_runtimes(runtimes);
    return place;
  }
  // One launch unpacks at a time; the others wait here and then find its work.
  FileHandle turn(take_lock(runtimes + "\\" + kLockName, true, true));
  if (!turn.valid()) return fail(why, "cannot lock " + runtimes + ": " + last_reason()), "";
  damage.clear();
  if (open_intact(place, record.hash, &damage)) return place;
  Kind kind;
  if (kind_of(place, kind) && kind != Kind::folder)
    return fail(why, place + " is a link or not a folder, which the launcher leaves alone"), "";
  if (kind_of(place, kind)) {
    notes.push_back("the cached Java runtime " + place + " is damaged (" + damage + "); unpacking it again");
    // Moved aside first: a VM may still run from it; a later sweep removes it.
    const std::string aside = runtimes + "\\.old-" + name.substr(0, 16) + "-" + random_suffix();
    if (!MoveFileExA(place.c_str(), aside.c_str(), 0))
      return fail(why, "cannot move the damaged runtime aside: " + last_reason()), "";
  }
  sweep_runtimes(runtimes);
  if (!unpack_into_place(record, runtimes, name, why, damaged_record)) return "";
  if (!open_intact(place, record.hash, &damage))
    return fail(why, "what was unpacked into " + place + " is not whole: " + damage), "";
  return place;
}

}  // namespace

std::optional<std::string> Win32Platform::ready_carried_runtime(const unsigned char* data, std::size_t size,
                                                                DirectoryId workspace, const std::string&) {
  std::optional<RuntimeRecord> record = parse_runtime_record(data, size);
  if (!record) {
    write_error_line("quillpod: the Java runtime this program carries is damaged: its record has no valid header");
    return std::nullopt;
  }
  if (record->compression != RuntimeCompression::zlib) {
    write_error_line("quillpod: the Java runtime this program carries was not packed for Windows");
    return std::nullopt;
  }
  std::vector<std::string> notes;
  auto tell = [&]() {
    for (const std::string& note : notes) write_error_line("quillpod: " + note);
  };
  const std::string cache = runtime_cache_folder();
  std::string why;
  bool damaged_record = false;
  const std::string place = ready_in_cache(*record, cache, notes, &why, &damaged_record);
  if (!place.empty()) {
    tell();
    return place + "\\bin\\java.exe";
  }
  if (damaged_record) {
    notes.push_back("the Java runtime this program carries is damaged: " + why);
    tell();
    return std::nullopt;
  }
  notes.push_back("cannot use the runtime cache " + (cache.empty() ? std::string("folder") : cache) + " (" + why +
                  "); unpacking the Java runtime into the workspace for this run");
  const std::string into = path_of(workspace);
  if (into.empty() || !unpack_into_place(*record, into, kWorkspaceFolder, &why, &damaged_record)) {
    notes.push_back("cannot unpack the Java runtime into the workspace: " + why);
    tell();
    return std::nullopt;
  }
  tell();
  return into + "\\" + kWorkspaceFolder + "\\bin\\java.exe";
}

}  // namespace quillpod
