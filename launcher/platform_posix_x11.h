// The Yes/No box on an X11 display, with libX11 loaded at run time so the
// launcher also runs (answering on the error stream) where X is not installed.
#pragma once

#include <csignal>
#include <string>

#include "platform.h"

namespace quillpod {

// Shows the box on $DISPLAY and waits for an answer: Yes by its button, Enter
// or Y; No by its button, Escape, N or closing the window. A stop signal
// (seen through `stop`) answers No. `unavailable` when no box can be shown.
BoxAnswer x11_ask_yes_no(const std::string& caption, const std::string& text, const volatile sig_atomic_t* stop);

}  // namespace quillpod
