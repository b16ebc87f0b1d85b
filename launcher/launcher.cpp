#include "launcher.h"

#include <cstring>

#include "errors.h"
#include "payload.h"
#include "vm.h"
#include "workspace.h"

namespace quillpod {

namespace {

std::string help_address(const BoxSettings& settings, const std::string& topic) {
  return settings.help_base.value_or(kBuiltInHelpAddress) + "#" + topic;
}

std::string vm_message(const char* article, const char* need) {
  return std::string(article) + " Java VM needs to be " + need + " before this program can be run.";
}

// The boot record is usable only when its header and data lie inside the
// file; the length is read only once the header is known to be whole.
bool boot_record_usable(const std::vector<unsigned char>& image, long long offset) {
  if (offset <= 0) return false;
  std::uint64_t data = static_cast<std::uint64_t>(offset) + kRecordHeaderSize;
  if (data >= image.size()) return false;
  return data + record_length(image.data(), static_cast<std::size_t>(offset)) <= image.size();
}

}  // namespace

bool help_base_fits(const std::string& help_base) {
  return help_base.size() + 1 + std::strlen(kTopicUpgradeJavaVm) + 1 <= kBoxBufferSize;
}

long long read_entire_file(Platform& platform, const std::string& path, std::vector<unsigned char>* out) {
  std::optional<std::vector<unsigned char>> bytes = platform.read_file(path);
  if (!bytes) return -1;
  long long size = static_cast<long long>(bytes->size());
  if (out) *out = std::move(*bytes);
  return size;
}

void show_failure_box(Platform& platform, const BoxSettings& settings, const std::string& message,
                      const std::string& topic) {
  const std::string caption = settings.caption.value_or(kProductWord);
  const std::string address = help_address(settings, topic);
  switch (platform.ask_yes_no(caption, message + "\n\nWould you like detailed help?")) {
    case BoxAnswer::yes:
      platform.open_address(address);
      break;
    case BoxAnswer::no:
      break;
    case BoxAnswer::unavailable:
      platform.write_error_line(caption + ": " + message);
      platform.write_error_line("Help: " + address);
      break;
  }
}

int launcher_run(Platform& platform, const std::string& argument_tail) {
  int error = 0;
  int result = 1;
  BoxSettings box;
  Workspace workspace;

  // Steps that end before a workspace exists return through this.
  auto report = [&]() {
    if (error > 0)
      show_failure_box(platform, box, std::string(kProductWord) + " ERROR #" + std::to_string(error),
                       kTopicErrorCodes);
    return result;
  };

  std::optional<std::string> executable = platform.executable_path();
  if (!executable) {
    error = kErrorExecutablePath;
    return report();
  }
  std::vector<unsigned char> image;
  if (read_entire_file(platform, *executable, &image) < 0) {
    error = kErrorReadExecutable;
    return report();
  }

  std::optional<std::string_view> config = config_text(image.data(), image.size());
  box.caption = lookup_config_value(config, "main", std::nullopt);
  box.help_base = lookup_config_value(config, "helpurl", std::nullopt);
  if (box.help_base && !help_base_fits(*box.help_base)) box.help_base.reset();
  // An empty value leaves the NUL as first character: 0 - 'A' allows all VMs.
  std::string target = lookup_config_value(config, "target", std::string("H")).value_or("H");
  int vm_mask = static_cast<signed char>(target.empty() ? '\0' : target[0]) - 'A';

  long long boot_at = find_record(image.data(), image.size(), 'B');
  if (!boot_record_usable(image, boot_at)) {
    error = kErrorBootRecord;
    return report();
  }
  const std::size_t boot_data = static_cast<std::size_t>(boot_at) + kRecordHeaderSize;
  const std::uint32_t boot_length = record_length(image.data(), static_cast<std::size_t>(boot_at));

  error = create_workspace(platform, image.data() + boot_data, boot_length, config, workspace);
  if (error == kErrorNoTemporaryPath) return report();
  // An existing directory of that name belongs to another run: leave it be.
  bool keep_workspace = workspace.directory.empty() || error == kErrorCreateWorkspace;

  if (error == 0) {
    VmOutcome outcome =
        try_vm_commands(platform,
                        build_vm_commands(*executable, argument_tail, workspace,
                                          lookup_config_value(config, "vmargs", std::nullopt)),
                        vm_mask, workspace);
    if (outcome.interrupted) {
      // The user stopped the VM through us: end with its code, show nothing.
      result = outcome.code == kErrorWaitFailed ? 1 : outcome.code;
      keep_workspace = outcome.code == kErrorWaitFailed;
    } else if (outcome.started) {
      result = outcome.code;
    } else if (outcome.upgrade) {
      show_failure_box(platform, box, vm_message("Your", "upgraded"), kTopicUpgradeJavaVm);
    } else if (static_cast<std::uint32_t>(outcome.code) > 10000u) {
      error = outcome.code;
    } else {
      show_failure_box(platform, box, vm_message("A", "installed"), kTopicNoJavaVm);
    }
  }

  // The VM we could not wait for may still use the workspace.
  if (error == kErrorWaitFailed) keep_workspace = true;
  if (!keep_workspace) remove_workspace_tree(platform, workspace.directory, workspace.run_name);
  return report();
}

}  // namespace quillpod
