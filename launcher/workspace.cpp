#include "workspace.h"

#include <algorithm>
#include <utility>

#include "boot_stage.h"
#include "errors.h"
#include "payload.h"
#include "payload_format.h"

namespace quillpod {

std::string build_class_path(const Platform& platform, const std::string& directory,
                             const std::optional<std::string>& jars) {
  std::string class_path = directory;
  if (!jars) return class_path;
  std::size_t start = 0;
  while (start <= jars->size()) {
    std::size_t comma = jars->find(',', start);
    if (comma == std::string::npos) comma = jars->size();
    if (comma > start) {
      class_path += platform.class_path_separator();
      class_path += directory;
      class_path += platform.path_separator();
      class_path.append(*jars, start, comma - start);
    }
    start = comma + 1;
  }
  return class_path;
}

namespace {

std::string boot_class_name() { return kBootClassFileName; }

std::string run_name_of(std::int64_t seconds, std::uint32_t number) {
  return std::to_string(seconds) + std::to_string(static_cast<std::int32_t>(number));
}

// Whether the bytes have the shape of UTF-8 sequences.
bool is_utf8_text(const std::string& text) {
  for (std::size_t i = 0; i < text.size();) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    std::size_t n = c < 0x80 ? 0 : (c >> 5) == 0x6 ? 1 : (c >> 4) == 0xE ? 2 : (c >> 3) == 0x1E ? 3 : 4;
    if (n == 4 || (n > 0 && i + n >= text.size())) return false;
    for (std::size_t k = 1; k <= n; ++k)
      if ((static_cast<unsigned char>(text[i + k]) >> 6) != 0x2) return false;
    i += n + 1;
  }
  return true;
}

int fail(std::string* why, int code, const std::string& text) {
  if (why) *why = text;
  return code;
}


}  // namespace

bool is_run_name(std::string_view name) {
  if (name.size() < 2 || name.size() > 32) return false;
  bool minus = false;
  for (std::size_t i = 0; i < name.size(); ++i) {
    char c = name[i];
    if (c >= '0' && c <= '9') continue;
    // One minus sign, between the seconds and a negative number.
    if (c != '-' || minus || i == 0 || i + 1 == name.size()) return false;
    minus = true;
  }
  return true;
}

namespace {

// The temporary path without its closing separators, as a directory to open
// ("/", "C:\\" stay whole).
std::string without_trailing_separator(const Platform& platform, std::string path) {
  while (path.size() > 1 && path.back() == platform.path_separator() && path[path.size() - 2] != ':')
    path.pop_back();
  return path;
}

}  // namespace

int create_workspace(Platform& platform, const unsigned char* boot, std::size_t boot_length,
                     const LaunchConfig& config, Workspace& out, std::string* why) {
  std::optional<std::string> temporary = platform.temporary_path();
  if (!temporary || temporary->empty())
    return fail(why, kErrorNoTemporaryPath,
                with_reason("cannot find the temporary directory", platform.last_error()));
  // A VM splits its class path at this character; no quoting keeps it whole.
  if (temporary->find(platform.class_path_separator()) != std::string::npos)
    return fail(why, kErrorNoTemporaryPath,
                "cannot use the temporary directory " + *temporary + ": its name holds '" +
                    platform.class_path_separator() + "', which separates class path entries");
  // The VM gets every path as UTF-8 text: other bytes would reach it as
  // replacement characters, and it would look for its files elsewhere.
  if (platform.names_must_be_utf8() && !is_utf8_text(*temporary))
    return fail(why, kErrorNoTemporaryPath,
                "cannot use the temporary directory " + *temporary +
                    ": its name is not UTF-8 text, so the Java VM cannot be given the workspace's path");

  const std::int64_t seconds = platform.current_time();
  const std::uint32_t tick = platform.tick_count();
  std::optional<DirectoryId> parent =
      platform.open_directory(std::nullopt, without_trailing_separator(platform, *temporary), false);
  if (!parent) {
    // No place to make the workspace in: named as the workspace that could not be made.
    out.run_name = run_name_of(seconds, tick);
    out.directory = *temporary + out.run_name;
    return fail(why, kErrorCreateWorkspace,
                with_reason("cannot create the workspace " + out.directory, platform.last_error()));
  }
  out.temporary_handle = parent;
  // Anyone could rename our workspace away there and leave a link in its
  // place between two of our steps; a shared /tmp has the sticky bit.
  if (platform.others_may_replace_entries(*parent))
    return fail(why, kErrorNoTemporaryPath,
                "cannot use the temporary directory " + *temporary +
                    ": other users may write into it and it has no sticky bit, so they could replace "
                    "the workspace (set TMPDIR to a directory of your own)");

  remove_stale_workspaces(platform, *parent, *temporary);

  // Seconds and a signed 32-bit millisecond tick, as the run names of
  // earlier versions read; the tick may print with a minus sign. A name
  // taken by a launch in the same millisecond moves on to the next tick,
  // one taken by anyone else to names nobody can foresee.
  bool made = false;
  for (int attempt = 0; attempt <= kNextTickAttempts + kRandomNameAttempts && !made; ++attempt) {
    std::uint32_t number = tick + static_cast<std::uint32_t>(attempt);
    if (attempt > kNextTickAttempts) {
      std::optional<std::uint32_t> random = platform.random_number();
      if (!random) continue;
      number = *random;
    }
    out.run_name = run_name_of(seconds, number);
    out.directory = *temporary + out.run_name;
    made = platform.create_directory(out.directory);
  }
  if (!made)
    return fail(why, kErrorCreateWorkspace,
                with_reason("cannot create the workspace " + out.directory, platform.last_error()));
  out.created = true;
  // From here on the workspace is reached only through this handle: it is
  // ours, and no link, wherever someone may have moved things since.
  out.handle = platform.open_directory(*parent, out.run_name, true);
  if (!out.handle)
    return fail(why, kErrorCreateWorkspace,
                with_reason("cannot open the workspace " + out.directory, platform.last_error()));
  // Held until the launcher and the VMs it starts are gone; another launch
  // removes the workspace only once the lock is free.
  if (!platform.lock_directory(*out.handle, true))
    return fail(why, kErrorCreateWorkspace,
                with_reason("cannot lock the workspace " + out.directory, platform.last_error()));

  const char sep = platform.path_separator();
  out.jars = config.jars.has_value();
  out.class_path = build_class_path(platform, out.directory, config.jars);
  if (!platform.set_environment(platform.class_path_variable(), out.class_path))
    return fail(why, kErrorSetClassPath,
                with_reason("cannot set " + platform.class_path_variable() + " to " + out.class_path,
                            platform.last_error()));

  out.boot_class_file = out.directory + sep + boot_class_name();
  if (!write_boot_class(platform, out, BootClass{boot, static_cast<std::uint32_t>(boot_length)}))
    return fail(why, kErrorWriteBootClass,
                with_reason("cannot write the boot class " + out.boot_class_file, platform.last_error()));

  out.marker_file = out.directory + sep + kMarkerFileName;
  out.boot_result_file = out.directory + sep + kBootResultFileName;
  return 0;
}

