#include "platform/browser/engine_accessibility.h"

#include <QByteArray>

namespace {
constexpr char kVariable[] = "QTWEBENGINE_ENABLE_LINUX_ACCESSIBILITY";
}

void prepareEngineAccessibility() {
    if (!qEnvironmentVariableIsSet(kVariable))
        qputenv(kVariable, "1");
    else if (qgetenv(kVariable).trimmed() == "0")
        qunsetenv(kVariable);
}
