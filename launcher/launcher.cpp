#include "launcher.h"

#include <cstring>

#include "errors.h"
#include "payload.h"
#include "vm.h"
#include "workspace.h"

namespace quillpod {

namespace {

std::string help_address(const BoxSettings& settings, const std::string& topic) {
  return settings.help_base.value_or(kBuiltInHelpAddress) + "#" + topic;
}

std::string vm_message(const char* article, const char* need) {
  return std::string(article) + " Java VM needs to be " + need + " before this program can be run.";
}

// The boot record is usable only when its header and data lie inside the
// file; the length is read only once the header is known to be whole.
bool boot_record_usable(const FileImage& image, long long offset) {
  if (offset <= 0) return false;
  std::uint64_t data = static_cast<std::uint64_t>(offset) + kRecordHeaderSize;
  if (data >= image.size()) return false;
  return data + record_length(image.data(), static_cast<std::size_t>(offset)) <= image.size();
}

// Whether the boot record holds a class file a Java 8 VM would load: its
// magic number and a version from 45 (1.0) to 52 (Java 8). Anything else
// is a damaged executable, which no newer VM would mend.
bool boot_class_loadable(const unsigned char* data, std::uint32_t length) {
  if (length < 10) return false;  // magic, version, constant pool count
  if (data[0] != 0xCA || data[1] != 0xFE || data[2] != 0xBA || data[3] != 0xBE) return false;
  const unsigned major = static_cast<unsigned>(data[6]) << 8 | data[7];
  return major >= 45 && major <= 52;
}

}  // namespace

bool help_base_fits(const std::string& help_base) {
  return help_base.size() + 1 + std::strlen(kTopicUpgradeJavaVm) + 1 <= kBoxBufferSize;
}

long long read_entire_file(Platform& platform, const std::string& path, std::vector<unsigned char>* out) {
  std::optional<std::vector<unsigned char>> bytes = platform.read_file(path);
  if (!bytes) return -1;
  long long size = static_cast<long long>(bytes->size());
  if (out) *out = std::move(*bytes);
  return size;
}

void show_failure_box(Platform& platform, const BoxSettings& settings, const std::string& message,
                      const std::string& topic) {
  const std::string caption = settings.caption.value_or(kProductWord);
  const std::string address = help_address(settings, topic);
  switch (platform.ask_yes_no(caption, message + "\n\nWould you like detailed help?")) {
    case BoxAnswer::yes:
      platform.open_address(address);
      break;
    case BoxAnswer::no:
      break;
    case BoxAnswer::unavailable:
      platform.write_error_line(caption + ": " + message);
      platform.write_error_line("Help: " + address);
      break;
  }
}

namespace {

// The one failure a run reports: its code, and the line that says why.
struct Failure {
  int code = 0;
  std::string why;  // "cannot create the workspace /tmp/17...: No space left on device"

  void set(int c, std::string text) {
    if (code != 0) return;  // the first failure is the one reported
    code = c;
    why = std::move(text);
  }
};

// The one place a failure's reason reaches the user: a line on the error
// stream naming the operation, what it was done on and the system's words.
void say_why(Platform& platform, const std::string& why) {
  if (!why.empty()) platform.write_error_line(std::string(kProductWord) + ": " + why);
}

// Owns the run's workspace: removes it when the run leaves, on every path,
// unless told to keep it. Only a directory this run made is removed.
class WorkspaceGuard {
 public:
  explicit WorkspaceGuard(Platform& platform) : platform_(platform) {}
  ~WorkspaceGuard() {
    if (!keep_ && workspace.created) remove();
    if (workspace.handle) platform_.close_directory(*workspace.handle);
    if (workspace.temporary_handle) platform_.close_directory(*workspace.temporary_handle);
  }
  WorkspaceGuard(const WorkspaceGuard&) = delete;
  WorkspaceGuard& operator=(const WorkspaceGuard&) = delete;

  void keep() { keep_ = true; }
  Workspace workspace;

 private:
  // Through the directories held open since the workspace was made; a second
  // pass, which opens it again as ours, takes what a passing failure left.
  void remove() {
    if (remove_workspace_tree(platform_, workspace)) return;
    if (workspace.temporary_handle) {
      std::optional<DirectoryId> again = platform_.open_directory(*workspace.temporary_handle, workspace.run_name, true);
      if (again) {
        workspace.handle = again;
        if (remove_workspace_tree(platform_, workspace)) return;
      }
    }
    say_why(platform_, with_reason("cannot remove the workspace " + workspace.directory, platform_.last_error()));
  }

