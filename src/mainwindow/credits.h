#pragma once

#include "build_info.h"

// The program's name and version as the build gives them (VIGILO_VERSION):
// the window's caption once a page load is stopped, and the title of a box
// that reports an unexpected failure.
inline constexpr const char* kProgramTitle = "Vigilo " VIGILO_VERSION;
// The window's caption at start and the credit label's text. It names the
// makers only: an address shown here has to be one that someone answers.
inline constexpr const char* kCreditLine = "Vigilo " VIGILO_VERSION " - the Vigilo developers";
