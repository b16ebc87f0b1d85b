#include "workspace.h"

#include "errors.h"
#include "payload.h"

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

int create_workspace(Platform& platform, const unsigned char* boot, std::size_t boot_length,
                     std::optional<std::string_view> config, Workspace& out) {
  std::optional<std::string> temporary = platform.temporary_path();
  if (!temporary || temporary->empty()) return kErrorNoTemporaryPath;

  // Seconds and a signed 32-bit millisecond tick, as the run names of
  // earlier versions read; the tick may print with a minus sign.
  out.run_name = std::to_string(platform.current_time()) +
                 std::to_string(static_cast<std::int32_t>(platform.tick_count()));
  out.directory = *temporary + out.run_name;
  if (!platform.create_directory(out.directory)) return kErrorCreateWorkspace;

  const char sep = platform.path_separator();
  std::optional<std::string> jars = lookup_config_value(config, "jars", std::nullopt);
  out.jars = jars.has_value();
  out.class_path = build_class_path(platform, out.directory, jars);
  if (!platform.set_environment(platform.class_path_variable(), out.class_path)) return kErrorSetClassPath;

  out.boot_class_file = out.directory + sep + kProductWord + "boot.class";
  if (!platform.write_new_file(out.boot_class_file, boot, boot_length)) return kErrorWriteBootClass;

  out.marker_file = out.directory + sep + "Jz.Ky.Tx";
  out.boot_result_file = out.directory + sep + kProductWord + "boot.result";
  return 0;
}

void remove_workspace_tree(Platform& platform, const std::string& directory, const std::string& run_name) {
  if (std::optional<std::vector<DirectoryEntry>> entries = platform.list_directory(directory)) {
    for (const DirectoryEntry& entry : *entries) {
      if (entry.name == "." || entry.name == "..") continue;
      std::string path = directory + platform.path_separator() + entry.name;
      if (entry.is_directory) {
        remove_workspace_tree(platform, path, run_name);
      } else if (path.find(run_name) != std::string::npos) {
        platform.delete_file(path);
      }
    }
  }
  platform.remove_directory(directory);
}

}  // namespace quillpod
