#include "platform_win32.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <ntsecapi.h>
#include <shellapi.h>
#include <aclapi.h>

#include <cstdint>
#include <memory>
#include <ctime>

#include "cmdline.h"

namespace quillpod {

namespace {

// The start-up block the VM processes get: zeroed, its size field set. On
// the 32-bit system its size is 68 bytes, as the VM launchers expect.
static_assert(sizeof(void*) != 4 || sizeof(STARTUPINFOA) == 68, "start-up block of 68 bytes");

HANDLE handle_of(std::int64_t id) { return reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(id)); }

std::int64_t id_of(HANDLE h) { return static_cast<std::int64_t>(reinterpret_cast<std::intptr_t>(h)); }

// A file's bytes as a view of its mapping; the mapping object itself may be
// closed once the view exists.
class MappedView : public FileImage {
 public:
  MappedView(void* view, std::size_t size) : view_(view), size_(size) {}
  ~MappedView() override { UnmapViewOfFile(view_); }
  const unsigned char* data() const override { return static_cast<const unsigned char*>(view_); }
  std::size_t size() const override { return size_; }

 private:
  void* view_;
  std::size_t size_;
};

}  // namespace

FileHandle::~FileHandle() {
  if (valid()) CloseHandle(handle_);
}

void* FileHandle::release() {
  void* handle = handle_;
  handle_ = INVALID_HANDLE_VALUE;
  return handle;
}

namespace {

// Ignores Ctrl-C and Ctrl-Break in the launcher: the VM on the same console
// gets them too and ends as it sees fit, and the launcher, which waits for
// it, reports its exit code and removes the workspace. A handler, not the
// ignore flag, since the flag would be inherited by the VM.
BOOL WINAPI outlive_console_break(DWORD event) {
  return event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT ? TRUE : FALSE;
}

}  // namespace

Win32Platform::Win32Platform(bool console) {
  if (console) use_console();
}

