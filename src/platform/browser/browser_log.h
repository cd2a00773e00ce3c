#pragma once

#include <QLoggingCategory>

// What the browser pane and its helpers go past or switch.
Q_DECLARE_LOGGING_CATEGORY(lcBrowser)
