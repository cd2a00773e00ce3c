#include "monitor/monitor_log.h"

Q_LOGGING_CATEGORY(lcMonitor, "vigilo.monitor", QtInfoMsg)
