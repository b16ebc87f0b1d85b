#include "windows_options.h"

#include <algorithm>

namespace fs = std::filesystem;

namespace quillpod::pack {

fs::path find_beside_packer(const fs::path& packer_folder, const std::vector<fs::path>& names, std::string& tried) {
  tried.clear();
  for (const fs::path& place : {packer_folder, packer_folder.parent_path() / "lib" / "quillpod"})
    for (const fs::path& name : names) {
      fs::path candidate = place / name;
      std::error_code ec;
      if (fs::is_regular_file(candidate, ec)) return candidate;
      tried += (tried.empty() ? "" : " or ") + candidate.string();
    }
  return {};
}

fs::path platform_launcher(const fs::path& packer_folder, const std::string& platform, bool console) {
  std::vector<fs::path> names;
  std::string target;
  if (platform == "linux") {
    names = {"quillpod-stripped", "quillpod"};
    target = "quillpod";
  } else if (platform == "windows" || platform == "windows64") {
    fs::path folder = platform == "windows" ? "win32" : "win64";
    names = {folder / (console ? "quillpod-console.exe" : "quillpod.exe")};
    target = platform == "windows" ? "quillpod_win32" : "quillpod_win64";
  } else {
    throw Error("--platform " + platform + " is not one of linux, windows (32-bit, runs on every Windows) and "
                "windows64");
  }
  std::string list;
  fs::path found = find_beside_packer(packer_folder, names, list);
  if (!found.empty()) return found;
  throw Error("no launcher for --platform " + platform + " beside the packer (" + list + "); build it with " +
              "cmake --build build --target " + target + ", or give its file with --launcher FILE");
}

void set_product_key(std::vector<ConfigPair>& config, const std::string& product) {
  if (product.find_first_of(std::string("\n\r\0", 3)) != std::string::npos)
    throw Error("--product holds a line break or NUL, which the configuration cannot carry");
  auto it = std::find_if(config.begin(), config.end(), [](const ConfigPair& p) { return p.key == "product"; });
  if (it == config.end()) {
    config.push_back({"product", product});
  } else if (it->value != product) {
    throw Error("--product \"" + product + "\" and product=" + it->value + " disagree; give one of them");
  }
}

bool wants_windows_resources(const WindowsResources& what) {
  return !what.icon.empty() || !what.icon_origin.empty() || what.version || !what.company.empty();
}

Bytes launcher_with_resources(const Bytes& launcher, const fs::path& launcher_path, const WindowsResources& what) {
  if (!is_windows_executable(launcher)) {
    if (wants_windows_resources(what))
      throw Error("--icon, --version and --company go into a Windows executable, and the launcher " +
                  launcher_path.string() + " is not one; add --platform windows");
    return launcher;
  }
  return add_resources(launcher, windows_resources(what));
}

}  // namespace quillpod::pack
