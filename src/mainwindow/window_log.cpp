#include "mainwindow/window_log.h"

Q_LOGGING_CATEGORY(lcWindow, "vigilo.window", QtInfoMsg)
