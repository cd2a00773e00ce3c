#pragma once

// Pages reach screen readers only when the web engine's accessibility is
// switched on before the engine starts; the engine then builds a page's
// accessible tree only while an assistive tool listens. Switches it on,
// unless the user set QTWEBENGINE_ENABLE_LINUX_ACCESSIBILITY to 0: Qt
// WebEngine 6.4 looks only at whether the variable is set, so that "0" is
// taken away for the engine to leave it off. Call before the application
// object is built.
void prepareEngineAccessibility();
