#include "platform/browser/web_engine_sandbox.h"

#include <QByteArray>

#include <unistd.h>

void allowWebEngineAsRoot() {
    if (geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
}
