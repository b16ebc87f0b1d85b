// Test support: the system as the launcher sees it, held in memory. It follows
// the Windows conventions (backslash paths, ';' class paths, `classpath`), so
// the tests also show that the launcher's rules carry no POSIX assumption.
// VM programs are scripted per name: each start takes the next scripted run.
#pragma once

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "cmdline.h"
#include "platform.h"

namespace quillpod::testing {

// One scripted VM run.
struct FakeRun {
  FakeRun(std::int64_t exit_code_ = 0, bool marker_ = false, bool wait_fails_ = false, int stop_signal_ = 0,
          int killed_by_ = 0, std::string result_file_ = {}, bool empties_result_ = false)
      : exit_code(exit_code_), marker(marker_), wait_fails(wait_fails_), stop_signal(stop_signal_),
        killed_by(killed_by_), result_file(std::move(result_file_)), empties_result(empties_result_) {}
  std::int64_t exit_code;   // what the system reports (low 8 bits when eight_bit_status)
  bool marker;              // leaves the marker file, as a started application does
  bool wait_fails;
  int stop_signal;          // a stop signal reaches the launcher while this runs
  int killed_by;            // the process ends by this signal
  std::string result_file;  // written as the boot stage's result file when not empty
  bool empties_result;      // truncates the result file and writes nothing, as on a full disk
};

class FakePlatform : public Platform {
 public:
  std::optional<std::string> executable = std::string("C:\\apps\\game.exe");
  std::optional<std::string> temporary = std::string("C:\\temp\\");
  std::map<std::string, std::vector<unsigned char>> files;
  std::set<std::string> directories = {"C:\\temp"};
  std::set<std::string> undeletable;
  std::set<std::string> unreadable;
  std::map<std::string, std::string> environment;
  bool environment_fails = false;
  bool write_fails = false;
  bool eight_bit_status = false;
  std::int64_t now = 1700000000;
  std::uint32_t ticks = 4321;

  std::map<std::string, std::vector<FakeRun>> vms;  // program name -> its runs, in order
  std::vector<std::string> started;                 // command lines of every start
  std::vector<std::string> classpath_seen;          // the class path variable at each start
  BoxAnswer answer = BoxAnswer::no;
  struct Box {
    std::string caption, text;
  };
  std::vector<Box> boxes;
  std::vector<std::string> opened;
  std::vector<std::string> error_lines;
  int stop = 0;
  std::set<std::string> locked_by_others;  // directories whose lock another process holds
  std::map<LockId, std::string> locks;     // the locks this launcher holds
  std::vector<std::string> made_removable;
  std::set<std::string> others_own;        // directories another user owns
  std::set<std::string> unsticky_shared;   // directories others may write into, without the sticky bit
  std::map<DirectoryId, std::string> open_directories;  // held open by the launcher, by id
  std::vector<std::uint32_t> randoms;      // what random_number gives, in order; then nothing
  std::string reason = "Access is denied.";

  char path_separator() const override { return '\\'; }
  char class_path_separator() const override { return ';'; }
  std::string class_path_variable() const override { return "classpath"; }
  bool names_must_be_utf8() const override { return false; }

  std::optional<std::string> executable_path() override { return executable; }

