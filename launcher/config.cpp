#include "config.h"

#include "payload.h"

namespace quillpod {

int LaunchConfig::vm_mask() const {
  return static_cast<signed char>(target.empty() ? '\0' : target[0]) - 'A';
}

LaunchConfig read_launch_config(std::optional<std::string_view> text) {
  LaunchConfig config;
  config.main = lookup_config_value(text, "main", std::nullopt);
  config.help_base = lookup_config_value(text, "helpurl", std::nullopt);
  config.vm_options = lookup_config_value(text, "vmargs", std::nullopt);
  config.jars = lookup_config_value(text, "jars", std::nullopt);
  config.console = lookup_config_value(text, "console", std::nullopt) == std::optional<std::string>("yes");
  config.target = lookup_config_value(text, "target", config.target).value_or(config.target);
  config.product = lookup_config_value(text, "product", std::nullopt);
  return config;
}

}  // namespace quillpod
