// The run's private directory under the user's temporary directory: where the
// boot class goes, where the VM unpacks the application, and what the launcher
// deletes when the VM has ended.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "config.h"
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
  bool created = false;  // this run made the directory: it is this run's to remove
  // The temporary directory and the workspace, held open from the moment the
  // workspace is made: it is emptied and removed through these, never by a
  // path that someone may have replaced since.
  std::optional<DirectoryId> temporary_handle;
  std::optional<DirectoryId> handle;
};

// How many directories with a run name's form one launch looks into when it
// sweeps stale workspaces: the sweep's cost stays the same however many such
// directories others keep. Each launch starts at another place in the list,
// so every stale workspace of ours is reached in time.
constexpr int kSweepLimit = 64;

// Attempts at a free run name after the first choice is taken: the next
// ticks (launches in the same millisecond), then unpredictable names (names
// someone else made in a shared temporary directory).
constexpr int kNextTickAttempts = 16;
constexpr int kRandomNameAttempts = 16;

// Whether a name has the form of a run name: seconds followed by a signed
// 32-bit number ("17000000004321", "1700000000-2147483643").
bool is_run_name(std::string_view name);

// The class path: the directory, then the directory's copy of every item of
// `jars` (comma-separated, empty items skipped).
std::string build_class_path(const Platform& platform, const std::string& directory,
                             const std::optional<std::string>& jars);

// Makes the workspace under a free run name, locks it for the launcher's
// life, sets the class path variable and writes the boot class into it.
// Returns 0 or the error code, with the reason in `why` ("cannot create the
// workspace /tmp/1700000000123: No space left on device"); `out.directory`
// is set as soon as the path is formed, so the caller can clean up.
int create_workspace(Platform& platform, const unsigned char* boot, std::size_t boot_length,
                     const LaunchConfig& config, Workspace& out, std::string* why = nullptr);

// Deletes the tree bottom-up through open directories, never following a
// link and entering only directories of the user running the launcher,
// making each removable first; a file is deleted only when its path holds
// `run_name`, and the boot class file goes last, so a tree that stays is
// still known as a workspace. What cannot go stays, silently. True when the
// directory is gone.
bool remove_workspace_tree(Platform& platform, const std::string& directory, const std::string& run_name);

// The same for this run's own workspace, through the directories it held
// open since it made them; the handle is closed.
bool remove_workspace_tree(Platform& platform, Workspace& workspace);

// Removes the workspaces of earlier runs whose launcher is gone (killed,
// power lost): directories of the user running the launcher in the open
// temporary directory, with a run name's form, that hold the boot class file
// and whose lock is free; at most kSweepLimit candidates a launch. Nothing
// else is touched. Best effort and silent.
void remove_stale_workspaces(Platform& platform, DirectoryId temporary, const std::string& temporary_path);
void remove_stale_workspaces(Platform& platform, const std::string& temporary);

}  // namespace quillpod