namespace {

// Empties and removes the directory `name` inside `parent`, walking it
// through `directory` (already open, or opened here as the user's own and
// never through a link), which is closed before the directory goes. `path`
// is where it lies, for the run-name guard.
bool remove_tree_at(Platform& platform, DirectoryId parent, const std::string& name, const std::string& path,
                    const std::string& run_name, std::optional<DirectoryId> directory) {
  if (!directory) directory = platform.open_directory(parent, name, true);
  if (directory) {
    if (std::optional<std::vector<DirectoryEntry>> entries = platform.list_directory(*directory)) {
      bool boot_class = false;
      for (const DirectoryEntry& entry : *entries) {
        if (entry.name == "." || entry.name == "..") continue;
        const std::string entry_path = path + platform.path_separator() + entry.name;
        if (entry.is_directory) {
          remove_tree_at(platform, *directory, entry.name, entry_path, run_name, std::nullopt);
        } else if (entry_path.find(run_name) != std::string::npos) {
          if (entry.name == boot_class_name())
            boot_class = true;
          else
            platform.delete_file(*directory, entry.name);
        }
      }
      if (boot_class) platform.delete_file(*directory, boot_class_name());
    }
    platform.close_directory(*directory);
  }
  return platform.remove_directory(parent, name);
}

// The parent directory and the last name of a path.
std::pair<std::string, std::string> split_path(const Platform& platform, const std::string& path) {
  std::size_t at = path.rfind(platform.path_separator());
  if (at == std::string::npos) return {std::string(), path};
  return {at == 0 ? path.substr(0, 1) : path.substr(0, at), path.substr(at + 1)};
}

}  // namespace

bool remove_workspace_tree(Platform& platform, const std::string& directory, const std::string& run_name) {
  auto [parent_path, name] = split_path(platform, directory);
  std::optional<DirectoryId> parent = platform.open_directory(std::nullopt, parent_path, false);
  if (!parent) return false;
  bool gone = remove_tree_at(platform, *parent, name, directory, run_name, std::nullopt);
  platform.close_directory(*parent);
  return gone;
}

bool remove_workspace_tree(Platform& platform, Workspace& workspace) {
  if (!workspace.temporary_handle) return false;
  std::optional<DirectoryId> held = workspace.handle;
  workspace.handle.reset();
  return remove_tree_at(platform, *workspace.temporary_handle, workspace.run_name, workspace.directory,
                        workspace.run_name, held);
}

void remove_stale_workspaces(Platform& platform, DirectoryId temporary, const std::string& temporary_path) {
  std::optional<std::vector<DirectoryEntry>> entries = platform.list_directory(temporary);
  if (!entries) return;
  std::vector<std::string> candidates;
  for (const DirectoryEntry& entry : *entries)
    if (entry.is_directory && is_run_name(entry.name)) candidates.push_back(entry.name);
  if (candidates.empty()) return;
  const std::size_t start = platform.tick_count() % candidates.size();
  const std::size_t count = std::min(candidates.size(), static_cast<std::size_t>(kSweepLimit));
  for (std::size_t i = 0; i < count; ++i) {
    const std::string& name = candidates[(start + i) % candidates.size()];
    // Only our own directories, and never through a link someone swapped in.
    std::optional<DirectoryId> directory = platform.open_directory(temporary, name, true);
    if (!directory) continue;
    bool holds_boot_class = false;
    if (std::optional<std::vector<DirectoryEntry>> inside = platform.list_directory(*directory))
      for (const DirectoryEntry& e : *inside)
        holds_boot_class = holds_boot_class || (!e.is_directory && e.name == boot_class_name());
    // A free lock: no launcher and no VM of that run is left.
    std::optional<LockId> lock = holds_boot_class ? platform.lock_directory(*directory, false) : std::nullopt;
    if (!lock) {
      platform.close_directory(*directory);
      continue;
    }
    remove_tree_at(platform, temporary, name, temporary_path + name, name, directory);
    platform.unlock_directory(*lock);
  }
}

void remove_stale_workspaces(Platform& platform, const std::string& temporary) {
  std::optional<DirectoryId> directory =
      platform.open_directory(std::nullopt, without_trailing_separator(platform, temporary), false);
  if (!directory) return;
  remove_stale_workspaces(platform, *directory, temporary);
  platform.close_directory(*directory);
}

}  // namespace quillpod
