#include "randomlist/randomlist_log.h"

Q_LOGGING_CATEGORY(lcRandomList, "vigilo.randomlist", QtInfoMsg)
