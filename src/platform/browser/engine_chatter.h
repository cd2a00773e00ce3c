#pragma once

// The web engine tells of its start on the terminal: its sandbox, its GL
// set-up, its command line, and Chromium's own log lines. Keeps all that off
// unless the user asks for it, through QT_LOGGING_RULES for Qt's part
// ("qt.webenginecontext.info=true", "default.info=true") or a --log-level of
// their own in QTWEBENGINE_CHROMIUM_FLAGS for Chromium's. Call before the
// application object is built.
void quietenEngineStartUp();
