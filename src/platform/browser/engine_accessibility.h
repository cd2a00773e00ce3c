#pragma once

// Whom the web engine builds a page's accessible tree for. The tree costs
// more than the page's own parsing and layout, at every load.
enum class WebAccessibility {
    ScreenReader, // only while a screen reader says it runs: the default
    AnyListener,  // whenever Qt's accessibility is active, that is whenever
                  // anything listens on the accessibility bus
    Off,          // never
};

// The engine looks at QTWEBENGINE_ENABLE_LINUX_ACCESSIBILITY once, when it
// starts: unless the variable is set, it never builds a tree, and Qt
// WebEngine 6.4 only asks whether it is set, so a "0" is taken away for the
// engine to leave it off. Any other value the user gave forces the tree on
// for any listener; unset, it is set here and the tree is left to the screen
// reader switch (web_accessibility_switch.h). Call before the application
// object is built.
WebAccessibility prepareEngineAccessibility();
