// The carried Java runtime on disk (POSIX): unpacked once into the user's
// cache, $XDG_CACHE_HOME/quillpod/runtimes/<hash>/ (~/.cache by default),
// and found there by its hash on later launches.
//
// Every folder the launcher makes there is 0700 and its own; below the
// cache's base folder nothing is reached by a path that could hold a link:
// each level is opened with O_NOFOLLOW relative to the one above and must
// belong to the user running the launcher. A runtime is unpacked into a
// temporary folder beside its final place, verified against its hash, and
// renamed into place only then; launches that race wait on a lock on the
// runtimes folder, and the first one's work serves them all.
#pragma once

#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "runtime_tree.h"

namespace quillpod {

// Runtimes not used for this long are removed by a later launch.
constexpr std::time_t kRuntimeUnusedLimit = 90 * 24 * 60 * 60;

// The folder that holds the runtimes folder: $XDG_CACHE_HOME/quillpod when
// that is an absolute path, else $HOME/.cache/quillpod (the password
// database's home when HOME is unset); "" when there is none.
std::string runtime_cache_folder();

// Unpacks the tree into the open, empty folder `into`: folders, files and
// links with their permission bits, never through a link, and only when
// the whole stream matches the record's size and hash; then writes the
// manifest that runtime_intact checks. False with the reason in `why` (the
// folder may then hold part of the tree); `damaged_record` tells whether the
// record was at fault rather than the disk.
bool unpack_runtime(const RuntimeRecord& record, int into, std::string* why, bool* damaged_record = nullptr);

// Whether an unpacked tree is still whole: its manifest names the record's
// hash, and every entry it lists is there with its kind, mode and size, and
// every file unchanged since it was written (its change time).
bool runtime_intact(int folder, const RuntimeHash& hash, std::string* why);

// Removes the folder `name` inside the open folder `parent` with everything
// in it, through descriptors: links are removed as links, and only folders
// of the user running the launcher are entered. True when it is gone.
bool remove_runtime_tree(int parent, const std::string& name);

// Removes, inside the open runtimes folder, the runtimes of this user not
// used for kRuntimeUnusedLimit before `now`, and the unpacking leftovers of
// launches that were killed; a runtime a launch is using (its lock held)
// stays. Returns how many were removed.
int sweep_runtimes(int runtimes, std::time_t now);

// Makes the runtime ready for this run and returns the path of its java
// program: from the cache, unpacked into it first when missing or damaged;
// when the cache cannot be used (full, read-only, not the user's own),
// unpacked into the open workspace folder instead, saying so in `notes`.
// nullopt when neither worked (the record is damaged, or the disk is full);
// `notes` then says why. The runtime stays locked in use until the process ends.
std::optional<std::string> ready_runtime(const RuntimeRecord& record, int workspace, const std::string& workspace_path,
                                         std::vector<std::string>& notes);

}  // namespace quillpod
