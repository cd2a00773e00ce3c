#pragma once

#include <QString>

// curl's own total time for one download, in ms (-1 when it failed). The
// server may answer from this thread: the wait keeps the event loop running.
double curlMs(const QString& url);
