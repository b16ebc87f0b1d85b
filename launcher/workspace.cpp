#include "workspace.h"

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

int create_workspace(Platform& platform, const unsigned char* boot, std::size_t boot_length,
                     std::optional<std::string_view> config, Workspace& out, std::string* why) {
  std::optional<std::string> temporary = platform.temporary_path();
  if (!temporary || temporary->empty())
    return fail(why, kErrorNoTemporaryPath,
                with_reason("cannot find the temporary directory", platform.last_error()));
  // A VM splits its class path at this character; no quoting keeps it whole.
  if (temporary->find(platform.class_path_separator()) != std::string::npos)
    return fail(why, kErrorNoTemporaryPath,
                "cannot use the temporary directory " + *temporary + ": its name holds '" +
                    platform.class_path_separator() + "', which separates class path entries");

  remove_stale_workspaces(platform, *temporary);

  // Seconds and a signed 32-bit millisecond tick, as the run names of
  // earlier versions read; the tick may print with a minus sign. A name
  // taken by a launch in the same millisecond moves on to the next tick,
  // one taken by anyone else to names nobody can foresee.
  const std::int64_t seconds = platform.current_time();
  const std::uint32_t tick = platform.tick_count();
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
  // Held until the launcher and the VMs it starts are gone; another launch
  // removes the workspace only once the lock is free.
  if (!platform.lock_directory(out.directory, true))
    return fail(why, kErrorCreateWorkspace,
                with_reason("cannot lock the workspace " + out.directory, platform.last_error()));

  const char sep = platform.path_separator();
  std::optional<std::string> jars = lookup_config_value(config, "jars", std::nullopt);
  out.jars = jars.has_value();
  out.class_path = build_class_path(platform, out.directory, jars);
  if (!platform.set_environment(platform.class_path_variable(), out.class_path))
    return fail(why, kErrorSetClassPath,
                with_reason("cannot set " + platform.class_path_variable() + " to " + out.class_path,
                            platform.last_error()));

  out.boot_class_file = out.directory + sep + boot_class_name();
  if (!platform.write_new_file(out.boot_class_file, boot, boot_length))
    return fail(why, kErrorWriteBootClass,
                with_reason("cannot write the boot class " + out.boot_class_file, platform.last_error()));

  out.marker_file = out.directory + sep + kMarkerFileName;
  out.boot_result_file = out.directory + sep + kBootResultFileName;
  return 0;
}

bool reserve_boot_result(Platform& platform, const Workspace& workspace) {
  const std::string text = kBootResultPending;
  return platform.write_new_file(workspace.boot_result_file, reinterpret_cast<const unsigned char*>(text.data()),
                                 text.size());
}

bool remove_workspace_tree(Platform& platform, const std::string& directory, const std::string& run_name) {
  // A directory the application made read-only (or unreadable) could not
  // be emptied; only directories change mode here, never a link's target.
  platform.make_directory_removable(directory);
  if (std::optional<std::vector<DirectoryEntry>> entries = platform.list_directory(directory)) {
    std::optional<std::string> boot_class;
    for (const DirectoryEntry& entry : *entries) {
      if (entry.name == "." || entry.name == "..") continue;
      std::string path = directory + platform.path_separator() + entry.name;
      if (entry.is_directory) {
        remove_workspace_tree(platform, path, run_name);
      } else if (path.find(run_name) != std::string::npos) {
        if (entry.name == boot_class_name())
          boot_class = path;
        else
          platform.delete_file(path);
      }
    }
    if (boot_class) platform.delete_file(*boot_class);
  }
  return platform.remove_directory(directory);
}

void remove_stale_workspaces(Platform& platform, const std::string& temporary) {
  std::string listed = temporary;
  while (listed.size() > 1 && listed.back() == platform.path_separator()) listed.pop_back();
  std::optional<std::vector<DirectoryEntry>> entries = platform.list_directory(listed);
  if (!entries) return;
  for (const DirectoryEntry& entry : *entries) {
    if (!entry.is_directory || !is_run_name(entry.name)) continue;
    const std::string path = temporary + entry.name;
    std::optional<std::vector<DirectoryEntry>> inside = platform.list_directory(path);
    if (!inside) continue;
    bool holds_boot_class = false;
    for (const DirectoryEntry& e : *inside) holds_boot_class = holds_boot_class || (!e.is_directory && e.name == boot_class_name());
    if (!holds_boot_class) continue;
    // A free lock: no launcher and no VM of that run is left.
    std::optional<LockId> lock = platform.lock_directory(path, false);
    if (!lock) continue;
    remove_workspace_tree(platform, path, entry.name);
    platform.unlock_directory(*lock);
  }
}

}  // namespace quillpod
