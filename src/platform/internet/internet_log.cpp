#include "platform/internet/internet_log.h"

Q_LOGGING_CATEGORY(internetLog, "vigilo.internet", QtInfoMsg)
