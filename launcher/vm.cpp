#include "vm.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "boot_stage.h"
#include "cmdline.h"
#include "config.h"
#include "errors.h"

namespace quillpod {

namespace {

// Codes that mean "this VM did not reach the application, try the next".
bool asks_for_upgrade(std::int32_t code) {
  return code == kBootVmTooOld || static_cast<std::uint32_t>(code) < 10000u;
}


}  // namespace

std::string boot_invocation(const std::string& executable_path, const std::string& tail) {
  return std::string(kProductWord) + "boot " + quote_argument_always(executable_path) + " " + tail;
}

std::array<std::string, 3> build_vm_commands(const std::string& executable_path, const std::string& tail,
                                             const Workspace& workspace,
                                             const std::optional<std::string>& vm_options) {
  const std::string boot = boot_invocation(executable_path, tail);
  const std::string property = std::string(kProductWord) + ".dir=" + workspace.directory;
  // Each word quoted again on its own, so an unbalanced quote in the value
  // cannot swallow the system property or the boot invocation after it.
  std::string options;
  if (vm_options)
    for (std::string word : split_command_line(*vm_options)) {
      // The application's home, for the options that must name it.
      const std::size_t length = std::strlen(kAppDirPlaceholder);
      for (std::size_t at = word.find(kAppDirPlaceholder); at != std::string::npos;
           at = word.find(kAppDirPlaceholder, at + workspace.directory.size()))
        word.replace(at, length, workspace.directory);
      options += quote_argument(word) + " ";
    }
  return {
      "jview " + options + quote_argument_always("/d:" + property) + " " + boot,
      "java " + options + quote_argument_always("-D" + property) + " " + boot,
      "jre -cp " + quote_argument_always(workspace.class_path) + " " + options +
          quote_argument_always("-D" + property) + " " + boot,
  };
}

std::optional<ProcessId> start_vm_command(Platform& platform, const std::string& command_line,
                                          const Workspace& workspace, bool* result_file_failed) {
  if (result_file_failed) *result_file_failed = false;
  if (!reserve_boot_result(platform, workspace)) {
    if (result_file_failed) *result_file_failed = true;
    return std::nullopt;
  }
  return platform.start_process(command_line);
}

std::string signal_name(int signal) {
  // The usual Linux numbers; others are named by number alone.
  static const char* const kNames[] = {nullptr,   "SIGHUP",  "SIGINT",  "SIGQUIT", "SIGILL",  "SIGTRAP",
                                       "SIGABRT", "SIGBUS",  "SIGFPE",  "SIGKILL", "SIGUSR1", "SIGSEGV",
                                       "SIGUSR2", "SIGPIPE", "SIGALRM", "SIGTERM"};
  std::string out = "signal " + std::to_string(signal);
  if (signal > 0 && signal < static_cast<int>(sizeof kNames / sizeof kNames[0])) out += std::string(" (") + kNames[signal] + ")";
  return out;
}

std::int32_t wait_exit_code(Platform& platform, std::optional<ProcessId> process, const Workspace& workspace,
                            std::string* why, int* killed_by) {
  if (killed_by) *killed_by = 0;
  if (!process) return kErrorWaitFailed;
  ProcessEnd end = platform.wait_process(*process);
  if (!end.waited) {
    if (why) *why = with_reason("cannot wait for the Java VM", platform.last_error());
    return kErrorWaitFailed;
  }
  if (end.signal != 0) {
    if (killed_by) *killed_by = end.signal;
    return 128 + end.signal;
  }
  if (end.status_is_8_bit) {
    std::optional<std::vector<unsigned char>> bytes = platform.read_file(workspace.boot_result_file);
    std::optional<std::int32_t> whole;
    if (bytes) whole = parse_boot_result(*bytes);
    if (whole && (static_cast<std::uint32_t>(*whole) & 0xFFu) == (end.status & 0xFFu)) return *whole;
    // The launcher's pending text (the boot stage never ran), the boot
    // stage's own blank room (it ran, and ended without a result) or no
    // file leave the status as it is. A file emptied by a write that failed
    // lost the boot stage's result: its 8 bits alone would pass for another
    // status.
    if (end.status != 0 && bytes && bytes->empty() && !marker_present(platform, workspace)) {
      if (why)
        *why = "the boot stage's result file " + workspace.boot_result_file + " is empty after exit status " +
               std::to_string(end.status) + " (was the disk full?)";
      return kErrorBootResultLost;
    }
  }
  return static_cast<std::int32_t>(end.status);
}

namespace {

// One launch's attempts at the VM commands: runs them in turn and keeps what
// the last one said, until the outcome is known.
class VmAttempts {
 public:
  VmAttempts(Platform& platform, const Workspace& workspace) : platform_(platform), workspace_(workspace) {}

