#pragma once

// The window's caption at start and the credit label's text.
inline constexpr const char* kCreditLine = "Vigilo 1.0 - the Vigilo project - vigilo@example.org";
