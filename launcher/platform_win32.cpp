#include "platform_win32.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <ntsecapi.h>
#include <shellapi.h>

#include <cstdint>
#include <ctime>

namespace quillpod {

namespace {

// The start-up block the VM processes get: zeroed, its size field set. On
// the 32-bit system its size is 68 bytes, as the VM launchers expect.
static_assert(sizeof(void*) != 4 || sizeof(STARTUPINFOA) == 68, "start-up block of 68 bytes");

HANDLE handle_of(std::int64_t id) { return reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(id)); }

std::int64_t id_of(HANDLE h) { return static_cast<std::int64_t>(reinterpret_cast<std::intptr_t>(h)); }

class FileHandle {
 public:
  explicit FileHandle(HANDLE h) : h_(h) {}
  ~FileHandle() {
    if (valid()) CloseHandle(h_);
  }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  bool valid() const { return h_ != INVALID_HANDLE_VALUE && h_ != nullptr; }
  HANDLE get() const { return h_; }

 private:
  HANDLE h_;
};

}  // namespace

bool Win32Platform::failed() {
  last_error_ = GetLastError();
  return false;
}

std::string Win32Platform::last_error() const {
  if (last_error_ == 0) return std::string();
  char buffer[512];
  DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                           static_cast<DWORD>(last_error_), 0, buffer, static_cast<DWORD>(sizeof buffer), nullptr);
  std::string text(buffer, n < sizeof buffer ? n : 0);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ' || text.back() == '.'))
    text.pop_back();
  const std::string code = "error " + std::to_string(last_error_);
  return text.empty() ? code : text + " (" + code + ")";
}

std::optional<std::string> Win32Platform::executable_path() {
  char buffer[kWin32PathBuffer];
  DWORD n = GetModuleFileNameA(nullptr, buffer, static_cast<DWORD>(sizeof buffer));
  if (n == 0) {
    failed();
    return std::nullopt;
  }
  // A path that filled the buffer was cut (and older systems leave it
  // without its NUL): the file it names is not ours.
  if (n >= sizeof buffer) {
    last_error_ = ERROR_FILENAME_EXCED_RANGE;
    return std::nullopt;
  }
  return std::string(buffer, n);
}

std::optional<std::vector<unsigned char>> Win32Platform::read_file(const std::string& path) {
  FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) {
    failed();
    return std::nullopt;
  }
  DWORD high = 0;
  DWORD size = GetFileSize(file.get(), &high);
  if (size == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) {
    failed();
    return std::nullopt;
  }
  if (high != 0) {
    last_error_ = ERROR_FILE_TOO_LARGE;
    return std::nullopt;
  }
  std::vector<unsigned char> bytes(size);
  unsigned char none = 0;
  DWORD got = 0;
  if (!ReadFile(file.get(), size ? bytes.data() : &none, size, &got, nullptr)) {
    failed();
    return std::nullopt;
  }
  if (got != size) {
    last_error_ = ERROR_HANDLE_EOF;
    return std::nullopt;
  }
  return bytes;
}

bool Win32Platform::write_new_file(const std::string& path, const unsigned char* data, std::size_t size) {
  if (size > MAXDWORD) {
    last_error_ = ERROR_FILE_TOO_LARGE;
    return false;
  }
  FileHandle file(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, CREATE_ALWAYS, 0, nullptr));
  if (!file.valid()) return failed();
  unsigned char none = 0;
  DWORD written = 0;
  if (!WriteFile(file.get(), size ? data : &none, static_cast<DWORD>(size), &written, nullptr)) return failed();
  if (written != size) {
    last_error_ = ERROR_DISK_FULL;
    return false;
  }
  return true;
}

std::optional<std::string> Win32Platform::temporary_path() {
  char buffer[kWin32TemporaryPathBuffer];
  DWORD n = GetTempPathA(static_cast<DWORD>(sizeof buffer), buffer);
  if (n == 0) {
    failed();
    return std::nullopt;
  }
  // Too long for the buffer, the call answers with the size it would need.
  if (n >= sizeof buffer || !temporary_path_fits(n)) {
    last_error_ = ERROR_FILENAME_EXCED_RANGE;
    return std::nullopt;
  }
  std::string path(buffer, n);
  if (path.back() != '\\') path += '\\';
  return path;
}

bool Win32Platform::create_directory(const std::string& path) {
  return CreateDirectoryA(path.c_str(), nullptr) != 0 || failed();
}

std::optional<std::vector<DirectoryEntry>> Win32Platform::list_directory(const std::string& path) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) {
    failed();
    return std::nullopt;
  }
  std::vector<DirectoryEntry> entries;
  do {
    std::string name = found.cFileName;
    if (name == "." || name == "..") continue;
    // A junction or directory link is removed as a link, never walked into.
    const DWORD attributes = found.dwFileAttributes;
    bool is_directory = (attributes & FILE_ATTRIBUTE_DIRECTORY) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
    entries.push_back({name, is_directory});
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return entries;
}