  Platform& platform_;
  bool keep_ = false;
};

// The VM mask: the first character of `target` (default "H") minus 'A', the
// character taken as a signed byte. An empty value leaves the NUL as first
// character: 0 - 'A' allows all VMs.
int vm_mask_of(std::optional<std::string_view> config) {
  std::string target = lookup_config_value(config, "target", std::string("H")).value_or("H");
  return static_cast<signed char>(target.empty() ? '\0' : target[0]) - 'A';
}

// The data of the boot record: the boot stage's class file.
struct BootClass {
  const unsigned char* data;
  std::uint32_t length;
};

// From the workspace to the VM's outcome; the workspace is removed when this
// returns, before the caller reports. Returns the process result.
int launch(Platform& platform, const BoxSettings& box, const std::string& executable,
           const std::string& argument_tail, BootClass boot, std::optional<std::string_view> config,
           Failure& failure) {
  WorkspaceGuard guard(platform);
  Workspace& workspace = guard.workspace;
  std::string why;
  if (int error = create_workspace(platform, boot.data, boot.length, config, workspace, &why)) {
    failure.set(error, why);
    return 1;
  }

  VmOutcome outcome =
      try_vm_commands(platform,
                      build_vm_commands(executable, argument_tail, workspace,
                                        lookup_config_value(config, "vmargs", std::nullopt)),
                      vm_mask_of(config), workspace);
  if (outcome.code == kErrorWaitFailed && !outcome.started) {
    // The VM we could not wait for may still use the workspace.
    guard.keep();
  }
  if (outcome.wait_failed && !outcome.interrupted) {
    // Not a verdict of the VM, which may have been fine: the launcher's own
    // failure, whatever earlier VMs said.
    failure.set(kErrorWaitFailed, outcome.why);
    return 1;
  }
  if (outcome.interrupted) {
    // The user stopped the VM through us: end with its code, show nothing.
    return outcome.code == kErrorWaitFailed ? 1 : outcome.code;
  }
  if (outcome.started) return outcome.code;
  // The VM messages come before the workspace goes; error codes after.
  if (outcome.upgrade) {
    say_why(platform, outcome.why);
    show_failure_box(platform, box, vm_message("Your", "upgraded"), kTopicUpgradeJavaVm);
  } else if (static_cast<std::uint32_t>(outcome.code) > 10000u) {
    failure.set(outcome.code, outcome.why);
  } else {
    say_why(platform, outcome.why);
    show_failure_box(platform, box, vm_message("A", "installed"), kTopicNoJavaVm);
  }
  return 1;
}

// Everything before the report: the executable's own records, then the
// launch. Returns the process result; `failure` keeps what to report.
int run(Platform& platform, const std::string& argument_tail, BoxSettings& box, Failure& failure) {
  std::optional<std::string> executable = platform.executable_path();
  if (!executable) {
    failure.set(kErrorExecutablePath,
                with_reason("cannot find the path of the running executable", platform.last_error()));
    return 1;
  }
  // Mapped, not read: only the pages the record scan looks at are loaded,
  // however large the file.
  std::unique_ptr<FileImage> mapped = platform.map_file(*executable);
  if (!mapped) {
    failure.set(kErrorReadExecutable, with_reason("cannot read " + *executable, platform.last_error()));
    return 1;
  }
  const FileImage& image = *mapped;

  std::optional<std::string_view> config = config_text(image.data(), image.size());
  box.caption = lookup_config_value(config, "main", std::nullopt);
  box.help_base = lookup_config_value(config, "helpurl", std::nullopt);
  if (box.help_base && !help_base_fits(*box.help_base)) box.help_base.reset();

  long long boot_at = find_record(image.data(), image.size(), 'B');
  if (!boot_record_usable(image, boot_at)) {
    failure.set(kErrorBootRecord, "no usable boot record in " + *executable);
    return 1;
  }
  const BootClass boot{image.data() + static_cast<std::size_t>(boot_at) + kRecordHeaderSize,
                       record_length(image.data(), static_cast<std::size_t>(boot_at))};
  if (!boot_class_loadable(boot.data, boot.length)) {
    failure.set(kErrorBootRecord, "the boot class in " + *executable +
                                      " is damaged: it is not a class file that a Java 8 VM can load");
    return 1;
  }
  return launch(platform, box, *executable, argument_tail, boot, config, failure);
}

}  // namespace

int launcher_run(Platform& platform, const std::string& argument_tail) {
  Failure failure;
  BoxSettings box;
  const int result = run(platform, argument_tail, box, failure);
  if (failure.code == 0) return result;
  // Reported once, after the workspace is gone. A code that is not above 0
  // (a VM's negative exit code) shows no box, but still says why.
  say_why(platform, failure.why);
  if (failure.code > 0)
    show_failure_box(platform, box, std::string(kProductWord) + " ERROR #" + std::to_string(failure.code),
                     kTopicErrorCodes);
  return 1;
}

}  // namespace quillpod
