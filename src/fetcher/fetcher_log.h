#pragma once

#include <QLoggingCategory>

// What the page fetcher went past: "vigilo.fetcher".
Q_DECLARE_LOGGING_CATEGORY(lcFetcher)
