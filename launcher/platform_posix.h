// The launcher's system layer on POSIX systems with X11 (see platform.h).
#pragma once

#include <cerrno>
#include <string>
#include <vector>

#include "platform.h"

namespace quillpod {

// Writes all of data to fd, going on after a partial write or an interrupted
// call; false when the system refuses (errno says why).
bool write_all(int fd, const void* data, std::size_t size);

class PosixPlatform : public Platform {
 public:
  // Catches the stop signals (interrupt, terminate, hang-up, quit) for the
  // whole run, so a VM never outlives a launcher that was asked to stop.
  PosixPlatform();
  ~PosixPlatform() override;
  PosixPlatform(const PosixPlatform&) = delete;
  PosixPlatform& operator=(const PosixPlatform&) = delete;

  char path_separator() const override { return '/'; }
  char class_path_separator() const override { return ':'; }
  std::string class_path_variable() const override { return "CLASSPATH"; }
  bool names_must_be_utf8() const override { return true; }

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

 private:
  // Keeps the system's reason (errno) of a failing call; returns false.
  bool failed(int error);
  bool failed() { return failed(errno); }
  int last_errno_ = 0;
};

// The environment a VM gets, as NAME=value entries: the launcher's own, with
// a UTF-8 character type when `arguments` carry non-ASCII file names and the
// locale's character type is not UTF-8 (a VM then reads those names as
// question marks and finds nothing). `utf8_ctype` names that locale.
std::vector<std::string> vm_environment(char** environment, const std::vector<std::string>& arguments,
                                        const std::string& utf8_ctype);

}  // namespace quillpod
