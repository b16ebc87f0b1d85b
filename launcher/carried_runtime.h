// A Java runtime the executable carries is tried before any installed VM:
// its java program with the java command's own line and exit-code protocol.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "vm.h"

namespace quillpod {

// The java command line with its program replaced by the carried runtime's
// java program, quoted.
std::string carried_java_command(const std::string& java_program, const std::string& java_command);

// Runs the carried runtime's java first, when there is one; only when it
// cannot run the application (it cannot start, or it ends before the boot
// stage without an error code of its own) are the installed VMs the mask
// allows tried, and the reason is written to the error stream. Otherwise
// its outcome stands.
VmOutcome try_carried_then_installed(Platform& platform, const std::optional<std::string>& java_program,
                                     const std::array<std::string, 3>& commands, int vm_mask,
                                     const Workspace& workspace);

}  // namespace quillpod
