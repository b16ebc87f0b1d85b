// The launcher's system layer on Windows (see platform.h): the ANSI Win32
// calls, with the fixed path buffers the launcher has always used there.
#pragma once

#include <cstdint>
#include <map>

#include "platform.h"

namespace quillpod {

// Longest run name: ten digits of seconds, then a signed 32-bit tick count.
constexpr std::size_t kLongestRunName = 10 + 11;
// Longest entry the launcher names inside the workspace itself.
constexpr std::size_t kLongestWorkspaceEntry = 19;  // quillpodboot.result
// Paths the launcher forms must fit the classic 260-byte buffers.
constexpr std::size_t kWin32PathBuffer = 260;
// The temporary path is asked for with this much room.
constexpr std::size_t kWin32TemporaryPathBuffer = 230;

// Whether a temporary path of this length leaves room in 260 bytes for the
// workspace directory and every file the launcher names in it.
constexpr bool temporary_path_fits(std::size_t length) {
  return length + kLongestRunName + 1 + kLongestWorkspaceEntry + 1 <= kWin32PathBuffer;
}

// Whether the account behind this process owns the file or folder open as
// `handle` (a HANDLE): its user, or the default owner its token gives new
// objects. A volume that keeps no owners (FAT) has none to tell apart.
bool owned_by_current_user(void* handle);

// A file or object handle (a HANDLE) closed when it goes out of scope.
class FileHandle {
 public:
  explicit FileHandle(void* handle) : handle_(handle) {}
  ~FileHandle();
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  // Neither null nor INVALID_HANDLE_VALUE.
  bool valid() const { return handle_ != nullptr && reinterpret_cast<std::intptr_t>(handle_) != -1; }
  void* get() const { return handle_; }
  // The handle, now the caller's to close.
  void* release();

 private:
  void* handle_;
};

class Win32Platform : public Platform {
 public:
  // `console`: the launcher is a console program (quillpod-console.exe),
  // which always works as use_console() describes.
  explicit Win32Platform(bool console = false);

  char path_separator() const override { return '\\'; }
  char class_path_separator() const override { return ';'; }
  std::string class_path_variable() const override { return "classpath"; }
  bool names_must_be_utf8() const override { return false; }

  std::optional<std::string> executable_path() override;
  std::optional<std::vector<unsigned char>> read_file(const std::string& path) override;
  bool write_new_file(const std::string& path, const unsigned char* data, std::size_t size) override;
  std::optional<std::string> temporary_path() override;
  bool create_directory(const std::string& path) override;
  std::unique_ptr<FileImage> map_file(const std::string& path) override;
  std::optional<DirectoryId> open_directory(std::optional<DirectoryId> parent, const std::string& name,
                                            bool own_only) override;
  void close_directory(DirectoryId directory) override;
  std::optional<std::vector<DirectoryEntry>> list_directory(DirectoryId directory) override;
  bool remove_directory(DirectoryId parent, const std::string& name) override;
  bool delete_file(DirectoryId parent, const std::string& name) override;
  bool others_may_replace_entries(DirectoryId directory) override;
  bool set_environment(const std::string& name, const std::string& value) override;

  std::optional<LockId> lock_directory(DirectoryId directory, bool inherit) override;
  void unlock_directory(LockId lock) override;
  // In the cache under %LOCALAPPDATA%\quillpod (runtime_cache_win32.cpp).
  std::optional<std::string> ready_carried_runtime(const unsigned char* data, std::size_t size, DirectoryId workspace,
                                                   const std::string& workspace_path) override;
  std::optional<std::uint32_t> random_number() override;
  std::string last_error() const override;

  std::optional<ProcessId> start_process(const std::string& command_line) override;
  ProcessEnd wait_process(ProcessId process) override;
  int stop_signal() override;

  std::uint32_t tick_count() override;
  std::int64_t current_time() override;

  BoxAnswer ask_yes_no(const std::string& caption, const std::string& text) override;
  void open_address(const std::string& address) override;
  void write_error_line(const std::string& line) override;
  void use_console() override;

 private:
  // Keeps the system's code of a call that failed; returns false.
  bool failed();
  unsigned long last_error_ = 0;  // a GetLastError() code, 0 while nothing failed
  // Words that say more than the system's own text for last_error_, when
  // the failure that set it had them; cleared by the next failure.
  std::string last_error_text_;
  // Why a VM command that the system could not start failed, when its
  // program is there after all: the words for last_error_text_, or empty.
  std::string unrunnable_program(const std::string& command_line);

  bool console_ = false;  // the VM shares the console and the standard streams

  // The directories held open, by the ids handed out: where each is, and
  // the handle that keeps it in place.
  struct OpenDirectory {
    std::string path;
    std::int64_t handle;
  };
  std::map<DirectoryId, OpenDirectory> directories_;
  // The job every VM runs in; kept open (never inherited) until the launcher ends.
  std::optional<std::int64_t> job_;
  DirectoryId next_directory_ = 1;
  std::string path_of(DirectoryId directory) const;
};

}  // namespace quillpod