  std::optional<std::vector<unsigned char>> read_file(const std::string& path) override {
    auto it = files.find(path);
    if (it == files.end() || unreadable.count(path)) return std::nullopt;
    return it->second;
  }
  bool write_new_file(const std::string& path, const unsigned char* data, std::size_t size) override {
    if (write_fails || !directories.count(parent(path))) return false;
    files[path] = std::vector<unsigned char>(data, data + size);
    return true;
  }
  std::optional<std::string> temporary_path() override { return temporary; }
  bool create_directory(const std::string& path) override {
    if (directories.count(path) || files.count(path) || !directories.count(parent(path))) return false;
    directories.insert(path);
    return true;
  }
  std::unique_ptr<FileImage> map_file(const std::string& path) override {
    std::optional<std::vector<unsigned char>> bytes = read_file(path);
    if (!bytes) return nullptr;
    return std::make_unique<OwnedFileImage>(std::move(*bytes));
  }
  std::optional<DirectoryId> open_directory(std::optional<DirectoryId> parent_id, const std::string& n,
                                            bool own_only) override {
    std::string path = n;
    if (parent_id) {
      auto it = open_directories.find(*parent_id);
      if (it == open_directories.end()) return std::nullopt;
      path = it->second + "\\" + n;
    }
    if (!directories.count(path) || (own_only && others_own.count(path))) return std::nullopt;
    if (own_only) made_removable.push_back(path);
    DirectoryId id = next_directory_++;
    open_directories[id] = path;
    return id;
  }
  void close_directory(DirectoryId directory) override { open_directories.erase(directory); }
  std::optional<std::vector<DirectoryEntry>> list_directory(DirectoryId directory) override {
    auto it = open_directories.find(directory);
    if (it == open_directories.end()) return std::nullopt;
    return list_path(it->second);
  }
  bool remove_directory(DirectoryId parent_id, const std::string& n) override {
    auto it = open_directories.find(parent_id);
    if (it == open_directories.end()) return false;
    const std::string path = it->second + "\\" + n;
    auto entries = list_path(path);
    if (!entries || !entries->empty()) return false;
    directories.erase(path);
    return true;
  }
  bool delete_file(DirectoryId parent_id, const std::string& n) override {
    auto it = open_directories.find(parent_id);
    if (it == open_directories.end()) return false;
    const std::string path = it->second + "\\" + n;
    if (undeletable.count(path)) return false;
    return files.erase(path) > 0;
  }
  bool others_may_replace_entries(DirectoryId directory) override {
    auto it = open_directories.find(directory);
    return it != open_directories.end() && unsticky_shared.count(it->second) > 0;
  }
  std::optional<std::vector<DirectoryEntry>> list_path(const std::string& path) const {
    if (!directories.count(path)) return std::nullopt;
    std::vector<DirectoryEntry> out;
    for (const auto& f : files)
      if (parent(f.first) == path) out.push_back({name(f.first), false});
    for (const auto& d : directories)
      if (parent(d) == path) out.push_back({name(d), true});
    return out;
  }
  bool set_environment(const std::string& n, const std::string& value) override {
    if (environment_fails) return false;
    environment[n] = value;
    return true;
  }
  std::optional<LockId> lock_directory(DirectoryId directory, bool) override {
    auto it = open_directories.find(directory);
    if (it == open_directories.end()) return std::nullopt;
    const std::string path = it->second;
    if (!directories.count(path) || locked_by_others.count(path)) return std::nullopt;
    for (const auto& l : locks)
      if (l.second == path) return std::nullopt;
    LockId id = next_lock_++;
    locks[id] = path;
    return id;
  }
  void unlock_directory(LockId lock) override { locks.erase(lock); }
  std::optional<std::uint32_t> random_number() override {
    if (randoms.empty()) return std::nullopt;
    std::uint32_t r = randoms.front();
    randoms.erase(randoms.begin());
    return r;
  }
  std::string last_error() const override { return reason; }

  std::optional<ProcessId> start_process(const std::string& command_line) override {
    std::vector<std::string> argv = split_command_line(command_line);
    if (argv.empty()) return std::nullopt;
    auto it = vms.find(argv[0]);
    if (it == vms.end() || it->second.empty()) return std::nullopt;
    started.push_back(command_line);
    classpath_seen.push_back(environment[class_path_variable()]);
    running_.push_back({it->second.front(), workspace_of(argv)});
    it->second.erase(it->second.begin());
    return static_cast<ProcessId>(running_.size() - 1);
  }
  ProcessEnd wait_process(ProcessId process) override {
    const Running& r = running_.at(static_cast<std::size_t>(process));
    ProcessEnd end;
    if (r.run.stop_signal) stop = r.run.stop_signal;
    if (r.run.wait_fails) return end;
    end.waited = true;
    if (r.run.marker) files[r.workspace + "\\Jz.Ky.Tx"] = std::vector<unsigned char>(100, 0);
    if (r.run.empties_result) files[r.workspace + "\\quillpodboot.result"].clear();
    if (!r.run.result_file.empty())
      files[r.workspace + "\\quillpodboot.result"] =
          std::vector<unsigned char>(r.run.result_file.begin(), r.run.result_file.end());
    end.signal = r.run.killed_by;
    end.status_is_8_bit = eight_bit_status;
    end.status = static_cast<std::uint32_t>(r.run.exit_code);
    if (eight_bit_status) end.status &= 0xFF;
    return end;
  }
  int stop_signal() override { return stop; }

  std::uint32_t tick_count() override { return ticks; }
  std::int64_t current_time() override { return now; }

  BoxAnswer ask_yes_no(const std::string& caption, const std::string& text) override {
    boxes.push_back({caption, text});
    return answer;
  }
  void open_address(const std::string& address) override { opened.push_back(address); }
  void write_error_line(const std::string& line) override { error_lines.push_back(line); }

  // Everything under a directory, for checking what a run left behind.
  std::vector<std::string> entries_under(const std::string& dir) const {
    std::vector<std::string> out;
    for (const auto& f : files)
      if (f.first.rfind(dir, 0) == 0) out.push_back(f.first);
    for (const auto& d : directories)
      if (d.rfind(dir, 0) == 0) out.push_back(d);
    return out;
  }

  static std::string parent(const std::string& path) {
    std::size_t at = path.rfind('\\');
    return at == std::string::npos ? std::string() : path.substr(0, at);
  }
  static std::string name(const std::string& path) { return path.substr(path.rfind('\\') + 1); }

 private:
  struct Running {
    FakeRun run;
    std::string workspace;
  };
  std::vector<Running> running_;
  LockId next_lock_ = 100;
  DirectoryId next_directory_ = 1000;

  static std::string workspace_of(const std::vector<std::string>& argv) {
    for (const std::string& a : argv)
      for (const char* prefix : {"-Dquillpod.dir=", "/d:quillpod.dir="})
        if (a.rfind(prefix, 0) == 0) return a.substr(std::string(prefix).size());
    return std::string();
  }
};

}  // namespace quillpod::testing
