// The packer's Windows side: which launcher a --platform names, and the
// resources and configuration that --icon, --version, --product and
// --company give a Windows executable.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "pack.h"
#include "pe_resources.h"

namespace quillpod::pack {

// The first of names found beside the packer (a build tree) or in
// ../lib/quillpod (an installation), each name in turn; none found, an empty
// path, and tried lists every place looked at ("A or B or ...").
std::filesystem::path find_beside_packer(const std::filesystem::path& packer_folder,
                                         const std::vector<std::filesystem::path>& names, std::string& tried);

// The launcher for a platform ("linux", "windows" for 32-bit Windows, which
// every Windows runs, "windows64"), found beside the packer (a build tree)
// or in ../lib/quillpod (an installation); for Windows the console launcher
// when console is set. Throws Error naming what was tried and the fix.
std::filesystem::path platform_launcher(const std::filesystem::path& packer_folder, const std::string& platform,
                                        bool console);

// Sets the product key, which the launcher shows as the caption of its
// failure box; throws Error when the configuration already names another.
void set_product_key(std::vector<ConfigPair>& config, const std::string& product);

// Whether the maker asked for a resource only a Windows executable can
// carry (the product name is also the failure box's caption everywhere).
bool wants_windows_resources(const WindowsResources& what);

// The launcher as it goes into the executable: a Windows launcher with its
// resources written in (every Windows executable gets the manifest), any
// other unchanged. Throws Error when resources were asked of a launcher that
// is not a Windows program.
Bytes launcher_with_resources(const Bytes& launcher, const std::filesystem::path& launcher_path,
                              const WindowsResources& what);

}  // namespace quillpod::pack
