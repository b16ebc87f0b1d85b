#include "vm.h"

#include <cerrno>
#include <cstdlib>

#include "cmdline.h"
#include "errors.h"

namespace quillpod {

namespace {

// The boot stage's result file holds a decimal number, possibly signed.
std::optional<std::int32_t> parse_boot_result(const std::vector<unsigned char>& bytes) {
  std::string text(bytes.begin(), bytes.end());
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) text.pop_back();
  if (text.empty() || text.size() > 11) return std::nullopt;
  std::size_t digits_from = (text[0] == '-') ? 1 : 0;
  if (digits_from == text.size()) return std::nullopt;
  for (std::size_t i = digits_from; i < text.size(); ++i)
    if (text[i] < '0' || text[i] > '9') return std::nullopt;
  long long n = std::strtoll(text.c_str(), nullptr, 10);
  if (n < INT32_MIN || n > INT32_MAX) return std::nullopt;
  return static_cast<std::int32_t>(n);
}

// The boot stage writes the marker whole (100 bytes); an empty or short one
// is what a full disk leaves of a marker that could not be written.
constexpr std::size_t kMarkerSize = 100;

bool marker_present(Platform& platform, const Workspace& workspace) {
  std::optional<std::vector<unsigned char>> bytes = platform.read_file(workspace.marker_file);
  return bytes && bytes->size() == kMarkerSize;
}

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
    for (const std::string& word : split_command_line(*vm_options)) options += quote_argument(word) + " ";
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

VmOutcome try_vm_commands(Platform& platform, const std::array<std::string, 3>& commands, int vm_mask,
                          const Workspace& workspace) {
  VmOutcome outcome;
  bool ran = false;
  std::string upgrade_why;
  bool& wait_failed = outcome.wait_failed;
  std::string not_started;  // the commands that could not start, and why the last did not
  int killed_by = 0;        // the signal that ended the last run, or 0
  bool last_killed = false;  // the last VM tried was ended by a signal before the application
  // Whether the last run ended without the boot stage having touched its
  // result file: the launcher's pending text is still there.
  auto boot_stage_never_ran = [&](std::int32_t code) {
    if (code == 0 || static_cast<std::uint32_t>(code) >= 10000u) return false;
    std::optional<std::vector<unsigned char>> bytes = platform.read_file(workspace.boot_result_file);
    const std::string pending = kBootResultPending;
    return bytes && std::string(bytes->begin(), bytes->end()) == pending;
  };
  // Ends the attempts on a stop signal: the application's own code when it
  // ran, else as a process stopped by that signal would (a VM stopped while
  // starting may say 1, which would read as a plain failure).
  auto stopped = [&](bool after_run) {
    outcome.interrupted = true;
    int signal = platform.stop_signal();
    if (!after_run) {
      if (!ran) outcome.code = 128 + signal;
    } else if (outcome.code != kErrorWaitFailed && !marker_present(platform, workspace)) {
      outcome.code = 128 + signal;
    }
    return outcome;
  };
  // One start and wait; false when the command could not start.
  auto run = [&](const std::string& command) {
    bool result_file_failed = false;
    std::optional<ProcessId> process = start_vm_command(platform, command, workspace, &result_file_failed);
    if (result_file_failed) {
      outcome.code = kErrorBootResultLost;
      outcome.why = with_reason("cannot write the boot stage's result file " + workspace.boot_result_file,
                                platform.last_error());
      return true;
    }
    if (!process) {
      not_started = with_reason("cannot start the Java VM " + command, platform.last_error());
      return false;
    }
    ran = true;
    std::string why;
    outcome.code = wait_exit_code(platform, process, workspace, &why, &killed_by);
    wait_failed = outcome.code == kErrorWaitFailed && !why.empty();
    if (!why.empty())
      outcome.why = why + " (" + command + ")";
    else if (killed_by != 0)
      outcome.why = "the Java VM " + command + " was ended by " + signal_name(killed_by);
    else if (boot_stage_never_ran(outcome.code))
      // A VM that refuses an option or cannot reserve its memory ends with
      // 1 before it runs any class; its own words went to standard error.
      outcome.why = "the Java VM " + command + " stopped with exit code " + std::to_string(outcome.code) +
                    " before it ran the boot stage (its own message, if it gave one, is above)";
    else
      outcome.why = "the Java VM " + command + " ended with exit code " + std::to_string(outcome.code);
    return true;
  };

  for (int index = 0; index < 3; ++index) {
    if ((vm_mask & (1 << index)) == 0) continue;
    if (platform.stop_signal() != 0) return stopped(false);
    if (!run(commands[index])) continue;  // a VM that is not installed counts for nothing
    if (outcome.code == kErrorBootResultLost || wait_failed) return outcome;
    if (platform.stop_signal() != 0) return stopped(true);
    // The jar files on the class path exist only once the first run has
    // unpacked them, so a main class in them loads on the second run.
    if (outcome.code == kBootCannotLoadMain && workspace.jars) {
      if (!run(commands[index])) {
        outcome.code = kErrorWaitFailed;
        outcome.why = not_started;
      }
      if (outcome.code == kErrorBootResultLost || wait_failed) return outcome;
      if (platform.stop_signal() != 0) return stopped(true);
    }
    if (marker_present(platform, workspace)) {
      outcome.started = true;
      outcome.why.clear();
      return outcome;
    }
    if (!asks_for_upgrade(outcome.code)) return outcome;
    // Killed or crashed before the application ran: the next VM may do
    // better, but a newer one is not what the last one asked for.
    last_killed = killed_by != 0;
    if (last_killed) continue;
    outcome.upgrade = true;
    upgrade_why = outcome.why + " before starting the application";
  }
  if (last_killed) {
    outcome.upgrade = false;
    outcome.code = kErrorVmKilled;
    outcome.why += " before starting the application";
  } else if (outcome.upgrade)
    outcome.why = upgrade_why;
  else if (!ran)
    outcome.why = not_started.empty() ? "no Java VM command is allowed by the configuration's target" : not_started;
  return outcome;
}

}  // namespace quillpod
