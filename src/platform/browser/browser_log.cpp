#include "platform/browser/browser_log.h"

Q_LOGGING_CATEGORY(lcBrowser, "vigilo.browser")