bool Win32Platform::remove_directory(const std::string& path) {
  return RemoveDirectoryA(path.c_str()) != 0 || failed();
}

bool Win32Platform::delete_file(const std::string& path) {
  if (DeleteFileA(path.c_str())) return true;
  failed();
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return false;
  // A directory link goes the way of a directory: the link alone.
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) && (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
    return RemoveDirectoryA(path.c_str()) != 0 || failed();
  // An unpacked file marked read-only would otherwise outlive the run.
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY) && (attributes & FILE_ATTRIBUTE_READONLY)) {
    if (!SetFileAttributesA(path.c_str(), attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY))) return failed();
    return DeleteFileA(path.c_str()) != 0 || failed();
  }
  return false;
}

bool Win32Platform::set_environment(const std::string& name, const std::string& value) {
  return SetEnvironmentVariableA(name.c_str(), value.c_str()) != 0 || failed();
}

bool Win32Platform::make_directory_removable(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return failed();
  // A link's target is never changed, and a read-only directory refuses removal.
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY) || (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
    last_error_ = ERROR_DIRECTORY;
    return false;
  }
  if (!(attributes & FILE_ATTRIBUTE_READONLY)) return true;
  return SetFileAttributesA(path.c_str(), attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY)) != 0 ||
         failed();
}

std::optional<LockId> Win32Platform::lock_directory(const std::string& path, bool inherit) {
  // An open handle with write access that shares no writing: a second one
  // fails with a sharing violation, while files inside are made and listed
  // freely and the directory can still be deleted.
  SECURITY_ATTRIBUTES security;
  ZeroMemory(&security, sizeof security);
  security.nLength = sizeof security;
  security.bInheritHandle = inherit ? TRUE : FALSE;
  HANDLE h = CreateFileA(path.c_str(), FILE_WRITE_DATA, FILE_SHARE_READ | FILE_SHARE_DELETE, &security,
                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    failed();
    return std::nullopt;
  }
  return id_of(h);
}

void Win32Platform::unlock_directory(LockId lock) { CloseHandle(handle_of(lock)); }

std::optional<std::uint32_t> Win32Platform::random_number() {
  std::uint32_t value = 0;
  if (!RtlGenRandom(&value, sizeof value)) {
    failed();
    return std::nullopt;
  }
  return value;
}

std::optional<ProcessId> Win32Platform::start_process(const std::string& command_line) {
  // The command line alone: the system finds jview, java or jre on its path.
  std::vector<char> line(command_line.begin(), command_line.end());
  line.push_back('\0');
  STARTUPINFOA startup;
  ZeroMemory(&startup, sizeof startup);
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info;
  ZeroMemory(&info, sizeof info);
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, DETACHED_PROCESS, nullptr, nullptr, &startup,
                      &info)) {
    failed();
    return std::nullopt;
  }
  CloseHandle(info.hThread);
  // The process handle stays open until the launcher ends.
  return id_of(info.hProcess);
}

ProcessEnd Win32Platform::wait_process(ProcessId process) {
  ProcessEnd end;
  HANDLE h = handle_of(process);
  DWORD code = 0;
  if (WaitForSingleObject(h, INFINITE) != WAIT_OBJECT_0 || !GetExitCodeProcess(h, &code)) {
    failed();
    return end;
  }
  end.waited = true;
  end.status = code;  // all 32 bits
  return end;
}

// Nothing stops a GUI process between VM runs but the VM ending.
int Win32Platform::stop_signal() { return 0; }

std::uint32_t Win32Platform::tick_count() { return GetTickCount(); }

std::int64_t Win32Platform::current_time() { return static_cast<std::int64_t>(std::time(nullptr)); }

BoxAnswer Win32Platform::ask_yes_no(const std::string& caption, const std::string& text) {
  int answer = MessageBoxA(nullptr, text.c_str(), caption.c_str(), MB_ICONHAND | MB_YESNO);
  if (answer == 0) {
    failed();
    return BoxAnswer::unavailable;
  }
  return answer == IDYES ? BoxAnswer::yes : BoxAnswer::no;
}

void Win32Platform::open_address(const std::string& address) {
  ShellExecuteA(nullptr, "open", address.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void Win32Platform::write_error_line(const std::string& line) {
  HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
  if (err == INVALID_HANDLE_VALUE || err == nullptr) return;
  std::string out = line + "\r\n";
  DWORD written = 0;
  WriteFile(err, out.data(), static_cast<DWORD>(out.size()), &written, nullptr);
}

}  // namespace quillpod
