#pragma once

#include <QIcon>

// The window's own icon: an eye, drawn at each of these sizes.
inline constexpr int kWindowIconSizes[] = {16, 32, 48, 64, 128, 256};
QIcon vigiloWindowIcon();
