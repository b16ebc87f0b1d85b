// The launcher's error codes and fixed texts, as users and help pages know them.
#pragma once

#include <string>

namespace quillpod {

constexpr const char* kProductWord = "quillpod";

// The launcher maker's help page, used when the configuration names none.
constexpr const char* kBuiltInHelpAddress = "https://quillpod.example.org/help.html";

constexpr int kErrorWriteBootClass = 10001;
constexpr int kErrorBootRecord = 10002;
constexpr int kErrorReadExecutable = 10003;
constexpr int kErrorExecutablePath = 10004;
constexpr int kErrorWaitFailed = 10005;
constexpr int kErrorSetClassPath = 10006;
constexpr int kErrorNoTemporaryPath = 10007;
constexpr int kErrorCreateWorkspace = 10008;
// The boot stage's whole result code was lost: its file could not be kept
// ready before a VM start, or after the run it is empty or unreadable while
// the VM's 8-bit status says the boot stage failed (a full disk).
constexpr int kErrorBootResultLost = 10009;
// The VM was ended by a signal (killed, crashed) before the application ran:
// no newer VM is called for, and nothing of the application's was reached.
constexpr int kErrorVmKilled = 10040;

// The text of a launcher failure's reason line: what failed on what, then
// the system's own words when a system call failed ("cannot create the
// workspace /tmp/17969098401641568: No space left on device"). The launcher
// writes it once per failure, after "quillpod: ".
inline std::string with_reason(const std::string& text, const std::string& system_reason) {
  return system_reason.empty() ? text : text + ": " + system_reason;
}

constexpr const char* kTopicErrorCodes = "errorcodes";
constexpr const char* kTopicNoJavaVm = "nojavavm";
constexpr const char* kTopicUpgradeJavaVm = "upgradejavavm";

}  // namespace quillpod