  VmOutcome run_all(const std::array<std::string, 3>& commands, int vm_mask) {
    for (int index = 0; index < 3; ++index) {
      if ((vm_mask & (1 << index)) == 0) continue;
      if (platform_.stop_signal() != 0) return stopped(false);
      if (!run(commands[index])) continue;  // a VM that is not installed counts for nothing
      if (outcome_.code == kErrorBootResultLost || wait_failed_) return finished();
      if (platform_.stop_signal() != 0) return stopped(true);
      // The jar files on the class path exist only once the first run has
      // unpacked them, so a main class in them loads on the second run.
      if (outcome_.code == kBootCannotLoadMain && workspace_.jars) {
        if (!run(commands[index])) {
          outcome_.code = kErrorWaitFailed;
          outcome_.why = not_started_;
        }
        if (outcome_.code == kErrorBootResultLost || wait_failed_) return finished();
        if (platform_.stop_signal() != 0) return stopped(true);
      }
      if (marker_present(platform_, workspace_)) {
        application_ran_ = true;
        outcome_.why.clear();
        return finished();
      }
      if (!asks_for_upgrade(outcome_.code)) return finished();
      // Killed or crashed before the application ran: the next VM may do
      // better, but a newer one is not what the last one asked for.
      last_killed_ = killed_by_ != 0;
      if (last_killed_) continue;
      upgrade_ = true;
      upgrade_why_ = outcome_.why + " before starting the application";
    }
    if (last_killed_) {
      upgrade_ = false;
      outcome_.code = kErrorVmKilled;
      outcome_.why += " before starting the application";
    } else if (upgrade_) {
      outcome_.why = upgrade_why_;
    } else if (!ran_) {
      outcome_.why = not_started_.empty() ? "no Java VM command is allowed by the configuration's target" : not_started_;
    }
    return finished();
  }

 private:
  // One start and wait; false when the command could not start.
  bool run(const std::string& command) {
    bool result_file_failed = false;
    std::optional<ProcessId> process = start_vm_command(platform_, command, workspace_, &result_file_failed);
    if (result_file_failed) {
      outcome_.code = kErrorBootResultLost;
      outcome_.why = with_reason("cannot write the boot stage's result file " + workspace_.boot_result_file,
                                 platform_.last_error());
      return true;
    }
    if (!process) {
      // Every command that could not start is named: the user learns which
      // programs were looked for, not only the last.
      not_started_ += (not_started_.empty() ? "cannot start the Java VM " : "; nor ") +
                      with_reason(command, platform_.last_error());
      return false;
    }
    ran_ = true;
    std::string why;
    outcome_.code = wait_exit_code(platform_, process, workspace_, &why, &killed_by_);
    wait_failed_ = outcome_.code == kErrorWaitFailed && !why.empty();
    outcome_.why = reason_of_end(command, why);
    return true;
  }

  // The reason line of the run that just ended.
  std::string reason_of_end(const std::string& command, const std::string& wait_why) {
    if (!wait_why.empty()) return wait_why + " (" + command + ")";
    if (killed_by_ != 0) return "the Java VM " + command + " was ended by " + signal_name(killed_by_);
    const std::string code = std::to_string(outcome_.code);
    if (outcome_.code != 0 && static_cast<std::uint32_t>(outcome_.code) < 10000u &&
        boot_stage_untouched(platform_, workspace_))
      // A VM that refuses an option or cannot reserve its memory ends with
      // 1 before it runs any class; its own words went to standard error.
      return "the Java VM " + command + " stopped with exit code " + code +
             " before it ran the boot stage (its own message, if it gave one, is above)";
    return "the Java VM " + command + " ended with exit code " + code;
  }

  // Ends the attempts on a stop signal: the application's own code when it
  // ran, else as a process stopped by that signal would (a VM stopped while
  // starting may say 1, which would read as a plain failure).
  VmOutcome stopped(bool after_run) {
    interrupted_ = true;
    const int signal = platform_.stop_signal();
    if (!after_run) {
      if (!ran_) outcome_.code = 128 + signal;
    } else if (outcome_.code != kErrorWaitFailed && !marker_present(platform_, workspace_)) {
      outcome_.code = 128 + signal;
    }
    return finished();
  }

  // The outcome, named once from what the attempts saw, in the order that
  // decides: a stop by the user, a VM the launcher lost, the application's
  // run, a call for a newer VM, an error code, no usable VM.
  VmOutcome finished() {
    if (interrupted_)
      outcome_.end = VmEnd::interrupted;
    else if (wait_failed_)
      outcome_.end = VmEnd::wait_failed;
    else if (application_ran_)
      outcome_.end = VmEnd::application_ran;
    else if (upgrade_)
      outcome_.end = VmEnd::needs_newer_vm;
    else if (static_cast<std::uint32_t>(outcome_.code) > 10000u)
      outcome_.end = VmEnd::error_code;
    else
      outcome_.end = VmEnd::no_vm;
    return outcome_;
  }

  Platform& platform_;
  const Workspace& workspace_;
  VmOutcome outcome_;
  bool ran_ = false;              // some command started
  bool interrupted_ = false;      // a stop signal reached the launcher
  bool wait_failed_ = false;      // the launcher could not wait for the last VM
  bool application_ran_ = false;  // a run left the marker
  bool upgrade_ = false;          // a VM ended before the application without an error code
  bool last_killed_ = false;      // the last VM tried was ended by a signal before the application
  int killed_by_ = 0;             // the signal that ended the last run, or 0
  std::string upgrade_why_;
  std::string not_started_;  // the commands that could not start, and why
};

}  // namespace

VmOutcome try_vm_commands(Platform& platform, const std::array<std::string, 3>& commands, int vm_mask,
                          const Workspace& workspace) {
  return VmAttempts(platform, workspace).run_all(commands, vm_mask);
}

}  // namespace quillpod
