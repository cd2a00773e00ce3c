#include "platform/browser/engine_accessibility.h"

#include <QByteArray>

namespace {
constexpr char kVariable[] = "QTWEBENGINE_ENABLE_LINUX_ACCESSIBILITY";
}

WebAccessibility prepareEngineAccessibility() {
    if (!qEnvironmentVariableIsSet(kVariable)) {
        qputenv(kVariable, "1");
        return WebAccessibility::ScreenReader;
    }
    if (qgetenv(kVariable).trimmed() == "0") {
        qunsetenv(kVariable);
        return WebAccessibility::Off;
    }
    return WebAccessibility::AnyListener;
}