void Win32Platform::use_console() {
  if (console_) return;
  console_ = true;
  // A window program run from a console takes that console, so what the
  // application writes shows where the user typed the command. Streams the
  // caller redirected stay as they are.
  if (GetConsoleCP() == 0 && AttachConsole(ATTACH_PARENT_PROCESS)) {
    const struct {
      DWORD which;
      const char* device;
      DWORD access;
    } streams[] = {{STD_INPUT_HANDLE, "CONIN$", GENERIC_READ | GENERIC_WRITE},
                   {STD_OUTPUT_HANDLE, "CONOUT$", GENERIC_READ | GENERIC_WRITE},
                   {STD_ERROR_HANDLE, "CONOUT$", GENERIC_READ | GENERIC_WRITE}};
    for (const auto& s : streams) {
      HANDLE h = GetStdHandle(s.which);
      if (h != nullptr && h != INVALID_HANDLE_VALUE) continue;
      h = CreateFileA(s.device, s.access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
      if (h != INVALID_HANDLE_VALUE) SetStdHandle(s.which, h);
    }
  }
  SetConsoleCtrlHandler(outlive_console_break, TRUE);
}

bool Win32Platform::failed() {
  last_error_ = GetLastError();
  last_error_text_.clear();
  return false;
}

std::string Win32Platform::last_error() const {
  if (last_error_ == 0) return std::string();
  if (!last_error_text_.empty()) return last_error_text_ + " (error " + std::to_string(last_error_) + ")";
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

std::unique_ptr<FileImage> Win32Platform::map_file(const std::string& path) {
  FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) {
    failed();
    return nullptr;
  }
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file.get(), &size)) {
    failed();
    return nullptr;
  }
  if (size.QuadPart == 0) return std::make_unique<OwnedFileImage>(std::vector<unsigned char>());
  if (static_cast<unsigned long long>(size.QuadPart) > SIZE_MAX) {
    last_error_ = ERROR_FILE_TOO_LARGE;
    return nullptr;
  }
  FileHandle mapping(CreateFileMappingA(file.get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
  if (!mapping.valid()) {
    failed();
    return nullptr;
  }
  void* view = MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, 0);
  if (!view) {
    failed();
    return nullptr;
  }
  return std::make_unique<MappedView>(view, static_cast<std::size_t>(size.QuadPart));
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

// Whether the account behind this process owns the object behind `h`: its
// user, or the default owner its token gives new objects (an elevated
// administrator's files belong to the Administrators group). A volume that
// keeps no owners (FAT) has none to tell apart.
bool owned_by_current_user(HANDLE h) {
  PSID owner = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  DWORD r = GetSecurityInfo(h, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr, nullptr,
                            &descriptor);
  if (r == ERROR_NOT_SUPPORTED) return true;
  if (r != ERROR_SUCCESS || owner == nullptr) {
    if (descriptor) LocalFree(descriptor);
    SetLastError(r != ERROR_SUCCESS ? r : ERROR_INVALID_OWNER);
    return false;
  }
  bool ours = false;
  HANDLE token = nullptr;
  if (OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
    unsigned char buffer[512];
    DWORD n = 0;
    if (GetTokenInformation(token, TokenUser, buffer, sizeof buffer, &n))
      ours = EqualSid(owner, reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid) != 0;
    if (!ours && GetTokenInformation(token, TokenOwner, buffer, sizeof buffer, &n))
      ours = EqualSid(owner, reinterpret_cast<TOKEN_OWNER*>(buffer)->Owner) != 0;
    CloseHandle(token);
  }
  LocalFree(descriptor);
  if (!ours) SetLastError(ERROR_INVALID_OWNER);
  return ours;
}

std::optional<DirectoryId> Win32Platform::open_directory(std::optional<DirectoryId> parent, const std::string& name,
                                                         bool own_only) {
  std::string path = name;
  if (parent) {
    auto it = directories_.find(*parent);
    if (it == directories_.end()) {
      last_error_ = ERROR_INVALID_HANDLE;
      return std::nullopt;
    }
    path = it->second.path + "\\" + name;
  }
  // Opened as the link itself, never its target, and without sharing
  // deletion: while it is open nobody can rename it or put a junction in
  // its place.
  HANDLE h = CreateFileA(path.c_str(), FILE_LIST_DIRECTORY | READ_CONTROL | FILE_READ_ATTRIBUTES,
                         FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                         FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    failed();
    return std::nullopt;
  }
  BY_HANDLE_FILE_INFORMATION info;
  bool ok = GetFileInformationByHandle(h, &info) != 0;
  if (ok && (!(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ||
             (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))) {
    SetLastError(ERROR_DIRECTORY);
    ok = false;
  }
  if (ok && own_only) ok = owned_by_current_user(h);
  if (!ok) {
    failed();
    CloseHandle(h);
    return std::nullopt;
  }
  // A read-only directory refuses removal.
  if (own_only && (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY))
    SetFileAttributesA(path.c_str(), info.dwFileAttributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
  const DirectoryId id = next_directory_++;
  directories_[id] = OpenDirectory{path, id_of(h)};
  return id;
}

void Win32Platform::close_directory(DirectoryId directory) {
  auto it = directories_.find(directory);
  if (it == directories_.end()) return;
  CloseHandle(handle_of(it->second.handle));
  directories_.erase(it);
}

std::string Win32Platform::path_of(DirectoryId directory) const {
  auto it = directories_.find(directory);
  return it == directories_.end() ? std::string() : it->second.path;
}

std::optional<std::vector<DirectoryEntry>> Win32Platform::list_directory(DirectoryId directory) {
  const std::string path = path_of(directory);
  if (path.empty()) {
    last_error_ = ERROR_INVALID_HANDLE;
    return std::nullopt;
  }
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

bool Win32Platform::remove_directory(DirectoryId parent, const std::string& name) {
  const std::string path = path_of(parent) + "\\" + name;
  return RemoveDirectoryA(path.c_str()) != 0 || failed();
}

bool Win32Platform::delete_file(DirectoryId parent, const std::string& name) {
  const std::string path = path_of(parent) + "\\" + name;
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

// The user's own temporary directory is what Windows hands out; its access
// list, not a mode, says who may write there.
bool Win32Platform::others_may_replace_entries(DirectoryId) { return false; }

bool Win32Platform::set_environment(const std::string& name, const std::string& value) {
  return SetEnvironmentVariableA(name.c_str(), value.c_str()) != 0 || failed();
}

std::optional<LockId> Win32Platform::lock_directory(DirectoryId directory, bool inherit) {
  const std::string path = path_of(directory);
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

namespace {

// What kind of program the file holds, by its PE header: "a 64-bit x86
// program"; empty when it is no Windows program at all or cannot be read.
std::string program_kind(const std::string& path) {
  FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) return std::string();
  unsigned char head[1024];
  DWORD got = 0;
  if (!ReadFile(file.get(), head, sizeof head, &got, nullptr) || got < 0x40 || head[0] != 'M' || head[1] != 'Z')
    return std::string();
  const DWORD pe = head[0x3C] | head[0x3D] << 8 | head[0x3E] << 16 | static_cast<DWORD>(head[0x3F]) << 24;
  if (pe > got - 6 || head[pe] != 'P' || head[pe + 1] != 'E' || head[pe + 2] != 0 || head[pe + 3] != 0)
    return "an MS-DOS program";
  const unsigned machine = head[pe + 4] | head[pe + 5] << 8;
  switch (machine) {
    case 0x014C: return "a 32-bit x86 program";
    case 0x8664: return "a 64-bit x86 program";
    case 0xAA64: return "an ARM64 program";
    case 0x01C4: return "an ARM program";
    default: {
      char text[64];
      wsprintfA(text, "a program for machine type 0x%04X", machine);
      return text;
    }
  }
}

}  // namespace

std::string Win32Platform::unrunnable_program(const std::string& command_line) {
  const DWORD error = GetLastError();
  // The system's words when a program file is there but will not run as
  // one: a 32-bit wine says "file not found" of a 64-bit program, a 64-bit
  // wine without 32-bit support "internal error" of a 32-bit one.
  switch (error) {
    case ERROR_FILE_NOT_FOUND: case ERROR_PATH_NOT_FOUND: case ERROR_BAD_FORMAT: case ERROR_INTERNAL_ERROR:
    case ERROR_INVALID_EXE_SIGNATURE: case ERROR_EXE_MARKED_INVALID: case ERROR_BAD_EXE_FORMAT:
    case ERROR_EXE_MACHINE_TYPE_MISMATCH:
      break;
    default:
      return std::string();
  }
  const std::vector<std::string> words = split_command_line(command_line);
  if (words.empty() || words[0].empty()) return std::string();
  char found[kWin32PathBuffer];
  DWORD n = SearchPathA(nullptr, words[0].c_str(), ".exe", static_cast<DWORD>(sizeof found), found, nullptr);
  SetLastError(error);
  if (n == 0 || n >= sizeof found) return std::string();
  const DWORD attributes = GetFileAttributesA(found);
  SetLastError(error);
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return std::string();
  const std::string path(found, n);
  const std::string kind = program_kind(path);
  SetLastError(error);
  const std::string text = path + " exists but is not a Windows program this system can run";
  return kind.empty() ? text : text + ": " + kind;
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
  // A window program's VM runs detached, with no console and no standard
  // streams. A console application's VM shares the launcher's console and
  // streams (inherited, so a redirection to a file or a pipe holds too);
  // a window launcher that found no console to take keeps the VM detached
  // but still hands over what streams it has.
  DWORD flags = CREATE_SUSPENDED;
  // (GetConsoleCP answers 0 when the process has no console.)
  if (!console_ || GetConsoleCP() == 0) flags |= DETACHED_PROCESS;
  if (console_) {
    startup.dwFlags = STARTF_USESTDHANDLES;
    HANDLE* slots[] = {&startup.hStdInput, &startup.hStdOutput, &startup.hStdError};
    const DWORD which[] = {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE};
    for (int i = 0; i < 3; ++i) {
      HANDLE h = GetStdHandle(which[i]);
      if (h == INVALID_HANDLE_VALUE) h = nullptr;
      // Older systems' console handles cannot be marked; they pass anyway.
      if (h) SetHandleInformation(h, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
      *slots[i] = h;
    }
  }
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, flags, nullptr, nullptr, &startup, &info)) {
    std::string why = unrunnable_program(command_line);
    failed();
    last_error_text_ = why;
    return std::nullopt;
  }
  // The VM goes with its launcher, even one ended outright: its processes
  // are in a job that the system ends when the launcher's last handle to it
  // closes. Assigned before the VM runs a single instruction. A system that
  // refuses (an older one, whose launcher already runs in a job) runs the VM
  // as before.
  if (!job_) {
    HANDLE job = CreateJobObjectA(nullptr, nullptr);
    if (job) {
      JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits;
      ZeroMemory(&limits, sizeof limits);
      limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
      if (SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits))
        job_ = id_of(job);
      else
        CloseHandle(job);
    }
  }
  if (job_) AssignProcessToJobObject(handle_of(*job_), info.hProcess);
  ResumeThread(info.hThread);
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

// Box texts as the box shows them: the packer writes the product name in
// UTF-8; anything that is not UTF-8 is in the system's code page.
static std::wstring box_text(const std::string& text) {
  for (UINT page : {static_cast<UINT>(CP_UTF8), static_cast<UINT>(CP_ACP)}) {
    DWORD flags = page == CP_UTF8 ? MB_ERR_INVALID_CHARS : 0;
    int n = MultiByteToWideChar(page, flags, text.c_str(), -1, nullptr, 0);
    if (n <= 0) continue;
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(page, flags, text.c_str(), -1, wide.data(), n);
    wide.pop_back();
    return wide;
  }
  return std::wstring(text.begin(), text.end());
}

BoxAnswer Win32Platform::ask_yes_no(const std::string& caption, const std::string& text) {
  int answer = MessageBoxW(nullptr, box_text(text).c_str(), box_text(caption).c_str(), MB_ICONHAND | MB_YESNO);
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
