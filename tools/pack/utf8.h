// UTF-8 text as the archive's names and the Windows details carry it.
#pragma once

#include <string>

namespace quillpod::pack {

// Empty if the bytes are UTF-8 text without control characters (shortest
// forms only, no surrogates); else what is wrong, for a message.
std::string utf8_text_problem(const std::string& text);

}  // namespace quillpod::pack
