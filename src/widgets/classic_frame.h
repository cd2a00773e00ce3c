#pragma once

// The frame the layout's bottom rows were set for: a classic sizable window
// with 4-pixel borders and a 20-pixel title bar at 96 dpi, 28 pixels high and
// 8 wide in all. It is kept in twips so the layout's arithmetic stays exact at
// any resolution; whatever frame the window manager really draws (none, thin
// or tall) plays no part in the layout.
namespace classicframe {

constexpr float kBorder = 60;    // twips, each side
constexpr float kTitleBar = 300; // twips, above the top border's inner edge
constexpr float kWidth = 2 * kBorder;
constexpr float kHeight = kTitleBar + 2 * kBorder;

} // namespace classicframe
