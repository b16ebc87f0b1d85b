// The launcher's system layer on POSIX systems with X11 (see platform.h).
#pragma once

#include "platform.h"

namespace quillpod {

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

  std::optional<std::string> executable_path() override;
  std::optional<std::vector<unsigned char>> read_file(const std::string& path) override;
  bool write_new_file(const std::string& path, const unsigned char* data, std::size_t size) override;
  std::optional<std::string> temporary_path() override;
  bool create_directory(const std::string& path) override;
  std::optional<std::vector<DirectoryEntry>> list_directory(const std::string& path) override;
  bool remove_directory(const std::string& path) override;
  bool delete_file(const std::string& path) override;
  bool set_environment(const std::string& name, const std::string& value) override;

  std::optional<ProcessId> start_process(const std::string& command_line) override;
  ProcessEnd wait_process(ProcessId process) override;
  int stop_signal() override;

  std::uint32_t tick_count() override;
  std::int64_t current_time() override;

  BoxAnswer ask_yes_no(const std::string& caption, const std::string& text) override;
  void open_address(const std::string& address) override;
  void write_error_line(const std::string& line) override;
};

}  // namespace quillpod
