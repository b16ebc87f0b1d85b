#include "launcher.h"

#include <cstring>

#include "boot_stage.h"
#include "carried_runtime.h"
#include "config.h"
#include "errors.h"
#include "payload.h"
#include "runtime_format.h"
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
  // A command-line tool runs in terminals and pipelines, where a box would
  // stop it waiting for an answer nobody sees.
  const BoxAnswer answer = settings.console ? BoxAnswer::unavailable
                                            : platform.ask_yes_no(caption, message + "\n\nWould you like detailed help?");
  switch (answer) {
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

// From the workspace to the VM's outcome; the workspace is removed when this
// returns, before the caller reports. Returns the process result.
int launch(Platform& platform, const BoxSettings& box, const std::string& executable,
           const std::string& argument_tail, BootClass boot, const LaunchConfig& config,
           std::optional<BootClass> runtime, Failure& failure) {
  WorkspaceGuard guard(platform);
  Workspace& workspace = guard.workspace;
  std::string why;
  if (int error = create_workspace(platform, boot.data, boot.length, config, workspace, &why)) {
    failure.set(error, why);
    return 1;
  }

  std::optional<std::string> carried_java;
  if (runtime && workspace.handle)
    carried_java = platform.ready_carried_runtime(runtime->data, runtime->length, *workspace.handle, workspace.directory);
  const VmOutcome outcome = try_carried_then_installed(
      platform, carried_java, build_vm_commands(executable, argument_tail, workspace, config.vm_options),
      config.vm_mask(), workspace);
  // The VM we could not wait for may still use the workspace.
  if (outcome.code == kErrorWaitFailed && outcome.end != VmEnd::application_ran) guard.keep();
  switch (outcome.end) {
    case VmEnd::application_ran:
      return outcome.code;
    case VmEnd::interrupted:
      // The user stopped the VM through us: end with its code, show nothing.
      return outcome.code == kErrorWaitFailed ? 1 : outcome.code;
    case VmEnd::wait_failed:
    case VmEnd::error_code:
      // Error codes are reported after the workspace is gone. A lost VM is
      // not its verdict, which may have been fine, but the launcher's own
      // failure, whatever earlier VMs said.
      failure.set(outcome.code, outcome.why);
      return 1;
    case VmEnd::needs_newer_vm:
      // The VM messages come before the workspace goes.
      say_why(platform, outcome.why);
      show_failure_box(platform, box, vm_message("Your", "upgraded"), kTopicUpgradeJavaVm);
      return 1;
    case VmEnd::no_vm:
      say_why(platform, outcome.why);
      show_failure_box(platform, box, vm_message("A", "installed"), kTopicNoJavaVm);
      return 1;
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

  const LaunchConfig config = read_launch_config(config_text(image.data(), image.size()));
  // The maker's product name reads better above a failure than a class name.
  box.caption = config.product ? config.product : config.main;
  box.help_base = config.help_base;
  box.console = config.console;
  if (box.help_base && !help_base_fits(*box.help_base)) box.help_base.reset();
  if (config.console) platform.use_console();

  const std::optional<BootClass> boot = boot_record_at(image, find_record(image.data(), image.size(), kRecordBoot));
  if (!boot) {
    failure.set(kErrorBootRecord, "no usable boot record in " + *executable);
    return 1;
  }
  if (!boot_class_loadable(*boot)) {
    failure.set(kErrorBootRecord, "the boot class in " + *executable +
                                      " is damaged: it is not a class file that a Java 8 VM can load");
    return 1;
  }
  // A carried Java runtime, tried before the installed VMs.
  const std::optional<BootClass> runtime =
      boot_record_at(image, find_record(image.data(), image.size(), kRecordRuntime));
  return launch(platform, box, *executable, argument_tail, *boot, config, runtime, failure);
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
