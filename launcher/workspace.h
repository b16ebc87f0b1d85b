// The run's private directory under the user's temporary directory: where the
// boot class goes, where the VM unpacks the application, and what the launcher
// deletes when the VM has ended.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "platform.h"

namespace quillpod {

struct Workspace {
  std::string directory;  // empty until the path is formed
  std::string run_name;   // guards the clean-up: only paths holding it are deleted
  std::string class_path;
  bool jars = false;  // a `jars` key was present: one restart allowed on 10024
  std::string boot_class_file;
  std::string marker_file;
  // Where the boot stage leaves its whole result code, for systems whose
  // exit statuses keep only 8 bits.
  std::string boot_result_file;
};

// The class path: the directory, then the directory's copy of every item of
// `jars` (comma-separated, empty items skipped).
std::string build_class_path(const Platform& platform, const std::string& directory,
                             const std::optional<std::string>& jars);

// Makes the workspace, sets the class path variable and writes the boot class
// into it. Returns 0 or the error code; `out.directory` is set as soon as the
// path is formed, so the caller can clean up after a later failure.
int create_workspace(Platform& platform, const unsigned char* boot, std::size_t boot_length,
                     std::optional<std::string_view> config, Workspace& out);

// Deletes the tree bottom-up without following symbolic links; a file is
// deleted only when its path holds `run_name`. What cannot go stays, silently.
void remove_workspace_tree(Platform& platform, const std::string& directory, const std::string& run_name);

}  // namespace quillpod
