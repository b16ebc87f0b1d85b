// The boot stage's result codes that the launcher acts on. The boot stage
// (boot/quillpodboot.java) names the same codes; a test of the boot stage
// reads this file and checks that both sides agree.
#pragma once

namespace quillpod {

// The VM is older than the configuration's minimum: the next VM is tried.
constexpr int kBootVmTooOld = 10333;
// The main class could not be loaded: one restart when the configuration names jars.
constexpr int kBootCannotLoadMain = 10024;

}  // namespace quillpod
