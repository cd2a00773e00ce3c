#pragma once

#include <QLoggingCategory>

// What the update monitor did and went past: "vigilo.monitor".
Q_DECLARE_LOGGING_CATEGORY(lcMonitor)
