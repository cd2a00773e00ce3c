#pragma once

#include <QLoggingCategory>

// What the main window went past: "vigilo.window".
Q_DECLARE_LOGGING_CATEGORY(lcWindow)
