#pragma once

#include <QLoggingCategory>

// Where the page reader notes what it went past: a kept connection given up,
// a library call that failed where the reader could go on without it.
Q_DECLARE_LOGGING_CATEGORY(internetLog)
