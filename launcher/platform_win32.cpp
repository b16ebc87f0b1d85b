#include "platform_win32.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <shellapi.h>

#include <cstdint>
#include <ctime>

namespace quillpod {

namespace {

// The start-up block the VM processes get: zeroed, its size field set. On
// the 32-bit system its size is 68 bytes, as the VM launchers expect.
static_assert(sizeof(void*) != 4 || sizeof(STARTUPINFOA) == 68, "start-up block of 68 bytes");

HANDLE handle_of(ProcessId process) {
  return reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(process));
}

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

std::optional<std::string> Win32Platform::executable_path() {
  char buffer[kWin32PathBuffer];
  DWORD n = GetModuleFileNameA(nullptr, buffer, static_cast<DWORD>(sizeof buffer));
  // A path that filled the buffer was cut (and older systems leave it
  // without its NUL): the file it names is not ours.
  if (n == 0 || n >= sizeof buffer) return std::nullopt;
  return std::string(buffer, n);
}

std::optional<std::vector<unsigned char>> Win32Platform::read_file(const std::string& path) {
  FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) return std::nullopt;
  DWORD high = 0;
  DWORD size = GetFileSize(file.get(), &high);
  if ((size == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) || high != 0) return std::nullopt;
  std::vector<unsigned char> bytes(size);
  unsigned char none = 0;
  DWORD got = 0;
  if (!ReadFile(file.get(), size ? bytes.data() : &none, size, &got, nullptr) || got != size) return std::nullopt;
  return bytes;
}

bool Win32Platform::write_new_file(const std::string& path, const unsigned char* data, std::size_t size) {
  if (size > MAXDWORD) return false;
  FileHandle file(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, CREATE_ALWAYS, 0, nullptr));
  if (!file.valid()) return false;
  unsigned char none = 0;
  DWORD written = 0;
  return WriteFile(file.get(), size ? data : &none, static_cast<DWORD>(size), &written, nullptr) &&
         written == size;
}

std::optional<std::string> Win32Platform::temporary_path() {
  char buffer[kWin32TemporaryPathBuffer];
  DWORD n = GetTempPathA(static_cast<DWORD>(sizeof buffer), buffer);
  // Too long for the buffer, the call answers with the size it would need.
  if (n == 0 || n >= sizeof buffer || !temporary_path_fits(n)) return std::nullopt;
  std::string path(buffer, n);
  if (path.back() != '\\') path += '\\';
  return path;
}

bool Win32Platform::create_directory(const std::string& path) {
  return CreateDirectoryA(path.c_str(), nullptr) != 0;
}

std::optional<std::vector<DirectoryEntry>> Win32Platform::list_directory(const std::string& path) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return std::nullopt;
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

bool Win32Platform::remove_directory(const std::string& path) { return RemoveDirectoryA(path.c_str()) != 0; }

bool Win32Platform::delete_file(const std::string& path) {
  if (DeleteFileA(path.c_str())) return true;
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return false;
  // A directory link goes the way of a directory: the link alone.
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) && (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
    return RemoveDirectoryA(path.c_str()) != 0;
  // An unpacked file marked read-only would otherwise outlive the run.
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY) && (attributes & FILE_ATTRIBUTE_READONLY) &&
      SetFileAttributesA(path.c_str(), attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY)))
    return DeleteFileA(path.c_str()) != 0;
  return false;
}

bool Win32Platform::set_environment(const std::string& name, const std::string& value) {
  return SetEnvironmentVariableA(name.c_str(), value.c_str()) != 0;
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
                      &info))
    return std::nullopt;
  CloseHandle(info.hThread);
  // The process handle stays open until the launcher ends.
  return static_cast<ProcessId>(reinterpret_cast<std::intptr_t>(info.hProcess));
}

ProcessEnd Win32Platform::wait_process(ProcessId process) {
  ProcessEnd end;
  HANDLE h = handle_of(process);
  DWORD code = 0;
  if (WaitForSingleObject(h, INFINITE) != WAIT_OBJECT_0 || !GetExitCodeProcess(h, &code)) return end;
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
  if (answer == 0) return BoxAnswer::unavailable;
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
