// The configuration an executable carries, read once at start-up into the
// values the launcher acts on.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quillpod {

struct LaunchConfig {
  std::optional<std::string> main;        // `main`: the application's main class, the failure box's caption
  std::optional<std::string> help_base;   // `helpurl`: where the help pages are
  std::optional<std::string> vm_options;  // `vmargs`: words for the VM's command line
  std::optional<std::string> jars;        // `jars`: the jar files on the class path, comma-separated
  std::string target = "H";               // `target`: which VM commands may be tried
  bool console = false;                   // `console` is "yes": a command-line tool, never a box
  std::optional<std::string> product;     // `product`: the application's name, the failure box's caption

  // The VM mask: the first character of `target` minus 'A', the character
  // taken as a signed byte. An empty value leaves the NUL as first
  // character: 0 - 'A' allows all VMs.
  int vm_mask() const;
};

// Reads every key the launcher knows from the configuration text (nullopt:
// the executable has none), with the lookup rules stored executables were
// written against.
LaunchConfig read_launch_config(std::optional<std::string_view> text);

}  // namespace quillpod
