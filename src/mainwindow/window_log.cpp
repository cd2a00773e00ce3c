#include "mainwindow/window_log.h"

Q_LOGGING_CATEGORY(lcWindow, "vigilo.mainwindow", QtInfoMsg)
