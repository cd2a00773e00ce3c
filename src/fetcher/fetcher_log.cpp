#include "fetcher/fetcher_log.h"

Q_LOGGING_CATEGORY(lcFetcher, "vigilo.fetcher", QtInfoMsg)
