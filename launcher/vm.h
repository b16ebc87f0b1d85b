// Starting the Java VM: the three command lines the launcher knows, trying
// them in order, and reading how each run ended from its exit code and the
// marker file the boot stage leaves once the application's main was called.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "platform.h"
#include "workspace.h"

namespace quillpod {

// "quillpodboot", the quoted executable path, the argument tail (a trailing
// space remains when the tail is empty).
std::string boot_invocation(const std::string& executable_path, const std::string& tail);

// The jview, java and jre command lines, in that order. `vm_options` is the
// configuration's `vmargs` value: its words, split and quoted by the command
// lines' own rules, go before the system property of each command; without
// it the command lines are exactly as earlier versions formed them.
std::array<std::string, 3> build_vm_commands(const std::string& executable_path, const std::string& tail,
                                             const Workspace& workspace,
                                             const std::optional<std::string>& vm_options = std::nullopt);

// Starts one command after readying the boot stage's result file (see
// reserve_boot_result); nullopt when the program cannot be started, and then
// `result_file_failed` tells whether the result file was the cause.
std::optional<ProcessId> start_vm_command(Platform& platform, const std::string& command_line,
                                          const Workspace& workspace, bool* result_file_failed = nullptr);

// The run's exit code: the status, widened by the boot stage's result file
// when the system keeps only 8 bits of it, 128 + n for a process killed by
// signal n, and 10005 when there is no process or the wait fails. A nonzero
// 8-bit status without the marker whose result file was left empty (a write
// that failed on a full disk) is 10009, never a guess; `why` says so.
// `killed_by` is set to the signal that ended the process, or 0.
std::int32_t wait_exit_code(Platform& platform, std::optional<ProcessId> process, const Workspace& workspace,
                            std::string* why = nullptr, int* killed_by = nullptr);

// How a signal is named in a reason line: "signal 9 (SIGKILL)".
std::string signal_name(int signal);

// How the VM attempts ended, as the launcher acts on it.
enum class VmEnd {
  application_ran,  // a run left the marker: `code` is the application's exit code
  interrupted,      // a stop signal reached the launcher: end with `code`, show nothing
  wait_failed,      // the launcher could not wait for a VM: its end is unknown (10005)
  needs_newer_vm,   // every VM that ran ended before the application without an error code
  error_code,       // a run ended on an error code above 10000 (or a negative one): report it
  no_vm,            // no VM ran, or the last one ended with a code that is not an error code
};

struct VmOutcome {
  VmEnd end = VmEnd::no_vm;
  std::int32_t code = 1;  // the stopping code, or the last run's exit code
  std::string why;        // what decided a failed outcome, for the launcher's reason line
};

// Tries the commands the mask allows until one starts the application or one
// ends on an error code (see VmOutcome); shows nothing.
VmOutcome try_vm_commands(Platform& platform, const std::array<std::string, 3>& commands, int vm_mask,
                          const Workspace& workspace);

}  // namespace quillpod
