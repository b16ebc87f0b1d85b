#include "carried_runtime.h"

#include "cmdline.h"
#include "errors.h"

namespace quillpod {

std::string carried_java_command(const std::string& java_program, const std::string& java_command) {
  const std::string program = "java";
  return quote_argument_always(java_program) + java_command.substr(program.size());
}

VmOutcome try_carried_then_installed(Platform& platform, const std::optional<std::string>& java_program,
                                     const std::array<std::string, 3>& commands, int vm_mask,
                                     const Workspace& workspace) {
  if (java_program) {
    const std::array<std::string, 3> carried{carried_java_command(*java_program, commands[1]), "", ""};
    VmOutcome outcome = try_vm_commands(platform, carried, 1, workspace);
    if (outcome.end != VmEnd::no_vm && outcome.end != VmEnd::needs_newer_vm) return outcome;
    platform.write_error_line(std::string(kProductWord) + ": the carried Java runtime did not run the application (" +
                              outcome.why + "); trying the installed Java VMs");
  }
  return try_vm_commands(platform, commands, vm_mask, workspace);
}

}  // namespace quillpod
