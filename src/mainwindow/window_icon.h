#pragma once

#include "build_info.h"

#include <QIcon>

// The window's own icon: an eye, drawn at each of the sizes the build names
// (VIGILO_ICON_SIZES), which the install also puts in the desktop's theme.
inline constexpr int kWindowIconSizes[] = {VIGILO_ICON_SIZES};
QIcon vigiloWindowIcon();
