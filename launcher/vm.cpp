#include "vm.h"

#include <cerrno>
#include <cstdlib>

#include "cmdline.h"
#include "errors.h"

namespace quillpod {

namespace {

// The boot stage's result file holds a decimal number, possibly signed.
std::optional<std::int32_t> read_boot_result(Platform& platform, const std::string& path) {
  std::optional<std::vector<unsigned char>> bytes = platform.read_file(path);
  if (!bytes) return std::nullopt;
  std::string text(bytes->begin(), bytes->end());
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

bool marker_present(Platform& platform, const Workspace& workspace) {
  return platform.read_file(workspace.marker_file).has_value();
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
                                          const Workspace& workspace) {
  platform.delete_file(workspace.boot_result_file);
  return platform.start_process(command_line);
}

std::int32_t wait_exit_code(Platform& platform, std::optional<ProcessId> process, const Workspace& workspace) {
  if (!process) return kErrorWaitFailed;
  ProcessEnd end = platform.wait_process(*process);
  if (!end.waited) return kErrorWaitFailed;
  if (end.signal != 0) return 128 + end.signal;
  if (end.status_is_8_bit) {
    std::optional<std::int32_t> whole = read_boot_result(platform, workspace.boot_result_file);
    if (whole && (static_cast<std::uint32_t>(*whole) & 0xFFu) == (end.status & 0xFFu)) return *whole;
  }
  return static_cast<std::int32_t>(end.status);
}

VmOutcome try_vm_commands(Platform& platform, const std::array<std::string, 3>& commands, int vm_mask,
                          const Workspace& workspace) {
  VmOutcome outcome;
  bool ran = false;
  for (int index = 0; index < 3; ++index) {
    if ((vm_mask & (1 << index)) == 0) continue;
    if (int signal = platform.stop_signal(); signal != 0) {
      // Stopped between runs: end as a process stopped by that signal would.
      outcome.interrupted = true;
      if (!ran) outcome.code = 128 + signal;
      return outcome;
    }
    std::optional<ProcessId> process = start_vm_command(platform, commands[index], workspace);
    if (!process) continue;  // a VM that is not installed counts for nothing
    ran = true;
    std::int32_t code = wait_exit_code(platform, process, workspace);
    outcome.code = code;
    if (platform.stop_signal() != 0) {
      outcome.interrupted = true;
      return outcome;
    }
    // The jar files on the class path exist only once the first run has
    // unpacked them, so a main class in them loads on the second run.
    if (code == kBootCannotLoadMain && workspace.jars) {
      code = wait_exit_code(platform, start_vm_command(platform, commands[index], workspace), workspace);
      outcome.code = code;
      if (platform.stop_signal() != 0) {
        outcome.interrupted = true;
        return outcome;
      }
    }
    if (marker_present(platform, workspace)) {
      outcome.started = true;
      return outcome;
    }
    if (!asks_for_upgrade(code)) return outcome;
    outcome.upgrade = true;
  }
  return outcome;
}

}  // namespace quillpod
