#pragma once

#include <QLoggingCategory>

// What the main window went past: "vigilo.mainwindow".
Q_DECLARE_LOGGING_CATEGORY(lcWindow)
