// Test support: a system layer that passes every call on to a real one and
// makes one chosen call fail, by its operation and occurrence ("create a
// directory, the 2nd time"), with a system reason of its own. A run without
// a chosen call records which calls the launcher makes, in order.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform.h"

namespace quillpod::testing {

// One call of the launcher, as the n-th call of that operation.
struct Call {
  std::string operation;
  int occurrence = 0;
  bool operator==(const Call& o) const { return operation == o.operation && occurrence == o.occurrence; }
};

constexpr const char* kInjectedReason = "Input/output error (injected)";

class FaultyPlatform : public Platform {
 public:
  FaultyPlatform(Platform& inner, std::string executable) : inner_(inner), executable_(std::move(executable)) {}

  std::optional<Call> fail;  // the call to fail, or none
  std::vector<Call> calls;   // every fallible call, in order
  bool injected = false;     // the chosen call came and failed

  struct Box {
    std::string caption, text;
  };
  std::vector<Box> boxes;
  std::vector<std::string> error_lines;
  std::vector<std::string> opened;

  char path_separator() const override { return inner_.path_separator(); }
  char class_path_separator() const override { return inner_.class_path_separator(); }
  std::string class_path_variable() const override { return inner_.class_path_variable(); }
  bool names_must_be_utf8() const override { return inner_.names_must_be_utf8(); }

  std::optional<std::string> executable_path() override {
    if (failing("executable_path")) return std::nullopt;
    return executable_;
  }
  std::optional<std::vector<unsigned char>> read_file(const std::string& path) override {
    if (failing("read_file")) return std::nullopt;
    return inner_.read_file(path);
  }
  std::unique_ptr<FileImage> map_file(const std::string& path) override {
    if (failing("map_file")) return nullptr;
    return inner_.map_file(path);
  }
  bool write_new_file(const std::string& path, const unsigned char* data, std::size_t size) override {
    return !failing("write_new_file") && inner_.write_new_file(path, data, size);
  }
  std::optional<std::string> temporary_path() override {
    if (failing("temporary_path")) return std::nullopt;
    return inner_.temporary_path();
  }
  bool create_directory(const std::string& path) override {
    return !failing("create_directory") && inner_.create_directory(path);
  }
  std::optional<DirectoryId> open_directory(std::optional<DirectoryId> parent, const std::string& name,
                                            bool own_only) override {
    if (failing("open_directory")) return std::nullopt;
    return inner_.open_directory(parent, name, own_only);
  }
  void close_directory(DirectoryId directory) override { inner_.close_directory(directory); }
  std::optional<std::vector<DirectoryEntry>> list_directory(DirectoryId directory) override {
    if (failing("list_directory")) return std::nullopt;
    return inner_.list_directory(directory);
  }
  bool remove_directory(DirectoryId parent, const std::string& name) override {
    return !failing("remove_directory") && inner_.remove_directory(parent, name);
  }
  bool delete_file(DirectoryId parent, const std::string& name) override {
    return !failing("delete_file") && inner_.delete_file(parent, name);
  }
  bool others_may_replace_entries(DirectoryId directory) override {
    return inner_.others_may_replace_entries(directory);
  }
  bool set_environment(const std::string& name, const std::string& value) override {
    return !failing("set_environment") && inner_.set_environment(name, value);
  }
  std::optional<LockId> lock_directory(DirectoryId directory, bool inherit) override {
    if (failing("lock_directory")) return std::nullopt;
    return inner_.lock_directory(directory, inherit);
  }
  void unlock_directory(LockId lock) override { inner_.unlock_directory(lock); }
  std::optional<std::uint32_t> random_number() override {
    if (failing("random_number")) return std::nullopt;
    return inner_.random_number();
  }
  std::string last_error() const override { return last_injected_ ? kInjectedReason : inner_.last_error(); }

  std::optional<ProcessId> start_process(const std::string& command_line) override {
    if (failing("start_process")) return std::nullopt;
    return inner_.start_process(command_line);
  }
  ProcessEnd wait_process(ProcessId process) override {
    if (failing("wait_process")) {
      // The process still runs; wait for it here, so it cannot outlive the test.
      inner_.wait_process(process);
      return ProcessEnd{};
    }
    return inner_.wait_process(process);
  }
  int stop_signal() override { return inner_.stop_signal(); }
  std::uint32_t tick_count() override { return inner_.tick_count(); }
  std::int64_t current_time() override { return inner_.current_time(); }

  BoxAnswer ask_yes_no(const std::string& caption, const std::string& text) override {
    boxes.push_back({caption, text});
    return BoxAnswer::no;
  }
  void open_address(const std::string& address) override { opened.push_back(address); }
  void write_error_line(const std::string& line) override { error_lines.push_back(line); }

 private:
  bool failing(const char* operation) {
    Call call{operation, ++counts_[operation]};
    calls.push_back(call);
    last_injected_ = fail && *fail == call;
    injected = injected || last_injected_;
    return last_injected_;
  }

  Platform& inner_;
  std::string executable_;
  std::map<std::string, int> counts_;
  bool last_injected_ = false;
};

}  // namespace quillpod::testing
